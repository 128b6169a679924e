#pragma once

class CMatrix;
class CVector;

// An object's orientation. Stored in scene files as four floats x, y, z, w.
class CQuaternion {
public:
    CQuaternion() = default;
    CQuaternion(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}

    void SetIdentity();
    // The axis is used as given, not normalised. Degrees are turned into
    // radians with the scene editor's constant 0.0174532925.
    void FromAxisAngle(const CVector& axis, float degrees);
    // this = r (x) this: the argument's rotation comes after this one.
    void Multiply(const CQuaternion& r);
    // Divides by the squared norm, not the norm: orientations saved by the
    // editor went through exactly this, and loading must not drift from it.
    void Normalize();
    // Column-major rotation for glMultMatrixd, translation zero.
    void ToMatrix(CMatrix& out) const;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;
};
