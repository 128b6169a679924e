#include <gtest/gtest.h>

#include <limits>

#include "image/COGLTexture2D.h"
#include "models/COGLMD2.h"
#include "models/COGLMDL.h"
#include "models/HlBytes.h"
#include "models/Md2Bytes.h"
#include "models/MdlBytes.h"
#include "support/ModelFileFixture.h"

namespace {

// The tick is the model base's: one animation of three frames drives it.
class ModelAnimation : public ::testing::Test {
protected:
    void SetUp() override {
        model.animations = { &threeFrames };
        model.SetAnimation(&threeFrames);
        model.animating = true;
    }

    void Tick(int times) {
        for (int i = 0; i < times; i++) model.Animate();
    }

    const CModelAnimation threeFrames { "a", 0, 3 };
    COGLMD2 model;
};

class ModelObject : public CModelFileFixture {
protected:
    // An MD2 or an MDL object, as the path ends.
    COGLModel& LoadEither(const std::string& path, CPakFile* archive = nullptr) {
        if (path.back() == '2') {
            return LoadPath<COGLMD2>(path, archive);
        }
        return LoadPath<COGLMDL>(path, archive);
    }
};

}  // namespace

// Eight ticks blend one frame into the next; the last frame shows for one
// tick, then the animation wraps, or without loop comes to rest on the
// first frame. Without interpolation the next frame is the current one.
TEST_F(ModelAnimation, TicksBlendWrapAndStopAsTheRowsSay) {
    const struct {
        bool loop, interpolate;
        int ticks;  // since the row before, or since the start for a new setting
        int current, next;
        float fraction;
        bool animating = true;
    } rows[] = {
        { true, true, 1, 0, 1, 0.125f }, { true, true, 6, 0, 1, 0.875f }, { true, true, 1, 1, 2, 0.0f },
        { true, true, 7, 1, 2, 0.875f }, { true, true, 1, 2, 2, 1.0f },   { true, true, 1, 0, 1, 0.0f },
        { false, true, 16, 2, 2, 1.0f }, { false, true, 1, 0, 1, 0.0f, false },
        { true, false, 3, 0, 0, 0.0f },  { true, false, 5, 1, 1, 0.0f },  { true, false, 16, 0, 0, 0.0f },
    };
    bool loop = true, interpolate = true;
    for (const auto& row : rows) {
        if (row.loop != loop || row.interpolate != interpolate) {
            model.ResetAnimation();
            model.animating = true;
            model.loop = loop = row.loop;
            model.interpolate = interpolate = row.interpolate;
        }
        Tick(row.ticks);
        SCOPED_TRACE(testing::Message() << "loop " << loop << ", interpolate " << interpolate << ", position "
                                        << model.framePosition);
        EXPECT_EQ(model.CurrentFrame(), row.current);
        EXPECT_EQ(model.NextFrame(), row.next);
        EXPECT_NEAR(model.FrameFraction(), row.fraction, 1e-6);
        EXPECT_EQ(model.animating, row.animating);
    }
}

TEST_F(ModelAnimation, ForgedStepsNeverLeaveTheAnimation) {
    const float steps[] = { -0.5f, 1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity() };
    for (float step : steps) {
        model.frameStep = step;
        for (int tick = 0; tick < 5; tick++) {
            Tick(1);
            EXPECT_GE(model.CurrentFrame(), 0);
            EXPECT_LT(model.CurrentFrame(), 3);
            EXPECT_GE(model.NextFrame(), 0);
            EXPECT_LT(model.NextFrame(), 3);
        }
    }
}

