#pragma once

#include <gtest/gtest.h>

#include "math/CVector.h"

// Each component to float precision.
inline void ExpectVector(const CVector& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}
