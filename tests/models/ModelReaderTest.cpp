#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numeric>
#include <tuple>

#include "models/CMd2Data.h"
#include "models/CMdlData.h"
#include "models/Md2Bytes.h"
#include "models/Md2Normals.h"
#include "models/MdlBytes.h"

namespace {

ParsedModel Md2Parsed(const Bytes& bytes, bool recomputeNormals = false) {
    return ParseMd2(std::vector<uint8_t>(bytes.bytes), recomputeNormals);
}
ParsedModel MdlParsed(const Bytes& bytes) {
    return ParseMdl(bytes.bytes);
}
const CMd2Data* Md2(const ParsedModel& parsed) {
    return static_cast<const CMd2Data*>(parsed.data.get());
}

// Refused whole, with the kind's message.
bool Refused(const ParsedModel& parsed, int message) {
    return parsed.data == nullptr && parsed.messages.size() == 1 && parsed.messages[0].number == message;
}
bool Md2Refused(const Bytes& bytes) {
    return Refused(Md2Parsed(bytes), 109);
}
bool MdlRefused(const Bytes& bytes) {
    return Refused(MdlParsed(bytes), 119);
}

MdlFrame MdlFrameNamed(const std::string& name) {
    return { name, { { 0, 0, 0, 0 }, { 0, 10, 0, 0 }, { 0, 0, 10, 0 } } };
}
std::vector<MdlFrame> MdlFrames(const std::vector<std::string>& names) {
    std::vector<MdlFrame> frames;
    for (const std::string& name : names) frames.push_back(MdlFrameNamed(name));
    return frames;
}

using Animations = std::vector<std::tuple<std::string, int, int>>;  // name, first, count

Animations AnimationsOf(const ParsedModel& parsed) {
    Animations found;
    if (const auto* md2 = dynamic_cast<const CMd2Data*>(parsed.data.get())) {
        for (const CModelAnimation& a : md2->animations) found.emplace_back(a.name, a.first, a.count);
    } else if (const auto* mdl = dynamic_cast<const CMdlData*>(parsed.data.get())) {
        for (const auto& a : mdl->animations) found.emplace_back(a->name, a->first, a->count);
    }
    return found;
}

}  // namespace

