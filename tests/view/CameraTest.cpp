#include <GL/gl.h>

#include <cmath>
#include <limits>

#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "support/ExpectVector.h"
#include "support/GLTest.h"
#include "support/RecordBytes.h"
#include "view/COGLCamera3D.h"

namespace {

// Apply needs a context to read the modelview matrix back from.
class Camera : public GLTest {
protected:
    static void ApplyFresh(COGLCamera3D& camera) {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        camera.Apply();
    }
};

}  // namespace

TEST_F(Camera, PanningAfterAQuarterTurnMovesAlongZ) {
    COGLCamera3D camera;
    camera.OrbitY(90);
    ApplyFresh(camera);
    ExpectVector(camera.dvRight, 0, 0, 1);
    ExpectVector(camera.dvUp, 0, 1, 0);
    camera.MoveRight(2);
    ExpectVector(camera.center, 0, 0, 2);
    EXPECT_TRUE(camera.dirty);
    camera.MoveUp(1);
    ExpectVector(camera.center, 0, 1, 2);

    // The unsnapped right vector of a slight turn.
    camera.OrbitY(-60);  // 30 degrees
    ApplyFresh(camera);
    ExpectVector(camera.dvRight, 1, 0, 0);
    EXPECT_NEAR(camera.right.x, std::cos(0.5236f), 1e-4f);
    EXPECT_NEAR(camera.right.z, std::sin(0.5236f), 1e-4f);
}

TEST_F(Camera, AnglesTurnAboutXThenYThenZ) {
    COGLCamera3D camera;
    camera.OrbitX(90);
    camera.OrbitY(90);
    ApplyFresh(camera);
    ExpectVector(camera.dvRight, 0, 0, 1);
    ExpectVector(camera.dvUp, 1, 0, 0);
    ExpectVector(camera.dvFace, 0, 1, 0);

    // z turns last in the matrix, so first in world terms.
    camera.OrbitZ(90);
    ApplyFresh(camera);
    ExpectVector(camera.dvRight, 0, 0, 1);
    ExpectVector(camera.dvUp, 0, -1, 0);
}

TEST_F(Camera, TopViewResetsPositionAndLooksDownTheYAxis) {
    COGLCamera3D camera;
    camera.MoveRight(5);
    camera.Zoom(3);
    EXPECT_TRUE(camera.SetViewTop());
    EXPECT_EQ(camera.distance, 8.0f);
    ExpectVector(camera.center, 0, 0, 0);
    ApplyFresh(camera);
    ExpectVector(camera.dvFace, 0, 1, 0);
    ExpectVector(camera.dvUp, 0, 0, -1);
    camera.MoveForward(2);
    ExpectVector(camera.center, 0, 2, 0);
}

TEST_F(Camera, ZoomStopsAtZeroAndDoesNotDirty) {
    COGLCamera3D camera;
    ApplyFresh(camera);
    camera.Zoom(-4);
    EXPECT_FLOAT_EQ(camera.GetZoom(), 200.0f);
    EXPECT_FALSE(camera.dirty);
    camera.Zoom(-10);
    EXPECT_EQ(camera.distance, 0.0f);
    camera.Zoom(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(camera.distance, 0.0f);
    camera.Zoom(2.5f);
    EXPECT_EQ(camera.distance, 2.5f);
}

TEST_F(Camera, OrbitAnglesWrapIntoOneTurn) {
    COGLCamera3D camera;
    camera.OrbitY(400);
    EXPECT_FLOAT_EQ(camera.angleY, 40.0f);
    EXPECT_STREQ(camera.GetViewName(), "Perspective");
    camera.OrbitX(-30);
    EXPECT_FLOAT_EQ(camera.angleX, 330.0f);
    camera.OrbitZ(-720);
    EXPECT_FLOAT_EQ(camera.angleZ, 0.0f);
    camera.OrbitZ(359.5f);
    EXPECT_FLOAT_EQ(camera.angleZ, 359.5f);

    // Angles too large for whole turns to change them come back in range
    // instead of looping for ever.
    camera.OrbitY(3.0e30f);
    EXPECT_GE(camera.angleY, 0.0f);
    EXPECT_LT(camera.angleY, 360.0f);
    camera.angleX = std::numeric_limits<float>::infinity();
    camera.OrbitX(10);
    EXPECT_GE(camera.angleX, 0.0f);
    EXPECT_LT(camera.angleX, 360.0f);
}

TEST_F(Camera, RecordIsThirteenFloatsAndAShortOneChangesNothing) {
    Bytes record;
    record.F32(1).F32(2).F32(3).F32(4).F32(5).F32(6).F32(7).F32(8).F32(9);  // center, eye, up
    record.F32(-2.0f).F32(10).F32(20).F32(30);  // distance; angles z, x, y
    ASSERT_EQ(record.bytes.size(), CAMERA_RECORD_SIZE);

    CFile cut;
    ASSERT_TRUE(cut.OpenMemory(record.bytes.data(), CAMERA_RECORD_SIZE - 1));
    COGLCamera3D camera;
    EXPECT_THROW(camera.Load(cut, 6), CFileException);
    EXPECT_EQ(camera.distance, 8.0f);
    EXPECT_EQ(camera.center.x, 0.0f);

    CFile file;
    ASSERT_TRUE(file.OpenMemory(record.bytes.data(), record.bytes.size()));
    ApplyFresh(camera);
    camera.Load(file, 5);
    EXPECT_EQ(file.GetPosition(), CAMERA_RECORD_SIZE);
    ExpectVector(camera.center, 1, 2, 3);
    ExpectVector(camera.eye, 4, 5, 6);
    ExpectVector(camera.up, 7, 8, 9);
    EXPECT_EQ(camera.distance, -2.0f);  // only Zoom clamps
    EXPECT_EQ(camera.angleZ, 10.0f);
    EXPECT_EQ(camera.angleX, 20.0f);
    EXPECT_EQ(camera.angleY, 30.0f);
    EXPECT_TRUE(camera.dirty);

    // The stored eye and up give way to the ones the transform implies.
    ApplyFresh(camera);
    EXPECT_NEAR(camera.up.Length(), 1.0f, 1e-5f);
    EXPECT_NE(camera.eye.x, 4.0f);
}
