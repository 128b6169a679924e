#pragma once

#include <cmath>
#include <vector>

#include "math/CQuaternion.h"
#include "math/CVector.h"

// A rotation as glTF writes it: a unit quaternion whose matrix turns
// vectors the usual way (x, y, z, w).
struct GltfTurn {
    double x = 0.0, y = 0.0, z = 0.0, w = 1.0;

    static GltfTurn About(double ax, double ay, double az, double degrees) {
        const double half = degrees * M_PI / 360.0;
        return { ax * std::sin(half), ay * std::sin(half), az * std::sin(half), std::cos(half) };
    }
    // This turn after first.
    GltfTurn After(const GltfTurn& first) const {
        return { w * first.x + x * first.w + y * first.z - z * first.y,
                 w * first.y - x * first.z + y * first.w + z * first.x,
                 w * first.z + x * first.y - y * first.x + z * first.w,
                 w * first.w - x * first.x - y * first.y - z * first.z };
    }
    CVector Turned(const CVector& v) const {
        // v + 2 q x (q x v + w v)
        const double cx = y * v.z - z * v.y + w * v.x;
        const double cy = z * v.x - x * v.z + w * v.y;
        const double cz = x * v.y - y * v.x + w * v.z;
        return CVector(static_cast<float>(v.x + 2.0 * (y * cz - z * cy)),
                       static_cast<float>(v.y + 2.0 * (z * cx - x * cz)),
                       static_cast<float>(v.z + 2.0 * (x * cy - y * cx)));
    }
    // The viewer's orientation: its matrix (CQuaternion::ToMatrix) turns by
    // the conjugate of the usual reading. Four zeros or worse turn nothing.
    static GltfTurn OfViewer(const CQuaternion& q) {
        const double length = std::sqrt(double(q.x) * q.x + double(q.y) * q.y + double(q.z) * q.z + double(q.w) * q.w);
        if (!(length > 0.0) || !std::isfinite(length)) {
            return {};
        }
        return { -q.x / length, -q.y / length, -q.z / length, q.w / length };
    }
    // The turn taking -z, where glTF's lights and cameras point, to
    // direction; none when direction has no length.
    static GltfTurn FromMinusZ(const CVector& direction) {
        const double length = std::sqrt(double(direction.x) * direction.x + double(direction.y) * direction.y +
                                        double(direction.z) * direction.z);
        if (!(length > 0.0) || !std::isfinite(length)) {
            return {};
        }
        const double dx = direction.x / length, dy = direction.y / length, dz = direction.z / length;
        // Half way between -z and the direction; straight back is half a turn about x.
        const double w = 1.0 - dz;
        if (w < 1e-9) {
            return { 1.0, 0.0, 0.0, 0.0 };
        }
        const double norm = std::sqrt(dy * dy + dx * dx + w * w);
        return { dy / norm, -dx / norm, 0.0, w / norm };
    }
    bool IsIdentity() const { return x == 0.0 && y == 0.0 && z == 0.0; }
    // With w not negative, and no -0, for the file's sake.
    std::vector<double> Values() const {
        const double sign = w < 0.0 ? -1.0 : 1.0;
        return { sign * x + 0.0, sign * y + 0.0, sign * z + 0.0, sign * w + 0.0 };
    }
};