// MD2 frames group by name without trailing digits, with "<all>" after
// several groups; MDL single frames join by name, and each frame group
// stands alone (MDL animations hold their own frames: first is 0).
TEST(ModelReader, FramesBecomeAnimationsByName) {
    std::vector<std::string> walkAndRun;
    for (const char* group : { "walk", "run" }) {
        for (int i = 1; i <= 8; i++) walkAndRun.push_back(group + std::to_string(i));
    }
    const struct {
        const char* what;
        ParsedModel parsed;
        Animations expected;
    } cases[] = {
        { "MD2 groups", Md2Parsed(Md2NamedFrames({ "pain_a1", "pain_a2", "death", "123", "stand1", "run1", "stand2" })),
          { { "pain_a", 0, 2 }, { "death", 2, 1 }, { "1", 3, 1 }, { "stand", 4, 1 }, { "run", 5, 1 }, { "stand", 6, 1 },
            { "<all>", 0, 7 } } },
        { "MD2 one group needs no <all>", Md2Parsed(Md2NamedFrames({ "idle1", "idle2", "idle3" })), { { "idle", 0, 3 } } },
        { "MDL single frames", MdlParsed(MdlTriangle(walkAndRun).Write()), { { "walk", 0, 8 }, { "run", 0, 8 } } },
        { "MDL two groups of one name",
          MdlParsed(MdlTriangle({}).Group(MdlFrames({ "idle", "idle" })).Group(MdlFrames({ "idle" })).Write()),
          { { "idle", 0, 2 }, { "idle", 0, 1 } } },
        { "MDL names differing within a group", MdlParsed(MdlTriangle({}).Group(MdlFrames({ "on1", "on2", "off1" })).Write()),
          { { "on", 0, 2 }, { "off", 0, 1 } } },
        { "MDL a group, then single frames",
          MdlParsed(MdlTriangle({}).Group(MdlFrames({ "on1", "on2" })).Single(MdlFrameNamed("off1"))
                        .Single(MdlFrameNamed("off2")).Write()),
          { { "on", 0, 2 }, { "off", 0, 2 } } },
        { "MDL a group and a single frame of one name",
          MdlParsed(MdlTriangle({ "stand1" }).Group(MdlFrames({ "stand2" })).Single(MdlFrameNamed("stand3")).Write()),
          { { "stand", 0, 1 }, { "stand", 0, 1 }, { "stand", 0, 1 } } },
        { "MDL a group without frames", MdlParsed(MdlTriangle({ "a" }).Group({}).Single(MdlFrameNamed("a")).Write()),
          { { "a", 0, 1 }, { "a", 0, 1 } } },
        { "MDL an empty first name", MdlParsed(MdlTriangle({ "", "", "x" }).Write()), { { "", 0, 2 }, { "x", 0, 1 } } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(c.parsed.data, nullptr);
        EXPECT_EQ(AnimationsOf(c.parsed), c.expected);
    }
}

// Every forged count, offset, index or normal is refused whole; none reads
// outside the data.
TEST(ModelReader, RefusesWhatIsNotAModelItReadsOrWouldBeReadOutsideTheData) {
    const Bytes md2 = Md2NamedFrames({ "walk1", "walk2" });
    ASSERT_FALSE(Md2Refused(md2));
    for (size_t cut = 0; cut < md2.Size(); cut++) {
        EXPECT_TRUE(Md2Refused(Bytes().Raw(md2.bytes.data(), cut))) << "cut at " << cut;
    }
    const Bytes mdl = MdlTriangle({ "a1", "a2" }, 2).Write();
    ASSERT_FALSE(MdlRefused(mdl));
    auto forged = [](Bytes bytes, size_t offset, uint32_t value) { return bytes.PutU32(offset, value); };
    auto byte = [](Bytes bytes, size_t offset, uint8_t value) {
        bytes.bytes[offset] = value;
        return bytes;
    };
    const size_t mdlSkin = 84;
    const size_t mdlTriangles = mdlSkin + 2 * (4 + 4) + 3 * 12;
    const size_t mdlNormal = mdlTriangles + 16 + 4 + 8 + 16 + 3;
    const size_t md2Normal = 68 + 2 * 44 - 1;  // second frame's vertex
    const struct {
        const char* what;
        bool (*refused)(const Bytes&);
        Bytes bytes;
        bool expected = true;
    } cases[] = {
        { "MD2 IDP3", Md2Refused, forged(md2, 0, 0x33504449) },
        { "MD2 version 7", Md2Refused, forged(md2, 4, 7) },
        { "MD2 no frames", Md2Refused, forged(md2, MD2_FRAME_COUNT, 0) },
        { "MD2 frames past the file", Md2Refused, forged(md2, MD2_FRAME_COUNT, 0x7fffffff) },
        { "MD2 frames without vertices", Md2Refused, forged(md2, MD2_FRAME_SIZE, 40) },
        { "MD2 huge frame size", Md2Refused, forged(md2, MD2_FRAME_SIZE, 0xfffffff0) },
        { "MD2 negative skin count", Md2Refused, forged(md2, MD2_SKIN_COUNT, 0xffffffff) },
        { "MD2 skins past the file", Md2Refused, forged(md2, MD2_SKIN_COUNT, 1000) },
        { "MD2 commands past the file", Md2Refused, forged(md2, MD2_COMMAND_COUNT, 0x7fffffff) },
        { "MD2 command offset past the file", Md2Refused, forged(md2, MD2_COMMAND_OFFSET, 0x7ffffff0) },
        { "MD2 frame offset past the file", Md2Refused, forged(md2, MD2_FRAME_OFFSET, 0xffffff00) },
        { "MD2 skin offset past the file", Md2Refused, forged(md2, MD2_SKIN_OFFSET, static_cast<uint32_t>(md2.Size() + 1)) },
        { "MD2 normal past the table", Md2Refused, byte(md2, md2Normal, MD2_NORMAL_COUNT) },
        { "MD2 last normal", Md2Refused, byte(md2, md2Normal, MD2_NORMAL_COUNT - 1), false },
        { "MDL version 5", MdlRefused, forged(mdl, 4, 5) },
        { "MDL IDP2", MdlRefused, forged(mdl, 0, 0x32504449) },
        { "MDL skin group", MdlRefused, forged(mdl, mdlSkin, 1) },
        { "MDL no frames", MdlRefused, forged(mdl, MDL_FRAME_COUNT, 0) },
        { "MDL frames past the file", MdlRefused, forged(mdl, MDL_FRAME_COUNT, 0x7fffffff) },
        { "MDL negative skin count", MdlRefused, forged(mdl, MDL_SKIN_COUNT, 0xffffffff) },
        { "MDL skins past the file", MdlRefused, forged(mdl, MDL_SKIN_COUNT, 1000) },
        { "MDL no skin width", MdlRefused, forged(mdl, MDL_SKIN_WIDTH, 0) },
        { "MDL skin larger than the file", MdlRefused, forged(mdl, MDL_SKIN_HEIGHT, 0x7fffffff) },
        { "MDL negative vertex count", MdlRefused, forged(mdl, MDL_VERTEX_COUNT, 0x80000000) },
        { "MDL triangles past the file", MdlRefused, forged(mdl, MDL_TRIANGLE_COUNT, 0x10000000) },
        { "MDL vertex index at the vertex count", MdlRefused, forged(mdl, mdlTriangles + 12, 3) },
        { "MDL negative vertex index", MdlRefused, forged(mdl, mdlTriangles + 4, 0xffffffff) },
        { "MDL normal past the table", MdlRefused, byte(mdl, mdlNormal, MD2_NORMAL_COUNT) },
        { "MDL last normal", MdlRefused, byte(mdl, mdlNormal, MD2_NORMAL_COUNT - 1), false },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.refused(c.bytes), c.expected) << c.what;
    }
}

