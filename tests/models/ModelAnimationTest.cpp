#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "models/COGLMD2.h"
#include "models/Md2Bytes.h"

namespace {

// The tick is the model base's; an MD2 model of one animation of three
// frames drives it.
class ModelAnimation : public ::testing::Test {
protected:
    void SetUp() override {
        Md2Layout layout;
        layout.frames = { NamedFrame("a1"), NamedFrame("a2"), NamedFrame("a3") };
        layout.End();
        const Bytes bytes = layout.Write();
        ASSERT_TRUE(model.ReadModel(bytes.bytes.data(), bytes.Size(), false));
        model.StartAnimation();
    }

    void Tick(int times) {
        for (int i = 0; i < times; i++) model.Animate();
    }
    void ExpectFrames(int current, int next, float fraction) const {
        EXPECT_EQ(model.currentFrame, current);
        EXPECT_EQ(model.nextFrame, next);
        EXPECT_NEAR(model.frameFraction, fraction, 1e-6);
    }

    COGLMD2 model;
};

}  // namespace

TEST_F(ModelAnimation, BlendsEightTicksPerFrameAndShowsTheLastFrameForOneTick) {
    for (int tick = 1; tick <= 7; tick++) {
        Tick(1);
        ExpectFrames(0, 1, 0.125f * tick);
    }
    Tick(1);
    ExpectFrames(1, 2, 0.0f);
    Tick(7);
    ExpectFrames(1, 2, 0.875f);
    Tick(1);
    EXPECT_EQ(model.currentFrame, 2);
    EXPECT_EQ(model.nextFrame, 2);
    EXPECT_FLOAT_EQ(model.framePosition, 3.0f);
    Tick(1);
    ExpectFrames(0, 1, 0.0f);
    EXPECT_FLOAT_EQ(model.framePosition, 0.0f);
    EXPECT_TRUE(model.animating);
}

TEST_F(ModelAnimation, WithoutLoopItComesToRestOnTheFirstFrame) {
    model.loop = false;
    Tick(16);
    EXPECT_TRUE(model.animating);
    EXPECT_EQ(model.currentFrame, 2);
    Tick(1);
    EXPECT_FALSE(model.animating);
    EXPECT_EQ(model.currentFrame, 0);
    EXPECT_FLOAT_EQ(model.frameFraction, 0.0f);
}

TEST_F(ModelAnimation, WithoutInterpolationTheNextFrameIsTheCurrentOne) {
    model.interpolate = false;
    for (int tick = 1; tick <= 30; tick++) {
        Tick(1);
        EXPECT_EQ(model.nextFrame, model.currentFrame);
        EXPECT_EQ(model.frameFraction, 0.0f);
    }
    EXPECT_EQ(model.currentFrame, 0);  // wrapped at tick 24
}

TEST_F(ModelAnimation, ForgedStepsNeverLeaveTheAnimation) {
    const float steps[] = { -0.5f, 1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity() };
    for (float step : steps) {
        model.frameStep = step;
        for (int tick = 0; tick < 5; tick++) {
            Tick(1);
            EXPECT_GE(model.currentFrame, 0);
            EXPECT_LT(model.currentFrame, 3);
            EXPECT_GE(model.nextFrame, 0);
            EXPECT_LT(model.nextFrame, 3);
        }
    }
}
