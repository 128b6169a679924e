#include <gtest/gtest.h>

#include "platform/DisplayModeSearch.h"

TEST(DisplayModeSearch, OnlyExactlyTheSizeAtSixteenBitsWillDo) {
    const std::vector<DisplayModeInfo> modes = { { 32, 800, 600 }, { 16, 1024, 768 }, { 16, 640, 480 }, { 16, 800, 600 } };
    EXPECT_EQ(FindDisplayMode(modes, 800, 600), 3);
    EXPECT_EQ(FindDisplayMode(modes, 640, 480), 2);
    EXPECT_EQ(FindDisplayMode({ { 32, 800, 600 } }, 800, 600), -1);
}
