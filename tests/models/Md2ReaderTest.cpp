#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>

#include "diag/CDiagnostics.h"
#include "models/COGLMD2.h"
#include "models/Md2Normals.h"
#include "platform/CMessageBox.h"
#include "scene/CPakFile.h"
#include "support/TestFolder.h"
#include "models/Md2Bytes.h"

namespace {

class Md2Reader : public ::testing::Test {
protected:
    void SetUp() override {
        previousFolder = Diagnostics().GetFolder();
        Diagnostics().SetFolder(logs.Path());
        CMessageBox::SetBackend(CMessageBox::discard);
    }
    void TearDown() override {
        Diagnostics().SetFolder(previousFolder);
        CMessageBox::SetBackend(CMessageBox::standardError);
    }

    bool Read(const Bytes& bytes) { return model.ReadModel(bytes.bytes.data(), bytes.Size(), false); }
    bool Refused(const Bytes& bytes) {
        COGLMD2 fresh;
        return !fresh.ReadModel(bytes.bytes.data(), bytes.Size(), false) && !fresh.dataLoaded;
    }
    std::string Errors() const { return CTestFolder::Read(Diagnostics().ErrorFilePath()); }

    CTestFolder logs;
    std::string previousFolder;
    COGLMD2 model;
};

// One triangle over three vertices, in two frames.
Md2Layout Triangle() {
    Md2Layout layout;
    const std::vector<Md2Vertex> vertices = { { 0, 0, 0, 5 }, { 10, 0, 0, 5 }, { 0, 10, 0, 5 } };
    layout.frames = { NamedFrame("walk1", vertices), NamedFrame("walk2", vertices) };
    layout.Run(3).Vertex(0, 0, 0).Vertex(1, 0, 1).Vertex(0, 1, 2).End();
    return layout;
}

Md2Layout FramesNamed(const std::vector<std::string>& names) {
    Md2Layout layout;
    for (const std::string& name : names) {
        layout.frames.push_back(NamedFrame(name));
    }
    layout.End();
    return layout;
}

void ExpectAnimation(const CModelAnimation& animation, const std::string& name, int first, int count) {
    EXPECT_EQ(animation.name, name);
    EXPECT_EQ(animation.first, first);
    EXPECT_EQ(animation.count, count);
}

}  // namespace

TEST_F(Md2Reader, RefusesAnotherMagicOrVersion) {
    Md2Layout layout = Triangle();
    layout.version = 7;
    EXPECT_FALSE(Read(layout.Write()));
    layout.version = 8;
    layout.magic = "IDP3";
    EXPECT_FALSE(Read(layout.Write()));
    EXPECT_FALSE(model.loaded);
    EXPECT_NE(Errors().find("Not a valid MD2 File."), std::string::npos);
}

TEST_F(Md2Reader, ReadsFramesCommandsAndYOffset) {
    Md2Layout layout = Triangle();
    layout.frames[0].translate[2] = -24.5f;
    ASSERT_TRUE(Read(layout.Write()));
    EXPECT_TRUE(model.dataLoaded);
    EXPECT_EQ(model.GetFrameCount(), 2);
    EXPECT_EQ(model.VerticesPerFrame(), 3);
    EXPECT_EQ(model.commandCount, 11);
    EXPECT_EQ(model.TriangleCount(), 1);
    EXPECT_FLOAT_EQ(model.yOffset, -24.5f);
    ASSERT_EQ(model.animations.size(), 1u);
    ExpectAnimation(*model.GetAnimation(), "walk", 0, 2);
}

