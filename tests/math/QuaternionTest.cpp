#include <gtest/gtest.h>

#include <cmath>

#include "math/CMatrix.h"
#include "math/CQuaternion.h"
#include "math/CVector.h"
#include "math/FloatArrays.h"

static void ExpectQuaternion(const CQuaternion& q, float x, float y, float z, float w, float tolerance = 1e-6f) {
    EXPECT_NEAR(q.x, x, tolerance);
    EXPECT_NEAR(q.y, y, tolerance);
    EXPECT_NEAR(q.z, z, tolerance);
    EXPECT_NEAR(q.w, w, tolerance);
}

TEST(CQuaternion, MultiplyPutsTheArgumentOnTheLeft) {
    CQuaternion qx, qy;
    qx.FromAxisAngle(CVector(1, 0, 0), 90.0f);
    qy.FromAxisAngle(CVector(0, 1, 0), 90.0f);
    CQuaternion q = qx;
    q.Multiply(qy);  // q = qy (x) qx
    ExpectQuaternion(q, 0.5f, 0.5f, -0.5f, 0.5f);
    CQuaternion other = qy;
    other.Multiply(qx);  // qx (x) qy differs in the sign of z
    ExpectQuaternion(other, 0.5f, 0.5f, 0.5f, 0.5f);
}

// The editor divides by the squared norm, and a zero quaternion must not
// become NaN.
TEST(CQuaternion, NormalizeDividesBySquaredNorm) {
    CQuaternion q(0, 0, 0, 2);
    q.Normalize();
    ExpectQuaternion(q, 0, 0, 0, 0.5f, 0);
    CQuaternion zero(0, 0, 0, 0);
    zero.Normalize();
    ExpectQuaternion(zero, 0, 0, 0, 0, 0);
}

TEST(CQuaternion, ToMatrixIsTheTransposeOfTheBoneRotation) {
    CQuaternion q;
    q.FromAxisAngle(CVector(0.6f, 0.0f, 0.8f), 50.0f);
    CMatrix m;
    q.ToMatrix(m);
    float bone[3][4] = {};
    const float asArray[4] = { q.x, q.y, q.z, q.w };
    QuaternionToMatrix3x4(asArray, bone);
    for (int r = 0; r < 3; r++) {
        for (int c = 0; c < 3; c++) {
            // m[4c + r] is row r, column c; the bone matrix is row-major.
            EXPECT_NEAR(m.m[4 * c + r], bone[c][r], 1e-6) << r << "," << c;
        }
    }
    EXPECT_EQ(m.m[3], 0.0);
    EXPECT_EQ(m.m[12], 0.0);
    EXPECT_EQ(m.m[15], 1.0);
}

// An opposite q means the same rotation: it is flipped in place, not spun
// through, so the result stays p; equal inputs (sin of the angle is 0) give
// p too. Nearly opposite inputs give a finite unit quaternion.
TEST(FloatArrays, SlerpEdgeCases) {
    const float p[4] = { 0, 0, std::sin(0.3f), std::cos(0.3f) };
    float same[4] = { p[0], p[1], p[2], p[3] };
    float opposite[4] = { -p[0], -p[1], -p[2], -p[3] };
    float out[4];
    for (float* q : { same, opposite }) {
        SlerpQuaternion(p, q, 0.5f, out);
        ExpectQuaternion(CQuaternion(out[0], out[1], out[2], out[3]), p[0], p[1], p[2], p[3]);
    }
    EXPECT_EQ(opposite[3], p[3]);

    const float a[4] = { 0.0f, 0.0f, 0.0005f, 0.99999988f };
    float b[4] = { 0.0f, 0.0f, 0.0f, -1.0f };
    SlerpQuaternion(a, b, 0.25f, out);
    double norm = 0;
    for (float c : out) {
        EXPECT_TRUE(std::isfinite(c));
        norm += double(c) * c;
    }
    EXPECT_NEAR(norm, 1.0, 1e-5);
}
