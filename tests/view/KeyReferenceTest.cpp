#include <gtest/gtest.h>

#include <GL/gl.h>
#include <fontconfig/fontconfig.h>

#include "platform/CSettingsStore.h"
#include "support/GLTest.h"
#include "support/TestFolder.h"
#include "view/CHelpOverlay.h"
#include "view/COGLViewport3D.h"
#include "view/KeyReferencePicture.h"

namespace {

constexpr int rowBytes = KEY_REFERENCE_SIZE * 3;

int LitPixelsInRows(const std::vector<uint8_t>& picture, int fromTop, int toTop) {
    int lit = 0;
    for (int y = fromTop; y < toTop; y++) {
        const uint8_t* row = picture.data() + (KEY_REFERENCE_SIZE - 1 - y) * rowBytes;
        for (int x = 0; x < KEY_REFERENCE_SIZE; x++) {
            lit += row[x * 3 + 1] > 128 ? 1 : 0;
        }
    }
    return lit;
}

// Whether fontconfig knows any outline font: without one there is nothing
// to draw the picture's text from, and only then may its tests skip.
bool OutlineFontInstalled() {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(":outline=true"));
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    const bool found = fonts != nullptr && fonts->nfont > 0;
    if (fonts != nullptr) {
        FcFontSetDestroy(fonts);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

} // namespace

TEST(KeyReferencePicture, GreenTextOnBlackFromTheTopDown) {
    const std::vector<uint8_t> picture = DrawKeyReferencePicture();
    ASSERT_EQ(picture.size(), size_t(KEY_REFERENCE_SIZE) * KEY_REFERENCE_SIZE * 3);
    for (size_t i = 0; i < picture.size(); i += 3) {
        ASSERT_EQ(picture[i], 0);
        ASSERT_EQ(picture[i + 2], 0);
    }
    if (!OutlineFontInstalled()) {
        GTEST_SKIP() << "no outline font installed";
    }
    // Twelve lines fill the picture; the first one is at the top.
    EXPECT_GT(LitPixelsInRows(picture, 0, 24), 100);
    EXPECT_GT(LitPixelsInRows(picture, 220, 250), 100);
    EXPECT_EQ(LitPixelsInRows(picture, 252, 256), 0);
}

TEST(KeyReferencePicture, OnlyPureBlackBecomesTransparent) {
    const std::vector<uint8_t> rgba = CHelpOverlay::BlackTransparent({ 0, 0, 0, 0, 1, 0, 9, 8, 7 });
    EXPECT_EQ(rgba, (std::vector<uint8_t> { 0, 0, 0, 0, 0, 1, 0, 255, 9, 8, 7, 255 }));
}

class HelpOverlay : public GLTest {
protected:
    HelpOverlay() {
        contextWidth = 512;
        contextHeight = 320;
    }
    void TearDown() override {
        overlay.DeleteTexture();
        GLTest::TearDown();
    }

    CTestFolder    folder;
    CSettingsStore settings { folder.Path("TAV.ini") };
    CHelpOverlay   overlay;
};

TEST_F(HelpOverlay, LaysGreenTextOverTheSceneAndRestoresTheState) {
    COGLViewport3D viewport(settings);
    viewport.width = 512;
    viewport.height = 320;
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    overlay.Draw(viewport, 320);
    EXPECT_NE(overlay.TextureName(), 0u);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint environment = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
    EXPECT_EQ(environment, GL_MODULATE);

    // The quad spans x 50..487 and y 35..270; black texels let red through.
    const std::vector<uint8_t> pixels = context.ReadPixels(0, 0, 512, 320);
    int green = 0;
    int red = 0;
    for (int y = 36; y < 270; y++) {
        for (int x = 51; x < 487; x++) {
            const uint8_t* p = &pixels[(y * 512 + x) * 4];
            green += p[1] > 128 && p[0] < 64 ? 1 : 0;
            red += p[0] > 200 && p[1] < 64 ? 1 : 0;
        }
    }
    EXPECT_GT(red, 20000);
    EXPECT_TRUE(ColorNear(Pixel(30, 100), 255, 0, 0));
    EXPECT_TRUE(ColorNear(Pixel(300, 300), 255, 0, 0));
    if (!OutlineFontInstalled()) {
        GTEST_SKIP() << "no outline font installed";
    }
    EXPECT_GT(green, 500);
}
