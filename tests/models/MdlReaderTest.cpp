#include <GL/gl.h>

#include <memory>

#include "image/COGLTexture2D.h"
#include "models/COGLMDL.h"
#include "models/Md2Normals.h"
#include "models/MdlBytes.h"
#include "models/ModelFiles.h"
#include "platform/CPakFile.h"
#include "support/CapturedReports.h"
#include "support/GLTest.h"
#include "support/TestFolder.h"

namespace {

// Skins are decoded into textures while the file is read.
class MdlReader : public GLTest {
protected:
    bool Read(const Bytes& bytes) { return model.ReadModel(bytes.bytes.data(), bytes.Size()); }
    // Refused whole, with the message.
    bool Refused(const Bytes& bytes) {
        reports.Clear();
        COGLMDL fresh;
        return !fresh.ReadModel(bytes.bytes.data(), bytes.Size()) && !fresh.dataLoaded && fresh.skins.empty() &&
               reports.Errors().find("Not a valid MDL (classic quake model) file.") != std::string::npos;
    }
    std::vector<std::pair<std::string, int>> Animations() const {
        std::vector<std::pair<std::string, int>> found;
        for (const auto& animation : model.animations) {
            EXPECT_EQ(animation->first, 0);
            found.emplace_back(animation->name, animation->count);
        }
        return found;
    }

    CCapturedReports reports;
    COGLMDL model;
};

MdlFrame Frame(const std::string& name) {
    return { name, { { 0, 0, 0, 0 }, { 0, 10, 0, 0 }, { 0, 0, 10, 0 } } };
}

std::vector<MdlFrame> Frames(const std::vector<std::string>& names) {
    std::vector<MdlFrame> frames;
    for (const std::string& name : names) frames.push_back(Frame(name));
    return frames;
}

}  // namespace

