#include <GL/gl.h>

#include <memory>

#include "image/COGLTexture2D.h"
#include "objects/COGLBillboard.h"
#include "objects/COGLCeiling.h"
#include "objects/COGLDisk.h"
#include "objects/COGLFloor.h"
#include "objects/COGLLeftWall.h"
#include "objects/COGLPlane.h"
#include "objects/COGLRightWall.h"
#include "support/GLTest.h"
#include "support/Surfaces.h"
#include "view/COGLCamera3D.h"

namespace {

// Planes glowing in one colour, looked at through a perspective view so that
// where a surface lies in depth shows in where its pixels land.
class PlaneDraw : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        EmissionOnlyLighting();
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
    }

    void Redraw(COGLObject& object) {
        Clear();
        object.Draw(State(), DRAW_MATERIAL);
    }
};

// Red below alpha 0.1, then alpha 0.5, then opaque; black where opaque.
std::unique_ptr<COGLTexture2D> CutOutTexture() {
    const uint8_t texels[4 * 4] = {
        0, 0, 0, 25, 0, 0, 0, 25, 0, 0, 0, 128, 0, 0, 0, 255,
    };
    return TextureOfTexels(texels, 4, 1, true);
}

}  // namespace

TEST_F(PlaneDraw, RoomPlanesLieInPlaceAndFaceIntoTheRoom) {
    COGLFloor floor;
    COGLCeiling ceiling;
    COGLRightWall right;
    COGLLeftWall left;
    struct Point {
        float x, y, z;
    };
    struct Case {
        COGLPlane& plane;
        Point eye, centre, behind, inside[2], outside[2];
    };
    // The second outside point lies a little off the plane, past its far
    // edge: the ray through it meets the plane's level only beyond the square.
    const Case cases[] = {
        { floor, { 0, 8, 8 }, { 0, 0, 0 }, { 0, -8, 8 },
          { { 0, 0, 2.5f }, { -2.5f, 0, -2.5f } }, { { 3.5f, 0, 0 }, { 0, 0.6f, -2.5f } } },
        { ceiling, { 0, 0, 8 }, { 0, 6, 0 }, { 0, 12, 8 },
          { { 2.5f, 6, 2.5f }, { -2.5f, 6, -2.5f } }, { { 3.5f, 6, 0 }, { 0, 5.4f, -2.5f } } },
        { right, { 0, 3, 8 }, { 3, 3, 0 }, { 8, 3, 8 },
          { { 3, 0.5f, 2.5f }, { 3, 5.5f, -2.5f } }, { { 3, 6.5f, 0 }, { 2.4f, 3, -2.5f } } },
        { left, { 0, 3, 8 }, { -3, 3, 0 }, { -8, 3, 8 },
          { { -3, 0.5f, 2.5f }, { -3, 5.5f, -2.5f } }, { { -3, -0.5f, 0 }, { -2.4f, 3, -2.5f } } },
    };
    for (const Case& c : cases) {
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

TEST_F(PlaneDraw, DiskIsRoundUnlessSubdivided) {
    COGLDisk disk;
    Glow(disk, 1, 1, 1);
    Redraw(disk);
    ExpectSpots({ { 2.8f, 0, 255, 255, 255 }, { 0, -2.8f, 255, 255, 255 }, { 2.5f, 2.5f, 0, 0, 0 } });
    disk.subdivided = true;
    Redraw(disk);
    ExpectSpots({ { 2.5f, 2.5f, 255, 255, 255 }, { 3.2f, 0, 0, 0, 0 } });
}

TEST_F(PlaneDraw, SubdividedPlaneMapsTheTextureLikeTheQuad) {
    glDisable(GL_LIGHTING);
    const std::unique_ptr<COGLTexture2D> texture = HalvedTexture(0, 2);  // red, then blue
    COGLPlane plane;
    plane.SetTexture(texture.get());
    plane.SetTextureMode(GL_REPLACE);
    for (bool subdivided : { false, true }) {
        SCOPED_TRACE(subdivided ? "subdivided" : "one quad");
        plane.subdivided = subdivided;
        plane.textureTranslation = CVector(0, 0, 0);
        Redraw(plane);
        ExpectSpots({ { -1.5f, 0, 255, 0, 0 }, { 1.5f, 1.5f, 0, 0, 255 } });
        plane.textureTranslation = CVector(0.5f, 0, 0);
        Redraw(plane);
        ExpectSpots({ { -1.5f, 0, 0, 0, 255 }, { 1.5f, 1.5f, 255, 0, 0 } });
    }
    // Subdivided, the wire flag still draws the filled mesh.
    glColor3f(0, 1, 0);
    Clear();
    plane.Draw(State(), DRAW_WIRE);
    EXPECT_TRUE(ColorNear(PixelAt(1.0f, 1.0f), 0, 255, 0));
}

TEST_F(PlaneDraw, BillboardFacesTheCameraFromEveryAngle) {
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 0);
    COGLBillboard billboard;
    billboard.SetScale(2, 2, 1);
    billboard.RotateY(70);  // its own orientation does not count

    struct Orbit {
        float x, y, z;
    };
    for (const Orbit& orbit : { Orbit{ 0, 0, 0 }, Orbit{ 0, 135, 0 }, Orbit{ 45, 0, 0 }, Orbit{ 30, 200, 30 } }) {
        SCOPED_TRACE(testing::Message() << "orbit " << orbit.x << ", " << orbit.y << ", " << orbit.z);
        COGLCamera3D camera;
        camera.OrbitX(orbit.x);
        camera.OrbitY(orbit.y);
        camera.OrbitZ(orbit.z);
        glLoadIdentity();
        camera.Apply();
        Clear();
        billboard.Draw(State(), DRAW_MATERIAL);
        ExpectSpots({ { 1.8f, 1.8f, 255, 255, 0 }, { -1.8f, -1.8f, 255, 255, 0 }, { 2.2f, 0, 0, 0, 0 },
                      { 0, 2.2f, 0, 0, 0 } });
    }

    // Its position still moves it: a billboard above the origin stays above
    // it on the screen whichever way the camera looks along the ground.
    COGLCamera3D camera;
    camera.OrbitY(60);
    glLoadIdentity();
    camera.Apply();
    glDisable(GL_CULL_FACE);
    Clear();
    billboard.SetScale(0.5f, 0.5f, 1);
    billboard.SetPosition(0, 2, 0);
    billboard.Draw(State(), DRAW_MATERIAL);
    ExpectSpots({ { 0.3f, 2.3f, 255, 255, 0 }, { 0, 0, 0, 0, 0 } });
    // Left on, it would let the current colour replace the next object's material.
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
}

TEST_F(PlaneDraw, BillboardLeavesOutTexelsOfAlphaAtMostOneTenth) {
    glDisable(GL_LIGHTING);
    glClearColor(1, 1, 1, 1);
    std::unique_ptr<COGLTexture2D> texture = CutOutTexture();
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
