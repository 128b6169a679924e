#include <GL/gl.h>

#include <memory>

#include "image/COGLTexture2D.h"
#include "objects/COGLBox.h"
#include "objects/COGLCone.h"
#include "objects/COGLCylinder.h"
#include "objects/COGLRod.h"
#include "objects/COGLSphere.h"
#include "objects/SharedListsReset.h"
#include "support/GLTest.h"
#include "support/Surfaces.h"

namespace {

class PrimitiveDraw : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        EmissionOnlyLighting();
    }
};

}  // namespace

TEST_F(PrimitiveDraw, ObjectsLandWhereTheirTransformPutsThem) {
    COGLBox box;
    Glow(box, 1, 0, 0);
    box.SetPosition(1.0f, 1.0f, 0.0f);
    box.SetScale(0.5f, 0.5f, 0.5f);
    COGLSphere sphere;
    Glow(sphere, 0, 1, 0);
    sphere.SetPosition(-2.0f, -1.0f, 0.0f);
    sphere.SetScale(1.0f, 1.5f, 1.0f);
    box.Draw(State(), DRAW_MATERIAL);
    sphere.Draw(State(), DRAW_MATERIAL);
    // The sphere is stretched to 1.5 up, not across.
    ExpectSpots({ { 1.0f, 1.0f, 255, 0, 0 }, { 0.4f, 1.0f, 0, 0, 0 }, { -2.0f, 0.4f, 0, 255, 0 },
                  { -2.0f, 0.6f, 0, 0, 0 }, { -3.1f, -1.0f, 0, 0, 0 } });

    Clear();
    COGLBox bar;
    Glow(bar, 1, 1, 0);
    bar.SetScale(2.0f, 0.25f, 0.25f);
    bar.RotateZ(90.0f);  // the long side now runs along y
    bar.Draw(State(), DRAW_MATERIAL);
    ExpectSpots({ { 0.0f, 1.8f, 255, 255, 0 }, { 1.8f, 0.0f, 0, 0, 0 } });
}

TEST_F(PrimitiveDraw, CylinderIsCentredOnItsPositionAndSoIsItsBracket) {
    LookFromSide();  // screen x is world y, screen y is world z
    COGLCylinder cylinder;
    Glow(cylinder, 0, 0, 1);
    cylinder.SetScale(10.0f, 10.0f, 3.0f);  // radius 1, from z = -3 to 3
    cylinder.Draw(State(), DRAW_MATERIAL);
    ExpectSpots({ { 0.0f, 2.8f, 0, 0, 255 }, { 0.0f, -2.8f, 0, 0, 255 }, { 0.0f, 3.2f, 0, 0, 0 },
                  { 0.0f, -3.2f, 0, 0, 0 }, { 1.1f, 0.0f, 0, 0, 0 } });

    Clear();
    cylinder.DrawSelected(State());
    EXPECT_TRUE(ColorNear(BrightestAround(0.5f, 3.0f, 1), 255, 255, 255));
    EXPECT_TRUE(ColorNear(BrightestAround(0.5f, -3.0f, 1), 255, 255, 255));
    EXPECT_TRUE(ColorNear(BrightestAround(0.5f, 3.5f, 2), 0, 0, 0));
}

TEST_F(PrimitiveDraw, ConeHasItsApexAtMinusScaleZ) {
    LookFromSide();
    COGLCone cone;
    Glow(cone, 1, 0, 1);
    cone.SetScale(2.0f, 2.0f, 3.0f);  // base radius 1 at z = 3
    cone.Draw(State(), DRAW_MATERIAL);
    // Wide near the top, thin near the apex.
    ExpectSpots({ { 0.8f, 2.8f, 255, 0, 255 }, { 0.0f, -2.5f, 255, 0, 255 }, { 0.5f, -2.5f, 0, 0, 0 },
                  { 0.0f, -3.2f, 0, 0, 0 } });
}

TEST_F(PrimitiveDraw, OnlyTheRodIsOpenAtItsEnds) {
    // Looking straight down the axis, an open tube's walls are edge-on and
    // its middle shows the background.
    COGLCylinder cylinder;
    COGLRod rod;
    COGLCone cone;
    for (COGLObject* object : std::initializer_list<COGLObject*>{ &cylinder, &rod, &cone }) {
        Glow(*object, 1, 1, 1);
        object->SetScale(10.0f, 10.0f, 1.0f);
    }
    cylinder.SetPosition(-2.5f, 0.0f, 0.0f);
    rod.SetPosition(0.0f, 0.0f, 0.0f);
    cone.SetScale(2.0f, 2.0f, 1.0f);
    cone.SetPosition(2.5f, 0.0f, 0.0f);
    cylinder.Draw(State(), DRAW_MATERIAL);
    rod.Draw(State(), DRAW_MATERIAL);
    cone.Draw(State(), DRAW_MATERIAL);
    ExpectSpots({ { -2.5f, 0.0f, 255, 255, 255 }, { 0.3f, 0.3f, 0, 0, 0 }, { 2.5f + 0.3f, 0.3f, 255, 255, 255 } });

    // From the side the rod is there all the same.
    Clear();
    LookFromSide();
    rod.Draw(State(), DRAW_MATERIAL);
    EXPECT_TRUE(ColorNear(PixelAt(0.5f, 0.5f), 255, 255, 255));
}

