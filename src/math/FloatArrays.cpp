#include "math/FloatArrays.h"

#include <cmath>
#include <numbers>

bool VectorsEqual3(const float a[3], const float b[3]) {
    for (int i = 0; i < 3; i++) {
        if (std::fabs(double(a[i]) - b[i]) > 0.001) {
            return false;
        }
    }
    return true;
}

void CrossProduct3(const float a[3], const float b[3], float out[3]) {
    const double x = double(a[1]) * b[2] - double(a[2]) * b[1];
    const double y = double(a[2]) * b[0] - double(a[0]) * b[2];
    const double z = double(a[0]) * b[1] - double(a[1]) * b[0];
    out[0] = static_cast<float>(x);
    out[1] = static_cast<float>(y);
    out[2] = static_cast<float>(z);
}

float Normalize3(float v[3]) {
    const double length = std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]);
    if (length == 0.0) {
        return 0.0f;
    }
    for (int i = 0; i < 3; i++) {
        v[i] = static_cast<float>(v[i] / length);
    }
    return static_cast<float>(length);
}

void ConcatMatrix3x4(const float a[3][4], const float b[3][4], float out[3][4]) {
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 4; j++) {
            double sum = j == 3 ? a[i][3] : 0.0;
            for (int k = 0; k < 3; k++) {
                sum += double(a[i][k]) * b[k][j];
            }
            out[i][j] = static_cast<float>(sum);
        }
    }
}

void InverseRotate3x4(const float v[3], const float m[3][4], float out[3]) {
    double result[3];
    for (int j = 0; j < 3; j++) {
        result[j] = double(v[0]) * m[0][j] + double(v[1]) * m[1][j] + double(v[2]) * m[2][j];
    }
    for (int j = 0; j < 3; j++) {
        out[j] = static_cast<float>(result[j]);
    }
}

void TransformPoint3x4(const float v[3], const float m[3][4], float out[3]) {
    double result[3];
    for (int i = 0; i < 3; i++) {
        result[i] = double(v[0]) * m[i][0] + double(v[1]) * m[i][1] + double(v[2]) * m[i][2] + m[i][3];
    }
    for (int i = 0; i < 3; i++) {
        out[i] = static_cast<float>(result[i]);
    }
}

void AnglesToQuaternion(const float angles[3], float q[4]) {
    const double sr = std::sin(angles[0] * 0.5), cr = std::cos(angles[0] * 0.5);
    const double sp = std::sin(angles[1] * 0.5), cp = std::cos(angles[1] * 0.5);
    const double sy = std::sin(angles[2] * 0.5), cy = std::cos(angles[2] * 0.5);
    q[0] = static_cast<float>(sr * cp * cy - cr * sp * sy);
    q[1] = static_cast<float>(cr * sp * cy + sr * cp * sy);
    q[2] = static_cast<float>(cr * cp * sy - sr * sp * cy);
    q[3] = static_cast<float>(cr * cp * cy + sr * sp * sy);
}

void QuaternionToMatrix3x4(const float q[4], float m[3][4]) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    m[0][0] = static_cast<float>(1.0 - 2.0 * y * y - 2.0 * z * z);
    m[1][0] = static_cast<float>(2.0 * (x * y + w * z));
    m[2][0] = static_cast<float>(2.0 * (x * z - w * y));
    m[0][1] = static_cast<float>(2.0 * (x * y - w * z));
    m[1][1] = static_cast<float>(1.0 - 2.0 * x * x - 2.0 * z * z);
    m[2][1] = static_cast<float>(2.0 * (y * z + w * x));
    m[0][2] = static_cast<float>(2.0 * (x * z + w * y));
    m[1][2] = static_cast<float>(2.0 * (y * z - w * x));
    m[2][2] = static_cast<float>(1.0 - 2.0 * x * x - 2.0 * y * y);
}

void SlerpQuaternion(const float p[4], float q[4], float t, float out[4]) {
    double apart = 0.0;
    double together = 0.0;
    for (int i = 0; i < 4; i++) {
        apart += (double(p[i]) - q[i]) * (double(p[i]) - q[i]);
        together += (double(p[i]) + q[i]) * (double(p[i]) + q[i]);
    }
    if (apart > together) {
        for (int i = 0; i < 4; i++) {
            q[i] = -q[i];
        }
    }
    const double cosom = double(p[0]) * q[0] + double(p[1]) * q[1] + double(p[2]) * q[2] + double(p[3]) * q[3];
    double result[4];
    if (1.0 + cosom > 1e-8) {
        double sclp, sclq;
        if (1.0 - cosom > 1e-8) {
            const double omega = std::acos(cosom);
            const double sinom = std::sin(omega);
            sclp = std::sin((1.0 - t) * omega) / sinom;
            sclq = std::sin(t * omega) / sinom;
        } else {
            sclp = 1.0 - t;
            sclq = t;
        }
        for (int i = 0; i < 4; i++) {
            result[i] = sclp * p[i] + sclq * q[i];
        }
    } else {
        // Nearly opposite: turn through a quaternion perpendicular to p.
        const double perpendicular[3] = { -double(p[1]), double(p[0]), -double(p[2]) };
        const double sclp = std::sin((1.0 - t) * std::numbers::pi * 0.5);
        const double sclq = std::sin(t * std::numbers::pi * 0.5);
        for (int i = 0; i < 3; i++) {
            result[i] = sclp * p[i] + sclq * perpendicular[i];
        }
        result[3] = p[3];
    }
    for (int i = 0; i < 4; i++) {
        out[i] = static_cast<float>(result[i]);
    }
}