TEST_F(Md2Reader, GroupsFramesByNameWithoutTrailingDigits) {
    std::vector<std::string> names;
    for (int i = 1; i <= 40; i++) names.push_back((i < 10 ? "stand0" : "stand") + std::to_string(i));
    for (int i = 1; i <= 6; i++) names.push_back("run" + std::to_string(i));
    ASSERT_TRUE(Read(FramesNamed(names).Write()));
    ASSERT_EQ(model.animations.size(), 3u);
    ExpectAnimation(*model.animations[0], "stand", 0, 40);
    ExpectAnimation(*model.animations[1], "run", 40, 6);
    ExpectAnimation(*model.animations[2], "<all>", 0, 46);
    EXPECT_EQ(model.GetAnimation(), model.animations[2].get());

    ASSERT_TRUE(Read(FramesNamed({ "pain_a1", "pain_a2", "death", "123", "stand1", "run1", "stand2" }).Write()));
    ASSERT_EQ(model.animations.size(), 7u);
    ExpectAnimation(*model.animations[0], "pain_a", 0, 2);
    ExpectAnimation(*model.animations[1], "death", 2, 1);
    ExpectAnimation(*model.animations[2], "1", 3, 1);
    ExpectAnimation(*model.animations[3], "stand", 4, 1);
    ExpectAnimation(*model.animations[5], "stand", 6, 1);
    ExpectAnimation(*model.animations[6], "<all>", 0, 7);

    ASSERT_TRUE(Read(FramesNamed({ "idle1", "idle2", "idle3" }).Write()));
    ASSERT_EQ(model.animations.size(), 1u);
    EXPECT_EQ(model.GetAnimation(), model.animations[0].get());
}

TEST_F(Md2Reader, SelectingAMissingAnimationHidesTheModel) {
    ASSERT_TRUE(Read(FramesNamed({ "stand1", "run1" }).Write()));
    model.SelectAnimation("jump");
    EXPECT_FALSE(model.visible);
    EXPECT_EQ(model.GetAnimation(), nullptr);
    model.Animate();  // must not touch a missing animation
    model.SelectAnimation("run");
    EXPECT_TRUE(model.visible);
    ExpectAnimation(*model.GetAnimation(), "run", 1, 1);
}

TEST_F(Md2Reader, OnlyModelsWithSeveralFramesAnimate) {
    ASSERT_TRUE(Read(FramesNamed({ "still" }).Write()));
    model.StartAnimation();
    EXPECT_FALSE(model.animating);
    ASSERT_TRUE(Read(Triangle().Write()));
    model.StartAnimation();
    EXPECT_TRUE(model.animating);
}

TEST_F(Md2Reader, ARunLongerThanSixtyFourVerticesIsKept) {
    Md2Layout layout;
    std::vector<Md2Vertex> vertices(100, Md2Vertex { 1, 2, 3, 0 });
    layout.frames = { NamedFrame("long", vertices) };
    layout.Run(-100);
    for (int i = 0; i < 100; i++) layout.Vertex(0, 0, i);
    layout.End();
    ASSERT_TRUE(Read(layout.Write()));
    EXPECT_EQ(model.TriangleCount(), 98);
}

TEST_F(Md2Reader, AListWithoutItsClosingZeroEndsWithItsWords) {
    Md2Layout layout = Triangle();
    layout.commands = Bytes();
    layout.Run(-3).Vertex(0, 0, 0).Vertex(0, 0, 1).Vertex(0, 0, 2);
    ASSERT_TRUE(Read(layout.Write()));
    EXPECT_EQ(model.TriangleCount(), 1);
}

TEST_F(Md2Reader, RefusesWhatWouldBeReadOutsideTheData) {
    const Bytes good = Triangle().Write();
    ASSERT_FALSE(Refused(good));
    for (size_t cut = 0; cut < good.Size(); cut++) {
        Bytes truncated;
        truncated.Raw(good.bytes.data(), cut);
        EXPECT_TRUE(Refused(truncated)) << "cut at " << cut;
    }

    auto forged = [&](size_t offset, uint32_t value) {
        Bytes bytes = good;
        bytes.PutU32(offset, value);
        return bytes;
    };
    EXPECT_TRUE(Refused(forged(MD2_FRAME_COUNT, 0)));
    EXPECT_TRUE(Refused(forged(MD2_FRAME_COUNT, 0x7fffffff)));
    EXPECT_TRUE(Refused(forged(MD2_FRAME_SIZE, 40)));          // no vertices
    EXPECT_TRUE(Refused(forged(MD2_FRAME_SIZE, 0xfffffff0)));
    EXPECT_TRUE(Refused(forged(MD2_SKIN_COUNT, 0xffffffff)));
    EXPECT_TRUE(Refused(forged(MD2_SKIN_COUNT, 1000)));
    EXPECT_TRUE(Refused(forged(MD2_COMMAND_COUNT, 0x7fffffff)));
    EXPECT_TRUE(Refused(forged(MD2_COMMAND_OFFSET, 0x7ffffff0)));
    EXPECT_TRUE(Refused(forged(MD2_FRAME_OFFSET, 0xffffff00)));
    EXPECT_TRUE(Refused(forged(MD2_SKIN_OFFSET, static_cast<uint32_t>(good.Size() + 1))));
}

