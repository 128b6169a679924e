#include <GL/gl.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <vector>

#include "image/COGLTexture2D.h"
#include "objects/COGLBox.h"
#include "objects/COGLFloor.h"
#include "objects/COGLPointLight.h"
#include "scene/COGLScene.h"
#include "support/CapturedReports.h"
#include "support/GLTest.h"
#include "support/Surfaces.h"
#include "view/COGLCamera3D.h"

namespace {

class Scene : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        EmissionOnlyLighting();
        camera.eye = CVector(0.0f, 0.0f, 10.0f);
    }
    void TearDown() override {
        scene.reset();
        GLTest::TearDown();
    }

    template <typename T>
    T& Add(float r, float g, float b, float alpha = 1.0f) {
        auto object = std::make_unique<T>();
        Glow(*object, r, g, b, alpha);
        T& added = *object;
        scene->AddObject(std::move(object));
        return added;
    }

    void SetUpShadows(std::initializer_list<float> lightZs);
    void ExpectShadowGrey(int grey) const;

    CCapturedReports reports;
    std::unique_ptr<COGLScene> scene = std::make_unique<COGLScene>();
    COGLCamera3D camera;
};

}  // namespace

TEST_F(Scene, FarthestObjectsAreDrawnFirst) {
    // Listed nearest first: drawn in list order the opaque box would cover
    // the transparent one, which writes no depth: both its faces blend.
    COGLBox& front = Add<COGLBox>(0, 0, 1, 0.5f);
    front.SetPosition(0, 0, 3);
    front.SetScale(0.5f, 0.5f, 0.01f);
    front.SetTransparent(true);
    COGLBox& back = Add<COGLBox>(1, 0, 0);
    back.SetPosition(0, 0, -3);
    scene->Render(State(), DRAW_MATERIAL, camera.eye, camera.right);
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 64, 0, 191));  // two thin faces of blue over red
    EXPECT_TRUE(ColorNear(PixelAt(0.8f, 0.8f), 255, 0, 0));
    ExpectStateKnown();
}

// A white floor seen from above, a green box of side 1 standing 0.5 above
// it, and a point light at (2, 5, z) for each z given, each a shadow light.
void Scene::SetUpShadows(std::initializer_list<float> lightZs) {
    LookAt(0, 10, 0, 0, 0, 0, 0, 0, -1);
    glDepthFunc(GL_LEQUAL);  // as the viewport draws
    glEnable(GL_CULL_FACE);
    COGLFloor& floor = Add<COGLFloor>(1, 1, 1);
    floor.SetScale(3, 3, 1);
    COGLBox& box = Add<COGLBox>(0, 1, 0);
    box.SetPosition(0, 1, 0);
    box.SetScale(0.5f, 0.5f, 0.5f);
    // Slots with gaps before them, as the editor leaves them after removals.
    COGLScene::ShadowSetup shadows;
    int slot = 2;
    for (float z : lightZs) {
        auto light = std::make_unique<COGLPointLight>(2.0f, 5.0f, z);
        shadows.lights[slot++] = light.get();
        shadows.lightCount++;
        scene->AddLight(std::move(light));
    }
    scene->HideLightMarkers();
    shadows.planes[1] = &floor;
    shadows.planeCount = 1;
    shadows.enabled = true;
    shadows.blend = true;
    shadows.alpha = 0.5f;
    scene->SetShadows(shadows);
}

// The box's shadow is of one grey along the middle of its length, from near
// the box to near its far end.
void Scene::ExpectShadowGrey(int grey) const {
    for (float x = -1.5f; x <= -0.7f; x += 0.1f) {
        for (float z = -0.3f; z <= 0.3f; z += 0.15f) {
            EXPECT_NEAR(PixelOfWorld(x, 0, z).r, grey, 8) << "at " << x << ", " << z;
        }
    }
}