TEST_F(MdlReader, FramesAndGroupsBecomeAnimationsByName) {
    using Expected = std::vector<std::pair<std::string, int>>;
    struct Case {
        const char* what;
        MdlLayout layout;
        Expected expected;
    };
    std::vector<std::string> walkAndRun;
    for (const char* group : { "walk", "run" }) {
        for (int i = 1; i <= 8; i++) walkAndRun.push_back(group + std::to_string(i));
    }
    const Case cases[] = {
        { "single frames", MdlTriangle(walkAndRun), { { "walk", 8 }, { "run", 8 } } },
        { "two groups of one name", MdlTriangle({}).Group(Frames({ "idle", "idle" })).Group(Frames({ "idle" })),
          { { "idle", 2 }, { "idle", 1 } } },
        { "names differing within a group", MdlTriangle({}).Group(Frames({ "on1", "on2", "off1" })),
          { { "on", 2 }, { "off", 1 } } },
        { "a group, then single frames", MdlTriangle({}).Group(Frames({ "on1", "on2" })).Single(Frame("off1")).Single(Frame("off2")),
          { { "on", 2 }, { "off", 2 } } },
        { "a group and a single frame of one name", MdlTriangle({ "stand1" }).Group(Frames({ "stand2" })).Single(Frame("stand3")),
          { { "stand", 1 }, { "stand", 1 }, { "stand", 1 } } },
        { "an empty first name", MdlTriangle({ "", "", "x" }), { { "", 2 }, { "x", 1 } } },
        { "a group without frames", MdlTriangle({ "a" }).Group({}).Single(Frame("a")), { { "a", 1 }, { "a", 1 } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Read(c.layout.Write()));
        EXPECT_EQ(Animations(), c.expected);
        EXPECT_EQ(model.GetAnimation(), model.animations.front().get());
        EXPECT_EQ(model.GetFrameCount(), c.expected.front().second);
    }
}

TEST_F(MdlReader, RefusesWhatIsNotAModelItReadsOrWouldBeReadOutsideTheData) {
    const Bytes good = MdlTriangle({ "a1", "a2" }, 2).Write();
    ASSERT_FALSE(Refused(good));
    auto forged = [&](size_t offset, uint32_t value) {
        Bytes bytes = good;
        bytes.PutU32(offset, value);
        return bytes;
    };
    const size_t firstSkin = 84;
    const size_t triangles = firstSkin + 2 * (4 + 4) + 3 * 12;
    const size_t normal = triangles + 16 + 4 + 8 + 16 + 3;
    const std::pair<const char*, Bytes> refused[] = {
        { "version 5", forged(4, 5) },
        { "another format's magic", forged(0, 0x32504449) },  // "IDP2"
        { "a skin group", forged(firstSkin, 1) },
        { "no frames", forged(MDL_FRAME_COUNT, 0) },
        { "more frames than there are", forged(MDL_FRAME_COUNT, 0x7fffffff) },
        { "a negative skin count", forged(MDL_SKIN_COUNT, 0xffffffff) },
        { "more skins than there are", forged(MDL_SKIN_COUNT, 1000) },
        { "no skin width", forged(MDL_SKIN_WIDTH, 0) },
        { "a skin larger than the file", forged(MDL_SKIN_HEIGHT, 0x7fffffff) },
        { "a negative vertex count", forged(MDL_VERTEX_COUNT, 0x80000000) },
        { "more triangles than there are", forged(MDL_TRIANGLE_COUNT, 0x10000000) },
        { "a vertex index at the vertex count", forged(triangles + 12, 3) },
        { "a negative vertex index", forged(triangles + 4, 0xffffffff) },
        { "a normal past the table", [&] { Bytes b = good; b.bytes[normal] = MD2_NORMAL_COUNT; return b; }() },
    };
    for (const auto& [what, bytes] : refused) {
        EXPECT_TRUE(Refused(bytes)) << what;
    }
    Bytes lastNormal = good;
    lastNormal.bytes[normal] = MD2_NORMAL_COUNT - 1;
    EXPECT_FALSE(Refused(lastNormal));
}

TEST_F(MdlReader, EmbeddedSkinsAreTitledByNumberAndOwnedByTheModel) {
    ASSERT_TRUE(Read(MdlTriangle({ "a" }, 10).Write()));
    EXPECT_EQ(model.skinCountInFile, 10);
    ASSERT_EQ(model.skins.size(), 10u);
    EXPECT_EQ(model.skins[0]->title, "skin  1");
    EXPECT_EQ(model.skins[1]->title, "skin  2");
    EXPECT_EQ(model.skins[9]->title, "skin  :");
    EXPECT_TRUE(model.skins[0]->path.empty());
    EXPECT_NE(model.skins[0]->textureName, 0u);
    EXPECT_TRUE(model.SkinNames().empty());

    // Skins too wide to decode are left out; the model still loads.
    MdlLayout wide = MdlTriangle({ "a" });
    wide.skinWidth = 16385;
    wide.skinHeight = 1;
    wide.skins = { std::vector<uint8_t>(16385, 1) };
    ASSERT_TRUE(Read(wide.Write()));
    EXPECT_EQ(model.skinCountInFile, 1);
    EXPECT_TRUE(model.skins.empty());
}

TEST_F(MdlReader, OnlyAnimationsOfSeveralFramesAnimateAndMissingOnesHide) {
    ASSERT_TRUE(Read(MdlTriangle({ "still", "run1", "run2" }).Write()));
    model.StartAnimation();
    EXPECT_FALSE(model.animating);
    model.SelectAnimation("run");
    EXPECT_EQ(model.GetFrameCount(), 2);
    model.StartAnimation();
    EXPECT_TRUE(model.animating);
    model.SelectAnimation("jump");
    EXPECT_FALSE(model.visible);
    EXPECT_EQ(model.GetAnimation(), nullptr);
    model.Animate();
    model.Draw(DRAW_MATERIAL);  // nothing to draw, nothing touched
}

TEST_F(MdlReader, CopiesShareTheSkinsAndOutliveTheirSource) {
    const Bytes file = MdlTriangle({ "stand1", "run1", "run2" }, 2).Write();
    auto source = std::make_unique<COGLMDL>();
    ASSERT_TRUE(source->ReadModel(file.bytes.data(), file.Size()));
    source->name = "ogre";
    source->SelectAnimation("run");
    source->SetTexture(source->skins[1]);
    COGLMDL copy;
    copy.CopyModel(*source);
    EXPECT_EQ(copy.name, "Copy of ogre");
    EXPECT_EQ(copy.skins, source->skins);
    EXPECT_EQ(copy.texture, source->skins[1]);
    ASSERT_NE(copy.GetAnimation(), nullptr);
    EXPECT_NE(copy.GetAnimation(), source->GetAnimation());
    EXPECT_EQ(copy.GetAnimation()->name, "run");
    EXPECT_EQ(copy.GetFrameCount(), 2);
    EXPECT_EQ(copy.FileFrameCount(), 3);

    source.reset();
    EXPECT_TRUE(glIsTexture(copy.skins[1]->textureName));
    copy.Draw(DRAW_MATERIAL);
}

TEST_F(MdlReader, TakesItsNameFromTheFileTitle) {
    CTestFolder folder;
    const std::string file = Text(MdlTriangle({ "a" }).Write());
    model.LoadFromFile(folder.Write("progs/Armor.MDL", file));
    EXPECT_TRUE(model.loaded);
    EXPECT_EQ(model.name, "Armor");
    EXPECT_EQ(model.folder, folder.Path("progs/"));

    CPakFile pak;
    ASSERT_TRUE(pak.Open(folder.Write("pak0.pak", PakOf({ { "progs/h_knight.mdl", file } }))));
    COGLMDL fromArchive;
    fromArchive.LoadFromArchive(pak, *pak.FindEntry("progs/h_knight.mdl"));
    EXPECT_TRUE(fromArchive.loaded);
    EXPECT_EQ(fromArchive.name, "h_knight");
    EXPECT_EQ(fromArchive.path, "progs/h_knight.mdl");
    EXPECT_EQ(fromArchive.pak, &pak);

    COGLMDL missing;
    missing.LoadFromFile(folder.Path("gone.mdl"));
    EXPECT_FALSE(missing.loaded);
    EXPECT_EQ(missing.name, "MDL");
    EXPECT_TRUE(missing.path.empty());
}

TEST_F(MdlReader, TheSignatureTellsClassicModelsFromHalfLifeOnes) {
    CTestFolder folder;
    const std::string classic = folder.Write("ARMOR.MDL", Text(MdlTriangle({ "a" }).Write()));
    const std::string halfLife = folder.Write("barney.mdl", "IDST\012\0\0\0");
    const std::unique_ptr<COGLModel> made = CreateModelForFile(classic);
    ASSERT_NE(made, nullptr);
    EXPECT_STREQ(made->ClassName(), "COGLMDL");
    EXPECT_STREQ(ModelKindOfFile(classic), "MDL");
    EXPECT_STREQ(CreateModelForFile(halfLife)->ClassName(), "COGLHLModel");
    EXPECT_STREQ(ModelKindOfFile(halfLife), "Half-Life");
    EXPECT_EQ(ModelKindOfFile(folder.Write("notes.mdl", "IDPX")), nullptr);
}
