#include "support/GLTest.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdlib>

#include "objects/SharedListsReset.h"

void GLTest::SetUp() {
    ASSERT_TRUE(context.Create(contextWidth, contextHeight, false, contextStencil)) << context.GetError();
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
    return BrightestAroundPixel(ToPixel(x), ToPixel(y), radius);
}

Rgba GLTest::BrightestAroundPixel(int px, int py, int radius) const {
    const int side = 2 * radius + 1;
    const std::vector<uint8_t> p = context.ReadPixels(px - radius, py - radius, side, side);
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

void GLTest::LookAt(float eyeX, float eyeY, float eyeZ, float toX, float toY, float toZ,
                    float upX, float upY, float upZ) const {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, double(context.Width()) / context.Height(), 0.5, 50.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eyeX, eyeY, eyeZ, toX, toY, toZ, upX, upY, upZ);
}

Rgba GLTest::PixelOfWorld(float x, float y, float z) const {
    GLdouble modelview[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble wx = 0, wy = 0, wz = 0;
    gluProject(x, y, z, modelview, projection, viewport, &wx, &wy, &wz);
    return Pixel(static_cast<int>(wx), static_cast<int>(wy));
}

void GLTest::ExpectSpots(std::initializer_list<Spot> spots, int tolerance) const {
    for (const Spot& spot : spots) {
        EXPECT_TRUE(ColorNear(PixelAt(spot.x, spot.y), spot.r, spot.g, spot.b, tolerance))
            << "at (" << spot.x << ", " << spot.y << ")";
    }
}

void GLTest::Backdrop(int r, int g, int b, float z) {
    // Unlit from here on, as the draws over it expect.
    CGLState& state = State();
    state.SetBaseline(state.Baseline() & ~GLS_LIGHTING);
    state.Apply(state.Baseline() & ~(GLS_TEXTURE_2D | GLS_TEXGEN_ST | GLS_ALPHA_TEST));
    glColor3ub(GLubyte(r), GLubyte(g), GLubyte(b));
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, z);
    glRectf(-HALF_WIDTH, -HALF_WIDTH, HALF_WIDTH, HALF_WIDTH);
    glPopMatrix();
}

CGLState& GLTest::State() {
    return stateTaken ? gl : Restate();
}

void GLTest::Clear() {
    State().Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

CGLState& GLTest::Restate() {
    gl.Adopt();
    stateTaken = true;
    return gl;
}

void GLTest::ExpectStateKnown() const {
    EXPECT_EQ(CGLState::Query(), gl.Bits());
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<uint32_t>(bound), gl.BoundTexture());
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
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