// The lights at x = 2 throw the box's shadows towards -x, past the box;
// each light darkens once, and where two lights' shadows overlap, twice.
TEST_F(Scene, ABoxCastsABlendedOrAFlatShadowOnTheFloor) {
    SetUpShadows({ 0.0f, 1.5f });
    scene->Render(State(), DRAW_MATERIAL, camera.eye, camera.right);
    EXPECT_TRUE(ColorNear(PixelOfWorld(0, 1.5f, 0), 0, 255, 0));
    EXPECT_TRUE(ColorNear(PixelOfWorld(2.0f, 0, 0), 255, 255, 255));
    EXPECT_TRUE(ColorNear(PixelOfWorld(-1.2f, 0, 0), 255, 255, 255));  // no shadow without the flag

    Clear();
    scene->Render(State(), DRAW_MATERIAL | 0x80, camera.eye, camera.right);
    EXPECT_TRUE(ColorNear(PixelOfWorld(-1.2f, 0, -0.1f), 64, 64, 64));
    EXPECT_TRUE(ColorNear(PixelOfWorld(-1.2f, 0, 0.5f), 128, 128, 128));
    EXPECT_TRUE(ColorNear(PixelOfWorld(-1.2f, 0, -0.95f), 128, 128, 128));

    Clear();
    COGLScene::ShadowSetup flat = scene->Shadows();
    flat.blend = false;
    scene->SetShadows(flat);
    scene->Render(State(), DRAW_MATERIAL | 0x40, camera.eye, camera.right);
    EXPECT_TRUE(ColorNear(PixelOfWorld(-1.2f, 0, 0), 0, 0, 0));
    EXPECT_TRUE(ColorNear(PixelOfWorld(2.0f, 0, 0), 255, 255, 255));
    ExpectStateKnown();
}

// However many faces of the box cover a floor pixel, it is darkened once,
// by the stored alpha, culled or not; a transparent caster drawn first
// changes nothing.
TEST_F(Scene, ABlendedShadowDarkensTheFloorOnceByItsAlpha) {
    SetUpShadows({ 0.0f });
    COGLBox& glass = Add<COGLBox>(0, 0, 1, 0.5f);
    glass.SetPosition(0, 1, 2.5f);
    glass.SetScale(0.2f, 0.2f, 0.2f);
    glass.SetTransparent(true);
    std::rotate(scene->objects.begin(), scene->objects.end() - 1, scene->objects.end());
    for (bool culled : { true, false }) {
        SCOPED_TRACE(culled ? "culled" : "not culled");
        Clear();
        (culled ? glEnable : glDisable)(GL_CULL_FACE);
        scene->Render(State(), DRAW_MATERIAL | 0x80, camera.eye, camera.right);
        ExpectShadowGrey(128);
        EXPECT_TRUE(ColorNear(PixelOfWorld(2.0f, 0, 0), 255, 255, 255));
        EXPECT_TRUE(ColorNear(PixelOfWorld(0, 1.5f, 0), 0, 255, 0));
    }
}

TEST_F(Scene, TheBackgroundImageFillsTheViewport) {
    // Red, green along the bottom; blue, white along the top.
    const uint8_t quadrants[] = { 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255 };
    scene->background = TextureOfTexels(quadrants, 2, 2, false);
    scene->hasBackground = true;
    EXPECT_FALSE(scene->DrawBackground(State(), SIZE, SIZE));  // false: no OpenGL errors
    EXPECT_TRUE(ColorNear(Pixel(SIZE / 4, SIZE / 4), 255, 0, 0));
    EXPECT_TRUE(ColorNear(Pixel(3 * SIZE / 4, SIZE / 4), 0, 255, 0));
    EXPECT_TRUE(ColorNear(Pixel(SIZE / 4, 3 * SIZE / 4), 0, 0, 255));
    EXPECT_TRUE(ColorNear(Pixel(3 * SIZE / 4, 3 * SIZE / 4), 255, 255, 255));
}

TEST_F(Scene, SmallTexturesAreMipmapped) {
    glDisable(GL_LIGHTING);
    // One-texel red and blue checks: drawn small they average to purple;
    // without mipmaps single texels would show through.
    std::vector<uint8_t> checks(64 * 64 * 3, 0);
    for (int y = 0; y < 64; y++) {
        for (int x = 0; x < 64; x++) {
            checks[size_t(y * 64 + x) * 3 + ((x + y) % 2 == 0 ? 0 : 2)] = 255;
        }
    }
    std::unique_ptr<COGLTexture2D> texture = TextureOfTexels(checks.data(), 64, 64, false);
    COGLBox& box = Add<COGLBox>(1, 1, 1);
    box.SetScale(0.5f, 0.5f, 0.5f);  // 64 texels over 16 pixels
    box.SetTexture(texture.get());
    box.SetTextureMode(GL_REPLACE);
    scene->Render(State(), DRAW_MATERIAL, camera.eye, camera.right);
    EXPECT_TRUE(ColorNear(AverageAround(0.0f, 0.0f, 2), 128, 0, 128, 24));
    EXPECT_TRUE(ColorNear(PixelAt(0.1f, 0.1f), 128, 0, 128, 40));
    box.SetTexture(nullptr);
}
