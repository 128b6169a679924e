#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "image/COGLImage.h"
#include "image/COGLTexture2D.h"
#include "models/COGLHLModel.h"
#include "models/HlBytes.h"
#include "scene/COGLScene.h"
#include "support/CapturedReports.h"
#include "support/LoadedModels.h"

namespace {

int32_t Int(const std::vector<uint8_t>& file, size_t at) {
    return Int32At(file.data() + at);
}

std::string Name(const std::vector<uint8_t>& file, size_t at, size_t size) {
    const char* text = reinterpret_cast<const char*>(file.data() + at);
    return std::string(text, strnlen(text, size));
}

// What a plain reading of the headers says.
struct HlFacts {
    int32_t bones = 0;
    std::vector<std::pair<std::string, int32_t>> sequences;   // label, frames
    int32_t bodyParts = 0;
    struct Texture {
        std::string name;
        int32_t flags, width, height;
    };
    std::vector<Texture> textures;
    int32_t skinFamilies = 0;
};

HlFacts ReadFacts(const std::vector<uint8_t>& model, const std::vector<uint8_t>& textures) {
    HlFacts facts;
    facts.bones = Int(model, 140);
    for (int32_t i = 0; i < Int(model, 164); i++) {
        const size_t at = size_t(Int(model, 168)) + 176 * size_t(i);
        facts.sequences.emplace_back(Name(model, at, 32), Int(model, at + 56));
    }
    facts.bodyParts = Int(model, 204);
    for (int32_t i = 0; i < Int(textures, 180); i++) {
        const size_t at = size_t(Int(textures, 184)) + 80 * size_t(i);
        facts.textures.push_back({ Name(textures, at, 64), Int(textures, at + 64), Int(textures, at + 68),
                                   Int(textures, at + 72) });
    }
    facts.skinFamilies = Int(textures, 196);
    return facts;
}

int32_t PowerOfTwo(int32_t size) {
    int32_t side = 1;
    while (side < size && side < 256) {
        side *= 2;
    }
    return side;
}

}  // namespace

TEST(HlConformance, RealModelsReadAsAPlainReadingSays) {
    const std::vector<std::filesystem::path> models = RealHlModels();
    if (models.empty()) {
        GTEST_SKIP() << "no Half-Life test data";
    }
    CCapturedReports reports;
    for (const std::filesystem::path& file : models) {
        SCOPED_TRACE(file.string());
        const std::vector<uint8_t> bytes = FileBytes(file);
        std::vector<uint8_t> textures = bytes;
        if (Int(bytes, 180) == 0) {
            // The companion's "T" may be either case on a case-sensitive disk.
            std::filesystem::path companion = file;
            companion.replace_filename(file.stem().string() + "T.mdl");
            if (!std::filesystem::exists(companion)) {
                companion.replace_filename(file.stem().string() + "t.mdl");
            }
            textures = FileBytes(companion);
        }
        const HlFacts facts = ReadFacts(bytes, textures);
        COGLScene scene;
        COGLHLModel model;
        LoadModelInto(scene, model, file.string());
        ASSERT_TRUE(model.IsLoaded()) << reports.Errors(scene);
        EXPECT_EQ(model.HeaderCount(hl::H_BONE_COUNT), facts.bones);
        ASSERT_EQ(model.animations.size(), facts.sequences.size());
        for (size_t i = 0; i < facts.sequences.size(); i++) {
            EXPECT_EQ(model.animations[i]->name, facts.sequences[i].first);
            EXPECT_EQ(model.SequenceFrameCount(int32_t(i)), facts.sequences[i].second);
        }
        EXPECT_EQ(int32_t(model.BodyParts().size()), facts.bodyParts);
        EXPECT_EQ(model.SkinFamilyCount(), facts.skinFamilies);
        ASSERT_EQ(model.Skins().size(), facts.textures.size());
        for (size_t i = 0; i < facts.textures.size(); i++) {
            const HlFacts::Texture& texture = facts.textures[i];
            EXPECT_EQ(model.SkinNames()[i], texture.name);
            int32_t flags = 0;
            std::memcpy(&flags, model.data->Texture(int32_t(i)) + 64, 4);
            EXPECT_EQ(flags, texture.flags);
            const COGLImage& picture = *model.Skins()[i]->image;
            EXPECT_EQ(picture.width, PowerOfTwo(texture.width)) << texture.name;
            EXPECT_EQ(picture.height, PowerOfTwo(texture.height)) << texture.name;
        }
        EXPECT_TRUE(reports.Errors(scene).empty()) << reports.Errors(scene);
    }
}
