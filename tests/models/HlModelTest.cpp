#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

#include "image/COGLTexture2D.h"
#include "models/COGLHLModel.h"
#include "models/HlBytes.h"
#include "platform/CFile.h"
#include "scene/COGLScene.h"
#include "support/CapturedReports.h"
#include "support/GLTest.h"
#include "support/ModelRecordReader.h"
#include "support/RecordBytes.h"
#include "support/TestFolder.h"

namespace {

// A Half-Life model's rows after the object prefix.
Bytes HlRecord(const std::string& path, int32_t animationIndex, float framePosition) {
    Bytes b;
    b.bytes = SampleObjectPrefix();
    b.Field(path.c_str(), 260).I32(-1).I32(animationIndex);
    b.F32(0.25f).F32(framePosition).I32(static_cast<int32_t>(framePosition)).I32(0).U8(0).U8(7);
    return b;
}

class HlModelTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        ApplyGamma(1.0f);
    }
    void TearDown() override {
        models.clear();
        scene.reset();
        GLTest::TearDown();
    }

    COGLHLModel& Load(const std::string& path) {
        models.push_back(std::make_unique<COGLHLModel>());
        models.back()->resources = scene.get();
        models.back()->LoadFromFile(path);
        return *models.back();
    }
    COGLHLModel& Read(const Bytes& record) { return ReadModelRecord(models, record, *scene); }

    CTestFolder folder;
    CCapturedReports reports;
    std::unique_ptr<COGLScene> scene = std::make_unique<COGLScene>();
    std::vector<std::unique_ptr<COGLHLModel>> models;
};

std::vector<uint8_t> WithValue(std::vector<uint8_t> bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; i++) {
        bytes[at + size_t(i)] = static_cast<uint8_t>(value >> (8 * i));
    }
    return bytes;
}

}  // namespace

TEST_F(HlModelTest, ReadsSequencesTexturesAndBodyParts) {
    HlLayout layout;
    layout.sequences = { { "idle", 10, 0, 1 }, { "walk", 4, 0, 2 } };
    COGLHLModel& model = Load(folder.Write("box.mdl", HlText(layout.Write())));
    ASSERT_TRUE(model.loaded);
    EXPECT_EQ(model.name, "box");
    ASSERT_EQ(model.animations.size(), 2u);
    EXPECT_EQ(model.animations[1]->name, "walk");
    EXPECT_EQ(model.animations[1]->first, 1);
    EXPECT_EQ(model.GetAnimation(), model.animations[0].get());
    EXPECT_EQ(model.GetFrameCount(), 10);
    model.SetAnimation(model.animations[1].get());
    EXPECT_EQ(model.modelData->sequence, 1);
    EXPECT_EQ(model.GetFrameCount(), 4);
    EXPECT_EQ(model.SkinNames(), std::vector<std::string>{ "skin.bmp" });
    ASSERT_EQ(model.skins.size(), 1u);
    EXPECT_EQ(model.skins[0]->path, "boxskin.bmp");
    EXPECT_EQ(model.VertexCount(), 3);
    EXPECT_EQ(model.TriangleCount(), 1);
    CVector min, max;
    model.FrameBounds(0, min, max);
    EXPECT_EQ(min.x, -2.0f);
    EXPECT_EQ(min.y, -3.0f);
    EXPECT_EQ(min.z, -1.0f);
    EXPECT_EQ(max.z, 4.0f);

    // A second model of the file shares the texture.
    COGLHLModel& again = Load(folder.Path("box.mdl"));
    EXPECT_EQ(again.skins[0], model.skins[0]);
    COGLHLModel copy;
    copy.CopyModel(again);
    EXPECT_EQ(copy.skins[0], model.skins[0]);
    EXPECT_EQ(copy.modelData->owner, &copy);
    EXPECT_EQ(model.skins[0]->References(), 3);
    EXPECT_TRUE(reports.Errors().empty()) << reports.Errors();
}

TEST_F(HlModelTest, AModelWithoutTexturesTakesThoseOfItsCompanionNamedAfterIt) {
    HlLayout layout;
    layout.textures.clear();
    HlLayout companion;
    companion.textures = { { "arm.bmp" }, { "leg.bmp" } };
    folder.Write("man/manT.mdl", HlText(companion.Write()));
    COGLHLModel& model = Load(folder.Write("man/man.mdl", HlText(layout.Write())));
    ASSERT_TRUE(model.loaded) << reports.Errors();
    ASSERT_EQ(model.skins.size(), 2u);
    EXPECT_EQ(model.skins[1]->path, "manTleg.bmp");
    EXPECT_EQ(model.CompanionFiles(), std::vector<std::string>{ folder.Path("man/manT.mdl") });
}

