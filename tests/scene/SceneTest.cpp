#include <GL/gl.h>

#include <memory>
#include <string>
#include <vector>

#include "image/COGLTexture2D.h"
#include "objects/COGLBox.h"
#include "objects/COGLFloor.h"
#include "objects/COGLPointLight.h"
#include "scene/COGLScene.h"
#include "support/CapturedReports.h"
#include "support/GLTest.h"
#include "support/TestFolder.h"
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
        object->SetAmbient(0, 0, 0, 1);
        object->SetDiffuse(0, 0, 0, alpha);
        object->SetEmission(r, g, b, 1);
        T& added = *object;
        scene->AddObject(std::move(object));
        return added;
    }

    CCapturedReports reports;
    std::unique_ptr<COGLScene> scene = std::make_unique<COGLScene>();
    COGLCamera3D camera;
};

}  // namespace

TEST_F(Scene, FarthestObjectsAreDrawnFirst) {
    // Listed nearest first: drawn in list order the opaque box would cover
    // the transparent one, which writes no depth.
    COGLBox& front = Add<COGLBox>(0, 0, 1, 0.5f);
    front.SetPosition(0, 0, 3);
    front.SetScale(0.5f, 0.5f, 0.01f);
    front.SetTransparent(true);
    COGLBox& back = Add<COGLBox>(1, 0, 0);
    back.SetPosition(0, 0, -3);
    scene->Render(DRAW_MATERIAL, camera.eye);
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 64, 0, 191));  // two thin faces of blue over red
    EXPECT_TRUE(ColorNear(PixelAt(0.8f, 0.8f), 255, 0, 0));
}

TEST_F(Scene, ABoxCastsABlendedOrAFlatShadowOnTheFloor) {
    LookAt(0, 10, 0, 0, 0, 0, 0, 0, -1);
    glDepthFunc(GL_LEQUAL);  // as the viewport draws
    glEnable(GL_CULL_FACE);
    COGLFloor& floor = Add<COGLFloor>(1, 1, 1);
    floor.SetScale(3, 3, 1);
    COGLBox& box = Add<COGLBox>(0, 1, 0);
    box.SetPosition(0, 1, 0);
    box.SetScale(0.5f, 0.5f, 0.5f);
    auto light = std::make_unique<COGLPointLight>(2.0f, 5.0f, 0.0f);
    // Slots with gaps before them, as the editor leaves them after removals.
    scene->shadowLights[2] = light.get();
    scene->shadowLightCount = 1;
    scene->AddLight(std::move(light));
    scene->HideLightMarkers();
    scene->shadowPlanes[1] = &floor;
    scene->shadowPlaneCount = 1;
    scene->shadowsEnabled = true;
    scene->shadowBlend = true;
    scene->shadowAlpha = 0.5f;

    // The light at x = 2 throws the box's shadow towards -x, past the box.
    scene->Render(DRAW_MATERIAL, camera.eye);
    EXPECT_TRUE(ColorNear(PixelOfWorld(0, 1.5f, 0), 0, 255, 0));
    EXPECT_TRUE(ColorNear(PixelOfWorld(2.0f, 0, 0), 255, 255, 255));
    EXPECT_TRUE(ColorNear(PixelOfWorld(-1.2f, 0, 0), 255, 255, 255));  // no shadow without the flag

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    scene->Render(DRAW_MATERIAL | 0x80, camera.eye);
    EXPECT_TRUE(ColorNear(PixelOfWorld(-1.2f, 0, 0), 128, 128, 128));
    EXPECT_TRUE(ColorNear(PixelOfWorld(2.0f, 0, 0), 255, 255, 255));

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    scene->shadowBlend = false;
    scene->Render(DRAW_MATERIAL | 0x40, camera.eye);
    EXPECT_TRUE(ColorNear(PixelOfWorld(-1.2f, 0, 0), 0, 0, 0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));  // the enable state comes back
}

TEST_F(Scene, TheBackgroundImageFillsTheViewport) {
    // Quadrants: red, green along the bottom; blue, white along the top.
    const uint8_t quadrants[2][2][3] = { { { 255, 0, 0 }, { 0, 255, 0 } }, { { 0, 0, 255 }, { 255, 255, 255 } } };
    std::vector<uint8_t> texels;
    for (int y = 0; y < 16; y++) {
        for (int x = 0; x < 16; x++) {
            texels.insert(texels.end(), quadrants[y / 8][x / 8], quadrants[y / 8][x / 8] + 3);
        }
    }
    scene->background = std::make_unique<COGLTexture2D>();
    ASSERT_TRUE(scene->background->CreateFromPixels(texels.data(), 16, 16));
    scene->hasBackground = true;
    EXPECT_FALSE(scene->DrawBackground(SIZE, SIZE));  // false: no OpenGL errors
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
    auto texture = std::make_unique<COGLTexture2D>();
    ASSERT_TRUE(texture->CreateFromPixels(checks.data(), 64, 64));
    COGLBox& box = Add<COGLBox>(1, 1, 1);
    box.SetScale(0.5f, 0.5f, 0.5f);  // 64 texels over 16 pixels
    box.SetTexture(texture.get());
    box.SetTextureMode(GL_REPLACE);
    scene->Render(DRAW_MATERIAL, camera.eye);
    EXPECT_TRUE(ColorNear(AverageAround(0.0f, 0.0f, 2), 128, 0, 128, 24));
    EXPECT_TRUE(ColorNear(PixelAt(0.1f, 0.1f), 128, 0, 128, 40));
    box.SetTexture(nullptr);
}

TEST_F(Scene, SharedTexturesAreCountedAndDeletedWithTheirLastHolder) {
    CTestFolder folder;
    std::string pcx(128, '\0');
    pcx[0] = 10; pcx[1] = 5; pcx[2] = 1; pcx[3] = 8; pcx[8] = 1; pcx[10] = 1; pcx[65] = 1; pcx[66] = 2;
    pcx += std::string("\xC4\x05", 2) + '\x0C' + std::string(768, '\x40');
    const std::string path = folder.Write("models/skin.pcx", pcx);

    COGLTexture2D* first = scene->FindOrLoadTexture(path, nullptr, "", false, false);
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(first->Prepare());
    COGLTexture2D* second = scene->FindOrLoadTexture(path, nullptr, "", false, false);
    EXPECT_EQ(second, first);
    EXPECT_EQ(first->References(), 2);
    const GLuint name = first->textureName;
    EXPECT_TRUE(glIsTexture(name));

    EXPECT_TRUE(scene->ReleaseTexture(first));
    EXPECT_TRUE(glIsTexture(name));
    EXPECT_TRUE(scene->ReleaseTexture(second));
    EXPECT_FALSE(glIsTexture(name));
    EXPECT_TRUE(scene->textureCache.Empty());
    COGLTexture2D stranger;
    EXPECT_FALSE(scene->ReleaseTexture(&stranger));

    // With a folder the path is rebuilt from it, so the name first asked for
    // is not what the cache holds.
    COGLTexture2D* viaFolder = scene->FindOrLoadTexture("C:\\q2\\skin.pcx", nullptr, folder.Path("models/"), false, false);
    ASSERT_NE(viaFolder, nullptr);
    EXPECT_EQ(viaFolder->path, folder.Path("models/skin.pcx"));
    EXPECT_EQ(scene->FindTexture("C:\\q2\\skin.pcx"), nullptr);
    EXPECT_EQ(scene->FindOrLoadTexture("gone.pcx", nullptr, "", false, true), nullptr);
}
