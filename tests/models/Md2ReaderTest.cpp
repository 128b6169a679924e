#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numeric>
#include <tuple>

#include "models/CMd2Data.h"
#include "models/Md2Bytes.h"
#include "models/Md2Normals.h"

namespace {

ParsedModel Parse(const Bytes& bytes, bool recomputeNormals = false) {
    return ParseMd2(std::vector<uint8_t>(bytes.bytes), recomputeNormals);
}

const CMd2Data* Md2(const ParsedModel& parsed) {
    return static_cast<const CMd2Data*>(parsed.data.get());
}

// Refused whole, with the message.
bool Refused(const Bytes& bytes) {
    const ParsedModel parsed = Parse(bytes);
    return parsed.data == nullptr && parsed.messages.size() == 1 && parsed.messages[0].number == 109;
}

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

std::vector<Animation> AnimationsOf(const Bytes& bytes) {
    const ParsedModel parsed = Parse(bytes);
    std::vector<Animation> found;
    EXPECT_NE(Md2(parsed), nullptr);
    if (Md2(parsed) != nullptr) {
        for (const CModelAnimation& a : Md2(parsed)->animations) found.emplace_back(a.name, a.first, a.count);
    }
    return found;
}

}  // namespace

TEST(Md2Reader, GroupsNeighbouringFramesByNameWithoutTrailingDigits) {
    EXPECT_EQ(AnimationsOf(FramesNamed({ "pain_a1", "pain_a2", "death", "123", "stand1", "run1", "stand2" }).Write()),
              (std::vector<Animation> { { "pain_a", 0, 2 }, { "death", 2, 1 }, { "1", 3, 1 }, { "stand", 4, 1 },
                                        { "run", 5, 1 }, { "stand", 6, 1 }, { "<all>", 0, 7 } }));
    // One group needs no "<all>".
    EXPECT_EQ(AnimationsOf(FramesNamed({ "idle1", "idle2", "idle3" }).Write()),
              (std::vector<Animation> { { "idle", 0, 3 } }));
}

TEST(Md2Reader, RefusesWhatWouldBeReadOutsideTheData) {
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

TEST(Md2Reader, RefusesCommandsAndNormalsNamingWhatIsNotThere) {
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
            const ParsedModel parsed = Parse(layout.Write());
            ASSERT_NE(Md2(parsed), nullptr);
            EXPECT_EQ(Md2(parsed)->TriangleCount(), c.triangles);
        }
    }

    Md2Layout badNormal = Triangle();
    badNormal.frames[1].vertices[2].normal = MD2_NORMAL_COUNT;
    EXPECT_TRUE(Refused(badNormal.Write()));
    badNormal.frames[1].vertices[2].normal = MD2_NORMAL_COUNT - 1;
    EXPECT_FALSE(Refused(badNormal.Write()));
}

TEST(Md2Reader, RecomputedNormalsFaceAwayFromTheFaces) {
    // A square in the file's plane x = 0 (the mesh's z = 0); its stored
    // normals point elsewhere.
    Md2Layout layout;
    layout.frames = { NamedFrame("quad", { { 0, 0, 0, 5 }, { 0, 10, 0, 5 }, { 0, 0, 10, 5 }, { 0, 10, 10, 5 } }) };
    layout.Run(4).Vertex(0, 0, 0).Vertex(0, 0, 1).Vertex(0, 0, 2).Vertex(0, 0, 3).End();
    for (bool recompute : { false, true }) {
        SCOPED_TRACE(recompute ? "recomputed" : "as stored");
        const ParsedModel parsed = Parse(layout.Write(), recompute);
        ASSERT_NE(Md2(parsed), nullptr);
        const CMd2Frame frame(Md2(parsed)->Frame(0));
        for (int v = 0; v < 4; v++) {
            EXPECT_EQ(std::fabs(Md2TableNormal(frame.NormalIndex(v)).z) > 0.99f, recompute) << v;
        }
    }
}