TEST_F(Md2Reader, RefusesCommandsAndNormalsNamingWhatIsNotThere) {
    Md2Layout badIndex = Triangle();
    badIndex.commands = Bytes();
    badIndex.Run(3).Vertex(0, 0, 0).Vertex(0, 0, 1).Vertex(0, 0, 3).End();
    EXPECT_TRUE(Refused(badIndex.Write()));

    Md2Layout negativeIndex = Triangle();
    negativeIndex.commands = Bytes();
    negativeIndex.Run(3).Vertex(0, 0, -1).Vertex(0, 0, 1).Vertex(0, 0, 2).End();
    EXPECT_TRUE(Refused(negativeIndex.Write()));

    Md2Layout runPastTheList = Triangle();
    runPastTheList.commands = Bytes();
    runPastTheList.Run(4).Vertex(0, 0, 0).Vertex(0, 0, 1).Vertex(0, 0, 2).End();
    EXPECT_TRUE(Refused(runPastTheList.Write()));

    Md2Layout smallestRun = Triangle();
    smallestRun.commands = Bytes();
    smallestRun.Run(INT_MIN).Vertex(0, 0, 0).End();
    EXPECT_TRUE(Refused(smallestRun.Write()));

    Md2Layout badNormal = Triangle();
    badNormal.frames[1].vertices[2].normal = MD2_NORMAL_COUNT;
    EXPECT_TRUE(Refused(badNormal.Write()));
    badNormal.frames[1].vertices[2].normal = MD2_NORMAL_COUNT - 1;
    EXPECT_FALSE(Refused(badNormal.Write()));
}

TEST_F(Md2Reader, RecomputedNormalsFaceAwayFromTheFaces) {
    // A square in the file's plane x = 0; its normals all point along file x
    // (mesh z) and start out pointing elsewhere.
    Md2Layout layout;
    layout.frames = { NamedFrame("quad", { { 0, 0, 0, 5 }, { 0, 10, 0, 5 }, { 0, 0, 10, 5 }, { 0, 10, 10, 5 } }) };
    layout.Run(4).Vertex(0, 0, 0).Vertex(0, 0, 1).Vertex(0, 0, 2).Vertex(0, 0, 3).End();
    const Bytes bytes = layout.Write();
    ASSERT_TRUE(model.ReadModel(bytes.bytes.data(), bytes.Size(), true));
    const uint8_t first = model.frames[40 + 3];
    EXPECT_GT(std::fabs(md2Normals[first][0]), 0.99f);
    for (int v = 1; v < 4; v++) {
        EXPECT_EQ(model.frames[40 + 4 * v + 3], first);
    }
}

TEST_F(Md2Reader, RecomputesNormalsForThousandsOfVertices) {
    Md2Layout layout;
    std::vector<Md2Vertex> vertices;
    for (int i = 0; i < 3000; i++) vertices.push_back({ static_cast<uint8_t>(i), static_cast<uint8_t>(i / 7), 0, 0 });
    layout.frames = { NamedFrame("big", vertices) };
    layout.Run(3).Vertex(0, 0, 2997).Vertex(0, 0, 2998).Vertex(0, 0, 2999).End();
    const Bytes bytes = layout.Write();
    ASSERT_TRUE(model.ReadModel(bytes.bytes.data(), bytes.Size(), true));
    EXPECT_EQ(model.VerticesPerFrame(), 3000);
}

