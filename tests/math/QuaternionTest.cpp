#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

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

// The bone routines wait for the skeletal models; their order and axis
// conventions are what that drawing will rely on.
TEST(FloatArrays, ConcatAndTransform3x4) {
    // a: rotate 90 degrees about z, translate (1, 0, 0); b: translate (0, 2, 0).
    const float a[3][4] = { { 0, -1, 0, 1 }, { 1, 0, 0, 0 }, { 0, 0, 1, 0 } };
    const float b[3][4] = { { 1, 0, 0, 0 }, { 0, 1, 0, 2 }, { 0, 0, 1, 0 } };
    float ab[3][4];
    ConcatMatrix3x4(a, b, ab);
    const float origin[3] = { 0, 0, 0 };
    float p[3];
    TransformPoint3x4(origin, ab, p);  // b first: (0, 2, 0), then a: (-2 + 1, 0, 0)
    EXPECT_FLOAT_EQ(p[0], -1.0f);
    EXPECT_FLOAT_EQ(p[1], 0.0f);
    const float v[3] = { 0, 1, 0 };
    float back[3];
    InverseRotate3x4(v, a, back);  // the transposed rotation turns y back into x
    EXPECT_FLOAT_EQ(back[0], 1.0f);
    EXPECT_FLOAT_EQ(back[1], 0.0f);
}

TEST(FloatArrays, AnglesToQuaternionMatchesAxisAngle) {
    const float yaw[3] = { 0.0f, 0.0f, std::numbers::pi_v<float> / 2 };
    float q[4];
    AnglesToQuaternion(yaw, q);
    EXPECT_NEAR(q[2], std::sqrt(0.5), 1e-6);
    EXPECT_NEAR(q[3], std::sqrt(0.5), 1e-6);
    float m[3][4] = {};
    m[0][3] = 7.0f;
    QuaternionToMatrix3x4(q, m);
    EXPECT_NEAR(m[1][0], 1.0f, 1e-6);  // x turns into y
    EXPECT_EQ(m[0][3], 7.0f);          // column 3 untouched
}

// Equal inputs (sin of the angle is 0), and an opposite q that means the same
// rotation: it is flipped, not spun through, so the result stays p. Nearly
// opposite inputs give a finite unit quaternion.
TEST(FloatArrays, SlerpEdgeCases) {
    const float p[4] = { 0, 0, std::sin(0.3f), std::cos(0.3f) };
    const float identity[4] = { 0, 0, 0, 1 };
    struct Case { const float* p; float q[4]; float t; };
    Case cases[] = {
        { p, { std::sin(0.4f), 0, 0, std::cos(0.4f) }, 0.0f },
        { p, { p[0], p[1], p[2], p[3] }, 0.5f },
        { identity, { 0, 0, 0, -1 }, 0.5f },
    };
    float out[4];
    for (Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "q.w " << c.q[3] << " t " << c.t);
        SlerpQuaternion(c.p, c.q, c.t, out);
        ExpectQuaternion(CQuaternion(out[0], out[1], out[2], out[3]), c.p[0], c.p[1], c.p[2], c.p[3]);
    }
    EXPECT_EQ(cases[2].q[3], 1.0f);

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
