#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "image/COGLTexture2D.h"
#include "models/COGLSprite.h"
#include "models/SpriteBytes.h"
#include "platform/CFile.h"
#include "support/CapturedReports.h"
#include "support/GameFiles.h"
#include "support/LoadedModels.h"
#include "support/ModelRecordReader.h"
#include "support/ParsedFiles.h"
#include "support/RecordBytes.h"
#include "support/TestFolder.h"

namespace {

class SpriteReaderTest : public CModelFixture<COGLSprite> {
protected:
    // A sprite of the scene read from a file written in the folder.
    COGLSprite& Load(const std::string& name, const std::string& bytes) {
        models.push_back(std::make_unique<COGLSprite>());
        LoadModelInto(*scene, *models.back(), folder.Write(name, bytes));
        return *models.back();
    }

    CCapturedReports reports;
    CTestFolder folder;
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

}  // namespace

// None reads outside the file.
TEST(SpriteFiles, UnsoundFilesAreRefusedWithTheirMessage) {
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
        { "indexed frame count beyond the file", std::string(indexed).replace(28, 4, "\xff\xff\x0\x0", 4),
          "Error reading sprite." },
        { "indexed frame group", std::string(indexed).replace(810, 1, "\x1", 1),
          "Error loading the texture for this sprite." },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ParsedModel parsed = Parse(c.bytes);
        EXPECT_EQ(parsed.data, nullptr);
        EXPECT_NE(MessageTexts(parsed.messages).find(c.message), std::string::npos) << MessageTexts(parsed.messages);
    }
}

// A sprite that is no sprite, or whose frames do not all load, is told and
// shows nothing.
TEST_F(SpriteReaderTest, RefusedSpritesAreToldAndShowNothing) {
    const struct {
        const char* what;
        std::string bytes;
        const char* message;
    } cases[] = {
        { "no sprite", "IDPO", "Invalid sprite file format." },
        { "Quake II picture missing", Quake2Sprite({ "missing.pcx" }), "Error loading the texture for this sprite." },
        { "Quake II without frames", Quake2Sprite({}), "There are no textures for this sprite." },
        { "indexed without frames", IndexedSprite(0, {}, RED), "There are no textures for this sprite." },
        { "text without frames", SpriteText({ "scale 2", "path pics" }), "There are no textures for this sprite." },
        { "text picture missing", SpriteText({ "missing.tga" }), "Error loading the texture for this sprite." },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        reports.Clear();
        const COGLSprite& sprite = Load(std::string(c.what) + ".spr", c.bytes);
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
        COGLSprite& sprite = Load("s" + std::to_string(models.size()) + ".spr", IndexedSprite(c.format, c.frames, RED));
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
    COGLSprite& first = Load("sprites/s.sp2", sprite);
    ASSERT_TRUE(first.IsLoaded()) << reports.Errors(*scene);
    EXPECT_STREQ(first.Kind(), "sp2");
    EXPECT_EQ(first.blendMode, -1);
    EXPECT_EQ(first.frameInfo[0].width, 48);
    EXPECT_EQ(first.frameInfo[0].title, "f0");
    COGLSprite& second = Load("sprites/s.sp2", sprite);
    ASSERT_TRUE(second.IsLoaded());
    EXPECT_EQ(second.frames, first.frames);
    second.frameStep = 1.0f;
    second.Animate();
    EXPECT_EQ(second.Texture(), second.frames[1]);
    EXPECT_EQ(first.Texture(), first.frames[0]);

    folder.Write("text/pics/a.tga", TinyTga(4, 2, 255, 0, 0));
    const COGLSprite& text = Load("t.txt", SpriteText({ "path text", "frame1 pics/a.tga" }));
    ASSERT_TRUE(text.IsLoaded()) << reports.Errors(*scene);
    EXPECT_EQ(text.SkinNames(), std::vector<std::string>{ "text/pics/a.tga" });
    EXPECT_EQ(text.frameInfo[0].title, "frame1");
    EXPECT_EQ(text.frames[0]->Title(), "a");  // the cached picture keeps its own title
    EXPECT_EQ(text.frameInfo[0].width, 4);
    EXPECT_EQ(reports.Errors(*scene), "");
}

TEST_F(SpriteReaderTest, RecordKeepsItsNameScaleAndAnimationState) {
    COGLSprite& sprite = Load("s.spr", IndexedSprite(0, { { 64, 32 }, { 64, 32 }, { 64, 32 } }, RED));
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

    const COGLSprite& loaded = Read(record);
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
    COGLSprite& again = Read(sample);
    EXPECT_EQ(again.blendMode, 0);
    EXPECT_EQ(IntAt(SavedBytes([&](CFile& file) { again.Save(file, 3); }), 215), 2);
}

TEST_F(SpriteReaderTest, TurnsOnlyAboutTheViewingAxis) {
    COGLSprite sprite;
    sprite.Rotate(CVector(0.0f, 0.0f, 1.0f), 370.0f);
    EXPECT_FLOAT_EQ(sprite.roll, -10.0f);
    sprite.Rotate(CVector(1.0f, 0.0f, 0.0f), 45.0f);
    sprite.RotateX(30.0f);
    sprite.RotateY(30.0f);
    EXPECT_FLOAT_EQ(sprite.roll, -10.0f);
    sprite.RotateZ(-25.0f);
    EXPECT_FLOAT_EQ(sprite.roll, 15.0f);
}

// Forged animation numbers in a record never name a frame past the end.
TEST_F(SpriteReaderTest, TickWrapsAndSurvivesForgedPositions) {
    COGLSprite& sprite = Load("s.spr", IndexedSprite(0, { { 4, 4 }, { 4, 4 }, { 4, 4 } }, RED));
    ASSERT_TRUE(sprite.IsLoaded());
    sprite.frameStep = 0.5f;
    std::vector<int32_t> shown;
    for (int tick = 0; tick < 7; tick++) {
        sprite.Animate();
        shown.push_back(sprite.CurrentFrame());
        EXPECT_EQ(sprite.Texture(), sprite.frames[static_cast<size_t>(sprite.CurrentFrame())]);
    }
    EXPECT_EQ(shown, (std::vector<int32_t> { 0, 1, 1, 2, 2, 0, 0 }));
    for (float forged : { 1e30f, -5.0f, std::numeric_limits<float>::quiet_NaN() }) {
        sprite.framePosition = forged;
        sprite.frameStep = forged;
        sprite.Animate();
        EXPECT_EQ(sprite.CurrentFrame(), 0);
    }
}
