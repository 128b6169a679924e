#include <GL/gl.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "image/Palettes.h"
#include "models/COGLSprite.h"
#include "models/SpriteBytes.h"
#include "scene/COGLScene.h"
#include "support/CapturedReports.h"
#include "support/GLTest.h"
#include "support/LoadedModels.h"
#include "support/ModelRecordReader.h"
#include "support/TestFolder.h"

namespace {

// Palette entries: 1 red, 2 green, 3 blue, 255 the key colour of mode 3.
const std::vector<std::vector<uint8_t>> COLOURS = [] {
    std::vector<std::vector<uint8_t>> colours(256, { 40, 40, 40 });
    colours[1] = { 200, 0, 0 };
    colours[2] = { 0, 200, 0 };
    colours[3] = { 0, 0, 200 };
    colours[255] = { 0, 0, 255 };
    return colours;
}();

class SpriteDrawTest : public CModelFixture<COGLSprite> {
protected:
    void SetUp() override {
        CModelFixture::SetUp();
        ApplyGamma(1.0f);
    }

    COGLSprite& Load(const std::string& name, const std::string& bytes) {
        models.push_back(std::make_unique<COGLSprite>());
        COGLSprite& sprite = *models.back();
        LoadModelInto(*scene, sprite, folder.Write(name, bytes));
        EXPECT_TRUE(sprite.IsLoaded()) << reports.Errors(*scene);
        return sprite;
    }

    CCapturedReports reports;
    CTestFolder folder;
};

// A frame whose left half is index left and right half index right.
IndexedFrame HalvedFrame(int width, int height, uint8_t left, uint8_t right) {
    std::vector<uint8_t> indices;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            indices.push_back(x < width / 2 ? left : right);
        }
    }
    return IndexedFrame(width, height, 0, indices);
}

}  // namespace

// From every orbit angle the quad shows its full width and height to the
// viewer: 2 x 1 units for a 64 x 32 frame at scale 2.
TEST_F(SpriteDrawTest, FacesTheCameraFromAnyOrbitAngle) {
    COGLSprite& sprite = Load("s.spr", IndexedSprite(0, { { 64, 32 } }, COLOURS));
    sprite.SetScaleX(2.0f * sprite.scale.x);
    sprite.SetScaleY(2.0f * sprite.scale.y);
    sprite.RotateX(90.0f);  // ignored: the object's orientation does not turn a sprite
    for (float degrees : { 0.0f, 60.0f, 135.0f, 250.0f }) {
        SCOPED_TRACE(degrees);
        const float a = degrees * 3.14159265f / 180.0f;
        Clear();
        LookAt(10.0f * std::sin(a), 0.0f, 10.0f * std::cos(a), 0, 0, 0, 0, 1, 0);
        sprite.Draw(State(), DRAW_MATERIAL);
        // The camera's right in the world.
        const float rx = std::cos(a);
        const float rz = -std::sin(a);
        EXPECT_TRUE(ColorNear(PixelOfWorld(0, 0, 0), 200, 0, 0));
        EXPECT_TRUE(ColorNear(PixelOfWorld(1.8f * rx, 0, 1.8f * rz), 200, 0, 0));
        EXPECT_TRUE(ColorNear(PixelOfWorld(-1.8f * rx, 0, -1.8f * rz), 200, 0, 0));
        EXPECT_TRUE(ColorNear(PixelOfWorld(0, 0.85f, 0), 200, 0, 0));
        EXPECT_TRUE(ColorNear(PixelOfWorld(2.3f * rx, 0, 2.3f * rz), 0, 0, 0));
        EXPECT_TRUE(ColorNear(PixelOfWorld(0, 1.2f, 0), 0, 0, 0));
    }
}

TEST_F(SpriteDrawTest, RollTurnsTheQuad) {
    COGLSprite& sprite = Load("s.spr", IndexedSprite(0, { { 64, 16 } }, COLOURS));
    sprite.SetScaleX(2.0f);
    sprite.SetScaleY(0.5f);
    sprite.Draw(State(), DRAW_MATERIAL);
    ExpectSpots({ { 1.5f, 0.0f, 200, 0, 0 }, { 0.0f, 1.5f, 0, 0, 0 } });
    Clear();
    sprite.RotateZ(-90.0f);
    sprite.Draw(State(), DRAW_MATERIAL);
    ExpectSpots({ { 1.5f, 0.0f, 0, 0, 0 }, { 0.0f, 1.5f, 200, 0, 0 } });
}

