// A model file opened on its own: the scene made for it stands the model on
// a floor that fits it, lights it from above with two shadow-casting
// lights, points the camera at it from far enough to see all of it, and
// starts its first animation in its first skin.
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "image/COGLTexture2D.h"
#include "models/COGLModel.h"
#include "models/Md2Bytes.h"
#include "models/Md2Normals.h"
#include "objects/COGLFloor.h"
#include "objects/COGLLight.h"
#include "platform/CSettingsStore.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"
#include "support/CapturedReports.h"
#include "support/GLTest.h"
#include "support/RealFiles.h"
#include "support/TestFolder.h"
#include "view/COGLViewport3D.h"

namespace {

class ModelScene : public GLTest {
protected:
    void TearDown() override {
        scene.reset();
        GLTest::TearDown();
    }

    // A wall 2 units high at the model's default scale, standing on the
    // origin, in two animations; named skins "a.pcx" and "b.pcx".
    std::string WriteWallModel(bool withSkins = true) {
        Md2Layout layout;
        layout.skins = { "models/a.pcx", "models/b.pcx" };
        layout.frames = { Wall("stand1", -20.0f, 40, 0), Wall("stand2", -20.0f, 40, 0), Wall("run1", -20.0f, 40, 0) };
        layout.Run(4).Vertex(0, 0, 0).Vertex(0, 0, 1).Vertex(0, 0, 2).Vertex(0, 0, 3).End();
        if (withSkins) {
            folder.Write("a.pcx", TinyPcx(200, 0, 0));
            folder.Write("b.pcx", TinyPcx(0, 200, 0));
        }
        return folder.Write("wall.md2", Text(layout.Write()));
    }

    COGLModel& Model() const { return dynamic_cast<COGLModel&>(*scene->objects[1]); }

    // The scene made for the file, seen through the viewport over the whole context.
    void Show(const std::string& path) {
        scene = std::make_unique<COGLScene>();
        ASSERT_NE(OpenModelScene(path, *scene, viewport), SceneOpenResult::aborted) << reports.Errors(*scene);
        viewport.width = SIZE;
        viewport.height = SIZE;
        viewport.Draw(*scene, State());
    }

