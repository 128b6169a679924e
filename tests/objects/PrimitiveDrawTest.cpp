#include <GL/gl.h>

#include <memory>

#include "image/COGLTexture2D.h"
#include "objects/COGLBillboard.h"
#include "objects/COGLBox.h"
#include "objects/COGLCeiling.h"
#include "objects/COGLCone.h"
#include "objects/COGLCylinder.h"
#include "objects/COGLDisk.h"
#include "objects/COGLFloor.h"
#include "objects/COGLLeftWall.h"
#include "objects/COGLPlane.h"
#include "objects/COGLRightWall.h"
#include "objects/COGLRod.h"
#include "objects/COGLSphere.h"
#include "objects/COGLSpotLight.h"
#include "objects/SharedListsReset.h"
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

    void Redraw(COGLObject& object, uint32_t flags = DRAW_MATERIAL) {
        Clear();
        object.Draw(State(), flags);
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

    COGLBox bar;
    Glow(bar, 1, 1, 0);
    bar.SetScale(2.0f, 0.25f, 0.25f);
    bar.RotateZ(90.0f);  // the long side now runs along y
    Redraw(bar);
    ExpectSpots({ { 0.0f, 1.8f, 255, 255, 0 }, { 1.8f, 0.0f, 0, 0, 0 } });
}

// Seen from the side, screen x is world y and screen y is world z.
TEST_F(PrimitiveDraw, CylinderAndItsBracketAreCentredAndTheConesApexIsAtMinusScaleZ) {
    LookFromSide();
    COGLCylinder cylinder;
    Glow(cylinder, 0, 0, 1);
    cylinder.SetScale(10.0f, 10.0f, 3.0f);  // radius 1, from z = -3 to 3
    Redraw(cylinder);
    ExpectSpots({ { 0.0f, 2.8f, 0, 0, 255 }, { 0.0f, -2.8f, 0, 0, 255 }, { 0.0f, 3.2f, 0, 0, 0 },
                  { 0.0f, -3.2f, 0, 0, 0 }, { 1.1f, 0.0f, 0, 0, 0 } });
    Clear();
    cylinder.DrawSelected(State());
    EXPECT_TRUE(ColorNear(BrightestAround(0.5f, 3.0f, 1), 255, 255, 255));
    EXPECT_TRUE(ColorNear(BrightestAround(0.5f, -3.0f, 1), 255, 255, 255));
    EXPECT_TRUE(ColorNear(BrightestAround(0.5f, 3.5f, 2), 0, 0, 0));

    COGLCone cone;
    Glow(cone, 1, 0, 1);
    cone.SetScale(2.0f, 2.0f, 3.0f);  // base radius 1 at z = 3
    Redraw(cone);
    ExpectSpots({ { 0.8f, 2.8f, 255, 0, 255 }, { 0.0f, -2.5f, 255, 0, 255 }, { 0.5f, -2.5f, 0, 0, 0 },
                  { 0.0f, -3.2f, 0, 0, 0 } });
}

