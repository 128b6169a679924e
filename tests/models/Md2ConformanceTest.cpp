#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "diag/CDiagnostics.h"
#include "image/COGLTexture2D.h"
#include "image/Palettes.h"
#include "models/COGLMD2.h"
#include "models/COGLPlayer.h"
#include "scene/COGLScene.h"
#include "support/CapturedReports.h"
#include "support/GLTest.h"
#include "platform/CMessageBox.h"

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

int32_t Word(const std::vector<uint8_t>& data, size_t offset) {
    int32_t v;
    std::memcpy(&v, &data[offset], 4);
    return v;
}

std::string Group(std::string name) {
    const size_t keep = name.find_last_not_of("0123456789");
    return name.substr(0, keep == std::string::npos ? std::min<size_t>(1, name.size()) : keep + 1);
}

Md2Facts ReadFacts(const std::vector<uint8_t>& data) {
    Md2Facts facts;
    if (data.size() < 68 || std::memcmp(data.data(), "IDP2", 4) != 0 || Word(data, 4) != 8) return facts;
    const int frameSize = Word(data, 16), skinCount = Word(data, 20), commandCount = Word(data, 36);
    facts.frameCount = Word(data, 40);
    const size_t skinOffset = Word(data, 44), frameOffset = Word(data, 56), commandOffset = Word(data, 60);
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
        const std::string group = Group(std::string(raw, strnlen(raw, 16)));
        if (facts.animations.empty() || std::get<0>(facts.animations.back()) != group) {
            facts.animations.emplace_back(group, i, 0);
        }
        std::get<2>(facts.animations.back())++;
    }
    if (facts.animations.size() > 1) facts.animations.emplace_back("<all>", 0, facts.frameCount);
    for (int word = 0; word < commandCount;) {
        const int n = std::abs(Word(data, commandOffset + 4 * size_t(word)));
        if (n == 0) break;
        facts.triangles += std::max(0, n - 2);
        word += 1 + 3 * n;
    }
    return facts;
}

std::vector<uint8_t> ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void ExpectAnimations(const COGLMD2& model, const Md2Facts& facts) {
    EXPECT_EQ(model.GetFrameCount(), facts.frameCount);
    ASSERT_EQ(model.animations.size(), facts.animations.size());
    for (size_t i = 0; i < facts.animations.size(); i++) {
        EXPECT_EQ(model.animations[i]->name, std::get<0>(facts.animations[i]));
        EXPECT_EQ(model.animations[i]->first, std::get<1>(facts.animations[i]));
        EXPECT_EQ(model.animations[i]->count, std::get<2>(facts.animations[i]));
    }
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The files of a folder whose upper-cased names start and end as given,
// ordered upper-cased byte by byte, as Windows lists them.
std::vector<std::filesystem::path> Listed(const std::filesystem::path& folder, const std::string& start,
                                          const std::string& end) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
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

std::vector<std::filesystem::path> RealModels() {
    std::vector<std::filesystem::path> found;
    const std::filesystem::path root = std::filesystem::path(ORRIN_TESTDATA) / "md2";
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->path().extension() == ".md2") found.push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

TEST(Md2Conformance, RealModelsReadAsAPlainReadingSays) {
    const std::vector<std::filesystem::path> models = RealModels();
    if (models.empty()) {
        GTEST_SKIP() << "no MD2 test data";
    }
    const std::string previousFolder = Diagnostics().GetFolder();
    Diagnostics().SetFolder("");
    CMessageBox::SetBackend(CMessageBox::discard);
    for (const std::filesystem::path& file : models) {
        SCOPED_TRACE(file.string());
        const Md2Facts facts = ReadFacts(ReadAll(file));
        COGLMD2 model;
        model.LoadFromFile(file.string());
        ASSERT_EQ(model.loaded, facts.valid);
        if (!facts.valid) continue;
        EXPECT_EQ(model.VertexCount(), facts.vertices);
        EXPECT_EQ(model.TriangleCount(), facts.triangles);
        EXPECT_EQ(model.SkinNames(), facts.skins);
        ExpectAnimations(model, facts);
        EXPECT_EQ(model.GetAnimation(), model.animations.back().get());
    }
    Diagnostics().SetFolder(previousFolder);
    CMessageBox::SetBackend(CMessageBox::standardError);
}

class PlayerConformance : public GLTest {
protected:
    CCapturedReports reports;
};

// Real player folders: the skins the body names and then the folder's
// pictures, the weapons in the order Windows lists them, and each weapon as
// a plain reading of its file says.
TEST_F(PlayerConformance, RealPlayerFoldersGiveTheSkinsAndWeaponsAListingSays) {
    std::vector<std::filesystem::path> bodies;
    std::error_code error;
    const std::filesystem::path root = std::filesystem::path(ORRIN_TESTDATA) / "player";
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->path().filename() == "tris.md2") bodies.push_back(it->path());
    }
    if (bodies.empty()) {
        GTEST_SKIP() << "no player test data";
    }
    ApplyGamma(1.0f);
    for (const std::filesystem::path& tris : bodies) {
        SCOPED_TRACE(tris.string());
        const std::filesystem::path folder = tris.parent_path();
        std::vector<std::string> skins;
        for (const std::string& named : ReadFacts(ReadAll(tris)).skins) {
            const std::string file = Upper(std::filesystem::path(named).filename().string());
            if (!Listed(folder, file, "").empty()) skins.push_back(Upper(std::filesystem::path(named).stem().string()));
        }
        for (const auto& picture : Listed(folder, "", ".PCX")) {
            const std::string title = Upper(picture.stem().string());
            if (title != "WEAPON" && (title.size() < 2 || title.substr(title.size() - 2) != "_I")) skins.push_back(title);
        }
        std::vector<std::filesystem::path> weapons = Listed(folder, "WEAPON.MD2", "");
        for (const char* start : { "W_", "A_" }) {
            for (const auto& file : Listed(folder, start, ".MD2")) weapons.push_back(file);
        }

        COGLScene scene;
        scene.vwepEnabled = true;
        COGLPlayer player;
        player.resources = &scene;
        player.LoadFromFile(tris.string());
        ASSERT_TRUE(player.loaded);
        std::vector<std::string> skinTitles;
        for (const COGLTexture2D* skin : player.skins) skinTitles.push_back(Upper(skin->title));
        EXPECT_EQ(skinTitles, skins);
        ASSERT_EQ(player.weapons.size(), weapons.size());
        for (size_t i = 0; i < weapons.size(); i++) {
            SCOPED_TRACE(weapons[i].string());
            EXPECT_EQ(player.weapons[i]->name, i == 0 ? "default" : weapons[i].stem().string());
            const Md2Facts facts = ReadFacts(ReadAll(weapons[i]));
            player.SetWeapon(player.weapons[i].get());
            ASSERT_EQ(player.weapon == player.weapons[i].get(), facts.valid);
            if (facts.valid) ExpectAnimations(*player.weapons[i], facts);
        }
    }
}
