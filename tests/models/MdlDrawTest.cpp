#include <GL/gl.h>

#include "image/COGLTexture2D.h"
#include "image/Palettes.h"
#include "models/COGLMDL.h"
#include "models/MdlBytes.h"
#include "support/CapturedReports.h"
#include "support/GLTest.h"

namespace {

// Quake palette entries (255, 0, 0) and (0, 0, 255).
constexpr uint8_t RED = 251;
constexpr uint8_t BLUE = 208;

// A skin 4 texels wide: red on the left half, blue on the right.
std::vector<uint8_t> HalvedSkin() {
    return { RED, RED, BLUE, BLUE, RED, RED, BLUE, BLUE };
}

// Frames stand on the file's plane x = 0, y across and z up: drawn with the
// file's axes as they are, y runs along world x and z up world y. At the
// model's 1/20 scale and with y shifted by -40 (origin minus eye), file y 0
// to 80 spans world x -2 to 2, and file z 0 to 40 two units up.
MdlLayout Wall() {
    MdlLayout layout;
    layout.origin[1] = -30.0f;
    layout.eye[1] = 10.0f;
    layout.skinWidth = 4;
    layout.skinHeight = 2;
    layout.skins = { HalvedSkin() };
    return layout;
}

MdlVertex At(uint8_t y, uint8_t z) {
    return { 0, y, z, 0 };
}

class MdlDraw : public GLTest {
protected:
    // Skins are decoded through the Quake palette, unchanged.
    void SetUp() override {
        GLTest::SetUp();
        ApplyGamma(1.0f);
    }
    void Load(const MdlLayout& layout) {
        const Bytes bytes = layout.Write();
        ASSERT_TRUE(model.ReadModel(bytes.bytes.data(), bytes.Size()));
        model.loaded = true;
        model.SetPosition(0.0f, -1.0f, 0.0f);
        glColor3f(1.0f, 1.0f, 1.0f);
    }
    void Redraw() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        model.Draw(DRAW_MATERIAL);
    }
    void Tick(int times) {
        for (int i = 0; i < times; i++) model.Animate();
    }
    static ::testing::AssertionResult Shows(const Rgba& pixel, uint8_t index) {
        return index == RED ? ColorNear(pixel, 255, 0, 0) : ColorNear(pixel, 0, 0, 255);
    }

    CCapturedReports reports;
    COGLMDL model;
};

}  // namespace

TEST_F(MdlDraw, TexturedWithItsEmbeddedSkinStandingAsItsBoundsSay) {
    MdlLayout layout = Wall();
    layout.points = { { 0, 0, 0 }, { 0, 4, 0 }, { 0, 0, 2 }, { 0, 4, 2 } };
    layout.triangles = { { 1, 0, 1, 2 }, { 1, 1, 3, 2 } };
    layout.Single({ "wall", { At(0, 0), At(80, 0), At(0, 40), At(80, 40) } });
    Load(layout);
    ASSERT_TRUE(model.SelectFirstSkin());
    Redraw();
    EXPECT_TRUE(Shows(PixelAt(-1.0f, 0.0f), RED));
    EXPECT_TRUE(Shows(PixelAt(1.0f, 0.0f), BLUE));
    EXPECT_TRUE(Shows(PixelAt(-1.0f, 0.85f), RED));
    EXPECT_TRUE(ColorNear(PixelAt(-1.0f, 1.15f), 0, 0, 0));
    EXPECT_TRUE(Shows(PixelAt(-1.0f, -0.85f), RED));
    EXPECT_TRUE(ColorNear(PixelAt(-1.0f, -1.15f), 0, 0, 0));
    EXPECT_TRUE(ColorNear(PixelAt(-2.15f, 0.0f), 0, 0, 0));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    // Mesh axes: x is file y, y is file z, z is file x.
    EXPECT_FLOAT_EQ(model.boundsMin.x, -40.0f);
    EXPECT_FLOAT_EQ(model.boundsMax.x, 40.0f);
    EXPECT_FLOAT_EQ(model.boundsMin.y, 0.0f);
    EXPECT_FLOAT_EQ(model.boundsMax.y, 40.0f);

    // The axis ticks start from the bottom of the box: red to the right.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    model.DrawSelected();
    EXPECT_TRUE(ColorNear(BrightestAround(2.2f, -1.0f, 1), 255, 0, 0));
    EXPECT_TRUE(ColorNear(BrightestAround(2.2f, 1.0f, 1), 0, 0, 0));
}

TEST_F(MdlDraw, BackFacingTrianglesOnTheSeamTakeTheRightHalfOfTheSkin) {
    // Every vertex is on the seam at texel column 1 of 4 (the red half).
    MdlLayout layout = Wall();
    layout.points.assign(6, { 1, 1, 1 });
    layout.triangles = { { 1, 0, 1, 2 }, { 0, 3, 4, 5 } };
    layout.Single({ "seam", { At(0, 0), At(30, 0), At(0, 40), At(50, 0), At(80, 0), At(80, 40) } });
    Load(layout);
    ASSERT_TRUE(model.SelectFirstSkin());
    Redraw();
    EXPECT_TRUE(Shows(PixelAt(-1.6f, -0.6f), RED));   // faces front: as it is
    EXPECT_TRUE(Shows(PixelAt(1.6f, -0.6f), BLUE));   // faces back: half a skin on

    // Off the seam a back-facing triangle keeps its point.
    layout.points.assign(6, { 0, 1, 1 });
    Load(layout);
    ASSERT_TRUE(model.SelectFirstSkin());
    Redraw();
    EXPECT_TRUE(Shows(PixelAt(1.6f, -0.6f), RED));
}

TEST_F(MdlDraw, TheAnimationAdvancesAndBlends) {
    // Frame 0 spans world x -2 to 0, frame 1 spans 0 to 2.
    MdlLayout layout = Wall();
    layout.points.assign(4, { 0, 0, 0 });
    layout.triangles = { { 1, 0, 1, 2 }, { 1, 1, 3, 2 } };
    layout.Single({ "step1", { At(0, 0), At(40, 0), At(0, 40), At(40, 40) } });
    layout.Single({ "step2", { At(40, 0), At(80, 0), At(40, 40), At(80, 40) } });
    Load(layout);
    glColor3f(0.0f, 1.0f, 0.0f);
    model.StartAnimation();
    ASSERT_TRUE(model.animating);
    Tick(4);
    Redraw();  // halfway: from -1 to 1
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 0, 255, 0));
    EXPECT_TRUE(ColorNear(PixelAt(-1.5f, 0.0f), 0, 0, 0));
    EXPECT_TRUE(ColorNear(PixelAt(1.5f, 0.0f), 0, 0, 0));
    Tick(4);
    Redraw();
    EXPECT_TRUE(ColorNear(PixelAt(1.0f, 0.0f), 0, 255, 0));
    EXPECT_TRUE(ColorNear(PixelAt(-1.0f, 0.0f), 0, 0, 0));
}