// Looking straight down the axis, an open tube's walls are edge-on and its
// middle shows the background.
TEST_F(PrimitiveDraw, OnlyTheRodIsOpenAtItsEnds) {
    COGLCylinder cylinder;
    COGLRod rod;
    COGLCone cone;
    const struct {
        COGLObject& object;
        float x, width;
    } rows[] = { { cylinder, -2.5f, 10.0f }, { rod, 0.0f, 10.0f }, { cone, 2.5f, 2.0f } };
    for (const auto& row : rows) {
        Glow(row.object, 1, 1, 1);
        row.object.SetScale(row.width, row.width, 1.0f);
        row.object.SetPosition(row.x, 0.0f, 0.0f);
        row.object.Draw(State(), DRAW_MATERIAL);
    }
    ExpectSpots({ { -2.5f, 0.0f, 255, 255, 255 }, { 0.3f, 0.3f, 0, 0, 0 }, { 2.5f + 0.3f, 0.3f, 255, 255, 255 } });
    // From the side the rod is there all the same.
    LookFromSide();
    Redraw(rod);
    EXPECT_TRUE(ColorNear(PixelAt(0.5f, 0.5f), 255, 255, 255));
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

// A texture red for s < 0.5 and blue above, on a box and on a plane drawn as
// one quad or subdivided: the texture transform moves it the same way.
TEST_F(PrimitiveDraw, TextureFollowsTheTextureTransformAndOnlyTheMaterialFlagAppliesIt) {
    const std::unique_ptr<COGLTexture2D> texture = HalvedTexture(0, 2);
    COGLBox box;
    box.SetScale(3.0f, 3.0f, 3.0f);
    COGLPlane plane, subdivided;
    subdivided.subdivided = true;
    for (COGLObject* object : { static_cast<COGLObject*>(&box), static_cast<COGLObject*>(&plane),
                                static_cast<COGLObject*>(&subdivided) }) {
        SCOPED_TRACE(object == &subdivided ? "subdivided plane" : object->name);
        object->SetTexture(texture.get());
        ASSERT_EQ(object->Texture(), texture.get());
        object->SetTextureMode(GL_REPLACE);
        Redraw(*object);
        ExpectSpots({ { -1.5f, 0.0f, 255, 0, 0 }, { 1.5f, 1.5f, 0, 0, 255 } });
        object->textureTranslation = CVector(0.5f, 0.0f, 0.0f);
        Redraw(*object);
        ExpectSpots({ { -1.5f, 0.0f, 0, 0, 255 }, { 1.5f, 1.5f, 255, 0, 0 } });
        // The texture matrix is left as it was.
        GLdouble textureMatrix[16];
        glGetDoublev(GL_TEXTURE_MATRIX, textureMatrix);
        EXPECT_EQ(textureMatrix[12], 0.0);
        // Without the material flag neither material nor texture is applied,
        // yet the transform is; subdivided, the wire flag still draws the
        // filled mesh, to its edges.
        const float green[4] = { 0, 1, 0, 1 };
        glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, green);
        Redraw(*object, object == &subdivided ? DRAW_WIRE : 0);
        ExpectSpots({ { -2.0f, 2.0f, 0, 255, 0 }, { 2.9f, -2.9f, 0, 255, 0 }, { -3.5f, 3.5f, 0, 0, 0 } });
    }
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

// Each room plane seen through a perspective view, so that where it lies in
// depth shows in where its pixels land. The second outside point lies a
// little off the plane, past its far edge: the ray through it meets the
// plane's level only beyond the square.
TEST_F(PrimitiveDraw, RoomPlanesLieInPlaceAndFaceIntoTheRoom) {
    glEnable(GL_CULL_FACE);
    COGLFloor floor;
    COGLCeiling ceiling;
    COGLRightWall right;
    COGLLeftWall left;
    struct Point {
        float x, y, z;
    };
    const struct {
        COGLPlane& plane;
        Point eye, centre, behind, inside[2], outside[2];
    } cases[] = {
        { floor, { 0, 8, 8 }, { 0, 0, 0 }, { 0, -8, 8 },
          { { 0, 0, 2.5f }, { -2.5f, 0, -2.5f } }, { { 3.5f, 0, 0 }, { 0, 0.6f, -2.5f } } },
        { ceiling, { 0, 0, 8 }, { 0, 6, 0 }, { 0, 12, 8 },
          { { 2.5f, 6, 2.5f }, { -2.5f, 6, -2.5f } }, { { 3.5f, 6, 0 }, { 0, 5.4f, -2.5f } } },
        { right, { 0, 3, 8 }, { 3, 3, 0 }, { 8, 3, 8 },
          { { 3, 0.5f, 2.5f }, { 3, 5.5f, -2.5f } }, { { 3, 6.5f, 0 }, { 2.4f, 3, -2.5f } } },
        { left, { 0, 3, 8 }, { -3, 3, 0 }, { -8, 3, 8 },
          { { -3, 0.5f, 2.5f }, { -3, 5.5f, -2.5f } }, { { -3, -0.5f, 0 }, { -2.4f, 3, -2.5f } } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plane.name);
        Glow(c.plane, 0, 1, 0);
        LookAt(c.eye.x, c.eye.y, c.eye.z, c.centre.x, c.centre.y, c.centre.z, 0, 1, 0);
        Redraw(c.plane);
        for (const Point& p : c.inside) {
            EXPECT_TRUE(ColorNear(PixelOfWorld(p.x, p.y, p.z), 0, 255, 0)) << p.x << ", " << p.y << ", " << p.z;
        }
        for (const Point& p : c.outside) {
            EXPECT_TRUE(ColorNear(PixelOfWorld(p.x, p.y, p.z), 0, 0, 0)) << p.x << ", " << p.y << ", " << p.z;
        }
        // From outside the room it shows its back: culled, yet in view.
        LookAt(c.behind.x, c.behind.y, c.behind.z, c.centre.x, c.centre.y, c.centre.z, 0, 1, 0);
        Redraw(c.plane);
        EXPECT_TRUE(ColorNear(PixelOfWorld(c.centre.x, c.centre.y, c.centre.z), 0, 0, 0));
        glDisable(GL_CULL_FACE);
        Redraw(c.plane);
        EXPECT_TRUE(ColorNear(PixelOfWorld(c.centre.x, c.centre.y, c.centre.z), 0, 255, 0));
        glEnable(GL_CULL_FACE);
    }
}

TEST_F(PrimitiveDraw, DiskIsRoundUnlessSubdivided) {
    COGLDisk disk;
    Glow(disk, 1, 1, 1);
    Redraw(disk);
    ExpectSpots({ { 2.8f, 0, 255, 255, 255 }, { 0, -2.8f, 255, 255, 255 }, { 2.5f, 2.5f, 0, 0, 0 } });
    disk.subdivided = true;
    Redraw(disk);
    ExpectSpots({ { 2.5f, 2.5f, 255, 255, 255 }, { 3.2f, 0, 0, 0, 0 } });
}

// Culled from behind, so it must face the camera to show.
TEST_F(PrimitiveDraw, BillboardFacesTheCameraFromEveryAngle) {
    glDisable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glColor3f(1, 1, 0);
    COGLBillboard billboard;
    billboard.SetScale(2, 2, 1);
    billboard.RotateY(70);  // its own orientation does not count
    const float orbits[][3] = { { 0, 0, 0 }, { 0, 135, 0 }, { 45, 0, 0 }, { 30, 200, 30 } };
    for (const auto& orbit : orbits) {
        SCOPED_TRACE(testing::Message() << "orbit " << orbit[0] << ", " << orbit[1] << ", " << orbit[2]);
        COGLCamera3D camera;
        camera.OrbitX(orbit[0]);
        camera.OrbitY(orbit[1]);
        camera.OrbitZ(orbit[2]);
        glLoadIdentity();
        camera.Apply();
        Redraw(billboard);
        ExpectSpots({ { 1.8f, 1.8f, 255, 255, 0 }, { -1.8f, -1.8f, 255, 255, 0 }, { 2.2f, 0, 0, 0, 0 },
                      { 0, 2.2f, 0, 0, 0 } });
    }
    // Its position still moves it: a billboard above the origin stays above
    // it on the screen whichever way the camera looks along the ground.
    COGLCamera3D camera;
    camera.OrbitY(60);
    glLoadIdentity();
    camera.Apply();
    billboard.SetScale(0.5f, 0.5f, 1);
    billboard.SetPosition(0, 2, 0);
    Redraw(billboard);
    ExpectSpots({ { 0.3f, 2.3f, 255, 255, 0 }, { 0, 0, 0, 0, 0 } });
    // Left on, it would let the current colour replace the next object's material.
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
}

TEST_F(PrimitiveDraw, BillboardLeavesOutTexelsOfAlphaAtMostOneTenth) {
    glDisable(GL_LIGHTING);
    glClearColor(1, 1, 1, 1);
    // Red below alpha 0.1, then alpha 0.5, then opaque; black where opaque.
    const uint8_t texels[4 * 4] = { 0, 0, 0, 25, 0, 0, 0, 25, 0, 0, 0, 128, 0, 0, 0, 255 };
    const std::unique_ptr<COGLTexture2D> texture = TextureOfTexels(texels, 4, 1, true);
    COGLBillboard billboard;
    billboard.SetScale(3, 3, 1);
    billboard.SetTexture(texture.get());
    Redraw(billboard);
    // s = 0.25 lies between the two texels of alpha 25/255: blended they
    // would darken the white by a tenth.
    EXPECT_TRUE(ColorNear(PixelAt(-1.5f, 0), 255, 255, 255, 4));
    ExpectSpots({ { 0.75f, 0, 127, 127, 127 }, { 2.25f, 0, 0, 0, 0 } });
    // Blending, not the depth buffer, lets what is behind show through.
    ExpectStateKnown();
}

// A white, purely diffuse plane facing the light, subdivided since it is lit
// per vertex and the cone needs vertices inside it.
TEST_F(PrimitiveDraw, SpotLightLightsOnlyInsideItsCutoff) {
    glEnable(GL_NORMALIZE);  // as the viewport does: the objects are scaled
    COGLPlane floor;
    floor.SetAmbient(0, 0, 0, 1);
    floor.SetDiffuse(1, 1, 1, 1);
    floor.SetScale(4, 4, 1);
    floor.subdivided = true;
    COGLSpotLight light(0.0f, 0.0f, 5.0f);
    light.SetUnit(0);
    light.Marker().Hide();
    // 30 degrees from 5 units away: a lit disk of radius 2.9.
    light.Apply(State());
    floor.Draw(State(), DRAW_MATERIAL);
    EXPECT_GT(PixelAt(0, 0).r, 150);
    EXPECT_GT(PixelAt(1.5f, 0).r, 100);
    EXPECT_TRUE(ColorNear(PixelAt(3.7f, 0), 0, 0, 0, 4));

    Clear();
    light.cutoff = 10.0f;  // radius 0.9
    light.Apply(State());
    floor.Draw(State(), DRAW_MATERIAL);
    EXPECT_TRUE(ColorNear(PixelAt(1.5f, 0), 0, 0, 0, 4));
}
