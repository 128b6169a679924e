#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>

#include "image/COGLImage.h"
#include "image/COGLTexture2D.h"
#include "math/FloatArrays.h"
#include "models/COGLHLModel.h"
#include "models/HLWorkAreas.h"
#include "models/HlBytes.h"
#include "objects/COGLPointLight.h"
#include "scene/COGLScene.h"
#include "support/ExpectVector.h"
#include "support/GLTest.h"
#include "support/LoadedModels.h"
#include "support/ModelFileFixture.h"
#include "support/ParsedFiles.h"
#include "support/RealFiles.h"
#include "support/RecordBytes.h"
#include "view/COGLCamera3D.h"

namespace {

// A Half-Life model's rows after the object prefix.
Bytes HlRecord(const std::string& path, int32_t animationIndex, float framePosition, int32_t pakIndex = -1) {
    Bytes b;
    b.bytes = SampleObjectPrefix();
    b.Field(path.c_str(), 260).I32(pakIndex).I32(animationIndex);
    b.F32(0.25f).F32(framePosition).I32(static_cast<int32_t>(framePosition)).I32(0).U8(0).U8(7);
    return b;
}

// The model file named name, its companions read from disk.
ParsedModel Parse(const std::vector<uint8_t>& bytes, const std::string& name) {
    return ParseHLModel(std::vector<uint8_t>(bytes), name, nullptr, *TestAssets());
}

class HlModelTest : public CModelFileFixture {
protected:
    // A model of the test data, or null when the data is absent.
    COGLHLModel* LoadReal(const char* relative) {
        const std::filesystem::path path = testData / "hlmdl" / relative;
        if (!std::filesystem::exists(path)) {
            return nullptr;
        }
        COGLHLModel& model = LoadPath<COGLHLModel>(path.string());
        EXPECT_TRUE(model.IsLoaded()) << reports.Errors(*scene);
        return &model;
    }
    // The picture of a fresh draw: RGBA rows from the bottom.
    std::vector<uint8_t> Picture(COGLHLModel& model, int flags) {
        Clear();
        glColor3f(1.0f, 1.0f, 1.0f);
        model.Draw(State(), flags);
        return context.ReadPixels(0, 0, SIZE, SIZE);
    }
    HLWorkAreas& Work() { return scene->HLWork(); }
};

std::vector<uint8_t> WithValue(std::vector<uint8_t> bytes, size_t at, uint32_t value) {
    return Bytes{ std::move(bytes) }.PutU32(at, value).bytes;
}

// The default layout with one change.
template <typename Edit>
std::vector<uint8_t> Edited(Edit edit) {
    HlLayout layout;
    edit(layout);
    return layout.Write();
}

}  // namespace

TEST_F(HlModelTest, ObjectsOfOneFileShareItsDataAndTexturesAndPoseThemselves) {
    HlLayout layout;
    layout.sequences = { { "idle", 10, 0, 1 }, { "walk", 4, 0, 2 } };
    layout.textures = { { "skin.bmp", 100, 60, 9, { 200, 100, 40 } } };
    COGLHLModel& model = Load<COGLHLModel>("box.mdl", HlText(layout.Write()));
    ASSERT_TRUE(model.IsLoaded());
    ASSERT_EQ(model.animations.size(), 2u);
    ASSERT_EQ(model.Skins().size(), 1u);
    EXPECT_EQ(model.Skins()[0]->path, "boxskin.bmp");
    // Resampled to powers of two, in the colours of its palette.
    const COGLImage& texture = *model.data->textures.at(0);
    EXPECT_EQ(texture.width, 128);
    EXPECT_EQ(texture.height, 64);
    ASSERT_EQ(texture.pixels.size(), 128u * 64u * 3u);
    EXPECT_EQ(texture.pixels[0], 200);
    EXPECT_EQ(texture.pixels[texture.pixels.size() - 2], 100);
    EXPECT_EQ(texture.pixels[texture.pixels.size() - 1], 40);
    EXPECT_EQ(model.VertexCount(), 3);
    EXPECT_EQ(model.TriangleCount(), 1);
    CVector min, max;
    model.FrameBounds(0, min, max);
    ExpectVector(min, -2.0f, -3.0f, -1.0f);   // the box's file (x, y, z) sent as (y, z, x)
    ExpectVector(max, 5.0f, 6.0f, 4.0f);

    COGLHLModel& again = LoadPath<COGLHLModel>(folder.Path("box.mdl"));
    EXPECT_EQ(again.data, model.data);
    EXPECT_EQ(again.Skins(), model.Skins());
    again.SetAnimation(again.animations[1]);
    EXPECT_EQ(again.pose.sequence, 1);
    EXPECT_EQ(again.GetFrameCount(), 4);
    EXPECT_EQ(model.pose.sequence, 0);
    EXPECT_EQ(model.GetFrameCount(), 10);
    EXPECT_TRUE(reports.Errors(*scene).empty()) << reports.Errors(*scene);
}

