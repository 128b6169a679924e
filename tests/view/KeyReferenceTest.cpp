#include <gtest/gtest.h>

#include <GL/gl.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>

#include "platform/CSettingsStore.h"
#include "support/GLTest.h"
#include "support/TestFolder.h"
#include "view/CHelpOverlay.h"
#include "view/COGLViewport3D.h"
#include "view/KeyReferencePicture.h"

namespace {

// The texel of the picture at x, counting y from its top.
const uint8_t* Texel(const std::vector<uint8_t>& picture, int x, int fromTop) {
    return &picture[((KEY_REFERENCE_HEIGHT - 1 - fromTop) * KEY_REFERENCE_TEXTURE_WIDTH + x) * 4];
}

int GlyphTexelsInRows(const std::vector<uint8_t>& picture, int fromTop, int toTop) {
    int covered = 0;
    for (int y = fromTop; y < toTop; y++) {
        for (int x = 0; x < KEY_REFERENCE_WIDTH; x++) {
            covered += Texel(picture, x, y)[3] > 200 && Texel(picture, x, y)[1] > 200 ? 1 : 0;
        }
    }
    return covered;
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

TEST(KeyReferencePicture, GreenTextOverADarkOutlineFromTheTopDown) {
    const std::vector<uint8_t> picture = DrawKeyReferencePicture();
    ASSERT_EQ(picture.size(), size_t(KEY_REFERENCE_TEXTURE_WIDTH) * KEY_REFERENCE_TEXTURE_HEIGHT * 4);
    int outline = 0;
    for (int y = 0; y < KEY_REFERENCE_TEXTURE_HEIGHT; y++) {
        for (int x = 0; x < KEY_REFERENCE_TEXTURE_WIDTH; x++) {
            const uint8_t* texel = &picture[(y * KEY_REFERENCE_TEXTURE_WIDTH + x) * 4];
            ASSERT_EQ(texel[0], 0);
            ASSERT_EQ(texel[2], 0);
            if (x >= KEY_REFERENCE_WIDTH || y >= KEY_REFERENCE_HEIGHT) {
                ASSERT_EQ(texel[3], 0) << "outside the picture at " << x << ", " << y;
            }
            outline += texel[3] == 128 && texel[1] == 0 ? 1 : 0;
        }
    }
    if (!OutlineFontInstalled()) {
        GTEST_SKIP() << "no outline font installed";
    }
    // Twelve lines fill the picture; the first one is at the top.
    EXPECT_GT(GlyphTexelsInRows(picture, 0, 22), 200);
    EXPECT_GT(GlyphTexelsInRows(picture, 200, 225), 200);
    EXPECT_EQ(GlyphTexelsInRows(picture, 228, KEY_REFERENCE_HEIGHT), 0);
    EXPECT_GT(outline, 1000);
}

namespace {

struct WindowSize {
    int width, height;
};

void PrintTo(const WindowSize& size, std::ostream* out) {
    *out << size.width << " x " << size.height;
}

class HelpOverlay : public GLTest, public ::testing::WithParamInterface<WindowSize> {
protected:
    HelpOverlay() {
        contextWidth = GetParam().width;
        contextHeight = GetParam().height;
    }
    void TearDown() override {
        overlay.DeleteTexture();
        GLTest::TearDown();
    }

    CTestFolder    folder;
    CSettingsStore settings { folder.Path("TAV.ini") };
    CHelpOverlay   overlay;
};

} // namespace

// Read back, every pixel of the quad is its texel blended over the scene,
// one texel a pixel: no stretching, no filtering, no black fringes.
TEST_P(HelpOverlay, CrispGreenTextBlendedOverTheSceneTexelForPixel) {
    const int width = contextWidth;
    const int height = contextHeight;
    COGLViewport3D viewport(settings);
    viewport.width = width;
    viewport.height = height;
    const int scene[3] = { 200, 160, 220 };
    glClearColor(scene[0] / 255.0f, scene[1] / 255.0f, scene[2] / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    overlay.Draw(viewport, height);
    EXPECT_NE(overlay.TextureName(), 0u);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint environment = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
    EXPECT_EQ(environment, GL_MODULATE);

    const std::vector<uint8_t> picture = DrawKeyReferencePicture();
    const std::vector<uint8_t> pixels = context.ReadPixels(0, 0, width, height);
    const int bottom = height - 285;
    int mismatched = 0;
    int black = 0;
    int green = 0;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            const uint8_t* p = &pixels[(y * width + x) * 4];
            const bool inQuad = x >= 50 && x < 50 + KEY_REFERENCE_WIDTH && y >= bottom && y < bottom + KEY_REFERENCE_HEIGHT;
            const uint8_t none[4] = { 0, 0, 0, 0 };
            const uint8_t* texel = inQuad ? Texel(picture, x - 50, bottom + KEY_REFERENCE_HEIGHT - 1 - y) : none;
            for (int c = 0; c < 3; c++) {
                const int expected = (texel[c] * texel[3] + scene[c] * (255 - texel[3])) / 255;
                mismatched += std::abs(p[c] - expected) > 3 ? 1 : 0;
            }
            black += std::max({ p[0], p[1], p[2] }) < 48 ? 1 : 0;
            green += p[1] > 230 && p[0] < 30 && p[2] < 30 ? 1 : 0;
        }
    }
    EXPECT_EQ(mismatched, 0);
    EXPECT_EQ(black, 0);
    if (!OutlineFontInstalled()) {
        GTEST_SKIP() << "no outline font installed";
    }
    EXPECT_GT(green, 2000);
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, HelpOverlay, ::testing::Values(WindowSize { 640, 480 }, WindowSize { 1024, 768 }),
                         [](const ::testing::TestParamInfo<WindowSize>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });
