#include <GL/gl.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "image/COGLTexture2D.h"
#include "models/COGLSprite.h"
#include "models/SpriteBytes.h"
#include "support/ExpectVector.h"
#include "support/ModelFileFixture.h"
#include "support/ParsedFiles.h"
#include "support/RealFiles.h"

namespace {

class SpriteReaderTest : public CModelFileFixture {
protected:
    COGLSprite& Loaded(const std::string& name, const std::string& bytes) {
        COGLSprite& sprite = Load<COGLSprite>(name, bytes);
        EXPECT_TRUE(sprite.IsLoaded()) << reports.Errors(*scene);
        return sprite;
    }
};

class SpriteDrawTest : public SpriteReaderTest {};

// A text sprite: "SPRT", the lines each ended by CR LF, then tail as it is.
std::string SpriteText(const std::vector<std::string>& lines, const std::string& tail = "") {
    std::string text = "SPRT\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return text + tail;
}

// Palette entries 1 red, 2 green, 3 blue; the rest, 255 (the key colour of
// mode 3) too, grey 40.
const std::vector<std::vector<uint8_t>> RGB = { { 0, 0, 0 }, { 200, 0, 0 }, { 0, 200, 0 }, { 0, 0, 200 } };

}  // namespace

// A sprite that is no sprite, or whose frames do not all load, is told and
// shows nothing. None reads outside the file.
TEST_F(SpriteReaderTest, RefusedSpritesAreToldAndShowNothing) {
    const std::string indexed = IndexedSprite(0, { { 4, 4 } }, RGB);
    const struct {
        const char* what;
        std::string bytes;
        const char* message;
    } cases[] = {
        { "too short for a magic", "ID", "Error reading sprite." },
        { "unknown magic", "IDPO\x06\0\0\0", "Invalid sprite file format." },
        { "Quake's own sprite", IndexedSprite(0, { { 4, 4 } }, RGB, 1), "Not a valid Quake 2 sprite." },
        { "Quake II sprite version 3", Quake2Sprite({ "a.pcx" }, 32, 3), "Not a valid Quake 2 sprite." },
        { "Quake II frames beyond the file", Quake2Sprite({ "a.pcx" }).substr(0, 60), "Error reading sprite." },
        { "indexed header cut", indexed.substr(0, 500), "Error reading sprite." },
        { "indexed pixels beyond the file", indexed.substr(0, indexed.size() - 1),
          "Error loading the texture for this sprite." },
        { "indexed frame of 0 x 0", IndexedSprite(0, { { 0, 0 } }, RGB), "Error loading the texture for this sprite." },
        // Format 7 decodes nothing, so only the size check stops this one.
        { "indexed frame of width 0", IndexedSprite(7, { { 0, 4 } }, RGB),
          "Error loading the texture for this sprite." },
        { "indexed frame count beyond the file", std::string(indexed).replace(28, 4, "\xff\xff\x0\x0", 4),
          "Error reading sprite." },
        { "indexed frame group", std::string(indexed).replace(810, 1, "\x1", 1),
          "Error loading the texture for this sprite." },
        { "Quake II picture missing", Quake2Sprite({ "missing.pcx" }), "Error loading the texture for this sprite." },
        { "Quake II without frames", Quake2Sprite({}), "There are no textures for this sprite." },
        { "indexed without frames", IndexedSprite(0, {}, RGB), "There are no textures for this sprite." },
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
        COGLSprite& sprite =
            Load<COGLSprite>("s" + std::to_string(models.size()) + ".spr", IndexedSprite(c.format, c.frames, RGB));
        ASSERT_TRUE(sprite.IsLoaded());
        EXPECT_EQ(sprite.blendMode, c.format);
        EXPECT_EQ(sprite.frameCount, static_cast<int32_t>(c.frames.size()));
        EXPECT_FLOAT_EQ(sprite.scale.x, c.x);
        EXPECT_FLOAT_EQ(sprite.scale.y, c.y);
        ExpectVector(sprite.extents, c.x, c.y, 0.0f);
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
        { "text before an opening comment goes with it", SpriteText({ "top.tga /* hidden", "*/", "top.tga" }), top,
          { "top" } },
        { "a line comment cuts the line", SpriteText({ "top.tga // missing.tga" }), top, { "top" } },
        { "capital extension is no frame line", SpriteText({ "missing.TGA", "top.tga" }), top, { "top" } },
        { "a last line without its line end is ignored", SpriteText({ "top.tga" }, "missing.tga"), top, { "top" } },
        { "a bare line end is no line end", SpriteText({ "top.tga" }, "missing.tga\n"), top, { "top" } },
        { "the cut after .tga", SpriteText({ "top.tga trailing words" }), top, { "top" } },
        // What an overlong line names past its cut at 1023 characters is no frame line.
        { "an overlong line is cut", SpriteText({ std::string(1020, 'x') + " missing.tga", "top.tga" }), top,
          { "top" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ParsedModel parsed = ParseSprite(std::vector<uint8_t>(c.text.begin(), c.text.end()));
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
    const std::string sprite = Quake2Sprite({ "sprites/f0.pcx", "sprites/f1.pcx" });
    COGLSprite& first = Load<COGLSprite>("sprites/s.sp2", sprite);
    ASSERT_TRUE(first.IsLoaded()) << reports.Errors(*scene);
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
}

// The record is the object's, then the sprite's path, its archive, animation
// state and a byte; the record's scale wins over the file's. The object's
// render mode (2 in the sample prefix, at byte 215) is not the sprite's blend
// mode (0 from this file): each keeps its own.
TEST_F(SpriteReaderTest, RecordKeepsItsLayoutScaleAndTheObjectsRenderMode) {
    COGLSprite& sprite = Load<COGLSprite>("s.spr", IndexedSprite(0, { { 64, 32 } }, RGB));
    sprite.SetScaleX(3.0f);
    const std::vector<uint8_t> saved = SavedBytes([&](CFile& file) { sprite.Save(file, -1); });
    ASSERT_EQ(saved.size(), OBJECT_RECORD_SIZE + 260 + 4 + 4 + 4 + 4 + 1);
    EXPECT_FLOAT_EQ(ReadAs<COGLSprite>(Bytes { saved }).scale.x, 3.0f);

    Bytes sample { SampleObjectPrefix() };
    sample.Raw(saved.data() + OBJECT_RECORD_SIZE, saved.size() - OBJECT_RECORD_SIZE);
    COGLSprite& again = ReadAs<COGLSprite>(sample);
    EXPECT_EQ(again.blendMode, 0);
    EXPECT_EQ(IntAt(SavedBytes([&](CFile& file) { again.Save(file, 3); }), 215), 2);
}

// Seen from an orbit angle the quad faces the viewer with its 2 x 1 units (a
// 64 x 32 frame), turned by its roll alone: the object's orientation does not
// turn a sprite. Only turns about the viewing axis count, wrapped to one turn.
TEST_F(SpriteDrawTest, FacesTheCameraTurnedByItsRollAlone) {
    COGLSprite& sprite = Loaded("s.spr", IndexedSprite(0, { { 64, 32 } }, RGB));
    sprite.RotateX(90.0f);
    sprite.RotateZ(-90.0f);  // the long side upright
    const float a = 135.0f * 3.14159265f / 180.0f;
    LookAt(5.0f * std::sin(a), 0.0f, 5.0f * std::cos(a), 0, 0, 0, 0, 1, 0);
    sprite.Draw(State(), DRAW_MATERIAL);
    const auto right = [&](float k) { return PixelOfWorld(k * std::cos(a), 0.0f, -k * std::sin(a)); };
    EXPECT_TRUE(ColorNear(PixelOfWorld(0.0f, 0.9f, 0.0f), 200, 0, 0));
    EXPECT_TRUE(ColorNear(PixelOfWorld(0.0f, -0.9f, 0.0f), 200, 0, 0));
    EXPECT_TRUE(ColorNear(right(0.4f), 200, 0, 0));
    EXPECT_TRUE(ColorNear(PixelOfWorld(0.0f, 1.15f, 0.0f), 0, 0, 0));
    EXPECT_TRUE(ColorNear(right(0.6f), 0, 0, 0));

    sprite.roll = 0.0f;
    sprite.Rotate(CVector(0.0f, 0.0f, 1.0f), 370.0f);
    sprite.Rotate(CVector(1.0f, 0.0f, 0.0f), 45.0f);
    sprite.RotateY(30.0f);
    EXPECT_FLOAT_EQ(sprite.roll, -10.0f);
    sprite.RotateZ(-25.0f);
    EXPECT_FLOAT_EQ(sprite.roll, 15.0f);
}

// One texel of each mode over grey, the yellow fragment colour never showing
// through; a transparent Quake II sprite in decal mode fades with its
// material's alpha. Each mode puts back the state it changed.
TEST_F(SpriteDrawTest, EachBlendModeBlendsAsItsRowSays) {
    folder.Write("half.tga", TinyTga(8, 8, 200, 0, 0, 128, 128));
    folder.Write("red.tga", TinyTga(8, 8, 200, 0, 0));
    const struct {
        const char* what;
        std::string bytes;
        int r, g, b;
        float alpha;  // the material's; below 1 the sprite is transparent
    } cases[] = {
        { "0 draws the key colour too", IndexedSprite(0, { { 8, 8, 255 } }, RGB), 40, 40, 40, 1.0f },
        { "1 adds to what is behind", IndexedSprite(1, { { 8, 8, 1 } }, RGB), 255, 100, 100, 1.0f },
        { "3 cuts the key colour", IndexedSprite(3, { { 8, 8, 255 } }, RGB), 100, 100, 100, 1.0f },
        { "-1 follows the picture's alpha", Quake2Sprite({ "half.tga" }), 150, 50, 50, 1.0f },
        { "-1 transparent, alpha 0.3", Quake2Sprite({ "red.tga" }), 130, 70, 70, 0.3f },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        COGLSprite& sprite = Loaded(std::string(c.what) + ".spr", c.bytes);
        sprite.SetTransparent(c.alpha < 1.0f);
        sprite.SetDiffuseAlpha(c.alpha);
        Clear();
        Backdrop(100, 100, 100, -1.0f);
        glColor3ub(255, 255, 0);
        sprite.Draw(State(), DRAW_MATERIAL);
        EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), c.r, c.g, c.b));
        ExpectStateKnown();
    }
}

