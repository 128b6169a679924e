#include <GL/gl.h>
#include <GL/glu.h>

#include <functional>
#include <vector>

#include "objects/COGLBox.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "platform/CSettingsStore.h"
#include "support/GLTest.h"
#include "support/RecordBytes.h"
#include "support/TestFolder.h"
#include "view/COGLViewport3D.h"
#include "scene/CViewportScene.h"

namespace {

// Records what the viewport asks of it. Draw renders the scene last, so the
// OpenGL state it leaves is the state the scene was rendered in.
class FakeScene : public CViewportScene {
public:
    bool HasBackgroundImage() const override { return hasBackground; }
    bool DrawBackground(CGLState&, int width, int height) override {
        calls.push_back("background");
        backgroundSize[0] = width;
        backgroundSize[1] = height;
        return true;
    }
    void ApplyAmbient() override { calls.push_back("ambient"); }
    void Render(CGLState&, int drawFlags, const CVector&, const CVector&) override {
        calls.push_back("render");
        flags = drawFlags;
    }
    void DrawForSelection() override {
        if (drawForSelection) {
            drawForSelection();
        }
    }

    bool hasBackground = false;
    std::function<void()> drawForSelection;

    std::vector<const char*> calls;
    int backgroundSize[2] = { 0, 0 };
    int flags = -1;
};

// The viewer's 800 x 600 window with one viewport covering it.
class Viewport : public GLTest {
protected:
    Viewport() {
        contextWidth = 800;
        contextHeight = 600;
    }

    void SetUp() override {
        GLTest::SetUp();
        viewport.width = 800;
        viewport.height = 600;
        glDisable(GL_DEPTH_TEST);
    }

    static void ExpectPerspective(double fovy, double aspect, double zNear, double zFar) {
        GLdouble actual[16], expected[16];
        glGetDoublev(GL_PROJECTION_MATRIX, actual);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        gluPerspective(fovy, aspect, zNear, zFar);
        glGetDoublev(GL_PROJECTION_MATRIX, expected);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        for (int i = 0; i < 16; i++) {
            EXPECT_NEAR(actual[i], expected[i], 1e-6) << "element " << i;
        }
    }

    CTestFolder    folder;
    CSettingsStore settings{ folder.Path("TAV.ini") };
    COGLViewport3D viewport{ settings };
    FakeScene      scene;
};

}  // namespace

TEST_F(Viewport, GridAndAxisSwitchesComeFromTheSettingsAndGoBack) {
    ASSERT_TRUE(settings.Write(Setting::grid, 1));
    {
        COGLViewport3D second(settings);
        EXPECT_TRUE(second.gridOn);
        EXPECT_FALSE(second.axisIndicatorOn);
        second.gridOn = false;
        second.axisIndicatorOn = true;
    }
    EXPECT_EQ(settings.ReadInt("Settings", "Grid", -1), 0);
    EXPECT_EQ(settings.ReadInt("Settings", "Axis", -1), 1);
}

// A cut field throws and leaves the field of view as it was.
TEST_F(Viewport, FieldOfViewIsStoredFromVersionSix) {
    const Bytes field = Bytes().F32(60.0f);
    const struct { int version; size_t size; float fieldOfView; uint64_t end; } cases[] = {
        { 5, 4, 45.0f, 0 }, { 6, 4, 60.0f, 4 }, { 6, 3, 60.0f, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version * 10 + c.size);
        CFile file;
        ASSERT_TRUE(file.OpenMemory(field.bytes.data(), c.size));
        if (c.size < 4) {
            EXPECT_THROW(viewport.Load(file, c.version), CFileException);
        } else {
            viewport.Load(file, c.version);
            EXPECT_EQ(file.GetPosition(), c.end);
        }
        EXPECT_EQ(viewport.fieldOfView, c.fieldOfView);
    }
}

// Each style sets the state the scene is rendered in, whatever state came
// before; the scene gets the style and the viewport's area and projection.
TEST_F(Viewport, RenderStylesSetTheStateTheSceneIsDrawnIn) {
    const struct { int style; bool lit, culled, depthTest; GLint polygonMode; } cases[] = {
        { 129, true, true, true, GL_FILL }, { 32, false, false, true, GL_LINE }, { 0, false, false, false, GL_POINT },
    };
    viewport.fieldOfView = 60.0f;
    viewport.x = 100;
    viewport.y = 50;
    viewport.width = 400;
    viewport.height = 300;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        c.lit ? glDisable(GL_LIGHTING) : glEnable(GL_LIGHTING);
        c.culled ? glDisable(GL_CULL_FACE) : glEnable(GL_CULL_FACE);
        glPolygonMode(GL_FRONT_AND_BACK, c.polygonMode == GL_FILL ? GL_LINE : GL_FILL);
        glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
        viewport.SetRenderStyle(c.style);
        scene.calls.clear();
        viewport.Draw(scene, State());
        EXPECT_EQ(scene.calls, c.lit ? (std::vector<const char*>{ "ambient", "render" })
                                     : (std::vector<const char*>{ "render" }));
        EXPECT_EQ(scene.flags, c.style);
        EXPECT_EQ(glIsEnabled(GL_LIGHTING), c.lit);
        EXPECT_EQ(glIsEnabled(GL_CULL_FACE), c.culled);
        EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), c.depthTest);
        GLint polygonMode[2], area[4];
        glGetIntegerv(GL_POLYGON_MODE, polygonMode);
        glGetIntegerv(GL_VIEWPORT, area);
        EXPECT_EQ(polygonMode[0], c.polygonMode);
        EXPECT_EQ(area[0], 100);
        EXPECT_EQ(area[1], 50);
        ExpectPerspective(60.0, 400.0 / 300.0, 0.5, 32.0);
        GLboolean localViewer = GL_TRUE;
        glGetBooleanv(GL_LIGHT_MODEL_LOCAL_VIEWER, &localViewer);
        EXPECT_EQ(localViewer == GL_FALSE, c.lit);
        ExpectStateKnown();
    }
    // An unknown style is only passed on.
    viewport.SetRenderStyle(7);
    EXPECT_EQ(viewport.renderStyle, 7);
    EXPECT_EQ(viewport.polygonMode, static_cast<uint32_t>(GL_POINT));
}