    CTestFolder folder;
    CCapturedReports reports;
    CSettingsStore settings { reports.Folder().Path("TAV.ini") };
    COGLViewport3D viewport { settings };
    std::unique_ptr<COGLScene> scene = std::make_unique<COGLScene>();
};

TEST_F(ModelScene, TheModelStandsOnAFloorThatFitsItUnderTwoShadowCastingLights) {
    ASSERT_EQ(OpenSceneFile(WriteWallModel(), *scene, viewport), SceneOpenResult::loaded) << reports.Errors(*scene);
    ASSERT_EQ(scene->objects.size(), 2u);
    const auto* floor = dynamic_cast<const COGLFloor*>(scene->objects[0].get());
    ASSERT_NE(floor, nullptr);
    const COGLModel& model = Model();
    CVector min, max;
    model.PlacedBounds(min, max);
    EXPECT_NEAR(model.position.x, 0.0f, 1e-6f);
    EXPECT_NEAR(model.position.y, 0.0f, 1e-6f);
    // The wall stands on the origin, so the floor lies there; it was made
    // bigger, not moved.
    EXPECT_NEAR(min.y, 0.0f, 1e-4f);
    EXPECT_NEAR(floor->position.y, 0.0f, 1e-4f);
    EXPECT_GT(max.y - min.y, 2.0f);
    EXPECT_GE(floor->scale.x, std::max(std::abs(min.x), std::abs(max.x)));
    EXPECT_GE(floor->scale.y, std::max(std::abs(min.z), std::abs(max.z)));

    ASSERT_EQ(scene->lights.size(), 2u);
    for (const auto& light : scene->lights) {
        EXPECT_GT(light->Marker().position.y, max.y);
        EXPECT_FALSE(light->Marker().IsVisible());
    }
    EXPECT_TRUE(scene->Shadows().enabled);
    EXPECT_EQ(scene->Shadows().lightCount, 2);
    EXPECT_EQ(scene->Shadows().planeCount, 1);
    EXPECT_EQ(scene->Shadows().planes[0], floor);
    EXPECT_TRUE(scene->Shadows().blend);
}

// The chosen animation plays in the chosen skin, else the first of each.
TEST_F(ModelScene, ItPlaysTheFirstAnimationInTheChosenSkin) {
    const std::string path = WriteWallModel();
    const struct { const char* animation; int skin; const char* playing; size_t worn; } rows[] = {
        { "", 1, "stand", 1 }, { "run", ModelSceneChoice::MODEL_SKIN, "run", 0 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "\"" << row.animation << "\", skin " << row.skin);
        scene = std::make_unique<COGLScene>();
        ModelSceneChoice choice;
        choice.animation = row.animation;
        choice.skin = row.skin;
        ASSERT_EQ(OpenModelScene(path, *scene, viewport, choice), SceneOpenResult::loaded);
        ASSERT_NE(Model().GetAnimation(), nullptr);
        EXPECT_EQ(Model().GetAnimation()->name, row.playing);
        EXPECT_TRUE(Model().animating);
        ASSERT_EQ(Model().Skins().size(), 2u);
        EXPECT_EQ(Model().Texture(), Model().Skins()[row.worn]);
    }
}

TEST_F(ModelScene, MissingSkinsAreListed) {
    const std::string path = WriteWallModel(false);
    EXPECT_EQ(OpenSceneFile(path, *scene, viewport), SceneOpenResult::incomplete);
    EXPECT_NE(reports.Errors(*scene).find("models/a.pcx"), std::string::npos) << reports.Errors(*scene);
    EXPECT_NE(reports.Errors(*scene).find("models/b.pcx"), std::string::npos) << reports.Errors(*scene);
    EXPECT_EQ(scene->objects.size(), 2u);  // shown untextured all the same
}

TEST_F(ModelScene, AModelInAnArchiveIsNamedArchiveColonEntry) {
    Md2Layout layout;
    layout.frames = { Wall("stand1", -20.0f, 40, 0) };
    layout.Run(4).Vertex(0, 0, 0).Vertex(0, 0, 1).Vertex(0, 0, 2).Vertex(0, 0, 3).End();
    const std::string archive = folder.Write("game.pak", PakOf({ { "models/wall.md2", Text(layout.Write()) },
                                                                   { "readme.txt", "not a model" } }));
    EXPECT_TRUE(IsModelPath(archive + ":models/wall.md2"));
    EXPECT_EQ(OpenSceneFile(archive + ":models/wall.md2", *scene, viewport), SceneOpenResult::loaded)
        << reports.Errors(*scene);
    EXPECT_EQ(Model().pak, scene->GetPak(0));
    for (const char* entry : { ":models/none.md2", ":readme.txt" }) {
        scene = std::make_unique<COGLScene>();
        EXPECT_EQ(OpenSceneFile(archive + entry, *scene, viewport), SceneOpenResult::aborted) << entry;
    }
}

// A player folder lists its weapons' pictures too, a_*.pcx first; the body
// wears the first skin of the size its file gives, unless one is chosen.
TEST_F(ModelScene, APlayerWearsTheFirstSkinOfItsOwnSize) {
    const std::filesystem::path tris = testData / "player/didux-quake/players/warvet/tris.md2";
    if (!std::filesystem::exists(tris)) {
        GTEST_SKIP() << "no player test data";
    }
    ASSERT_NE(OpenModelScene(tris.string(), *scene, viewport), SceneOpenResult::aborted) << reports.Errors(*scene);
    ASSERT_NE(Model().Texture(), nullptr);
    EXPECT_EQ(Model().Texture()->Title(), "warvet");

    scene = std::make_unique<COGLScene>();
    ModelSceneChoice choice;
    choice.skin = 0;
    ASSERT_NE(OpenModelScene(tris.string(), *scene, viewport, choice), SceneOpenResult::aborted);
    EXPECT_EQ(Model().Texture()->Title(), "a_m61frag");
}

// The file with every stored normal turned to point the other way.
std::vector<uint8_t> WithNormalsTurned(std::vector<uint8_t> md2) {
    const int32_t frameSize = IntAt(md2, MD2_FRAME_SIZE);
    const int32_t frameCount = IntAt(md2, MD2_FRAME_COUNT);
    const size_t frames = static_cast<size_t>(IntAt(md2, MD2_FRAME_OFFSET));
    for (size_t at = 0; at < static_cast<size_t>(frameSize) * static_cast<size_t>(frameCount); at += 4) {
        if (at % static_cast<size_t>(frameSize) < 40) {
            continue;  // the frame's scale, translation and name
        }
        const float* n = md2Normals[md2[frames + at + 3]];
        int opposite = 0;
        for (int k = 1; k < MD2_NORMAL_COUNT; k++) {
            const float* m = md2Normals[k];
            const float* o = md2Normals[opposite];
            if (n[0] * m[0] + n[1] * m[1] + n[2] * m[2] < n[0] * o[0] + n[1] * o[1] + n[2] * o[2]) {
                opposite = k;
            }
        }
        md2[frames + at + 3] = static_cast<uint8_t>(opposite);
    }
    return md2;
}

// Some of the games' models store their normals pointing inward: a model
// file is shown lit whichever way its normals point.
TEST_F(ModelScene, AModelIsLitWhicheverWayItsStoredNormalsPoint) {
    const std::vector<uint8_t> body = FileBytes(testData / "player/didux-quake/players/male/tris.md2");
    if (body.empty()) {
        GTEST_SKIP() << "no player test data";
    }
    Show(folder.Write("body.md2", std::string(body.begin(), body.end())));
    const Rgba stored = AverageAround(0.0f, 0.0f, 3);
    const std::vector<uint8_t> turned = WithNormalsTurned(body);
    Show(folder.Write("inward.md2", std::string(turned.begin(), turned.end())));
    EXPECT_GT(stored.r, 120);
    EXPECT_TRUE(ColorNear(AverageAround(0.0f, 0.0f, 3), stored.r, stored.g, stored.b));
}

}  // namespace