// Groups 1 and 2 of three are files "01" and "02" beside the model.
TEST(HlModelFiles, EverySequenceGroupFileIsReadAndMustBeOne) {
    CTestFolder folder;
    HlLayout layout;
    layout.groupCount = 3;
    layout.sequences = { { "idle", 1, 0, 1 }, { "run", 1, 2, 1 } };
    const std::vector<uint8_t> model = layout.Write();
    const std::string path = folder.Write("b/barney.mdl", HlText(model));
    folder.Write("b/barney01.mdl", HlText(HlLayout::GroupFile()));
    ParsedModel parsed = Parse(model, path);
    EXPECT_EQ(parsed.data, nullptr);
    EXPECT_EQ(MessageTexts(parsed.messages), "unable to open " + folder.Path("b/barney02.mdl") + "\r\n");

    folder.Write("b/barney02.mdl", HlText(model));
    parsed = Parse(model, path);
    EXPECT_EQ(parsed.data, nullptr);
    EXPECT_EQ(MessageTexts(parsed.messages), "Not a valid Half-Life model file: " + folder.Path("b/barney02.mdl") +
                                                 " (not a sequence group file)\r\n");

    folder.Write("b/barney02.mdl", HlText(HlLayout::GroupFile()));
    parsed = Parse(model, path);
    ASSERT_NE(parsed.data, nullptr) << MessageTexts(parsed.messages);
    EXPECT_TRUE(parsed.messages.empty());
    EXPECT_EQ(HLCompanionNames(*DataOf<CHLModelData>(parsed), path),
              (std::vector<std::string>{ folder.Path("b/barney01.mdl"), folder.Path("b/barney02.mdl") }));
}

TEST(HlModelFiles, ControllersWrapAndStepAsTheirRangeSays) {
    HlLayout layout;
    layout.controllers = { { 8 | 0x8000, 0.0f, 360.0f, 0 }, { 1, -10.0f, 10.0f, 1 }, { 1, 5.0f, 5.0f, 2 },
                           { 8, 0.0f, 90.0f, 4 } };
    const ParsedModel parsed = Parse(layout.Write(), "gun.mdl");
    ASSERT_NE(parsed.data, nullptr) << MessageTexts(parsed.messages);
    const CHLModelData& data = *DataOf<CHLModelData>(parsed);
    CHLPose pose;
    EXPECT_NEAR(pose.SetControllerValue(data, 0, 370.0f), 7.0f / 255.0f * 360.0f, 1e-4f);
    EXPECT_EQ(pose.controller[0], 7);
    EXPECT_EQ(pose.SetControllerValue(data, 1, 50.0f), 10.0f);
    EXPECT_EQ(pose.controller[1], 255);
    EXPECT_EQ(pose.SetControllerValue(data, 1, -50.0f), -10.0f);
    EXPECT_EQ(pose.controller[1], 0);
    // A range of no width or a value that is not a number takes the start.
    EXPECT_EQ(pose.SetControllerValue(data, 2, 9.0f), 5.0f);
    EXPECT_EQ(pose.controller[2], 0);
    EXPECT_EQ(pose.SetControllerValue(data, 1, std::nanf("")), -10.0f);
    EXPECT_EQ(pose.SetControllerValue(data, 3, 12.0f), 12.0f);   // no such controller
    EXPECT_EQ(pose.SetControllerValue(data, 7, 12.0f), 12.0f);
    EXPECT_EQ(pose.SetMouthValue(data, 45.0f), 45.0f);
    EXPECT_EQ(pose.mouth, 32);
    // Blend type 0 leaves the value as it is.
    EXPECT_EQ(pose.SetBlendValue(data, 0, 0.5f), 0.5f);
}