// An MD2 starts on all its frames and animates when the file has several;
// an MDL starts on its first animation and animates when that has several.
// An animation not there hides the model, whichever kind.
TEST_F(ModelObject, StartsOnTheFilesAnimationAndHidesWithoutTheOneAskedFor) {
    struct Case {
        const char* file;
        Bytes bytes;
        const char* first;
        bool animates;
    };
    const Case cases[] = {
        { "still.md2", Md2NamedFrames({ "still" }), "still", false },
        { "run.md2", Md2NamedFrames({ "still", "run1", "run2" }), "<all>", true },
        { "run.mdl", MdlTriangle({ "still", "run1", "run2" }).Write(), "still", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        COGLModel& model = Load(c.file, c.bytes);
        ASSERT_NE(model.GetAnimation(), nullptr);
        EXPECT_EQ(model.GetAnimation()->name, c.first);
        model.StartAnimation();
        EXPECT_EQ(model.animating, c.animates);
        if (model.FindAnimation("run") == nullptr) continue;

        model.SelectAnimation("run");
        model.StartAnimation();
        EXPECT_TRUE(model.animating);
        model.SelectAnimation("jump");
        EXPECT_FALSE(model.IsVisible());
        EXPECT_EQ(model.GetAnimation(), nullptr);
        model.Animate();
        model.Draw(State(), DRAW_MATERIAL);  // nothing to draw, nothing touched
        model.SelectAnimation("run");
        EXPECT_TRUE(model.IsVisible());
        EXPECT_EQ(model.GetAnimation(), model.FindAnimation("run"));
    }
}

// MD2: from the folder above the file, "medium" passed over; MDL: from the
// file's title. A file that is not there leaves the name and is not told.
TEST_F(ModelObject, TakesItsNameFromItsPath) {
    const std::string md2 = Text(Md2NamedFrames({ "a" }));
    const std::string mdl = Text(MdlTriangle({ "a" }).Write());
    const std::pair<std::string, std::string> entries[] = {
        { "models/monsters/tank/tris.md2", "tank" }, { "players/male/medium/tris.md2", "male" },
        { "tank/tris.md2", "md2" }, { "models\\items\\quad\\tris.md2", "quad" }, { "progs/h_knight.mdl", "h_knight" },
    };
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& [path, name] : entries) files.emplace_back(path, path.back() == '2' ? md2 : mdl);
    CPakFile* pak = scene->GetPak(scene->FindOrOpenPak(folder.Write("models.pak", PakOf(files))));
    ASSERT_NE(pak, nullptr);
    for (const auto& [path, name] : entries) {
        COGLModel& model = LoadEither(path, pak);
        EXPECT_TRUE(model.IsLoaded()) << path;
        EXPECT_EQ(model.name, name) << path;
        EXPECT_EQ(model.path, path);
        EXPECT_EQ(model.pak, pak);
    }

    COGLMDL& onDisk = LoadPath<COGLMDL>(folder.Write("progs/Armor.MDL", mdl));
    EXPECT_TRUE(onDisk.IsLoaded());
    EXPECT_EQ(onDisk.name, "Armor");
    EXPECT_EQ(onDisk.folder, folder.Path("progs/"));

    for (COGLModel* missing : { &LoadEither(folder.Path("models/tank/tris.md2")), &LoadEither(folder.Path("gone.mdl")) }) {
        EXPECT_FALSE(missing->IsLoaded());
        EXPECT_EQ(missing->name, missing->typeCode == COGLMD2::TYPE_CODE ? "md2" : "MDL");
        EXPECT_TRUE(missing->path.empty());
    }
    EXPECT_EQ(reports.Errors(*scene), "");

    // Only the first 55 characters of an MD2's path are looked at.
    const std::string longFolder = "monster_with_a_long_folder_name_here";
    if (folder.Path("models/").size() + 10 <= 55) {
        COGLMD2& longer = LoadPath<COGLMD2>(folder.Write("models/" + longFolder + "/tris.md2", md2));
        EXPECT_TRUE(longer.IsLoaded());
        EXPECT_EQ(longer.folder, folder.Path("models/" + longFolder + "/"));
        EXPECT_EQ(longer.name, "models");
    }
}

// Objects of one file in a scene share what was read of it (the animations
// it holds) and one texture per picture; each keeps its own animation state.
TEST_F(ModelObject, ObjectsOfOneFileShareItsDataAndSkinsButNotTheirState) {
    folder.Write("ogre/a.pcx", TinyPcx());
    folder.Write("ogre/b.pcx", TinyPcx());
    HlLayout hl;
    hl.sequences = { { "stand", 1, 0, 1 }, { "run", 3, 0, 1 } };
    hl.textures = { { "a.bmp" }, { "b.bmp" } };
    const std::string files[] = {
        folder.Write("ogre/tris.md2", Text(Md2NamedFrames({ "stand1", "run1", "run2" },
                                                          { "models/ogre/a.pcx", "models/ogre/b.pcx" }))),
        folder.Write("ogre/ogre.mdl", Text(MdlTriangle({ "stand1", "run1", "run2" }, 2).Write())),
        WriteSinModel(),
        folder.Write("hl/box.mdl", HlText(hl.Write())),
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const size_t texturesBefore = scene->textureCache.Size();
        COGLModel& a = LoadKindOf(file);
        COGLModel& b = LoadKindOf(file);
        ASSERT_TRUE(a.IsLoaded() && b.IsLoaded());
        ASSERT_FALSE(a.animations.empty());
        EXPECT_EQ(a.animations, b.animations);
        EXPECT_EQ(a.Skins().size(), 2u);
        EXPECT_EQ(a.Skins(), b.Skins());
        EXPECT_EQ(scene->textureCache.Size(), texturesBefore + 2);

        const CModelAnimation* firstOfB = b.GetAnimation();
        a.SetAnimation(a.FindAnimation("run"));
        a.StartAnimation();
        a.Animate();
        EXPECT_EQ(a.GetAnimation(), b.FindAnimation("run"));
        EXPECT_EQ(b.GetAnimation(), firstOfB);
        EXPECT_GT(a.framePosition, 0.0f);
        EXPECT_EQ(b.framePosition, 0.0f);
    }
}