TEST_F(HlModelTest, ThreeSequenceGroupsReadTwoGroupFiles) {
    HlLayout layout;
    layout.groupCount = 3;
    layout.sequences = { { "idle", 1, 0, 1 }, { "run", 1, 2, 1 } };
    folder.Write("b/barney01.mdl", HlText(HlLayout::GroupFile()));
    const std::string path = folder.Write("b/barney.mdl", HlText(layout.Write()));

    // Without "02" the model is reported and dropped, nothing more.
    EXPECT_FALSE(Load(path).loaded);
    EXPECT_EQ(reports.Errors(), "unable to open " + folder.Path("b/barney02.mdl") + "\r\n");

    folder.Write("b/barney02.mdl", HlText(HlLayout::GroupFile()));
    COGLHLModel& model = Load(path);
    EXPECT_TRUE(model.loaded);
    EXPECT_EQ(model.CompanionFiles(),
              (std::vector<std::string>{ folder.Path("b/barney01.mdl"), folder.Path("b/barney02.mdl") }));
}

TEST_F(HlModelTest, TexturesAreResampledToPowersOfTwoWithThePalette) {
    HlLayout layout;
    layout.textures = { { "wall.bmp", 100, 60, 9, { 200, 100, 40 } } };
    COGLHLModel& model = Load(folder.Write("wall.mdl", HlText(layout.Write())));
    ASSERT_EQ(model.skins.size(), 1u);
    glBindTexture(GL_TEXTURE_2D, model.skins[0]->textureName);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 128);
    EXPECT_EQ(height, 64);
    std::vector<uint8_t> pixels(128 * 64 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    EXPECT_EQ(pixels[0], 200);
    EXPECT_EQ(pixels[pixels.size() - 2], 100);
    EXPECT_EQ(pixels[pixels.size() - 1], 40);
}

TEST_F(HlModelTest, ControllersWrapAndStepAsTheirRangeSays) {
    HlLayout layout;
    layout.controllers = { { 8 | 0x8000, 0.0f, 360.0f, 0 }, { 1, -10.0f, 10.0f, 1 }, { 1, 5.0f, 5.0f, 2 },
                           { 8, 0.0f, 90.0f, 4 } };
    COGLHLModel& model = Load(folder.Write("gun.mdl", HlText(layout.Write())));
    ASSERT_TRUE(model.loaded) << reports.Errors();
    CHLModelData& data = *model.modelData;
    EXPECT_NEAR(data.SetControllerValue(0, 370.0f), 7.0f / 255.0f * 360.0f, 1e-4f);
    EXPECT_EQ(data.controller[0], 7);
    EXPECT_EQ(data.SetControllerValue(1, 50.0f), 10.0f);
    EXPECT_EQ(data.controller[1], 255);
    EXPECT_EQ(data.SetControllerValue(1, -50.0f), -10.0f);
    EXPECT_EQ(data.controller[1], 0);
    // A range of no width or a value that is not a number takes the start.
    EXPECT_EQ(data.SetControllerValue(2, 9.0f), 5.0f);
    EXPECT_EQ(data.controller[2], 0);
    EXPECT_EQ(data.SetControllerValue(1, std::nanf("")), -10.0f);
    EXPECT_EQ(data.SetControllerValue(3, 12.0f), 12.0f);   // no such controller
    EXPECT_EQ(data.SetControllerValue(7, 12.0f), 12.0f);
    EXPECT_EQ(data.SetMouthValue(45.0f), 45.0f);
    EXPECT_EQ(data.mouth, 32);
    // Blend type 0 leaves the value as it is.
    EXPECT_EQ(data.SetBlendValue(0, 0.5f), 0.5f);
}

