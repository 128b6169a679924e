#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numeric>
#include <tuple>

#include "models/COGLMD2.h"
#include "models/Md2Normals.h"
#include "platform/CPakFile.h"
#include "support/CapturedReports.h"
#include "support/TestFolder.h"
#include "models/Md2Bytes.h"

namespace {

class Md2Reader : public ::testing::Test {
protected:
    bool Read(const Bytes& bytes) { return model.ReadModel(bytes.bytes.data(), bytes.Size(), false); }
    // Refused whole, with the message.
    bool Refused(const Bytes& bytes) {
        const size_t logged = Errors().size();
        COGLMD2 fresh;
        return !fresh.ReadModel(bytes.bytes.data(), bytes.Size(), false) && !fresh.dataLoaded &&
               Errors().find("Not a valid MD2 File.", logged) != std::string::npos;
    }
    std::string Errors() const { return reports.Errors(); }

    CCapturedReports reports;
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

using Animation = std::tuple<std::string, int, int>;  // name, first, count

Animation Of(const CModelAnimation* animation) {
    return animation ? Animation { animation->name, animation->first, animation->count } : Animation {};
}

std::vector<Animation> AnimationsOf(const COGLMD2& model) {
    std::vector<Animation> found;
    for (const auto& animation : model.animations) found.push_back(Of(animation.get()));
    return found;
}

}  // namespace

TEST_F(Md2Reader, GroupsNeighbouringFramesByNameWithoutTrailingDigits) {
    ASSERT_TRUE(Read(FramesNamed({ "pain_a1", "pain_a2", "death", "123", "stand1", "run1", "stand2" }).Write()));
    EXPECT_EQ(AnimationsOf(model), (std::vector<Animation> { { "pain_a", 0, 2 }, { "death", 2, 1 }, { "1", 3, 1 },
                                                             { "stand", 4, 1 }, { "run", 5, 1 }, { "stand", 6, 1 },
                                                             { "<all>", 0, 7 } }));
    EXPECT_EQ(model.GetAnimation(), model.animations.back().get());

    // One group needs no "<all>".
    ASSERT_TRUE(Read(FramesNamed({ "idle1", "idle2", "idle3" }).Write()));
    ASSERT_EQ(model.animations.size(), 1u);
    EXPECT_EQ(model.GetAnimation(), model.animations[0].get());
}

// Only models of several frames animate; a missing animation hides the model.
TEST_F(Md2Reader, AnimationsStartAndSelectByName) {
    ASSERT_TRUE(Read(FramesNamed({ "still" }).Write()));
    model.StartAnimation();
    EXPECT_FALSE(model.animating);
    ASSERT_TRUE(Read(FramesNamed({ "stand1", "stand2", "run1" }).Write()));
    model.StartAnimation();
    EXPECT_TRUE(model.animating);
    model.SelectAnimation("jump");
    EXPECT_FALSE(model.visible);
    EXPECT_EQ(model.GetAnimation(), nullptr);
    model.Animate();  // must not touch a missing animation
    model.SelectAnimation("run");
    EXPECT_TRUE(model.visible);
    EXPECT_EQ(Of(model.GetAnimation()), Animation("run", 2, 1));
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
        return bytes.PutU32(offset, value);
    };
    EXPECT_TRUE(Refused(forged(0, 0x33504449)));  // "IDP3"
    EXPECT_TRUE(Refused(forged(4, 7)));           // version
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
    struct Case {
        const char* what;
        int32_t run;
        std::vector<int32_t> indices;
        bool closed;
        int triangles;  // -1: refused
    };
    std::vector<int32_t> hundred(100);
    std::iota(hundred.begin(), hundred.end(), 0);
    const Case cases[] = {
        { "a strip", 3, { 0, 1, 2 }, true, 1 },
        { "a fan longer than 64 vertices", -100, hundred, true, 98 },
        { "a fan without its closing zero, ending with the words", -3, { 0, 1, 2 }, false, 1 },
        { "an index past the vertices", 3, { 0, 1, 100 }, true, -1 },
        { "a negative index", 3, { -1, 1, 2 }, true, -1 },
        { "a run past the list", 4, { 0, 1, 2 }, true, -1 },
        { "the smallest run", INT_MIN, { 0 }, true, -1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Md2Layout layout;
        layout.frames = { NamedFrame("still", std::vector<Md2Vertex>(100, Md2Vertex { 1, 2, 3, 0 })) };
        layout.Run(c.run);
        for (int32_t index : c.indices) layout.Vertex(0, 0, index);
        if (c.closed) layout.End();
        if (c.triangles < 0) {
            EXPECT_TRUE(Refused(layout.Write()));
        } else {
            ASSERT_TRUE(Read(layout.Write()));
            EXPECT_EQ(model.TriangleCount(), c.triangles);
        }
    }

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
    const uint8_t first = model.Frame(0)[40 + 3];
    EXPECT_GT(std::fabs(md2Normals[first][0]), 0.99f);
    for (int v = 1; v < 4; v++) {
        EXPECT_EQ(model.Frame(0)[40 + 4 * v + 3], first);
    }
}

TEST_F(Md2Reader, CopiesShareNothingButTheirSkins) {
    ASSERT_TRUE(Read(FramesNamed({ "stand1", "stand2", "run1" }).Write()));
    model.name = "ogre";
    model.SelectAnimation("run");
    COGLMD2 copy;
    copy.CopyModel(model);
    EXPECT_EQ(copy.name, "Copy of ogre");
    EXPECT_EQ(copy.fileBytes, model.fileBytes);
    EXPECT_NE(copy.fileBytes.data(), model.fileBytes.data());
    EXPECT_NE(copy.GetAnimation(), model.GetAnimation());
    EXPECT_EQ(Of(copy.GetAnimation()), Animation("run", 2, 1));
}

// A file that does not open changes nothing and is not told.
TEST_F(Md2Reader, TakesItsNameFromTheFolderOfItsPath) {
    const std::pair<std::string, std::string> cases[] = {
        { "models/monsters/tank/tris.md2", "tank" },
        { "players/male/medium/tris.md2", "male" },
        { "tank/tris.md2", "md2" },
        { "models\\items\\quad\\tris.md2", "quad" },
    };
    std::vector<std::pair<std::string, std::string>> entries;
    for (const auto& [path, name] : cases) entries.emplace_back(path, Text(Triangle().Write()));
    CTestFolder folder;
    CPakFile pak;
    ASSERT_TRUE(pak.Open(folder.Write("models.pak", PakOf(entries))));
    for (const auto& [path, name] : cases) {
        COGLMD2 fromArchive;
        fromArchive.LoadFromArchive(pak, *pak.FindEntry(path));
        EXPECT_TRUE(fromArchive.loaded);
        EXPECT_EQ(fromArchive.name, name) << path;
    }

    model.LoadFromFile("/nonexistent/models/tank/tris.md2");
    EXPECT_FALSE(model.loaded);
    EXPECT_EQ(model.name, "md2");
    EXPECT_TRUE(model.path.empty());
    EXPECT_TRUE(Errors().empty());
}

TEST_F(Md2Reader, OnlyTheFirst55CharactersOfThePathNameIt) {
    CTestFolder folder;
    const std::string longFolder = "monster_with_a_long_folder_name_here";
    const std::string start = folder.Path("models/");
    if (start.size() + 10 > 55) {
        GTEST_SKIP() << "the temporary folder's path is too long for this case";
    }
    model.LoadFromFile(folder.Write("models/" + longFolder + "/tris.md2", Text(Triangle().Write())));
    EXPECT_TRUE(model.loaded);
    EXPECT_EQ(model.folder, start + longFolder + "/");
    EXPECT_EQ(model.name, "models");
}
