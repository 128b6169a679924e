#include <gtest/gtest.h>

#include "view/CNavigation.h"
#include "view/COGLCamera3D.h"

namespace {

class Navigation : public ::testing::Test {
protected:
    Navigation() { navigation.SetSize(800, 600); }

    // One step of a drag from the centre, as a button press then a move.
    CNavigation::Response DragBy(int dx, int dy, int buttons) {
        navigation.BeginDrag();
        return navigation.MouseMove(navigation.centreX + dx, navigation.centreY + dy, buttons, camera, false, true);
    }

    CNavigation  navigation { 3.0f, 60 };
    COGLCamera3D camera;
};

} // namespace

TEST_F(Navigation, StepsKeepTheDominantAxisClampedToMaxStep) {
    const float cases[][4] = { { 30, 4, 30, 0 }, { 40, 2, 30, 0 }, { 5, 5, 5, 5 }, { -45, 45, -30, 30 } };
    for (const auto& c : cases) {
        float dx = c[0], dy = c[1];
        navigation.ClampStep(dx, dy);
        EXPECT_EQ(dx, c[2]) << c[0] << ", " << c[1];
        EXPECT_EQ(dy, c[3]) << c[0] << ", " << c[1];
    }
}

TEST_F(Navigation, TimerDelayAndSensitivityStayInRange) {
    CNavigation fast(3.0f, 12);
    fast.ShortenTimerDelay();
    EXPECT_EQ(fast.GetTimerDelay(), 10);
    fast.ShortenTimerDelay();
    EXPECT_EQ(fast.GetTimerDelay(), 10);
    CNavigation slow(3.0f, 98);
    slow.LengthenTimerDelay();
    EXPECT_EQ(slow.GetTimerDelay(), 100);
    // A hand-edited settings file cannot make the timer run flat out.
    EXPECT_EQ(CNavigation(3.0f, 0).GetTimerDelay(), 10);
    EXPECT_EQ(CNavigation(3.0f, 5000).GetTimerDelay(), 100);

    CNavigation low(0.5f, 60);
    low.LowerSensitivity();
    EXPECT_EQ(low.GetSensitivity(), 0.5f);
    CNavigation high(9.5f, 60);
    high.RaiseSensitivity();
    EXPECT_EQ(high.GetSensitivity(), 10.0f);
    high.RaiseSensitivity();
    EXPECT_EQ(high.GetSensitivity(), 10.0f);
    EXPECT_EQ(CNavigation(-3.0f, 60).GetSensitivity(), 0.5f);
}

TEST_F(Navigation, CursorOutsideADragMovesOutOfTheWayOnlyWithoutAModeChange) {
    CNavigation::Response response = navigation.MouseMove(500, 100, 0, camera, false, false);
    EXPECT_TRUE(response.moveCursor);
    EXPECT_EQ(response.cursorX, 100);
    EXPECT_EQ(response.cursorY, 75);
    EXPECT_FALSE(response.repaint);
    EXPECT_FALSE(navigation.MouseMove(500, 100, 0, camera, false, true).moveCursor);
    EXPECT_FALSE(navigation.MouseMove(300, 200, 0, camera, false, false).moveCursor);
}

TEST_F(Navigation, DragsWrapTheCursorAtTheLimits) {
    EXPECT_FALSE(navigation.SetSize(0, 0));  // keeps the 800 x 600 limits
    navigation.BeginDrag();
    EXPECT_FALSE(navigation.MouseMove(695, 300, CNavigation::LEFT_BUTTON, camera, false, true).moveCursor);
    CNavigation::Response response = navigation.MouseMove(705, 300, CNavigation::LEFT_BUTTON, camera, false, true);
    EXPECT_TRUE(response.moveCursor);
    EXPECT_EQ(response.cursorX, 100);
    EXPECT_EQ(response.cursorY, 300);
    EXPECT_EQ(navigation.lastX, 100);
    navigation.lastY = 80;
    response = navigation.MouseMove(100, 70, CNavigation::LEFT_BUTTON, camera, false, true);
    EXPECT_EQ(response.cursorX, 100);
    EXPECT_EQ(response.cursorY, 525);
    EXPECT_EQ(navigation.lastY, 525);
    EXPECT_TRUE(navigation.EndDrag().repaint);
    EXPECT_FALSE(navigation.dragging);
}

TEST_F(Navigation, OrbitTurnsAboutXAndYWithTheLeftButtonAndZWithBoth) {
    DragBy(0, -2, CNavigation::LEFT_BUTTON);
    EXPECT_FLOAT_EQ(camera.angleX, 2 * navigation.orbitSpeed);
    DragBy(-3, 0, CNavigation::LEFT_BUTTON);
    EXPECT_FLOAT_EQ(camera.angleY, 3 * navigation.orbitSpeed);
    EXPECT_EQ(camera.angleZ, 0.0f);
    DragBy(1, 0, CNavigation::LEFT_BUTTON | CNavigation::RIGHT_BUTTON);
    EXPECT_FLOAT_EQ(camera.angleZ, 360.0f - navigation.orbitSpeed);
    EXPECT_FLOAT_EQ(camera.angleY, 3 * navigation.orbitSpeed);
    EXPECT_FLOAT_EQ(camera.angleX, 2 * navigation.orbitSpeed);
}

// A zoom drag to the left moves away (the camera keeps zoom from passing the
// centre). A notch away from the user zooms in as far as the largest drag
// step of Alt-Z does, in whatever mode the drags are.
TEST_F(Navigation, TheWheelZoomsAsAZoomDragOfTheLargestStep) {
    COGLCamera3D dragged;
    navigation.mode = CNavigation::ZOOM;
    DragBy(-10, 0, CNavigation::RIGHT_BUTTON);
    EXPECT_FLOAT_EQ(camera.distance, 8.0f + 10 * navigation.zoomSpeed);
    navigation.BeginDrag();
    navigation.MouseMove(navigation.centreX + 100, navigation.centreY, CNavigation::LEFT_BUTTON, dragged, false, true);
    navigation.mode = CNavigation::ORBIT;
    EXPECT_TRUE(navigation.Wheel(1, camera).repaint);
    EXPECT_FLOAT_EQ(camera.distance, dragged.distance + 10 * navigation.zoomSpeed);
    EXPECT_EQ(camera.angleY, 0.0f);
    navigation.Wheel(-2, camera);
    EXPECT_FLOAT_EQ(camera.distance, 8.0f + (10 + navigation.maxStep) * navigation.zoomSpeed);
}
