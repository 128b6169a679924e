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
#include "support/RecordBytes.h"

namespace {

std::string Name(const std::vector<uint8_t>& file, size_t at, size_t size) {
    const char* text = reinterpret_cast<const char*>(file.data() + at);
    return std::string(text, strnlen(text, size));
}

int32_t PowerOfTwo(int32_t size) {
    int32_t side = 1;
    while (side < size && side < 256) {
        side *= 2;
    }
    return side;
}

}  // namespace

// Each real model reads as a plain reading of its headers (and of its
// companion's, for the textures) says.
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
        if (IntAt(bytes, 180) == 0) {
            // The companion's "T" may be either case on a case-sensitive disk.
            std::filesystem::path companion = file;
            companion.replace_filename(file.stem().string() + "T.mdl");
            if (!std::filesystem::exists(companion)) {
                companion.replace_filename(file.stem().string() + "t.mdl");
            }
            textures = FileBytes(companion);
        }
        COGLScene scene;
        COGLHLModel model;
        LoadModelInto(scene, model, file.string());
        ASSERT_TRUE(model.IsLoaded()) << reports.Errors(scene);
        EXPECT_EQ(model.HeaderCount(hl::H_BONE_COUNT), IntAt(bytes, 140));
        ASSERT_EQ(int32_t(model.animations.size()), IntAt(bytes, 164));
        for (size_t i = 0; i < model.animations.size(); i++) {
            const size_t at = size_t(IntAt(bytes, 168)) + 176 * i;
            EXPECT_EQ(model.animations[i]->name, Name(bytes, at, 32));
            EXPECT_EQ(model.SequenceFrameCount(int32_t(i)), IntAt(bytes, at + 56));
        }
        EXPECT_EQ(int32_t(model.BodyParts().size()), IntAt(bytes, 204));
        EXPECT_EQ(model.SkinFamilyCount(), IntAt(textures, 196));
        ASSERT_EQ(int32_t(model.Skins().size()), IntAt(textures, 180));
        for (size_t i = 0; i < model.Skins().size(); i++) {
            const size_t at = size_t(IntAt(textures, 184)) + 80 * i;
            const std::string name = Name(textures, at, 64);
            EXPECT_EQ(model.SkinNames()[i], name);
            const COGLImage& picture = *model.Skins()[i]->image;
            EXPECT_EQ(picture.width, PowerOfTwo(IntAt(textures, at + 68))) << name;
            EXPECT_EQ(picture.height, PowerOfTwo(IntAt(textures, at + 72))) << name;
        }
        EXPECT_TRUE(reports.Errors(scene).empty()) << reports.Errors(scene);
    }
}
