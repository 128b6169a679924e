#include <GL/gl.h>

#include <memory>

#include "image/COGLTexture2D.h"
#include "objects/COGLBillboard.h"
#include "objects/COGLBox.h"
#include "objects/COGLCone.h"
#include "objects/COGLCylinder.h"
#include "objects/COGLRod.h"
#include "support/GLTest.h"
#include "support/Surfaces.h"
#include "view/COGLCamera3D.h"

namespace {

// Objects glowing in one colour: a lit surface shows exactly its emission.
class PrimitiveDraw : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        EmissionOnlyLighting();
    }

    void Redraw(COGLObject& object) {
        Clear();
        object.Draw(State(), DRAW_MATERIAL);
    }
};

}  // namespace

// Standing side by side along y: cylinder, rod and cone, radius 1, from
// z = -3 to 3 (the cone's apex at -3).
TEST_F(PrimitiveDraw, QuadricsFromTheSideAndDownTheirAxis) {
    COGLCylinder cylinder;
    COGLRod rod;
    COGLCone cone;
    const struct {
        COGLObject& object;
        float y, width;
    } rows[] = { { cylinder, -2.5f, 10.0f }, { rod, 0.0f, 10.0f }, { cone, 2.5f, 2.0f } };
    for (const auto& row : rows) {
        Glow(row.object, 1, 1, 1);
        row.object.SetScale(row.width, row.width, 3.0f);
        row.object.SetPosition(0.0f, row.y, 0.0f);
        row.object.Draw(State(), DRAW_MATERIAL);
    }
    // Down the axis only the rod is open: its walls are edge-on and its
    // middle shows the background.
    ExpectSpots({ { 0.0f, -2.5f, 255, 255, 255 }, { 0.3f, 0.3f, 0, 0, 0 }, { 0.3f, 2.8f, 255, 255, 255 } });

    // Seen from the side, screen x is world y and screen y is world z.
    LookFromSide();
    Clear();
    for (const auto& row : rows) {
        row.object.Draw(State(), DRAW_MATERIAL);
    }
    ExpectSpots({ { -2.5f, 2.8f, 255, 255, 255 }, { -2.5f, -2.8f, 255, 255, 255 }, { -2.5f, 3.2f, 0, 0, 0 },
                  { -2.5f, -3.2f, 0, 0, 0 }, { -1.4f, 0.0f, 0, 0, 0 }, { 0.5f, 0.5f, 255, 255, 255 },
                  { 3.3f, 2.8f, 255, 255, 255 }, { 2.5f, -2.5f, 255, 255, 255 }, { 3.0f, -2.5f, 0, 0, 0 },
                  { 2.5f, -3.2f, 0, 0, 0 } });
    Clear();
    cylinder.DrawSelected(State());
    EXPECT_TRUE(ColorNear(BrightestAround(-2.0f, 3.0f, 1), 255, 255, 255));
    EXPECT_TRUE(ColorNear(BrightestAround(-2.0f, -3.0f, 1), 255, 255, 255));
    EXPECT_TRUE(ColorNear(BrightestAround(-2.0f, 3.5f, 2), 0, 0, 0));
}

TEST_F(PrimitiveDraw, AxisTicksOnlyWithTheirFlag) {
    glDisable(GL_LIGHTING);
    glColor3f(0.25f, 0.25f, 0.25f);
    COGLBox box;
    box.SetScale(2.0f, 2.0f, 2.0f);
    box.Draw(State(), 0);
    EXPECT_TRUE(ColorNear(BrightestAround(2.2f, 0.0f, 1), 0, 0, 0));

    glColor3f(0.25f, 0.25f, 0.25f);
    box.Draw(State(), DRAW_AXES);
    // Ticks run from the extents 0.2 further, in object units: 2 to 2.4 here.
    EXPECT_TRUE(ColorNear(BrightestAround(2.2f, 0.0f, 1), 255, 0, 0));
    EXPECT_TRUE(ColorNear(BrightestAround(2.6f, 0.0f, 1), 0, 0, 0));
    EXPECT_TRUE(ColorNear(PixelAt(1.0f, 1.0f), 64, 64, 64));
}

TEST_F(PrimitiveDraw, WireDrawsEdgesOnlyAndHighlightAddsWhiteEdges) {
    COGLBox box;
    Glow(box, 0, 0, 0.5f);
    box.SetScale(2.0f, 2.0f, 2.0f);
    box.Draw(State(), DRAW_MATERIAL | DRAW_WIRE);
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 0, 0, 0));
    EXPECT_TRUE(ColorNear(BrightestAround(0.0f, 2.0f, 1), 0, 0, 128));

    box.RotateY(30.0f);
    Redraw(box);
    box.DrawSelected(State());
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 0, 0, 128));  // faces stay as drawn
    EXPECT_TRUE(ColorNear(BrightestAround(0.0f, 2.0f, 1), 255, 255, 255));  // top edge
    ExpectStateKnown();

    // Hidden: neither drawn nor highlighted.
    box.Hide();
    Redraw(box);
    box.DrawSelected(State());
    EXPECT_TRUE(ColorNear(BrightestAround(0.0f, 0.0f, 2), 0, 0, 0));
    EXPECT_TRUE(ColorNear(BrightestAround(0.0f, 2.0f, 2), 0, 0, 0));
}

// A texture red for s < 0.5 and blue above: the texture transform moves it,
// and the texture matrix is left as it was.
TEST_F(PrimitiveDraw, TextureFollowsTheTextureTransform) {
    const std::unique_ptr<COGLTexture2D> texture = HalvedTexture(0, 2);
    COGLBox box;
    box.SetScale(3.0f, 3.0f, 3.0f);
    box.SetTexture(texture.get());
    box.SetTextureMode(GL_REPLACE);
    Redraw(box);
    ExpectSpots({ { -1.5f, 0.0f, 255, 0, 0 }, { 1.5f, 1.5f, 0, 0, 255 } });
    box.textureTranslation = CVector(0.5f, 0.0f, 0.0f);
    Redraw(box);
    ExpectSpots({ { -1.5f, 0.0f, 0, 0, 255 }, { 1.5f, 1.5f, 255, 0, 0 } });
    GLdouble textureMatrix[16];
    glGetDoublev(GL_TEXTURE_MATRIX, textureMatrix);
    EXPECT_EQ(textureMatrix[12], 0.0);
}

// Culled from behind, so it must face the camera to show.
TEST_F(PrimitiveDraw, BillboardFacesTheCamera) {
    glDisable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glColor3f(1, 1, 0);
    COGLBillboard billboard;
    billboard.SetScale(2, 2, 1);
    billboard.RotateY(70);  // its own orientation does not count
    COGLCamera3D camera;
    camera.OrbitX(30);
    camera.OrbitY(200);
    camera.OrbitZ(30);
    camera.Apply();
    Redraw(billboard);
    ExpectSpots({ { 1.8f, 1.8f, 255, 255, 0 }, { -1.8f, -1.8f, 255, 255, 0 }, { 2.2f, 0, 0, 0, 0 },
                  { 0, 2.2f, 0, 0, 0 } });
    // Left on, it would let the current colour replace the next object's material.
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
}
