#include <gtest/gtest.h>

#include "image/COGLImage.h"
#include "models/CMdlData.h"
#include "models/Md2Normals.h"
#include "models/MdlBytes.h"

namespace {

ParsedModel Parse(const Bytes& bytes) {
    return ParseMdl(bytes.bytes);
}

const CMdlData* Mdl(const ParsedModel& parsed) {
    return static_cast<const CMdlData*>(parsed.data.get());
}

// Refused whole, with the message.
bool Refused(const Bytes& bytes) {
    const ParsedModel parsed = Parse(bytes);
    return parsed.data == nullptr && parsed.messages.size() == 1 && parsed.messages[0].number == 119;
}

MdlFrame Frame(const std::string& name) {
    return { name, { { 0, 0, 0, 0 }, { 0, 10, 0, 0 }, { 0, 0, 10, 0 } } };
}

std::vector<MdlFrame> Frames(const std::vector<std::string>& names) {
    std::vector<MdlFrame> frames;
    for (const std::string& name : names) frames.push_back(Frame(name));
    return frames;
}

}  // namespace

TEST(MdlReader, FramesAndGroupsBecomeAnimationsByName) {
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
        const ParsedModel parsed = Parse(c.layout.Write());
        ASSERT_NE(Mdl(parsed), nullptr);
        Expected found;
        for (const auto& animation : Mdl(parsed)->animations) {
            EXPECT_EQ(animation->first, 0);
            found.emplace_back(animation->name, animation->count);
        }
        EXPECT_EQ(found, c.expected);
    }
}

TEST(MdlReader, RefusesWhatIsNotAModelItReadsOrWouldBeReadOutsideTheData) {
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

// Skins keep their place in the file; one too wide to decode is left out
// and the model still loads.
TEST(MdlReader, EmbeddedSkinsAreDecodedWithTheirNumbers) {
    const ParsedModel tenSkins = Parse(MdlTriangle({ "a" }, 10).Write());
    ASSERT_NE(Mdl(tenSkins), nullptr);
    EXPECT_EQ(Mdl(tenSkins)->skinCountInFile, 10);
    ASSERT_EQ(Mdl(tenSkins)->skins.size(), 10u);
    for (int32_t i = 0; i < 10; i++) {
        EXPECT_EQ(Mdl(tenSkins)->skins[i].number, i);
        EXPECT_EQ(Mdl(tenSkins)->skins[i].picture->width, 2);
    }

    MdlLayout wide = MdlTriangle({ "a" });
    wide.skinWidth = 16385;
    wide.skinHeight = 1;
    wide.skins = { std::vector<uint8_t>(16385, 1) };
    const ParsedModel parsed = Parse(wide.Write());
    ASSERT_NE(Mdl(parsed), nullptr);
    EXPECT_EQ(Mdl(parsed)->skinCountInFile, 1);
    EXPECT_TRUE(Mdl(parsed)->skins.empty());
}