TEST_F(Viewport, BackgroundComesFromTheSceneOnlyWhenItHasAnImage) {
    scene.hasBackground = true;
    viewport.Draw(scene, State());
    ASSERT_EQ(scene.calls, (std::vector<const char*>{ "background", "ambient", "render" }));
    EXPECT_EQ(scene.backgroundSize[0], 800);
    EXPECT_EQ(scene.backgroundSize[1], 600);

    // Without one the viewport draws nothing behind the scene itself.
    glClearColor(0.2f, 0.4f, 0.6f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    FakeScene plain;
    viewport.Draw(plain, State());
    EXPECT_TRUE(ColorNear(Pixel(400, 300), 51, 102, 153, 2));
}

TEST_F(Viewport, ADisabledViewportLeavesTheFrameAlone) {
    glViewport(1, 2, 3, 4);
    viewport.enabled = false;
    viewport.Draw(scene, State());
    EXPECT_TRUE(scene.calls.empty());
    GLint area[4];
    glGetIntegerv(GL_VIEWPORT, area);
    EXPECT_EQ(area[3], 4);
}

TEST_F(Viewport, AxisIndicatorSits51PixelsInFromTheLowerLeftCorner) {
    EXPECT_EQ(viewport.AxisIndicatorOffset(), 51);
    viewport.width = 1000;
    EXPECT_EQ(viewport.AxisIndicatorOffset(), 64);  // 64.99999...
    viewport.width = 800;
    viewport.axisIndicatorOn = true;
    viewport.Draw(scene, State());
    const GLuint list = viewport.axisList;
    EXPECT_NE(list, 0u);
    // Seen from the front: x to the right in red, y up in green, z towards
    // the viewer (off to the lower left, in perspective this far out).
    EXPECT_TRUE(ColorNear(BrightestAroundPixel(51 + 15, 51, 1), 255, 0, 0));
    EXPECT_TRUE(ColorNear(BrightestAroundPixel(51, 51 + 15, 1), 0, 255, 0));
    EXPECT_TRUE(ColorNear(BrightestAroundPixel(51 - 10, 51 - 8, 2), 0, 0, 255));
    EXPECT_TRUE(ColorNear(BrightestAroundPixel(51 + 15, 51 + 15, 3), 0, 0, 0));

    // Turned a quarter about y, z runs to the right; the list is reused.
    Clear();
    viewport.camera.OrbitY(90);
    viewport.Draw(scene, State());
    EXPECT_EQ(viewport.axisList, list);
    EXPECT_TRUE(ColorNear(BrightestAroundPixel(51 + 15, 51, 1), 0, 0, 255));
    EXPECT_TRUE(ColorNear(BrightestAroundPixel(51, 51 + 15, 1), 0, 255, 0));
    ExpectStateKnown();
}

TEST_F(Viewport, Begin2DGivesUnlitPixelCoordinatesAndEnd2DRestoresTheMatrices) {
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    viewport.Begin2D(State(), 0);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    viewport.FillBackground(0, 0, 1);
    glColor3f(1, 0, 0);
    glRecti(10, 10, 20, 20);
    viewport.End2D();
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_EQ(projection[0], 1.0 / 4.0);  // the fixture's ortho view again

    EXPECT_TRUE(ColorNear(Pixel(15, 15), 255, 0, 0));
    EXPECT_TRUE(ColorNear(Pixel(25, 15), 0, 0, 255));
    EXPECT_TRUE(ColorNear(Pixel(799, 599), 0, 0, 255));
}

TEST_F(Viewport, PickingFindsTheObjectUnderTheCursor) {
    COGLBox box;  // 2 x 2 at the origin: about 180 pixels across
    scene.drawForSelection = [&box] { box.DrawForSelection(); };
    GLuint buffer[64];
    auto hitsAt = [&](int x, int y) {
        glSelectBuffer(64, buffer);
        glRenderMode(GL_SELECT);
        glInitNames();
        glPushName(0);
        viewport.SetupPicking(x, y, scene);
        return glRenderMode(GL_RENDER);
    };
    ASSERT_EQ(hitsAt(400, 300), 1);
    EXPECT_EQ(buffer[3], box.SelectionName());
    EXPECT_EQ(hitsAt(470, 360), 1);
    EXPECT_EQ(hitsAt(600, 300), 0);
    EXPECT_EQ(hitsAt(10, 10), 0);
}