TEST(HlModelFiles, UnsoundFilesAreRefusedWithAMessage) {
    const std::vector<uint8_t> good = HlLayout().Write();
    const std::vector<uint8_t> cases[] = {
        {}, std::vector<uint8_t>(good.begin(), good.begin() + 200),
        Edited([](HlLayout& l) { l.magic = "IDPO"; }),                       // the older model format
        Edited([](HlLayout& l) { l.version = 11; }),
        Edited([](HlLayout& l) { l.magic = "IDSQ"; }),                       // a group file
        Edited([](HlLayout& l) { l.sequences = { { "idle", 0, 0, 1 } }; }),  // no frames
        Edited([](HlLayout& l) { l.sequences = { { "idle", 1, 0, 5 } }; }),  // five blends
        Edited([](HlLayout& l) { l.sequences = { { "idle", 1, 1, 1 } }; }),  // group past the groups
        Edited([](HlLayout& l) { l.sequences.clear(); }),
        Edited([](HlLayout& l) { l.controllers = { { 1, 0.0f, 1.0f, 5 } }; }),  // slot past the controllers
        WithValue(good, 140, 129),               // bones beyond the work areas
        WithValue(good, 172, 33),                // sequence groups
        WithValue(good, 184, 8),                 // texture table inside the header
        WithValue(good, 144, 0x7ffffff0),        // bone table past the end
        WithValue(good, 204, 0xffffffff),        // body parts
        std::vector<uint8_t>(good.begin(), good.end() - 20),   // triangle commands cut off
    };
    for (size_t i = 0; i < std::size(cases); i++) {
        SCOPED_TRACE(i);
        const ParsedModel parsed = Parse(cases[i], "bad.mdl");
        EXPECT_EQ(parsed.data, nullptr);
        EXPECT_EQ(MessageTexts(parsed.messages).rfind("Not a valid Half-Life model file: bad.mdl (", 0), 0u)
            << MessageTexts(parsed.messages);
    }
}

TEST_F(HlModelTest, TheRecordRoundTripsAndAMissingModelIsKeptWithoutData) {
    HlLayout layout;
    layout.sequences = { { "idle", 10, 0, 1 }, { "walk", 4, 0, 1 } };
    const Bytes record = HlRecord(folder.Write("box.mdl", HlText(layout.Write())), 1, 2.5f);
    COGLHLModel& model = ReadAs<COGLHLModel>(record);
    EXPECT_TRUE(model.IsLoaded());
    EXPECT_EQ(model.name, "Crate");
    EXPECT_EQ(model.GetAnimation(), model.animations[1]);
    EXPECT_EQ(model.pose.frame, 2.5f);
    EXPECT_FALSE(model.loop);
    EXPECT_EQ(model.reserved, 7);
    ExpectSavesBack(model, record);

    // A position past the sequence's frames starts it over.
    EXPECT_EQ(ReadAs<COGLHLModel>(HlRecord(folder.Path("box.mdl"), 1, 40.0f)).framePosition, 0.0f);

    // A model file that is not there, on disk or in an archive the scene
    // lacks, is kept without data and saved as read.
    for (int32_t pakIndex : { -1, 3 }) {
        const Bytes gone = HlRecord(folder.Path("gone.mdl"), 1, 2.5f, pakIndex);
        COGLHLModel& missing = ReadAs<COGLHLModel>(gone);
        EXPECT_TRUE(missing.IsLoaded());
        EXPECT_EQ(missing.data, nullptr);
        ExpectSavesBack(missing, gone);
    }
}

