#pragma once

class CVector;

// A 4x4 matrix in OpenGL's column-major order: m[4 * column + row], with the
// translation in m[12], m[13], m[14]. Handed to glMultMatrixd as it is.
class CMatrix {
public:
    CMatrix() { LoadIdentity(); }
    // The identity when identity is true, otherwise all zero.
    explicit CMatrix(bool identity);

    void LoadIdentity();
    // out = M * (in, 1); the w row is not used.
    void TransformPoint(const CVector& in, CVector& out) const;
    // out = M * (in, 0).
    void TransformVector(const CVector& in, CVector& out) const;
    // False, and the matrix unchanged, when it is singular.
    bool Invert();

    double m[16];
};
