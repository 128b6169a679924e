#include <gtest/gtest.h>

#include <GL/gl.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/CSettingsStore.h"
#include "support/GLTest.h"
#include "support/TestFolder.h"
#include "view/COGLViewport3D.h"
#include "view/COverlayPanel.h"
#include "view/KeyReference.h"

namespace {

// Whether fontconfig knows any outline font: without one there is nothing
// to draw the text from, and only then may the text's checks skip.
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

// Window width and height.
class KeyReferencePanel : public GLTest, public ::testing::WithParamInterface<std::pair<int, int>> {
protected:
    KeyReferencePanel() {
        contextWidth = GetParam().first;
        contextHeight = GetParam().second;
        contextStencil = false;
    }
    void TearDown() override {
        panel.DeleteTexture();
        GLTest::TearDown();
    }

    CTestFolder    folder;
    CSettingsStore settings { folder.Path("TAV.ini") };
    COverlayFont   font;
    COverlayPanel  panel;
};

} // namespace

// Over a white wall the key reference reads as green text on a dark panel,
// in the window's top-left corner, its size following the window's height
// (one pixel of text for every 40 of the window's lines).
TEST_P(KeyReferencePanel, GreenTextOnADarkPanelSizedByTheWindowsHeight) {
    const int width = contextWidth;
    const int height = contextHeight;
    COGLViewport3D viewport(settings);
    viewport.width = width;
    viewport.height = height;
    glViewport(0, 0, width, height);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const int textSize = OverlayTextSize(height);
    const int margin = textSize;
    panel.SetText(font, KeyReferenceLines(60, 3.0f), textSize, 6, width - 2 * margin, height - 2 * margin,
                  { 0, 255, 0 });
    panel.Draw(State(), viewport, margin, margin, height);
    EXPECT_NE(panel.TextureName(), 0u);
    ExpectStateKnown();

    // Rows from the top; the panel's box is what is no longer white.
    const std::vector<uint8_t> pixels = context.ReadPixels(0, 0, width, height);
    int left = width, right = -1, top = height, bottom = -1, dark = 0, green = 0;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            const uint8_t* p = &pixels[((height - 1 - y) * width + x) * 4];
            if (std::min({ p[0], p[1], p[2] }) > 240) {
                continue;
            }
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            dark += std::max({ p[0], p[1], p[2] }) < 90 ? 1 : 0;
            green += p[1] > 180 && p[0] < 90 && p[2] < 90 ? 1 : 0;
        }
    }
    EXPECT_EQ(left, margin);
    EXPECT_EQ(top, margin);
    EXPECT_EQ(right - left + 1, panel.Width());
    EXPECT_EQ(bottom - top + 1, panel.Height());
    const int area = panel.Width() * panel.Height();
    EXPECT_GT(dark, area * 3 / 4);
    if (!OutlineFontInstalled()) {
        GTEST_SKIP() << "no outline font installed";
    }
    // Every line fits at the size the height gives: the text is not shrunk.
    EXPECT_GT(panel.Height(), height / 2);
    EXPECT_LT(panel.Height(), height - 2 * margin);
    EXPECT_GT(green, area / 50);
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, KeyReferencePanel,
                         ::testing::Values(std::make_pair(640, 480), std::make_pair(1280, 720),
                                           std::make_pair(3840, 2160)),
                         [](const auto& info) {
                             return std::to_string(info.param.first) + "x" + std::to_string(info.param.second);
                         });