TEST(ModelReader, Md2CommandsNamingWhatIsNotThereAreRefused) {
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
        // So long that the words past its end are fresh zeros, indices in range: only its length refuses it.
        { "a run past a long list", 20000, std::vector<int32_t>(19999, 0), true, -1 },
        { "the smallest run", INT_MIN, { 0 }, true, -1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Md2Layout layout;
        layout.frames = { NamedFrame("still", std::vector<Md2Vertex>(100, Md2Vertex { 1, 2, 3, 0 })) };
        layout.Run(c.run);
        for (int32_t index : c.indices) layout.Vertex(0, 0, index);
        if (c.closed) layout.End();
        const ParsedModel parsed = Md2Parsed(layout.Write());
        EXPECT_EQ(parsed.data ? Md2(parsed)->TriangleCount() : Refused(parsed, 109) ? -1 : -2, c.triangles);
    }
}

TEST(ModelReader, Md2RecomputedNormalsFaceAwayFromTheFaces) {
    // A square in the file's plane x = 0 (the mesh's z = 0); its stored
    // normals point elsewhere.
    Md2Layout layout;
    layout.frames = { NamedFrame("quad", { { 0, 0, 0, 5 }, { 0, 10, 0, 5 }, { 0, 0, 10, 5 }, { 0, 10, 10, 5 } }) };
    layout.Run(4).Vertex(0, 0, 0).Vertex(0, 0, 1).Vertex(0, 0, 2).Vertex(0, 0, 3).End();
    for (bool recompute : { false, true }) {
        SCOPED_TRACE(recompute ? "recomputed" : "as stored");
        const ParsedModel parsed = Md2Parsed(layout.Write(), recompute);
        ASSERT_NE(Md2(parsed), nullptr);
        const CMd2Frame frame(Md2(parsed)->Frame(0));
        for (int v = 0; v < 4; v++) {
            EXPECT_EQ(std::fabs(Md2TableNormal(frame.NormalIndex(v)).z) > 0.99f, recompute) << v;
        }
    }
}