// Every shorter piece of a real model is refused or read within its bytes.
TEST(HlModelFiles, EveryTruncationOfARealModelIsCheckedSafely) {
    const std::vector<uint8_t> whole = FileBytes(testData / "hlmdl/sven-lowdef/grenade.mdl");
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

TEST_F(HlModelTest, TheTickStepsThroughTheFramesLoopsAndStopsOnFrameZero) {
    HlLayout layout;
    layout.sequences = { { "loop", 10, 0, 1 }, { "once", 10, 0, 1 }, { "still", 1, 0, 1 } };
    COGLHLModel& model = Load<COGLHLModel>("tick.mdl", HlText(layout.Write()));
    ASSERT_TRUE(model.IsLoaded());
    model.StartAnimation();
    std::vector<float> frames;
    for (int i = 0; i < 72; i++) {
        model.Animate();
        frames.push_back(model.pose.frame);
    }
    EXPECT_EQ(frames[0], 0.125f);
    EXPECT_EQ(frames[70], 8.875f);   // the last frame is only blended towards
    EXPECT_EQ(frames[71], 0.0f);
    EXPECT_EQ(*std::max_element(frames.begin(), frames.end()), 8.875f);

    model.loop = false;
    model.SetAnimation(model.animations[1]);
    for (int i = 0; i < 72; i++) {
        model.Animate();
    }
    EXPECT_FALSE(model.animating);
    EXPECT_EQ(model.pose.frame, 0.0f);
    EXPECT_EQ(model.framePosition, 0.0f);

    model.StartAnimation();
    model.SetAnimation(model.animations[2]);
    model.Animate();
    EXPECT_EQ(model.framePosition, 0.0f);
}

// Frames 10, 20, 40, 40 in two runs; a run's last value does not lead into
// the next run, and the last frame has no next run to lead into.
TEST_F(HlModelTest, ChannelRunsArePosedFrameByFrameAndTheLastFrameHoldsItsValue) {
    HlLayout layout;
    layout.sequences = { { "runs", 4, 0, 1 } };
    layout.xRuns = { 2, 2, 10, 0, 20, 0, 1, 2, 40, 0 };
    COGLHLModel& model = Load<COGLHLModel>("runs.mdl", HlText(layout.Write()));
    ASSERT_TRUE(model.IsLoaded()) << reports.Errors(*scene);
    const std::pair<float, float> cases[] = { { 0.0f, 10.0f }, { 0.5f, 15.0f }, { 1.5f, 20.0f }, { 2.5f, 40.0f },
                                              { 3.0f, 40.0f }, { 3.7f, 40.0f }, { -2.0f, 10.0f } };
    for (const auto& [frame, x] : cases) {
        model.pose.frame = frame;
        SetUpHLBones(*model.data, model.pose, Work());
        EXPECT_EQ(Work().boneTransform[0][0][3], x) << frame;
    }
}

// The strip's first point is file (1, 2, 3); the triangle faces file +z,
// which is world +y, and covers world (1, -1) at z = 1, before a backdrop of 40.
TEST_F(HlModelTest, FilePointsAreSentAsYZXLitByTheSwitchedOnLightsAndBlendedAsTheTextureSays) {
    struct Case {
        int32_t textureFlags;
        uint8_t texel;      // palette index, white
        float lightY;       // 0 for no light
        bool lightOn;
        int expected;       // 0..255
    };
    const Case cases[] = {
        { 0, 0, 0.0f, false, 160 },                          // no light: 32 + 192 - 192 / 3
        { hl::HL_TEXTURE_FLAT, 0, 0.0f, false, 186 },        // flat: 32 + 153.6
        { 0, 0, -10.0f, false, 160 },                        // a light switched off does not count
        { 0, 0, 10.0f, true, 224 },                          // above, facing it
        { 0, 0, -10.0f, true, 32 },                          // below, facing away
        { hl::HL_TEXTURE_MASKED, 255, 0.0f, false, 40 },     // cut out: the backdrop
        { 0, 255, 0.0f, false, 160 },                        // only masked textures cut 255 out
        { hl::HL_TEXTURE_ADDITIVE, 0, 0.0f, false, 200 },    // added to the backdrop
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        HlLayout layout;
        layout.textures = { { "white.bmp", 2, 2, c.texel, { 255, 255, 255 }, c.textureFlags } };
        const float points[9] = { 1, 2, 3, 1, -2, -2, 1, 2, -2 };
        std::copy(std::begin(points), std::end(points), layout.points);
        scene = std::make_unique<COGLScene>();
        if (c.lightY != 0.0f) {
            auto light = std::make_unique<COGLPointLight>(0.0f, c.lightY, 0.0f);
            light->enabled = c.lightOn ? 1 : 0;
            scene->AddLight(std::move(light));
        }
        COGLHLModel& model = Load<COGLHLModel>("lit.mdl", HlText(layout.Write()));
        ASSERT_TRUE(model.IsLoaded()) << reports.Errors(*scene);
        Clear();
        Backdrop(40, 40, 40, 0.0f);
        glDisable(GL_LIGHTING);
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        CGLState& gl = State();
        DrawHLModel(*model.data, model.pose, Work(), { &model.Skins(), scene.get(), model.position, &gl, gl.Bits() });
        glDisable(GL_TEXTURE_2D);
        EXPECT_TRUE(ColorNear(PixelAt(1.0f, -1.0f), c.expected, c.expected, c.expected, 2));
        models.clear();
    }
}

namespace {

int16_t I16At(const std::vector<uint8_t>& file, size_t at) {
    return static_cast<int16_t>(file[at] | file[at + 1] << 8);
}

// A channel's value at every frame, its runs spelled out (each run's last
// value repeated to its total).
std::vector<float> ChannelFrames(const std::vector<uint8_t>& file, size_t at, int32_t frames) {
    std::vector<float> values;
    while (int32_t(values.size()) < frames) {
        const int valid = file[at];
        const int total = file[at + 1];
        for (int i = 0; i < total; i++) {
            values.push_back(I16At(file, at + 2 + 2 * size_t(std::min(i, valid - 1))));
        }
        at += 2 + 2 * size_t(valid);
    }
    return values;
}

// Bone b's transform at frame f of the sequence, built up its parent chain
// from a plain reading of the file (no controllers, blend 0).
void ChainTransform(const std::vector<uint8_t>& file, int32_t sequence, float f, int32_t b, float out[3][4]) {
    const size_t record = size_t(IntAt(file, 168)) + 176 * size_t(sequence);
    const int32_t frames = IntAt(file, record + 56);
    const size_t block = size_t(IntAt(file, size_t(IntAt(file, 176)) + 100) + IntAt(file, record + 124)) + 12 * size_t(b);
    const size_t bone = size_t(IntAt(file, 144)) + 112 * size_t(b);
    const int32_t k = int32_t(f);
    const int32_t next = std::min(k + 1, frames - 1);
    float channels[2][6];
    for (int c = 0; c < 6; c++) {
        const uint16_t offset = uint16_t(I16At(file, block + 2 * size_t(c)));
        const float value = FloatAt(file, bone + 64 + 4 * size_t(c));
        const float scale = FloatAt(file, bone + 88 + 4 * size_t(c));
        const std::vector<float> runs = offset != 0 ? ChannelFrames(file, block + offset, frames)
                                                    : std::vector<float>(size_t(frames), 0.0f);
        channels[0][c] = value + runs[size_t(k)] * scale;
        channels[1][c] = value + runs[size_t(next)] * scale;
    }
    float q1[4], q2[4], q[4], local[3][4];
    AnglesToQuaternion(channels[0] + 3, q1);
    AnglesToQuaternion(channels[1] + 3, q2);
    // Angles within 0.001 of each other are not interpolated.
    SlerpQuaternion(q1, q2, VectorsEqual3(channels[0] + 3, channels[1] + 3) ? 0.0f : f - float(k), q);
    QuaternionToMatrix3x4(q, local);
    for (int i = 0; i < 3; i++) {
        local[i][3] = channels[0][i] + (channels[1][i] - channels[0][i]) * (f - float(k));
    }
    const int32_t parent = IntAt(file, bone + 32);
    if (parent < 0) {
        std::memcpy(out, local, sizeof local);
        return;
    }
    float above[3][4];
    ChainTransform(file, sequence, f, parent, above);
    ConcatMatrix3x4(above, local, out);
}

}  // namespace

TEST_F(HlModelTest, ARealModelStandsOnItsBoxAndTicksIntoThePoseOfAPlainReading) {
    COGLHLModel* man = LoadReal("assimp/man/man.mdl");
    if (man == nullptr) {
        GTEST_SKIP() << "no Half-Life test data";
    }
    man->SetScale(0.5f, 0.5f, 0.5f);
    man->SetPosition(0.0f, -3.0f, 2.0f);
    const std::vector<uint8_t> standing = Picture(*man, 0);
    // Lowest and highest rows drawn: the box's bottom on the origin, its
    // top (file z 9.76 above 0.008) 4.87 units higher.
    int low = SIZE, high = -1;
    for (int i = 0; i < SIZE * SIZE; i++) {
        if (standing[4 * size_t(i)] > 0) {
            low = std::min(low, i / SIZE);
            high = std::max(high, i / SIZE);
        }
    }
    EXPECT_NEAR(low, (4.0f - 3.0f) * 16.0f, 2.0f);
    EXPECT_NEAR(high, (4.0f - 3.0f + 4.87f) * 16.0f, 3.0f);
    EXPECT_NEAR(man->boundsMin.y, 9.756f, 1e-3f);   // the larger corner
    EXPECT_NEAR(man->boundsMax.y, 0.008f, 1e-3f);

    const std::vector<uint8_t> file = FileBytes(testData / "hlmdl/assimp/man/man.mdl");
    man->SetAnimation(man->animations[1]);   // "walk", 26 frames
    man->StartAnimation();
    for (int i = 0; i < 37; i++) {
        man->Animate();
    }
    ASSERT_EQ(man->pose.frame, 4.625f);
    const std::vector<uint8_t> walking = Picture(*man, 0);
    EXPECT_NE(walking, standing);
    const int32_t leaf = 5;   // RightArm, under Spine, Pelvis and Root: no controllers on the way
    float expected[3][4];
    ChainTransform(file, 1, 4.625f, leaf, expected);
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 4; j++) {
            EXPECT_NEAR(Work().boneTransform[leaf][i][j], expected[i][j], j == 3 ? 2e-3f : 1e-4f) << i << j;
        }
    }
}