// The frame on show changes on the tick that reaches it and wraps to the
// first after the last. Forged animation numbers in a record never name a
// frame past the end.
TEST_F(SpriteDrawTest, TickChangesTheFrameAndWraps) {
    COGLSprite& sprite = Loaded("s.spr", IndexedSprite(0, { { 8, 8, 1 }, { 8, 8, 2 }, { 8, 8, 3 } }, RGB));
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

// Every real sprite of the test data reads as its header says: the kind and
// each frame's size, read from the files by hand. Quake's own sprites
// (version 1) are refused.
TEST_F(SpriteReaderTest, RealSpritesReadAsTheirLayoutsSay) {
    const std::vector<std::filesystem::path> files = TestDataFiles("sprite", ".sp2");
    if (files.empty()) {
        GTEST_SKIP() << "no sprite test data";
    }
    using Sizes = std::vector<std::pair<int, int>>;
    const struct {
        const char* file;
        const char* kind;
        Sizes sizes;
    } sprites[] = {
        { "didux-quake/sprites/s_bfg1.sp2", "sp2", Sizes(2, { 48, 48 }) },
        { "didux-quake/sprites/s_bfg2.sp2", "sp2", Sizes(4, { 64, 64 }) },
        { "testcs/sprites/lgtning.spr", "spr", Sizes(3, { 32, 64 }) },
        { "testcs/sprites/tinyspit.spr", "spr", Sizes(4, { 16, 16 }) },
        { "valve-addon/sprites/640_pain.spr", "spr", { { 128, 48 }, { 48, 128 }, { 128, 48 }, { 48, 128 } } },
        { "valve-addon/sprites/crosshairs.spr", "spr", { { 128, 128 } } },
        { "valve-addon/sprites/muzzleflash3.spr", "spr", { { 64, 64 } } },
        { "valve-addon/sprites/richo1.spr", "spr", { { 32, 32 } } },
        { "vgio/test.spr", "refused", {} },
    };
    EXPECT_EQ(files.size() + TestDataFiles("sprite", ".spr").size(), std::size(sprites)) << "a sprite without a row";
    for (const auto& expected : sprites) {
        SCOPED_TRACE(expected.file);
        COGLSprite& sprite = LoadPath<COGLSprite>((testData / "sprite" / expected.file).string());
        if (std::string(expected.kind) == "refused") {
            EXPECT_FALSE(sprite.IsLoaded());
            EXPECT_NE(reports.Errors(*scene).find("Not a valid Quake 2 sprite."), std::string::npos);
            continue;
        }
        ASSERT_TRUE(sprite.IsLoaded()) << reports.Errors(*scene);
        EXPECT_STREQ(sprite.Kind(), expected.kind);
        ASSERT_EQ(sprite.frameCount, static_cast<int32_t>(expected.sizes.size()));
        scene->UploadTextures();
        for (size_t i = 0; i < expected.sizes.size(); i++) {
            EXPECT_EQ(std::pair(sprite.frameInfo[i].width, sprite.frameInfo[i].height), expected.sizes[i]) << i;
            // Every frame was found (the Quake II ones beside the sprite) and uploaded.
            EXPECT_NE(sprite.frames[i]->textureName, 0u) << "frame " << i;
        }
        sprite.Draw(State(), DRAW_MATERIAL);
    }
}