// Each mode over the grey background: the left half of the frame is the
// key (or transparent), the right half red (half transparent for -1). A
// transparent Quake II sprite in decal mode fades with its material's alpha.
TEST_F(SpriteDrawTest, EachBlendModeBlendsAsItsRowSays) {
    folder.Write("half.tga", TinyTga(8, 8, 200, 0, 0, 0, 128));
    folder.Write("key.tga", TinyTga(8, 8, 200, 0, 0, 0, 255));
    struct Case {
        const char* what;
        std::string file;
        std::string bytes;
        int left[3];
        int right[3];
        float alpha = -1.0f;  // the material's, on a transparent sprite; -1 opaque
    };
    const std::vector<Case> cases = {
        { "0 draws every texel", "a.spr", IndexedSprite(0, { HalvedFrame(8, 8, 255, 1) }, COLOURS),
          { 0, 0, 255 }, { 200, 0, 0 } },
        { "1 adds to what is behind", "b.spr", IndexedSprite(1, { HalvedFrame(8, 8, 255, 1) }, COLOURS),
          { 100, 100, 255 }, { 255, 100, 100 } },
        { "3 cuts the key colour", "c.spr", IndexedSprite(3, { HalvedFrame(8, 8, 255, 1) }, COLOURS),
          { 100, 100, 100 }, { 200, 0, 0 } },
        { "-1 follows the picture's alpha", "d.sp2", Quake2Sprite({ "half.tga" }), { 100, 100, 100 },
          { 150, 50, 50 } },
        { "-1 transparent, alpha 1", "e.sp2", Quake2Sprite({ "key.tga" }), { 100, 100, 100 }, { 200, 0, 0 }, 1.0f },
        { "-1 transparent, alpha 0.3", "f.sp2", Quake2Sprite({ "key.tga" }), { 100, 100, 100 }, { 130, 70, 70 },
          0.3f },
        { "-1 transparent, alpha 0", "g.sp2", Quake2Sprite({ "key.tga" }), { 100, 100, 100 }, { 100, 100, 100 },
          0.0f },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        COGLSprite& sprite = Load(c.file, c.bytes);
        sprite.SetScaleX(2.0f);
        sprite.SetScaleY(2.0f);
        if (c.alpha >= 0.0f) {
            sprite.SetTransparent(true);
            sprite.SetDiffuseAlpha(c.alpha);
        }
        Clear();
        Backdrop(100, 100, 100, -1.0f);   // behind the sprite at z = 0
        // The fragment colour must not show through transparent texels.
        glColor3ub(255, 255, 0);
        sprite.Draw(State(), DRAW_MATERIAL);
        ExpectSpots({ { -1.0f, 0.0f, c.left[0], c.left[1], c.left[2] },
                      { 1.0f, 0.0f, c.right[0], c.right[1], c.right[2] }, { 3.0f, 0.0f, 100, 100, 100 } });
    }
}

// Every mode, known or not, puts back the blending, alpha test, depth
// writes, texturing and lighting it changed.
TEST_F(SpriteDrawTest, EveryBlendModeLeavesTheStateItsTrackerHolds) {
    COGLSprite& sprite = Load("s.spr", IndexedSprite(0, { { 8, 8 } }, COLOURS));
    for (int mode : { -1, 0, 1, 2, 3, 4, 5, 9 }) {
        for (bool transparent : { false, true }) {
            SCOPED_TRACE(mode);
            sprite.blendMode = mode;
            sprite.SetTransparent(transparent);
            // Lit or not, as the viewport's render style has it.
            if (transparent) {
                glEnable(GL_LIGHTING);
            } else {
                glDisable(GL_LIGHTING);
            }
            CGLState& gl = Restate();
            sprite.Draw(gl, DRAW_MATERIAL | DRAW_AXES);
            sprite.DrawSelected(gl);
            sprite.DrawForSelection();
            ExpectStateKnown();
        }
    }
    glDisable(GL_LIGHTING);
}

// The frame on show changes on the tick that reaches it and wraps to the
// first after the last.
TEST_F(SpriteDrawTest, TickChangesTheFrameAndWraps) {
    COGLSprite& sprite =
        Load("s.spr", IndexedSprite(0, { IndexedFrame(8, 8, 1), IndexedFrame(8, 8, 2), IndexedFrame(8, 8, 3) },
                                    COLOURS));
    sprite.frameStep = 0.5f;
    const int expected[][3] = { { 200, 0, 0 }, { 0, 200, 0 }, { 0, 200, 0 }, { 0, 0, 200 }, { 0, 0, 200 },
                                { 200, 0, 0 } };
    for (const int* colour : expected) {
        sprite.Animate();
        Clear();
        sprite.Draw(State(), DRAW_MATERIAL);
        EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), colour[0], colour[1], colour[2]));
    }
}

// Picking uses exactly the drawn quad, and the highlight outlines it.
TEST_F(SpriteDrawTest, HighlightOutlinesTheQuad) {
    COGLSprite& sprite = Load("s.spr", IndexedSprite(0, { { 8, 8 } }, COLOURS));
    sprite.SetScaleX(2.0f);
    sprite.SetScaleY(2.0f);
    sprite.DrawSelected(State());
    EXPECT_TRUE(ColorNear(BrightestAround(2.0f, 1.0f, 2), 255, 255, 255));
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 0, 0, 0));
}
