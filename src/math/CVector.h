#pragma once

// A point or direction in scene units. Arithmetic runs in double and is
// rounded to float when stored, as the scene files' numbers were made.
class CVector {
public:
    CVector() = default;
    CVector(float x, float y, float z) : x(x), y(y), z(z) {}

    CVector& operator+=(const CVector& v);
    CVector& operator-=(const CVector& v);
    CVector& operator*=(float s);

    float Dot(const CVector& v) const;
    float Length() const;
    // False, and the vector unchanged, when its length is exactly 0.
    bool  Normalize();
    // The signed unit vector of the dominant axis; ties go to z, then y.
    void  SnapToAxis();

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

CVector operator-(const CVector& a, const CVector& b);
CVector Cross(const CVector& a, const CVector& b);
