#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

#include "platform/CGLState.h"
#include "platform/COffscreenContext.h"

struct Rgba {
    int r, g, b, a;
};

// A test with a fresh offscreen context: 128 x 128 pixels showing the world
// square from -4 to 4 in x and y (16 pixels a unit), looking down -z, depth
// test on, cleared to black, lighting off.
class GLTest : public ::testing::Test {
public:
    static constexpr int SIZE = 128;
    static constexpr float HALF_WIDTH = 4.0f;

protected:
    void SetUp() override;
    void TearDown() override;

    // The pixel under world point (x, y) of the ortho view.
    Rgba PixelAt(float x, float y) const;
    Rgba Pixel(int px, int py) const;
    // Average colour of the pixels within radius of world point (x, y).
    Rgba AverageAround(float x, float y, int radius) const;
    // Largest value of each channel within radius pixels of world point
    // (x, y): finds thin lines whatever row the rasteriser put them on.
    Rgba BrightestAround(float x, float y, int radius) const;
    // A view from +x towards the origin with world z up and world y to the
    // right, same scale: shapes along z show their length.
    void LookFromSide() const;
    // Lighting on with no light and no global ambient: a lit surface shows
    // exactly its material's emission.
    void EmissionOnlyLighting() const;
    // A perspective view (60 degrees, near 0.5, far 50) from eye towards
    // target with up as given.
    void LookAt(float eyeX, float eyeY, float eyeZ, float toX, float toY, float toZ,
                float upX, float upY, float upZ) const;
    // The pixel that world point (x, y, z) lands on under the current
    // matrices and viewport.
    Rgba PixelOfWorld(float x, float y, float z) const;
    // Largest value of each channel within radius pixels of pixel (px, py).
    Rgba BrightestAroundPixel(int px, int py, int radius) const;
    // A colour expected at world point (x, y) of the ortho view.
    struct Spot {
        float x, y;
        int r, g, b;
    };
    // Each spot shows its colour within tolerance.
    void ExpectSpots(std::initializer_list<Spot> spots, int tolerance = 12) const;
    // An unlit square of one colour (0..255) over the whole ortho view at
    // height z: what blended drawing is checked against.
    void Backdrop(int r, int g, int b, float z);
    // The state tracker. Its first use takes what OpenGL holds then as its
    // state and baseline, so draws start from what the test set up by hand;
    // a test that changes the state by hand after that says so with Restate.
    CGLState& State();
    CGLState& Restate();
    // Colour and depth cleared through the tracker, whatever the last draw
    // left of the write masks.
    void Clear();
    // OpenGL holds what the tracker says it does, and the model-view stack
    // is at its base.
    void ExpectStateKnown() const;

    COffscreenContext context;
    CGLState gl;
    bool     stateTaken = false;
    // Subclasses that need another size set these in their constructor; the
    // ortho view helpers assume the square default.
    int contextWidth = SIZE;
    int contextHeight = SIZE;
    bool contextStencil = true;
};

// Each channel within tolerance of the expected 0..255 value.
::testing::AssertionResult ColorNear(const Rgba& actual, int r, int g, int b, int tolerance = 12);
