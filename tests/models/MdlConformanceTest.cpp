#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "models/CMdlData.h"
#include "support/ExpectVector.h"
#include "support/RealFiles.h"

TEST(MdlConformance, RealModelsReadAsAPlainReadingSays) {
    const std::vector<std::filesystem::path> models = TestDataFiles("mdl", ".mdl");
    if (models.empty()) {
        GTEST_SKIP() << "no MDL test data";
    }
    // Read from the files by hand: the header's counts, the frames' animation
    // groups, and frame 0's bounds in mesh axes (the file's y, z, x).
    const struct {
        const char* file;
        int skins, skinWidth, skinHeight, vertices, triangles;
        std::vector<std::pair<std::string, int>> animations;
        float min[3], max[3];
    } expected[] = {
        { "assimp-nonbsd/steg.mdl", 1, 12, 10, 197, 305, { { "base", 1 } },
          { -15.755293f, -0.26640385f, -99.02503f }, { 13.876503f, 54.539055f, 50.46456f } },
        { "slipgate/progs/blood.mdl", 1, 8, 8, 3, 1, { { "frame", 10 } },
          { -0.0360337f, -0.025595f, 0.004375f }, { -0.003966175f, 0.0056549944f, 0.035624996f } },
        { "slipgate/progs/flame.mdl", 1, 256, 128, 134, 132, { { "on", 8 }, { "off", 1 } },
          { -2.608272f, -14.0f, -2.8099265f }, { 3.1336393f, 28.864464f, 3.0371327f } },
        { "slipgate/progs/grenade.mdl", 1, 64, 32, 18, 24, { { "grenade", 1 } },
          { -3.4641f, -4.00001f, -8.5f }, { 3.4640975f, 4.0000024f, 9.999994f } },
        { "slipgate/progs/h_knight.mdl", 4, 92, 57, 154, 256, { { "frame", 1 } },
          { -7.296048f, -0.98402846f, -8.226477f }, { 7.244726f, 14.474461f, 6.973215f } },
        { "trenchbroom/armor.mdl", 3, 128, 128, 114, 94, { { "armor", 1 } },
          { -20.5f, 7.907386f, -12.5f }, { 20.355804f, 35.37515f, 12.412075f } },
        { "vgio/test.mdl", 1, 72, 60, 10, 8, { { "frame", 1 } },
          { -10.922575f, -0.25072575f, -10.922575f }, { 10.922575f, 30.596386f, 10.922575f } },
    };
    EXPECT_EQ(models.size(), std::size(expected) + 1) << "a model without a row";
    for (const auto& model : expected) {
        SCOPED_TRACE(model.file);
        const ParsedModel parsed = ParseMdl(FileBytes(testData / "mdl" / model.file));
        ASSERT_NE(parsed.data, nullptr);
        EXPECT_TRUE(parsed.messages.empty());
        const CMdlData& data = static_cast<const CMdlData&>(*parsed.data);
        std::vector<std::pair<std::string, int>> animations;
        int frames = 0;
        for (const auto& animation : data.animations) animations.emplace_back(animation->name, animation->count);
        for (const auto& animation : model.animations) frames += animation.second;
        EXPECT_EQ(animations, model.animations);
        EXPECT_EQ(data.FileFrameCount(), frames);
        EXPECT_EQ(data.skinCountInFile, model.skins);
        EXPECT_EQ(data.skins.size(), static_cast<size_t>(model.skins));
        EXPECT_EQ(data.skinWidth, model.skinWidth);
        EXPECT_EQ(data.skinHeight, model.skinHeight);
        EXPECT_EQ(data.vertexCount, model.vertices);
        EXPECT_EQ(data.triangleCount, model.triangles);
        CVector min, max;
        data.FrameBounds(0, min, max);
        ExpectVector(min, model.min[0], model.min[1], model.min[2]);
        ExpectVector(max, model.max[0], model.max[1], model.max[2]);
    }
    EXPECT_EQ(ParseMdl(FileBytes(testData / "mdl/trenchbroom/invalid.mdl")).data, nullptr);
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
