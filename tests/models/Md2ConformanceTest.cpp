#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "image/COGLTexture2D.h"
#include "models/CMd2Data.h"
#include "models/COGLPlayer.h"
#include "scene/COGLScene.h"
#include "support/CapturedReports.h"
#include "support/LoadedModels.h"
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
    if (facts.vertices < 1 || facts.frameCount < 1 || frameOffset + size_t(facts.frameCount) * frameSize > data.size() ||
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

void ExpectAnimations(const CMd2Data& data, const Md2Facts& facts) {
    EXPECT_EQ(data.frameCount, facts.frameCount);
    std::vector<std::tuple<std::string, int, int>> animations;
    for (const auto& animation : data.animations) animations.emplace_back(animation.name, animation.first, animation.count);
    EXPECT_EQ(animations, facts.animations);
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The files of a folder whose upper-cased names start and end as given,
// ordered upper-cased byte by byte, as Windows lists them.
std::vector<fs::path> Listed(const fs::path& folder, const std::string& start, const std::string& end) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = Upper(entry.path().filename().string());
        if (entry.is_regular_file() && name.size() >= start.size() + end.size() && name.rfind(start, 0) == 0 &&
            name.compare(name.size() - end.size(), end.size(), end) == 0) {
            found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return Upper(a.filename().string()) < Upper(b.filename().string());
    });
    return found;
}

}  // namespace

TEST(Md2Conformance, RealModelsReadAsAPlainReadingSays) {
    const std::vector<fs::path> models = TestDataFiles("md2", ".md2");
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
        ExpectAnimations(data, facts);
    }
}

// Real player folders: the skins the body names and then the folder's
// pictures, the weapons in the order Windows lists them, and each weapon as
// a plain reading of its file says.
TEST(PlayerConformance, RealPlayerFoldersGiveTheSkinsAndWeaponsAListingSays) {
    const std::vector<fs::path> bodies = TestDataFiles("player", "/tris.md2");
    if (bodies.empty()) {
        GTEST_SKIP() << "no player test data";
    }
    const CCapturedReports reports;
    for (const fs::path& tris : bodies) {
        SCOPED_TRACE(tris.string());
        const fs::path folder = tris.parent_path();
        std::vector<std::string> skins;
        for (const std::string& named : ReadFacts(FileBytes(tris)).skins) {
            const std::string file = Upper(fs::path(named).filename().string());
            if (!Listed(folder, file, "").empty()) skins.push_back(Upper(fs::path(named).stem().string()));
        }
        for (const auto& picture : Listed(folder, "", ".PCX")) {
            const std::string title = Upper(picture.stem().string());
            if (title != "WEAPON" && (title.size() < 2 || title.substr(title.size() - 2) != "_I")) skins.push_back(title);
        }
        std::vector<fs::path> weapons = Listed(folder, "WEAPON.MD2", "");
        for (const char* start : { "W_", "A_" }) {
            for (const auto& file : Listed(folder, start, ".MD2")) weapons.push_back(file);
        }

        COGLScene scene;
        scene.vwepEnabled = true;
        scene.BeginLoad("");  // weapons are read as they are first attached
        COGLPlayer player;
        LoadModelInto(scene, player, tris.string());
        ASSERT_TRUE(player.IsLoaded());
        std::vector<std::string> skinTitles;
        for (const COGLTexture2D* skin : player.Skins()) skinTitles.push_back(Upper(skin->Title()));
        EXPECT_EQ(skinTitles, skins);
        ASSERT_EQ(player.weapons.size(), weapons.size());
        for (size_t i = 0; i < weapons.size(); i++) {
            SCOPED_TRACE(weapons[i].string());
            EXPECT_EQ(player.weapons[i]->name, i == 0 ? "default" : weapons[i].stem().string());
            const Md2Facts facts = ReadFacts(FileBytes(weapons[i]));
            player.SetWeapon(player.weapons[i].get());
            ASSERT_EQ(player.weapon == player.weapons[i].get(), facts.valid);
            if (facts.valid) ExpectAnimations(*player.weapons[i]->data, facts);
        }
        scene.EndLoad();
    }
}
