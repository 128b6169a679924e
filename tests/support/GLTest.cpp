#include "support/GLTest.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>

#include "objects/SharedListsReset.h"

void GLTest::SetUp() {
    ASSERT_TRUE(context.Create(SIZE, SIZE)) << context.GetError();
    // Lists of an earlier context in this process are not valid here.
    ResetSharedLists();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-HALF_WIDTH, HALF_WIDTH, -HALF_WIDTH, HALF_WIDTH, -20.0, 20.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void GLTest::TearDown() {
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ResetSharedLists();
    context.Destroy();
}

Rgba GLTest::Pixel(int px, int py) const {
    const std::vector<uint8_t> p = context.ReadPixels(px, py, 1, 1);
    return { p[0], p[1], p[2], p[3] };
}

static int ToPixel(float world) {
    return static_cast<int>((world + GLTest::HALF_WIDTH) * (GLTest::SIZE / (2 * GLTest::HALF_WIDTH)));
}

Rgba GLTest::PixelAt(float x, float y) const {
    return Pixel(ToPixel(x), ToPixel(y));
}

Rgba GLTest::AverageAround(float x, float y, int radius) const {
    const int side = 2 * radius + 1;
    const std::vector<uint8_t> p = context.ReadPixels(ToPixel(x) - radius, ToPixel(y) - radius, side, side);
    int sum[4] = { 0, 0, 0, 0 };
    for (size_t i = 0; i < p.size(); i++) {
        sum[i % 4] += p[i];
    }
    const int n = side * side;
    return { sum[0] / n, sum[1] / n, sum[2] / n, sum[3] / n };
}

Rgba GLTest::BrightestAround(float x, float y, int radius) const {
    const int side = 2 * radius + 1;
    const std::vector<uint8_t> p = context.ReadPixels(ToPixel(x) - radius, ToPixel(y) - radius, side, side);
    int most[4] = { 0, 0, 0, 0 };
    for (size_t i = 0; i < p.size(); i++) {
        most[i % 4] = std::max(most[i % 4], int(p[i]));
    }
    return { most[0], most[1], most[2], most[3] };
}

void GLTest::LookFromSide() const {
    // Column-major: world x points at the viewer, world y to the right,
    // world z up.
    const float view[16] = {
        0, 0, 1, 0,
        1, 0, 0, 0,
        0, 1, 0, 0,
        0, 0, 0, 1,
    };
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(view);
}

void GLTest::EmissionOnlyLighting() const {
    const float none[4] = { 0.0f, 0.0f, 0.0f, 1.0f };
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glEnable(GL_LIGHTING);
}

::testing::AssertionResult ColorNear(const Rgba& actual, int r, int g, int b, int tolerance) {
    if (std::abs(actual.r - r) <= tolerance && std::abs(actual.g - g) <= tolerance &&
        std::abs(actual.b - b) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "colour (" << actual.r << ", " << actual.g << ", " << actual.b
                                         << ") is not within " << tolerance << " of (" << r << ", " << g
                                         << ", " << b << ")";
}
