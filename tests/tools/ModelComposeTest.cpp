// Models in composed scenes: the record the composer writes loads back into
// the model it described, from disk or from an archive, and descriptions it
// cannot honour are refused whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "models/COGLMD2.h"
#include "models/Md2Bytes.h"
#include "platform/CMessageBox.h"
#include "scene/COGLScene.h"
#include "support/TestFolder.h"
#include "tools/CToolScene.h"
#include "tools/SceneComposer.h"
#include "tools/SceneJson.h"

using nlohmann::json;

namespace {

// Frames stand1, stand2, run1, run2: animations stand, run and "<all>".
std::string FourFrames(const std::vector<std::string>& skins) {
    Md2Layout layout;
    layout.skins = skins;
    layout.frames = { NamedFrame("stand1"), NamedFrame("stand2"), NamedFrame("run1"), NamedFrame("run2") };
    layout.Run(3).Vertex(0, 0, 0).Vertex(0, 0, 0).Vertex(0, 0, 0).End();
    return Text(layout.Write());
}

class ModelCompose : public ::testing::Test {
protected:
    void SetUp() override {
        CMessageBox::SetBackend(CMessageBox::discard);
        std::string error;
        ASSERT_TRUE(loaded.CreateContext(64, 64, error)) << error;
    }
    void TearDown() override { CMessageBox::SetBackend(CMessageBox::standardError); }

    // Composes into the test folder, then loads the result as the viewer does.
    json ComposeAndDescribe(const std::string& description, SceneOpenResult expected = SceneOpenResult::loaded) {
        const std::string path = folder.Path("scene.tvn");
        std::string error;
        EXPECT_TRUE(ComposeScene(json::parse(description), path, error)) << error;
        EXPECT_EQ(loaded.Load(path), expected);
        return json::parse(DescribeScene(loaded).dump());
    }

    COGLMD2& LoadedModel(size_t index) { return dynamic_cast<COGLMD2&>(*loaded.scene->objects.at(index)); }

    CTestFolder folder;
    CToolScene  loaded;
};

}  // namespace

TEST_F(ModelCompose, AModelInAnArchiveComesBackWithItsAnimationStateAndSkin) {
    folder.Write("game.pak", PakOf({ { "models/ogre/tris.md2", FourFrames({ "models/ogre/skin.pcx" }) },
                                     { "models/ogre/skin.pcx", TinyPcx() } }));
    // Skins added to a model's own are files on disk.
    const std::string red = folder.Write("red.pcx", TinyPcx());
    // The archive is named as the scene will name it: beside the scene file.
    const json described = ComposeAndDescribe(R"({ "paks": ["game.pak"], "objects": [ {
        "class": "COGLMD2", "name": "Ogre", "position": [1, 0, 2],
        "model": { "path": "models/ogre/tris.md2", "pak": 0, "currentAnimation": "run", "frameStep": 0.25,
                   "framePosition": 1.5, "currentFrame": 1, "nextFrame": 1, "frameFraction": 0.5,
                   "loop": false, "interpolate": false, "flipNormals": true,
                   "skins": [")" + red + R"("] },
        "texture": ")" + red + R"(" } ] })");
    const json& object = described["objects"][0];
    EXPECT_EQ(object["class"], "COGLMD2");
    EXPECT_EQ(object["name"], "Ogre");
    EXPECT_EQ(object["texture"], red);
    const json& model = object["model"];
    EXPECT_EQ(model["path"], "models/ogre/tris.md2");
    EXPECT_EQ(model["pak"], 0);
    EXPECT_EQ(model["currentAnimation"], "run");
    EXPECT_EQ(model["frameStep"], 0.25);
    EXPECT_EQ(model["framePosition"], 1.5);
    EXPECT_EQ(model["currentFrame"], 1);
    EXPECT_EQ(model["frameFraction"], 0.5);
    EXPECT_EQ(model["loop"], false);
    EXPECT_EQ(model["interpolate"], false);
    EXPECT_EQ(model["flipNormals"], true);
    // The file's own skin first, as the viewer lists it, then the extra one.
    EXPECT_EQ(model["skins"], json::array({ "models/ogre/skin.pcx", red }));
    EXPECT_EQ(LoadedModel(0).pak, loaded.scene->GetPak(0));
}

TEST_F(ModelCompose, LeftOutFieldsTakeWhatTheModelFileChooses) {
    folder.Write("ogre/tris.md2", FourFrames({ folder.Path("ogre/skin.pcx") }));
    folder.Write("ogre/skin.pcx", TinyPcx());
    const json described = ComposeAndDescribe(
        R"({ "objects": [ { "class": "COGLMD2", "model": { "path": ")" + folder.Path("ogre/tris.md2") + R"(" } } ] })");
    const json& object = described["objects"][0];
    EXPECT_EQ(object["name"], "ogre");  // named after its folder, as a new model is
    EXPECT_EQ(object["scale"], json::array({ 0.05, 0.05, 0.05 }));
    EXPECT_EQ(object["texture"], folder.Path("ogre/skin.pcx"));  // the first skin
    EXPECT_EQ(object["model"]["currentAnimation"], "<all>");
    EXPECT_TRUE(object["model"]["pak"].is_null());
    EXPECT_EQ(object["model"]["loop"], true);
}

TEST_F(ModelCompose, AModelNotThereYetIsWrittenAndListedMissingWhenLoaded) {
    const json described = ComposeAndDescribe(
        R"({ "objects": [ { "class": "COGLMD2", "name": "Later", "model": { "path": "later/tris.md2" } } ] })",
        SceneOpenResult::incomplete);
    EXPECT_TRUE(described["objects"].empty());
    EXPECT_EQ(described["missing"], json::array({ "later/tris.md2" }));
}

TEST_F(ModelCompose, DescriptionsItCannotHonourAreRefusedWhole) {
    folder.Write("ogre/tris.md2", FourFrames({}));
    folder.Write("bad/tris.md2", "IDP2 but nothing more");
    const std::string ogre = folder.Path("ogre/tris.md2");
    const std::string bad[] = {
        R"({ "objects": [ { "class": "COGLMD2" } ] })",
        R"({ "objects": [ { "class": "COGLMD2", "model": { "path": 7 } } ] })",
        R"({ "objects": [ { "class": "COGLMD2", "model": { "path": ")" + ogre + R"(", "currentAnimation": "fly" } } ] })",
        R"({ "objects": [ { "class": "COGLMD2", "model": { "path": "gone.md2", "currentAnimation": "run" } } ] })",
        R"({ "objects": [ { "class": "COGLMD2", "model": { "path": ")" + ogre + R"(", "pak": 0 } } ] })",
        R"({ "objects": [ { "class": "COGLMD2", "model": { "path": ")" + ogre + R"(" }, "texture": "x.pcx" } ] })",
        R"({ "objects": [ { "class": "COGLMD2", "model": { "path": ")" + ogre + R"(", "skins": [3] } } ] })",
        R"({ "objects": [ { "class": "COGLMD2", "model": { "path": ")" + folder.Path("bad/tris.md2") + R"(" } } ] })",
    };
    for (const std::string& text : bad) {
        const std::string path = folder.Path("bad.tvn");
        std::string error;
        EXPECT_FALSE(ComposeScene(json::parse(text), path, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_FALSE(std::filesystem::exists(path)) << text;
    }
}
