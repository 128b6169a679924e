#include "math/CQuaternion.h"

#include <cmath>

#include "math/CMatrix.h"
#include "math/CVector.h"

void CQuaternion::SetIdentity() {
    *this = CQuaternion();
}

void CQuaternion::FromAxisAngle(const CVector& axis, float degrees) {
    const double half = degrees * 0.0174532925 * 0.5;
    const double sine = std::sin(half);
    x = static_cast<float>(sine * axis.x);
    y = static_cast<float>(sine * axis.y);
    z = static_cast<float>(sine * axis.z);
    w = static_cast<float>(std::cos(half));
}

void CQuaternion::Multiply(const CQuaternion& r) {
    const double nx = double(r.w) * x + double(w) * r.x + double(r.y) * z - double(r.z) * y;
    const double ny = double(r.w) * y + double(w) * r.y + double(r.z) * x - double(r.x) * z;
    const double nz = double(r.w) * z + double(w) * r.z + double(r.x) * y - double(r.y) * x;
    const double nw = double(w) * r.w - double(r.x) * x - double(r.y) * y - double(r.z) * z;
    x = static_cast<float>(nx);
    y = static_cast<float>(ny);
    z = static_cast<float>(nz);
    w = static_cast<float>(nw);
}

void CQuaternion::Normalize() {
    const double squaredNorm = double(x) * x + double(y) * y + double(z) * z + double(w) * w;
    // A record may hold four zeros; dividing would turn the object into NaNs.
    if (squaredNorm == 0.0) {
        return;
    }
    x = static_cast<float>(x / squaredNorm);
    y = static_cast<float>(y / squaredNorm);
    z = static_cast<float>(z / squaredNorm);
    w = static_cast<float>(w / squaredNorm);
}

void CQuaternion::ToMatrix(CMatrix& out) const {
    const double qx = x, qy = y, qz = z, qw = w;
    double* m = out.m;
    m[0] = 1.0 - 2.0 * (qy * qy + qz * qz);
    m[1] = 2.0 * (qx * qy - qw * qz);
    m[2] = 2.0 * (qw * qy + qx * qz);
    m[3] = 0.0;
    m[4] = 2.0 * (qw * qz + qx * qy);
    m[5] = 1.0 - 2.0 * (qx * qx + qz * qz);
    m[6] = 2.0 * (qy * qz - qw * qx);
    m[7] = 0.0;
    m[8] = 2.0 * (qx * qz - qw * qy);
    m[9] = 2.0 * (qy * qz + qw * qx);
    m[10] = 1.0 - 2.0 * (qx * qx + qy * qy);
    m[11] = 0.0;
    m[12] = 0.0;
    m[13] = 0.0;
    m[14] = 0.0;
    m[15] = 1.0;
}
