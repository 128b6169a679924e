#include <gtest/gtest.h>

#include "view/StatusLine.h"

TEST(StatusLine, TellsRateAnimationModelFrameAndObjects) {
    struct Case {
        StatusFacts facts;
        const char* text;
    };
    const Case cases[] = {
        { { 0, false, 60, false, "", 0, 0, 1 }, "0 fps | Animation off, a step every 60 ms | 1 object" },
        { { 16, true, 10, true, "run", 2, 6, 3 }, "16 fps | Animation on, a step every 10 ms | run frame 3/6 | 3 objects" },
        // A sprite's frames have no animation name.
        { { 5, true, 100, true, "", 0, 4, 3 }, "5 fps | Animation on, a step every 100 ms | frame 1/4 | 3 objects" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StatusText(c.facts), c.text);
    }
}

TEST(StatusLine, FramesPerSecondCountTheLastSecondOnly) {
    CFrameRate rate;
    for (int i = 0; i < 30; i++) {
        rate.Frame(10.0 + i * 0.05);   // 20 a second for 1.5 seconds
    }
    EXPECT_EQ(rate.PerSecond(11.47), 20);
    EXPECT_EQ(rate.PerSecond(12.02), 9);
    EXPECT_EQ(rate.PerSecond(20.0), 0);
}
