#include <gtest/gtest.h>

#include <algorithm>
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
// pictures, the weapons in the order Windows lists them (upper-cased, byte by
// byte), and each weapon as a plain reading of its file says.
TEST(PlayerConformance, RealPlayerFoldersGiveTheSkinsAndWeaponsAListingSays) {
    const fs::path players = testData / "player/didux-quake/players";
    if (!fs::exists(players)) {
        GTEST_SKIP() << "no player test data";
    }
    const struct {
        const char* folder;
        std::vector<std::string> skins;
        std::vector<std::string> weapons;
    } expected[] = {
        { "male", { "elkan" },
          { "default", "w_bfg", "w_blaster", "w_chaingun", "w_glauncher", "w_hyperblaster", "w_machinegun", "w_railgun",
            "w_rlauncher", "w_shotgun", "w_sshotgun" } },
        { "warvet",
          { "a_m61frag", "FLAK", "GRUNT", "joltblue", "joltred", "r2blue", "r2red", "SCOUT", "warvet", "w_akimbo",
            "w_cannon", "w_knife", "w_m4", "w_mk23", "w_mp5", "w_sniper", "w_super90" },
          { "default", "w_akimbo", "w_cannon", "w_knife", "w_m4", "w_mk23", "w_mp5", "w_sniper", "w_super90",
            "a_m61frag" } },
    };
    EXPECT_EQ(TestDataFiles("player", "/tris.md2").size(), std::size(expected)) << "a player without a row";
    const CCapturedReports reports;
    for (const auto& folder : expected) {
        SCOPED_TRACE(folder.folder);
        COGLScene scene;
        scene.vwepEnabled = true;
        scene.BeginLoad("");  // weapons are read as they are first attached
        COGLPlayer player;
        LoadModelInto(scene, player, (players / folder.folder / "tris.md2").string());
        ASSERT_TRUE(player.IsLoaded());
        std::vector<std::string> skinTitles;
        for (const COGLTexture2D* skin : player.Skins()) skinTitles.push_back(skin->Title());
        EXPECT_EQ(skinTitles, folder.skins);
        ASSERT_EQ(player.weapons.size(), folder.weapons.size());
        for (size_t i = 0; i < folder.weapons.size(); i++) {
            SCOPED_TRACE(folder.weapons[i]);
            EXPECT_EQ(player.weapons[i]->name, folder.weapons[i]);
            const std::string file = i == 0 ? "weapon.md2" : folder.weapons[i] + ".md2";
            const Md2Facts facts = ReadFacts(FileBytes(players / folder.folder / file));
            player.SetWeapon(player.weapons[i].get());
            ASSERT_EQ(player.weapon == player.weapons[i].get(), facts.valid);
            if (facts.valid) ExpectAnimations(*player.weapons[i]->data, facts);
        }
        scene.EndLoad();
    }
}
