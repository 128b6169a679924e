#include <gtest/gtest.h>

#include "platform/DisplayModeSearch.h"

// Exactly the size at sixteen bits, then at the desktop's depth; else the
// window covers the screen.
TEST(DisplayModeSearch, SixteenBitsThenTheDesktopsDepthThenCoveringTheScreen) {
    struct Case {
        std::vector<DisplayModeInfo> modes;
        DisplayModeChoice::Way way;
        int modeIndex;
    };
    const Case cases[] = {
        { { { 32, 640, 480 }, { 16, 1024, 768 }, { 16, 640, 480 } }, DisplayModeChoice::SIXTEEN_BIT, 2 },
        { { { 32, 1024, 768 }, { 24, 640, 480 }, { 32, 640, 480 } }, DisplayModeChoice::DESKTOP_DEPTH, 2 },
        { { { 32, 1024, 768 }, { 24, 640, 480 } }, DisplayModeChoice::COVER_SCREEN, -1 },
        { {}, DisplayModeChoice::COVER_SCREEN, -1 },
    };
    for (const Case& c : cases) {
        const DisplayModeChoice choice = ChooseDisplayMode(c.modes, 640, 480, 32);
        EXPECT_EQ(choice.way, c.way);
        EXPECT_EQ(choice.modeIndex, c.modeIndex);
    }
}
