#include <gtest/gtest.h>

#include "math/CMatrix.h"
#include "math/CVector.h"
#include "support/ExpectVector.h"

TEST(CVector, NormalizeOfZeroFailsAndLeavesTheVector) {
    CVector zero(0.0f, 0.0f, 0.0f);
    EXPECT_FALSE(zero.Normalize());
    ExpectVector(zero, 0.0f, 0.0f, 0.0f);

    CVector v(3.0f, 0.0f, -4.0f);
    EXPECT_TRUE(v.Normalize());
    ExpectVector(v, 0.6f, 0.0f, -0.8f);
}

TEST(CVector, SnapToAxisTiesFavourZThenY) {
    struct Case { CVector in, out; };
    const Case cases[] = {
        { { 1, 1, 0 }, { 0, 1, 0 } },     // x ties y: y
        { { 1, 1, 1 }, { 0, 0, 1 } },     // three-way tie: z
        { { -2, 1, 1 }, { -1, 0, 0 } },   // x dominant, negative
        { { 0, 0, 0 }, { 0, 0, -1 } },    // nothing: z, and 0 counts as negative
        { { 2, 0, 2 }, { 0, 0, 1 } },     // x ties z: z
        { { 0.5f, -3, 1 }, { 0, -1, 0 } },
        { { 0, 0, -0.1f }, { 0, 0, -1 } },
    };
    for (const Case& c : cases) {
        CVector v = c.in;
        v.SnapToAxis();
        SCOPED_TRACE(testing::Message() << "(" << c.in.x << ", " << c.in.y << ", " << c.in.z << ")");
        ExpectVector(v, c.out.x, c.out.y, c.out.z);
    }
}

TEST(CMatrix, InvertUndoesATransformPivotingWhereItMustAndLeavesASingularMatrix) {
    CMatrix m;
    // Rotation about z by 90 degrees, scale 2 on y, translation (1, -2, 3).
    m.m[0] = 0;  m.m[1] = 1;
    m.m[4] = -2; m.m[5] = 0;
    m.m[12] = 1; m.m[13] = -2; m.m[14] = 3;
    CMatrix inverse = m;
    ASSERT_TRUE(inverse.Invert());
    CVector moved, back;
    m.TransformPoint(CVector(0.5f, -7.0f, 2.25f), moved);
    inverse.TransformPoint(moved, back);
    ExpectVector(back, 0.5f, -7.0f, 2.25f);

    // A permutation, every diagonal entry of the stored rows 0 at first:
    // its inverse is its transpose.
    CMatrix permutation(false);
    permutation.m[1] = 1; permutation.m[4] = 1; permutation.m[14] = 1; permutation.m[11] = 1;
    CMatrix transposed(false);
    for (int i = 0; i < 16; i++) {
        transposed.m[4 * (i % 4) + i / 4] = permutation.m[i];
    }
    ASSERT_TRUE(permutation.Invert());
    EXPECT_EQ(std::vector<double>(permutation.m, permutation.m + 16), std::vector<double>(transposed.m, transposed.m + 16));

    m.m[8] = 0; m.m[9] = 0; m.m[10] = 0; m.m[11] = 0;  // a zero column
    const CMatrix singular = m;
    EXPECT_FALSE(m.Invert());
    EXPECT_EQ(std::vector<double>(m.m, m.m + 16), std::vector<double>(singular.m, singular.m + 16));
    CMatrix zero(false);
    EXPECT_FALSE(zero.Invert());
}
