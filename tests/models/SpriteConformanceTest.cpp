// Every real sprite of the test data read by the viewer and by a reader
// written here from the file layouts alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "image/COGLTexture2D.h"
#include "image/Palettes.h"
#include "models/COGLSprite.h"
#include "scene/COGLScene.h"
#include "support/CapturedReports.h"
#include "support/GLTest.h"
#include "support/LoadedModels.h"
#include "support/RealFiles.h"

namespace {

struct ExpectedSprite {
    std::string kind;      // "sp2", "spr", or "refused" for other versions
    std::vector<std::pair<int, int>> sizes;
};

int32_t Word(const std::string& bytes, size_t at) {
    if (at + 4 > bytes.size()) {
        return -1;
    }
    return static_cast<int32_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
                                static_cast<uint8_t>(bytes[at + 2]) << 16 |
                                static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24);
}

ExpectedSprite ReadIndependently(const std::string& bytes) {
    ExpectedSprite expected;
    const std::string magic = bytes.substr(0, 4);
    if (Word(bytes, 4) != 2) {
        expected.kind = "refused";
        return expected;
    }
    if (magic == "IDS2") {
        expected.kind = "sp2";
        for (int32_t i = 0; i < Word(bytes, 8); i++) {
            expected.sizes.emplace_back(Word(bytes, 12 + 80 * i), Word(bytes, 16 + 80 * i));
        }
        return expected;
    }
    expected.kind = "spr";
    const int16_t colours = static_cast<int16_t>(static_cast<uint8_t>(bytes[40]) | static_cast<uint8_t>(bytes[41]) << 8);
    size_t at = 42 + 3 * static_cast<size_t>(colours);
    for (int32_t i = 0; i < Word(bytes, 28); i++) {
        const int32_t width = Word(bytes, at + 12);
        const int32_t height = Word(bytes, at + 16);
        expected.sizes.emplace_back(width, height);
        at += 20 + static_cast<size_t>(width) * height;
    }
    return expected;
}

class SpriteConformanceTest : public GLTest {};

}  // namespace

TEST_F(SpriteConformanceTest, RealSpritesReadAsTheirLayoutsSay) {
    std::vector<std::filesystem::path> files = TestDataFiles("sprite", ".sp2");
    for (const std::filesystem::path& file : TestDataFiles("sprite", ".spr")) {
        files.push_back(file);
    }
    if (files.empty()) {
        GTEST_SKIP() << "no sprite test data";
    }
    ApplyGamma(1.0f);
    CCapturedReports reports;
    for (const std::filesystem::path& path : files) {
        SCOPED_TRACE(path.string());
        const std::vector<uint8_t> file = FileBytes(path);
        const std::string bytes(file.begin(), file.end());
        const ExpectedSprite expected = ReadIndependently(bytes);

        reports.Clear();
        COGLScene scene;
        auto sprite = std::make_unique<COGLSprite>();
        LoadModelInto(scene, *sprite, path.string());
        if (expected.kind == "refused") {
            EXPECT_FALSE(sprite->IsLoaded());
            EXPECT_NE(reports.Errors(scene).find("Not a valid Quake 2 sprite."), std::string::npos);
            continue;
        }
        ASSERT_TRUE(sprite->IsLoaded()) << reports.Errors(scene);
        EXPECT_EQ(sprite->Kind(), expected.kind);
        ASSERT_EQ(sprite->frameCount, static_cast<int32_t>(expected.sizes.size()));
        scene.UploadTextures();
        for (size_t i = 0; i < expected.sizes.size(); i++) {
            EXPECT_EQ(sprite->frameInfo[i].width, expected.sizes[i].first) << "frame " << i;
            EXPECT_EQ(sprite->frameInfo[i].height, expected.sizes[i].second) << "frame " << i;
            // Every frame was found (the Quake II ones beside the sprite) and uploaded.
            EXPECT_NE(sprite->frames[i]->textureName, 0u) << "frame " << i;
        }
        sprite->Draw(State(), DRAW_MATERIAL);
        sprite.reset();
    }
}