TEST_F(Md2Reader, CopiesShareNothingButTheirSkins) {
    ASSERT_TRUE(Read(FramesNamed({ "stand1", "stand2", "run1" }).Write()));
    model.name = "ogre";
    model.SelectAnimation("run");
    COGLMD2 copy;
    copy.CopyModel(model);
    EXPECT_EQ(copy.name, "Copy of ogre");
    EXPECT_TRUE(copy.dataLoaded);
    EXPECT_EQ(copy.frames, model.frames);
    EXPECT_NE(copy.frames.data(), model.frames.data());
    ASSERT_NE(copy.GetAnimation(), nullptr);
    EXPECT_NE(copy.GetAnimation(), model.GetAnimation());
    ExpectAnimation(*copy.GetAnimation(), "run", 2, 1);
}

namespace {

// A PACK archive holding one model under each of the given names.
std::string ArchiveOf(const std::vector<std::string>& names, const Bytes& model) {
    Bytes b;
    const uint32_t directory = static_cast<uint32_t>(12 + model.Size());
    b.Text("PACK").U32(directory).U32(static_cast<uint32_t>(64 * names.size()));
    b.Raw(model.bytes.data(), model.Size());
    for (const std::string& name : names) {
        b.Field(name.c_str(), 56).U32(12).U32(static_cast<uint32_t>(model.Size()));
    }
    return std::string(b.bytes.begin(), b.bytes.end());
}

}  // namespace

TEST_F(Md2Reader, TakesItsNameFromTheFolderOfItsPath) {
    const std::vector<std::string> names = {
        "models/monsters/tank/tris.md2",
        "players/male/medium/tris.md2",
        "tank/tris.md2",
        "models\\items\\quad\\tris.md2",
    };
    CTestFolder folder;
    CPakFile pak;
    ASSERT_TRUE(pak.Open(folder.Write("models.pak", ArchiveOf(names, Triangle().Write()))));
    const std::vector<std::string> expected = { "tank", "male", "md2", "quad" };
    for (size_t i = 0; i < names.size(); i++) {
        COGLMD2 fromArchive;
        const CPakEntry* entry = pak.FindEntry(names[i]);
        ASSERT_NE(entry, nullptr);
        fromArchive.LoadFromArchive(pak, *entry, false);
        EXPECT_TRUE(fromArchive.loaded);
        EXPECT_EQ(fromArchive.path, names[i]);
        EXPECT_EQ(fromArchive.pak, &pak);
        EXPECT_EQ(fromArchive.name, expected[i]) << names[i];
    }
}

TEST_F(Md2Reader, OnlyTheFirst55CharactersOfThePathNameIt) {
    CTestFolder folder;
    const std::string longFolder = "monster_with_a_long_folder_name_here";
    const std::string start = folder.Path("models/");
    if (start.size() + 10 > 55) {
        GTEST_SKIP() << "the temporary folder's path is too long for this case";
    }
    const Bytes bytes = Triangle().Write();
    const std::string modelPath =
        folder.Write("models/" + longFolder + "/tris.md2", std::string(bytes.bytes.begin(), bytes.bytes.end()));
    model.LoadFromFile(modelPath, false);
    EXPECT_TRUE(model.loaded);
    EXPECT_EQ(model.path, modelPath);
    EXPECT_EQ(model.folder, start + longFolder + "/");
    EXPECT_EQ(model.name, "models");
}

TEST_F(Md2Reader, AFileThatDoesNotOpenChangesNothing) {
    model.LoadFromFile("/nonexistent/models/tank/tris.md2", false);
    EXPECT_FALSE(model.loaded);
    EXPECT_EQ(model.name, "md2");
    EXPECT_TRUE(model.path.empty());
    EXPECT_TRUE(Errors().empty());
}