// Each blend slot moves the bones from one end of its range to the other
// in small steps.
TEST_F(HlModelTest, BlendSlotsMoveThePoseContinuously) {
    COGLHLModel* man = LoadReal("assimp/man/man.mdl");
    if (man == nullptr) {
        GTEST_SKIP() << "no Half-Life test data";
    }
    man->SetAnimation(man->animations[2]);   // "arms_up", four blends
    const int32_t bones = man->HeaderCount(hl::H_BONE_COUNT);
    const auto distance = [](const std::vector<float>& a, const std::vector<float>& b) {
        float largest = 0.0f;
        for (size_t i = 0; i < a.size(); i++) {
            largest = std::max(largest, std::fabs(a[i] - b[i]));
        }
        return largest;
    };
    for (int slot = 0; slot < 2; slot++) {
        SCOPED_TRACE(slot);
        std::vector<std::vector<float>> poses;
        for (int setting = 0; setting <= 255; setting += 15) {
            man->pose.blending[slot] = uint8_t(setting);
            man->pose.blending[1 - slot] = 0;
            SetUpHLBones(*man->data, man->pose, Work());
            poses.emplace_back();
            for (int32_t b = 0; b < bones; b++) {
                poses.back().insert(poses.back().end(), { Work().boneTransform[b][0][3], Work().boneTransform[b][1][3],
                                                          Work().boneTransform[b][2][3] });
            }
        }
        const float span = distance(poses.front(), poses.back());
        EXPECT_GT(span, 0.5f);
        for (size_t i = 1; i < poses.size(); i++) {
            EXPECT_LT(distance(poses[i - 1], poses[i]), span / 4.0f) << i;
        }
    }
}

// The chrome coordinates of the sphere's normals turn with the camera and
// stay on the texture.
TEST_F(HlModelTest, ChromeFollowsTheCamera) {
    COGLHLModel* sphere = LoadReal("assimp/chrome_sphere.mdl");
    if (sphere == nullptr) {
        GTEST_SKIP() << "no Half-Life test data";
    }
    const size_t normals = size_t(IntAt(sphere->data->header, size_t(sphere->data->SubModelOf(0, 0)) + 92));
    std::vector<std::vector<int32_t>> chrome;
    for (float orbit : { 0.0f, 40.0f }) {
        COGLCamera3D camera;
        camera.OrbitY(orbit);
        glPushMatrix();
        camera.Apply();
        glPopMatrix();
        scene->Render(State(), 0, camera.eye, camera.right);
        Picture(*sphere, DRAW_MATERIAL);
        chrome.emplace_back(&Work().chrome[0][0], &Work().chrome[0][0] + 2 * normals);
    }
    EXPECT_NE(chrome[0], chrome[1]);
    EXPECT_GE(*std::min_element(chrome[1].begin(), chrome[1].end()), 0);
    EXPECT_LE(*std::max_element(chrome[1].begin(), chrome[1].end()), 64);
}