TEST_F(PrimitiveDraw, ATransparentObjectBlendsOverWhatIsBehind) {
    COGLBox back, front;
    Glow(back, 1, 0, 0);
    back.SetPosition(0, 0, -3);
    Glow(front, 0, 0, 1, 0.5f);
    front.SetScale(0.5f, 0.5f, 0.5f);
    front.SetPosition(0, 0, 3);
    front.SetTransparent(true);
    back.Draw(State(), DRAW_MATERIAL);
    front.Draw(State(), DRAW_MATERIAL);
    // Both faces of the front box blend: half, then half again.
    ExpectSpots({ { 0.0f, 0.0f, 64, 0, 191 }, { 0.8f, 0.8f, 255, 0, 0 } });
    ExpectStateKnown();
}

TEST_F(PrimitiveDraw, DrawWithoutMaterialFlagKeepsTheCallersMaterial) {
    const float green[4] = { 0, 1, 0, 1 };
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, green);
    COGLSphere sphere;
    Glow(sphere, 1, 0, 0);
    sphere.SetPosition(1, 1, 0);
    sphere.Draw(State(), 0);
    ExpectSpots({ { 1.0f, 1.0f, 0, 255, 0 }, { -1.0f, -1.0f, 0, 0, 0 } });  // still placed by its transform
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

    Clear();
    box.RotateY(30.0f);
    box.Draw(State(), DRAW_MATERIAL);
    box.DrawSelected(State());
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 0, 0, 128));  // faces stay as drawn
    EXPECT_TRUE(ColorNear(BrightestAround(0.0f, 2.0f, 1), 255, 255, 255));  // top edge
    ExpectStateKnown();

    // Hidden: neither drawn nor highlighted.
    Clear();
    box.Hide();
    box.Draw(State(), DRAW_MATERIAL);
    box.DrawSelected(State());
    EXPECT_TRUE(ColorNear(BrightestAround(0.0f, 0.0f, 2), 0, 0, 0));
    EXPECT_TRUE(ColorNear(BrightestAround(0.0f, 2.0f, 2), 0, 0, 0));
}

TEST_F(PrimitiveDraw, TextureFollowsTheTextureTransform) {
    glDisable(GL_LIGHTING);
    const std::unique_ptr<COGLTexture2D> texture = HalvedTexture(0, 2);  // red, then blue
    COGLBox box;
    box.SetScale(3.0f, 3.0f, 3.0f);
    box.SetTexture(texture.get());
    ASSERT_EQ(box.Texture(), texture.get());
    box.SetTextureMode(GL_REPLACE);
    box.Draw(State(), DRAW_MATERIAL);
    ExpectSpots({ { -1.5f, 0.0f, 255, 0, 0 }, { 1.5f, 0.0f, 0, 0, 255 } });

    Clear();
    box.textureTranslation = CVector(0.5f, 0.0f, 0.0f);
    box.Draw(State(), DRAW_MATERIAL);
    ExpectSpots({ { -1.5f, 0.0f, 0, 0, 255 }, { 1.5f, 0.0f, 255, 0, 0 } });
    // The texture matrix is left as it was.
    GLdouble textureMatrix[16];
    glGetDoublev(GL_TEXTURE_MATRIX, textureMatrix);
    EXPECT_EQ(textureMatrix[12], 0.0);

    // Without the material flag neither material nor texture is applied.
    Clear();
    glColor3f(0, 1, 0);
    box.Draw(State(), 0);
    EXPECT_TRUE(ColorNear(PixelAt(-1.5f, 0.0f), 0, 255, 0));
}

// Made when first drawn, so that objects are made and loaded with no context.
TEST_F(PrimitiveDraw, ListsAreSharedPerClassAndRebuiltForANewContext) {
    COGLBox first;
    COGLBox second;
    EXPECT_EQ(first.solidList, 0u);
    first.Draw(State(), 0);
    second.Draw(State(), 0);
    EXPECT_NE(first.solidList, 0u);
    EXPECT_EQ(second.solidList, first.solidList);

    COGLSphere oldSphere;
    oldSphere.Draw(State(), 0);
    const GLuint oldList = oldSphere.solidList;
    // What the viewer does when it deletes its context.
    glDeleteLists(1, 998);
    ResetSharedLists();
    context.Destroy();
    ASSERT_TRUE(context.Create(SIZE, SIZE)) << context.GetError();
    EXPECT_FALSE(glIsList(oldList));

    COGLSphere sphere;
    sphere.Draw(State(), 0);
    ASSERT_NE(sphere.solidList, 0u);
    EXPECT_TRUE(glIsList(sphere.solidList));
    EXPECT_TRUE(glIsList(sphere.wireList));
}
