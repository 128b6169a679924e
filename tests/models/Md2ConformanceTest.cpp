#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "models/CMd2Data.h"
#include "support/RealFiles.h"

namespace fs = std::filesystem;

namespace {

// What a plain reading of an MD2 file gives, written apart from the
// viewer's reader so that the two can be compared.
struct Md2Facts {
    bool valid = false;
    int frameCount = 0;
    int vertices = 0;
    int triangles = 0;
    std::vector<std::string> skins;
    std::vector<std::tuple<std::string, int, int>> animations;
};

Md2Facts ReadFacts(const std::vector<uint8_t>& data) {
    const auto word = [&](size_t offset) {
        int32_t v;
        std::memcpy(&v, &data[offset], 4);
        return v;
    };
    Md2Facts facts;
    if (data.size() < 68 || std::memcmp(data.data(), "IDP2", 4) != 0 || word(4) != 8) return facts;
    const int frameSize = word(16), skinCount = word(20), commandCount = word(36);
    facts.frameCount = word(40);
    const size_t skinOffset = word(44), frameOffset = word(56), commandOffset = word(60);
    facts.vertices = (frameSize - 40) / 4;
    if (facts.vertices < 1 || facts.frameCount < 1 ||
        frameOffset + size_t(facts.frameCount) * frameSize > data.size() ||
        commandOffset + 4 * size_t(commandCount) > data.size()) {
        return facts;
    }
    facts.valid = true;
    for (int i = 0; i < skinCount; i++) {
        facts.skins.emplace_back(reinterpret_cast<const char*>(&data[skinOffset + 64 * i]));
    }
    for (int i = 0; i < facts.frameCount; i++) {
        const char* raw = reinterpret_cast<const char*>(&data[frameOffset + size_t(i) * frameSize + 24]);
        const std::string group = GroupName(std::string(raw, strnlen(raw, 16)));
        if (facts.animations.empty() || std::get<0>(facts.animations.back()) != group) {
            facts.animations.emplace_back(group, i, 0);
        }
        std::get<2>(facts.animations.back())++;
    }
    if (facts.animations.size() > 1) facts.animations.emplace_back("<all>", 0, facts.frameCount);
    for (int at = 0; at < commandCount;) {
        const int n = std::abs(word(commandOffset + 4 * size_t(at)));
        if (n == 0) break;
        facts.triangles += std::max(0, n - 2);
        at += 1 + 3 * n;
    }
    return facts;
}

}  // namespace

// Every real MD2 file, the players' bodies and weapons too.
TEST(Md2Conformance, RealModelsReadAsAPlainReadingSays) {
    std::vector<fs::path> models = TestDataFiles("md2", ".md2");
    const std::vector<fs::path> players = TestDataFiles("player", ".md2");
    models.insert(models.end(), players.begin(), players.end());
    if (models.empty()) {
        GTEST_SKIP() << "no MD2 test data";
    }
    for (const fs::path& file : models) {
        SCOPED_TRACE(file.string());
        std::vector<uint8_t> bytes = FileBytes(file);
        const Md2Facts facts = ReadFacts(bytes);
        const ParsedModel parsed = ParseMd2(std::move(bytes), false);
        ASSERT_EQ(parsed.data != nullptr, facts.valid);
        if (!facts.valid) continue;
        const CMd2Data& data = static_cast<const CMd2Data&>(*parsed.data);
        EXPECT_EQ(data.VertexCount(), facts.vertices);
        EXPECT_EQ(data.TriangleCount(), facts.triangles);
        EXPECT_EQ(data.skinNames, facts.skins);
        EXPECT_EQ(data.frameCount, facts.frameCount);
        std::vector<std::tuple<std::string, int, int>> animations;
        for (const auto& a : data.animations) animations.emplace_back(a.name, a.first, a.count);
        EXPECT_EQ(animations, facts.animations);
    }
}
