#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "models/CMdlData.h"
#include "support/ExpectVector.h"
#include "support/RealFiles.h"

namespace {

// What a plain reading of an MDL file gives, written apart from the viewer's
// reader so that the two can be compared.
struct MdlFacts {
    bool valid = false;
    int skins = 0, skinWidth = 0, skinHeight = 0, vertices = 0, triangles = 0, frames = 0;
    std::vector<std::pair<std::string, int>> animations;
    float min[3] = { 0, 0, 0 }, max[3] = { 0, 0, 0 };   // frame 0 in mesh axes
};

struct Reader {
    const std::vector<uint8_t>& data;
    size_t at = 0;

    int32_t Int() {
        int32_t v = 0;
        if (at + 4 <= data.size()) std::memcpy(&v, &data[at], 4);
        at += 4;
        return v;
    }
    float Float(size_t offset) const {
        float v;
        std::memcpy(&v, &data[offset], 4);
        return v;
    }
};

MdlFacts ReadFacts(const std::vector<uint8_t>& data) {
    MdlFacts facts;
    if (data.size() < 84 || std::memcmp(data.data(), "IDPO", 4) != 0) return facts;
    Reader in { data, 48 };
    facts.skins = in.Int();
    facts.skinWidth = in.Int();
    facts.skinHeight = in.Int();
    facts.vertices = in.Int();
    facts.triangles = in.Int();
    const int entries = in.Int();
    in.at = 84;
    for (int i = 0; i < facts.skins; i++) in.at += 4 + size_t(facts.skinWidth) * facts.skinHeight;
    const size_t points = in.at;
    const size_t triangles = points + 12 * size_t(facts.vertices);
    in.at = triangles + 16 * size_t(facts.triangles);
    size_t firstFrame = 0;
    std::string previous;
    for (int i = 0; i < entries; i++) {
        const bool group = in.Int() != 0;
        const int count = group ? in.Int() : 1;
        if (group) in.at += 8 + 4 * size_t(count);
        for (int f = 0; f < count; f++) {
            in.at += 8;
            if (in.at + 16 + 4 * size_t(facts.vertices) > data.size()) return facts;
            const std::string name = GroupName(std::string(reinterpret_cast<const char*>(&data[in.at]), strnlen(reinterpret_cast<const char*>(&data[in.at]), 16)));
            if (facts.frames == 0) firstFrame = in.at + 16;
            // A group starts afresh and is never joined by what follows it.
            if (facts.animations.empty() || (group && f == 0) || name != previous) facts.animations.emplace_back(name, 0);
            facts.animations.back().second++;
            previous = group && f == count - 1 ? std::string("\n") : name;
            facts.frames++;
            in.at += 16 + 4 * size_t(facts.vertices);
        }
    }
    facts.valid = facts.frames > 0;
    // Mesh x, y, z are the file's y, z, x.
    for (int t = 0; t < facts.triangles; t++) {
        for (int corner = 0; corner < 3; corner++) {
            int32_t v;
            std::memcpy(&v, &data[triangles + 16 * size_t(t) + 4 + 4 * corner], 4);
            for (int axis = 0; axis < 3; axis++) {
                const int file = (axis + 1) % 3;
                const float translate = in.Float(20 + 4 * file) - in.Float(36 + 4 * file);
                const float p = data[firstFrame + 4 * size_t(v) + file] * in.Float(8 + 4 * file) + translate;
                facts.min[axis] = t == 0 && corner == 0 ? p : std::min(facts.min[axis], p);
                facts.max[axis] = t == 0 && corner == 0 ? p : std::max(facts.max[axis], p);
            }
        }
    }
    return facts;
}

}  // namespace

TEST(MdlConformance, RealModelsReadAsAPlainReadingSays) {
    const std::vector<std::filesystem::path> models = TestDataFiles("mdl", ".mdl");
    if (models.empty()) {
        GTEST_SKIP() << "no MDL test data";
    }
    for (const std::filesystem::path& file : models) {
        SCOPED_TRACE(file.string());
        const std::vector<uint8_t> bytes = FileBytes(file);
        const MdlFacts facts = ReadFacts(bytes);
        const ParsedModel parsed = ParseMdl(bytes);
        ASSERT_EQ(parsed.data != nullptr, facts.valid);
        if (!facts.valid) {
            ASSERT_EQ(parsed.messages.size(), 1u);
            EXPECT_EQ(parsed.messages[0].number, 119);
            continue;
        }
        const CMdlData& data = static_cast<const CMdlData&>(*parsed.data);
        EXPECT_EQ(data.FileFrameCount(), facts.frames);
        std::vector<std::pair<std::string, int>> animations;
        for (const auto& animation : data.animations) animations.emplace_back(animation->name, animation->count);
        EXPECT_EQ(animations, facts.animations);
        EXPECT_EQ(data.skinCountInFile, facts.skins);
        EXPECT_EQ(data.skins.size(), static_cast<size_t>(facts.skins));
        EXPECT_EQ(data.skinWidth, facts.skinWidth);
        EXPECT_EQ(data.skinHeight, facts.skinHeight);
        EXPECT_EQ(data.vertexCount, facts.vertices);
        EXPECT_EQ(data.triangleCount, facts.triangles);
        CVector min, max;
        data.FrameBounds(0, min, max);
        ExpectVector(min, facts.min[0], facts.min[1], facts.min[2]);
        ExpectVector(max, facts.max[0], facts.max[1], facts.max[2]);
        EXPECT_TRUE(parsed.messages.empty());
    }
}

TEST(MdlConformance, EveryTruncationOfARealModelIsRefused) {
    const std::vector<uint8_t> data = FileBytes(testData / "mdl/slipgate/progs/grenade.mdl");
    if (data.empty()) {
        GTEST_SKIP() << "no MDL test data";
    }
    for (size_t cut = 0; cut <= data.size(); cut++) {
        // A copy of exactly the cut's length, so that reading past it is caught.
        const std::vector<uint8_t> truncated(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_EQ(ParseMdl(truncated).data != nullptr, cut == data.size()) << "cut at " << cut;
    }
}