TEST_F(HlModelTest, UnsoundFilesAreRefusedWithAReport) {
    const std::vector<uint8_t> good = HlLayout().Write();
    HlLayout classic;
    classic.magic = "IDPO";
    HlLayout version;
    version.version = 11;
    HlLayout group;
    group.magic = "IDSQ";
    HlLayout frames;
    frames.sequences = { { "idle", 0, 0, 1 } };
    HlLayout blends;
    blends.sequences = { { "idle", 1, 0, 5 } };
    HlLayout groupNumber;
    groupNumber.sequences = { { "idle", 1, 1, 1 } };
    HlLayout noSequence;
    noSequence.sequences.clear();
    HlLayout slot;
    slot.controllers = { { 1, 0.0f, 1.0f, 5 } };
    const std::vector<uint8_t> cases[] = {
        {}, std::vector<uint8_t>(good.begin(), good.begin() + 200), classic.Write(), version.Write(), group.Write(),
        frames.Write(), blends.Write(), groupNumber.Write(), noSequence.Write(), slot.Write(),
        WithValue(good, 140, 129),               // bones beyond the work areas
        WithValue(good, 172, 33),                // sequence groups
        WithValue(good, 184, 8),                 // texture table inside the header
        WithValue(good, 144, 0x7ffffff0),        // bone table past the end
        WithValue(good, 204, 0xffffffff),        // body parts
        std::vector<uint8_t>(good.begin(), good.end() - 20),   // triangle commands cut off
    };
    for (size_t i = 0; i < std::size(cases); i++) {
        SCOPED_TRACE(i);
        reports.Clear();
        COGLHLModel& model = Load(folder.Write("bad.mdl", HlText(cases[i])));
        EXPECT_FALSE(model.loaded);
        EXPECT_EQ(model.modelData, nullptr);
        EXPECT_TRUE(model.animations.empty());
        EXPECT_EQ(reports.Errors().rfind("Not a valid Half-Life model file: " + folder.Path("bad.mdl") + " (", 0), 0u)
            << reports.Errors();
    }
}

TEST_F(HlModelTest, AGroupFileThatIsAModelIsRefused) {
    HlLayout layout;
    layout.groupCount = 2;
    const std::vector<uint8_t> model = layout.Write();
    folder.Write("self01.mdl", HlText(model));
    EXPECT_FALSE(Load(folder.Write("self.mdl", HlText(model))).loaded);
    EXPECT_NE(reports.Errors().find("self01.mdl (not a sequence group file)"), std::string::npos) << reports.Errors();
}

TEST_F(HlModelTest, TheRecordRoundTripsAndAMissingCompanionDropsOnlyThatModel) {
    HlLayout layout;
    layout.sequences = { { "idle", 10, 0, 1 }, { "walk", 4, 0, 1 } };
    const Bytes record = HlRecord(folder.Write("box.mdl", HlText(layout.Write())), 1, 2.5f);
    COGLHLModel& model = Read(record);
    EXPECT_TRUE(model.loaded);
    EXPECT_EQ(model.name, "Crate");
    EXPECT_EQ(model.GetAnimation(), model.animations[1].get());
    EXPECT_EQ(model.modelData->frame, 2.5f);
    EXPECT_FALSE(model.loop);
    EXPECT_EQ(model.reserved, 7);
    EXPECT_EQ(SavedBytes([&](CFile& file) { model.Save(file, -1); }).size(), record.Size());
    const std::vector<uint8_t> saved = SavedBytes([&](CFile& file) { model.Save(file, -1); });
    EXPECT_TRUE(std::equal(saved.begin() + 271, saved.end(), record.bytes.begin() + 271));

    // A position past the sequence's frames starts it over.
    EXPECT_EQ(Read(HlRecord(folder.Path("box.mdl"), 1, 40.0f)).framePosition, 0.0f);

    // A model file that is not there is kept without data.
    COGLHLModel& missing = Read(HlRecord(folder.Path("gone.mdl"), 0, 0.0f));
    EXPECT_TRUE(missing.loaded);
    EXPECT_EQ(missing.modelData, nullptr);

    layout.textures.clear();
    COGLHLModel& lonely = Read(HlRecord(folder.Write("lonely.mdl", HlText(layout.Write())), 0, 0.0f));
    EXPECT_FALSE(lonely.loaded);
    EXPECT_EQ(reports.Errors(), "unable to open " + folder.Path("lonelyT.mdl") + "\r\n");
}

// Every shorter piece of a real model is refused or read within its bytes.
TEST(HlModelFiles, EveryTruncationOfARealModelIsCheckedSafely) {
    std::ifstream in(std::filesystem::path(ORRIN_TESTDATA) / "hlmdl/sven-lowdef/grenade.mdl", std::ios::binary);
    const std::vector<uint8_t> whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (whole.empty()) {
        GTEST_SKIP() << "no Half-Life test data";
    }
    const std::vector<uint8_t> groups[HL_MAX_SEQUENCE_GROUPS];
    ASSERT_EQ(CheckHLModel(whole, whole, groups), "");
    int accepted = 0;
    for (size_t size = 0; size < whole.size(); size++) {
        const std::vector<uint8_t> piece(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        accepted += CheckHLModel(piece, piece, groups).empty() ? 1 : 0;
    }
    // Only trailing bytes nothing points at may go.
    EXPECT_LT(accepted, 16);
}
