#include <GL/gl.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "image/COGLTexture2D.h"
#include "models/COGLSprite.h"
#include "models/SpriteBytes.h"
#include "support/ModelFileFixture.h"
#include "support/ParsedFiles.h"

namespace {

class SpriteReaderTest : public CModelFileFixture {};

class SpriteDrawTest : public CModelFileFixture {
protected:
    COGLSprite& Loaded(const std::string& name, const std::string& bytes) {
        COGLSprite& sprite = Load<COGLSprite>(name, bytes);
        EXPECT_TRUE(sprite.IsLoaded()) << reports.Errors(*scene);
        return sprite;
    }
};

ParsedModel Parse(const std::string& bytes) {
    return ParseSprite(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

// A text sprite: "SPRT", the lines each ended by CR LF, then tail as it is.
std::string SpriteText(const std::vector<std::string>& lines, const std::string& tail = "") {
    std::string text = "SPRT\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return text + tail;
}

const std::vector<std::vector<uint8_t>> RED = { { 0, 0, 0 }, { 255, 0, 0 } };

// Palette entries: 1 red, 2 green, 3 blue, 255 the key colour of mode 3.
const std::vector<std::vector<uint8_t>> COLOURS = [] {
    std::vector<std::vector<uint8_t>> colours(256, { 40, 40, 40 });
    colours[1] = { 200, 0, 0 };
    colours[2] = { 0, 200, 0 };
    colours[3] = { 0, 0, 200 };
    colours[255] = { 0, 0, 255 };
    return colours;
}();

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

// A sprite that is no sprite, or whose frames do not all load, is told and
// shows nothing. None reads outside the file.
TEST_F(SpriteReaderTest, RefusedSpritesAreToldAndShowNothing) {
    const std::string indexed = IndexedSprite(0, { { 4, 4 } }, RED);
    const struct {
        const char* what;
        std::string bytes;
        const char* message;
    } cases[] = {
        { "too short for a magic", "ID", "Error reading sprite." },
        { "unknown magic", "IDPO\x06\0\0\0", "Invalid sprite file format." },
        { "Quake's own sprite", IndexedSprite(0, { { 4, 4 } }, RED, 1), "Not a valid Quake 2 sprite." },
        { "Quake II sprite version 3", Quake2Sprite({ "a.pcx" }, 32, 3), "Not a valid Quake 2 sprite." },
        { "Quake II frames beyond the file", Quake2Sprite({ "a.pcx" }).substr(0, 60), "Error reading sprite." },
        { "indexed header cut", indexed.substr(0, 500), "Error reading sprite." },
        { "indexed pixels beyond the file", indexed.substr(0, indexed.size() - 1),
          "Error loading the texture for this sprite." },
        { "indexed frame of 0 x 0", IndexedSprite(0, { { 0, 0 } }, RED), "Error loading the texture for this sprite." },
        // Format 7 decodes nothing, so only the size check stops this one.
        { "indexed frame of width 0", IndexedSprite(7, { { 0, 4 } }, RED), "Error loading the texture for this sprite." },
        { "indexed frame count beyond the file", std::string(indexed).replace(28, 4, "\xff\xff\x0\x0", 4),
          "Error reading sprite." },
        { "indexed frame group", std::string(indexed).replace(810, 1, "\x1", 1),
          "Error loading the texture for this sprite." },
        { "Quake II picture missing", Quake2Sprite({ "missing.pcx" }), "Error loading the texture for this sprite." },
        { "Quake II without frames", Quake2Sprite({}), "There are no textures for this sprite." },
        { "indexed without frames", IndexedSprite(0, {}, RED), "There are no textures for this sprite." },
        { "text without frames", SpriteText({ "scale 2", "path pics" }), "There are no textures for this sprite." },
        { "text picture missing", SpriteText({ "missing.tga" }), "Error loading the texture for this sprite." },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        reports.Clear();
        const COGLSprite& sprite = Load<COGLSprite>(std::string(c.what) + ".spr", c.bytes);
        EXPECT_FALSE(sprite.IsLoaded());
        EXPECT_TRUE(sprite.frames.empty());
        EXPECT_EQ(sprite.Texture(), nullptr);
        EXPECT_NE(reports.Errors(*scene).find(c.message), std::string::npos) << reports.Errors(*scene);
    }
}

// The quad keeps the first frame's aspect ratio; the blend mode is the
// file's texture format. A format that loads no picture still reads the
// frames after it, and the quad stays square instead of taking a size
// divided by zero. One frame does not animate.
TEST_F(SpriteReaderTest, ScaleFollowsTheFirstFrame) {
    const struct {
        int32_t format;
        std::vector<IndexedFrame> frames;
        float x, y;
    } cases[] = {
        { 3, { { 64, 32 }, { 8, 8 } }, 1.0f, 0.5f },
        { 3, { { 32, 64 }, { 8, 8 } }, 0.5f, 1.0f },
        { 0, { { 16, 16 } }, 1.0f, 1.0f },
        { 7, { { 8, 4 }, { 4, 8 } }, 1.0f, 1.0f },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        COGLSprite& sprite = Load<COGLSprite>("s" + std::to_string(models.size()) + ".spr", IndexedSprite(c.format, c.frames, RED));
        ASSERT_TRUE(sprite.IsLoaded());
        EXPECT_STREQ(sprite.Kind(), "spr");
        EXPECT_EQ(sprite.blendMode, c.format);
        EXPECT_EQ(sprite.frameCount, static_cast<int32_t>(c.frames.size()));
        EXPECT_EQ(sprite.frameInfo.back().width, c.frames.back().width);
        EXPECT_FLOAT_EQ(sprite.scale.x, c.x);
        EXPECT_FLOAT_EQ(sprite.scale.y, c.y);
        EXPECT_FLOAT_EQ(sprite.extents.x, c.x);
        EXPECT_FLOAT_EQ(sprite.extents.y, c.y);
        EXPECT_EQ(sprite.Texture(), sprite.frames[0]);
        sprite.StartAnimation();
        EXPECT_EQ(sprite.animating, c.frames.size() > 1);
    }
}

TEST(SpriteFiles, TextSpriteLines) {
    const std::vector<std::string> top = { "top.tga" };
    const struct {
        const char* what;
        std::string text;
        std::vector<std::string> pictures;
        std::vector<std::string> titles;
    } cases[] = {
        { "titles with and without a leading word",
          SpriteText({ "path sprites", "frame1 pics/a.tga", "pics/b.tga", "scale 2" }),
          { "sprites/pics/a.tga", "sprites/pics/b.tga" }, { "frame1", "pics/b" } },
        { "a comment over three lines hides the middle one",
          SpriteText({ "path sprites", "/* open", "pics/missing.tga", "close */pics/a.tga" }), { "sprites/pics/a.tga" },
          { "pics/a" } },
        { "text before an opening comment goes with it", SpriteText({ "top.tga /* hidden", "*/", "top.tga" }), top, { "top" } },
        { "a line comment cuts the line", SpriteText({ "top.tga // missing.tga" }), top, { "top" } },
        { "capital extension is no frame line", SpriteText({ "missing.TGA", "top.tga" }), top, { "top" } },
        { "a last line without its line end is ignored", SpriteText({ "top.tga" }, "missing.tga"), top, { "top" } },
        { "a bare line end is no line end", SpriteText({ "top.tga" }, "missing.tga\n"), top, { "top" } },
        { "the cut after .tga", SpriteText({ "top.tga trailing words" }), top, { "top" } },
        // What an overlong line names past its cut at 1023 characters is no frame line.
        { "an overlong line is cut", SpriteText({ std::string(1020, 'x') + " missing.tga", "top.tga" }), top, { "top" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ParsedModel parsed = Parse(c.text);
        ASSERT_NE(parsed.data, nullptr);
        EXPECT_TRUE(parsed.messages.empty());
        const CSpriteData& sprite = *DataOf<CSpriteData>(parsed);
        EXPECT_EQ(sprite.kind, KIND_TEXT);
        EXPECT_EQ(sprite.blendMode, 5);
        std::vector<std::string> pictures, titles;
        for (const CSpriteData::Frame& frame : sprite.frames) {
            pictures.push_back(frame.pictureName);
            titles.push_back(frame.title);
        }
        EXPECT_EQ(pictures, c.pictures);
        EXPECT_EQ(titles, c.titles);
    }
}

// Quake II sprites name pictures from the game folder; beside the sprite
// they are found too. Text sprites name theirs from their "path"; each
// frame's texture takes the frame's title. Every sprite of the file shares
// one texture a picture, and shows its own frame.
TEST_F(SpriteReaderTest, FramePicturesAreFoundAndShared) {
    folder.Write("sprites/f0.pcx", TinyPcx(255, 0, 0));
    folder.Write("sprites/f1.pcx", TinyPcx(0, 255, 0));
    const std::string sprite = Quake2Sprite({ "sprites/f0.pcx", "sprites/f1.pcx" }, 48);
    COGLSprite& first = Load<COGLSprite>("sprites/s.sp2", sprite);
    ASSERT_TRUE(first.IsLoaded()) << reports.Errors(*scene);
    EXPECT_STREQ(first.Kind(), "sp2");
    EXPECT_EQ(first.blendMode, -1);
    EXPECT_EQ(first.frameInfo[0].width, 48);
    EXPECT_EQ(first.frameInfo[0].title, "f0");
    COGLSprite& second = Load<COGLSprite>("sprites/s.sp2", sprite);
    ASSERT_TRUE(second.IsLoaded());
    EXPECT_EQ(second.frames, first.frames);
    second.frameStep = 1.0f;
    second.Animate();
    EXPECT_EQ(second.Texture(), second.frames[1]);
    EXPECT_EQ(first.Texture(), first.frames[0]);

    folder.Write("text/pics/a.tga", TinyTga(4, 2, 255, 0, 0));
    const COGLSprite& text = Load<COGLSprite>("t.txt", SpriteText({ "path text", "frame1 pics/a.tga" }));
    ASSERT_TRUE(text.IsLoaded()) << reports.Errors(*scene);
    EXPECT_EQ(text.SkinNames(), std::vector<std::string>{ "text/pics/a.tga" });
    EXPECT_EQ(text.frameInfo[0].title, "frame1");
    EXPECT_EQ(text.frames[0]->Title(), "a");  // the cached picture keeps its own title
    EXPECT_EQ(text.frameInfo[0].width, 4);
    EXPECT_EQ(reports.Errors(*scene), "");
}

TEST_F(SpriteReaderTest, RecordKeepsItsNameScaleAndAnimationState) {
    COGLSprite& sprite = Load<COGLSprite>("s.spr", IndexedSprite(0, { { 64, 32 }, { 64, 32 }, { 64, 32 } }, RED));
    ASSERT_TRUE(sprite.IsLoaded());
    sprite.name = "glow";
    sprite.SetScaleX(3.0f);
    sprite.SetScaleY(2.0f);
    sprite.frameStep = 0.25f;
    sprite.framePosition = 1.5f;
    sprite.SetFrames(1, sprite.NextFrame(), sprite.FrameFraction());
    sprite.reserved = 7;
    Bytes record;
    record.bytes = SavedBytes([&](CFile& file) { sprite.Save(file, -1); });
    ASSERT_EQ(record.Size(), OBJECT_RECORD_SIZE + 260 + 4 + 4 + 4 + 4 + 1);
    EXPECT_EQ(std::string(record.bytes.begin() + OBJECT_RECORD_SIZE, record.bytes.begin() + OBJECT_RECORD_SIZE + sprite.path.size()),
              sprite.path);

    const COGLSprite& loaded = ReadAs<COGLSprite>(record);
    ASSERT_TRUE(loaded.IsLoaded());
    EXPECT_EQ(loaded.name, "glow");
    EXPECT_FLOAT_EQ(loaded.scale.x, 3.0f);
    EXPECT_FLOAT_EQ(loaded.scale.y, 2.0f);
    EXPECT_FLOAT_EQ(loaded.extents.x, 1.0f);
    EXPECT_FLOAT_EQ(loaded.extents.y, 0.5f);
    EXPECT_FLOAT_EQ(loaded.frameStep, 0.25f);
    EXPECT_FLOAT_EQ(loaded.framePosition, 1.5f);
    EXPECT_EQ(loaded.CurrentFrame(), 1);
    EXPECT_EQ(loaded.reserved, 7);
    EXPECT_EQ(loaded.Texture(), loaded.frames[0]);  // until the first tick changes it

    // The object's render mode (2 in the sample prefix, at byte 215) is not
    // the sprite's blend mode (0 from this file): each keeps its own.
    Bytes sample;
    sample.bytes = SampleObjectPrefix();
    sample.Raw(record.bytes.data() + OBJECT_RECORD_SIZE, record.Size() - OBJECT_RECORD_SIZE);
    COGLSprite& again = ReadAs<COGLSprite>(sample);
    EXPECT_EQ(again.blendMode, 0);
    EXPECT_EQ(IntAt(SavedBytes([&](CFile& file) { again.Save(file, 3); }), 215), 2);
}

// From every orbit angle the quad shows its full width and height to the
// viewer: 2 x 1 units for a 64 x 32 frame at scale 2.
TEST_F(SpriteDrawTest, FacesTheCameraFromAnyOrbitAngle) {
    COGLSprite& sprite = Loaded("s.spr", IndexedSprite(0, { { 64, 32 } }, COLOURS));
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

// The roll turns the quad, and the highlight outlines what was drawn.
TEST_F(SpriteDrawTest, RollTurnsTheQuad) {
    COGLSprite& sprite = Loaded("s.spr", IndexedSprite(0, { { 64, 16 } }, COLOURS));
    sprite.SetScaleX(2.0f);
    sprite.SetScaleY(0.5f);
    sprite.Draw(State(), DRAW_MATERIAL);
    ExpectSpots({ { 1.5f, 0.0f, 200, 0, 0 }, { 0.0f, 1.5f, 0, 0, 0 } });
    Clear();
    sprite.RotateZ(-90.0f);
    sprite.Draw(State(), DRAW_MATERIAL);
    ExpectSpots({ { 1.5f, 0.0f, 0, 0, 0 }, { 0.0f, 1.5f, 200, 0, 0 } });

    // Only turns about the viewing axis count, wrapped to one turn.
    COGLSprite turned;
    turned.Rotate(CVector(0.0f, 0.0f, 1.0f), 370.0f);
    turned.Rotate(CVector(1.0f, 0.0f, 0.0f), 45.0f);
    turned.RotateX(30.0f);
    turned.RotateY(30.0f);
    EXPECT_FLOAT_EQ(turned.roll, -10.0f);
    turned.RotateZ(-25.0f);
    EXPECT_FLOAT_EQ(turned.roll, 15.0f);

    // Turned back and square: the outline runs along its edges.
    Clear();
    sprite.RotateZ(90.0f);
    sprite.SetScaleY(2.0f);
    sprite.DrawSelected(State());
    EXPECT_TRUE(ColorNear(BrightestAround(2.0f, 1.0f, 2), 255, 255, 255));
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 0, 0, 0));
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
        COGLSprite& sprite = Loaded(c.file, c.bytes);
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
    COGLSprite& sprite = Loaded("s.spr", IndexedSprite(0, { { 8, 8 } }, COLOURS));
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
// first after the last. Forged animation numbers in a record never name a
// frame past the end.
TEST_F(SpriteDrawTest, TickChangesTheFrameAndWraps) {
    COGLSprite& sprite =
        Loaded("s.spr", IndexedSprite(0, { IndexedFrame(8, 8, 1), IndexedFrame(8, 8, 2), IndexedFrame(8, 8, 3) },
                                      COLOURS));
    sprite.frameStep = 0.5f;
    const int expected[][3] = { { 200, 0, 0 }, { 0, 200, 0 }, { 0, 200, 0 }, { 0, 0, 200 }, { 0, 0, 200 },
                                { 200, 0, 0 }, { 200, 0, 0 } };
    for (const int* colour : expected) {
        sprite.Animate();
        EXPECT_EQ(sprite.Texture(), sprite.frames[static_cast<size_t>(sprite.CurrentFrame())]);
        Redraw(sprite);
        EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), colour[0], colour[1], colour[2]));
    }
    for (float forged : { 1e30f, -5.0f, std::numeric_limits<float>::quiet_NaN() }) {
        sprite.framePosition = forged;
        sprite.frameStep = forged;
        sprite.Animate();
        EXPECT_EQ(sprite.CurrentFrame(), 0);
    }
}
