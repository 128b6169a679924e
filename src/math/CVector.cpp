#include "math/CVector.h"

#include <cmath>

CVector& CVector::operator+=(const CVector& v) {
    x = static_cast<float>(double(x) + v.x);
    y = static_cast<float>(double(y) + v.y);
    z = static_cast<float>(double(z) + v.z);
    return *this;
}

CVector& CVector::operator-=(const CVector& v) {
    x = static_cast<float>(double(x) - v.x);
    y = static_cast<float>(double(y) - v.y);
    z = static_cast<float>(double(z) - v.z);
    return *this;
}

CVector& CVector::operator*=(float s) {
    x = static_cast<float>(double(x) * s);
    y = static_cast<float>(double(y) * s);
    z = static_cast<float>(double(z) * s);
    return *this;
}

float CVector::Dot(const CVector& v) const {
    return static_cast<float>(double(x) * v.x + double(y) * v.y + double(z) * v.z);
}

float CVector::Length() const {
    return static_cast<float>(std::sqrt(double(x) * x + double(y) * y + double(z) * z));
}

bool CVector::Normalize() {
    const double length = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
    if (length == 0.0) {
        return false;
    }
    x = static_cast<float>(x / length);
    y = static_cast<float>(y / length);
    z = static_cast<float>(z / length);
    return true;
}

static float SignOf(float value) {
    return value > 0.0f ? 1.0f : -1.0f;
}

void CVector::SnapToAxis() {
    const float ax = std::fabs(x);
    const float ay = std::fabs(y);
    const float az = std::fabs(z);
    if (ax > ay && ax > az) {
        *this = CVector(SignOf(x), 0.0f, 0.0f);
    } else if (az >= ay) {
        *this = CVector(0.0f, 0.0f, SignOf(z));
    } else {
        *this = CVector(0.0f, SignOf(y), 0.0f);
    }
}

CVector operator-(const CVector& a, const CVector& b) {
    CVector difference = a;
    difference -= b;
    return difference;
}

CVector Cross(const CVector& a, const CVector& b) {
    return CVector(static_cast<float>(double(a.y) * b.z - double(a.z) * b.y),
                   static_cast<float>(double(a.z) * b.x - double(a.x) * b.z),
                   static_cast<float>(double(a.x) * b.y - double(a.y) * b.x));
}
