// tvntool's pieces: a composed scene read back through the viewer's loader
// describes exactly what was composed, and renders as the viewer would.
#include <gtest/gtest.h>

#include <string>

#include <nlohmann/json.hpp>

#include "image/Palettes.h"
#include "platform/CMessageBox.h"
#include "scene/COGLScene.h"
#include "support/TestFolder.h"
#include "tools/CToolScene.h"
#include "tools/SceneComposer.h"
#include "tools/SceneJson.h"
#include "view/COGLViewport3D.h"

using nlohmann::json;

namespace {

// Every class the composer knows, with every field set away from its default.
const char* const everything = R"({
  "background": [0.1, 0.2, 0.3],
  "ambient": [0.4, 0.5, 0.6, 1],
  "fieldOfView": 35,
  "camera": { "center": [1, -2, 0.5], "eye": [0, 0, 8], "up": [0, 1, 0], "distance": 7.5, "angles": [10, 20, 30] },
  "usesVWep": false,
  "shadows": { "enabled": true, "blend": true, "alpha": 0.25, "lights": [1, 0], "planes": [0] },
  "lights": [
    { "type": "point", "name": "Key", "position": [1, 5, 2], "w": 1, "enabled": true,
      "ambient": [0.1, 0.1, 0.1, 1], "diffuse": [0.9, 0.8, 0.7, 1], "specular": [0.5, 0.5, 0.5, 1] },
    { "type": "spot", "name": "Spot", "position": [-1, 4, 0], "w": 1, "enabled": false,
      "ambient": [0, 0, 0, 1], "diffuse": [1, 1, 1, 1], "specular": [1, 1, 1, 1],
      "orientation": [0.5, 0.5, -0.5, 0.5], "cutoff": 25, "exponent": 3, "attenuation": [1, 0.1, 0.01] }
  ],
  "objects": [
    { "class": "COGLFloor", "name": "Floor", "scale": [3, 3, 1], "subdivided": true },
    { "class": "COGLPlane", "name": "Pane", "position": [0, 1, -2], "subdivided": false },
    { "class": "COGLRightWall", "name": "R" }, { "class": "COGLLeftWall", "name": "L" },
    { "class": "COGLCeiling", "name": "C" }, { "class": "COGLDisk", "name": "D", "position": [0, 0.01, 0] },
    { "class": "COGLBillboard", "name": "B", "position": [2, 1, 0] },
    { "class": "COGLBox", "name": "Box", "position": [-1, 0.5, 0.25], "scale": [0.5, 0.5, 0.5],
      "orientation": [0, 0.3826834, 0, 0.9238795], "visible": false, "transparent": true, "animating": true,
      "ambient": [0.1, 0.2, 0.3, 0.4], "diffuse": [0.5, 0.6, 0.7, 0.8], "specular": [0.9, 0.8, 0.7, 0.6],
      "emission": [0.05, 0.04, 0.03, 0.02], "shininess": 42, "textureRotation": [1, 2, 3],
      "textureScale": [2, 2, 1], "textureTranslation": [0.5, 0.25, 0], "textureMode": 7681 },
    { "class": "COGLSphere", "name": "S" }, { "class": "COGLCylinder", "name": "Cy" },
    { "class": "COGLRod", "name": "Ro" }, { "class": "COGLCone", "name": "Co" }
  ]
})";

class Tool : public ::testing::Test {
protected:
    void SetUp() override {
        CMessageBox::SetBackend(CMessageBox::discard);
        std::string error;
        ASSERT_TRUE(loaded.CreateContext(64, 64, error)) << error;
    }
    void TearDown() override { CMessageBox::SetBackend(CMessageBox::standardError); }

    CTestFolder folder;
    CToolScene  loaded;
};

// Everything of actual that expected names, recursively; numbers to 1e-6.
::testing::AssertionResult Holds(const json& actual, const json& expected, const std::string& where = "") {
    if (expected.is_object()) {
        for (const auto& [key, value] : expected.items()) {
            if (!actual.contains(key)) {
                return ::testing::AssertionFailure() << where << "." << key << " is missing";
            }
            const auto result = Holds(actual[key], value, where + "." + key);
            if (!result) {
                return result;
            }
        }
        return ::testing::AssertionSuccess();
    }
    if (expected.is_array()) {
        if (!actual.is_array() || actual.size() != expected.size()) {
            return ::testing::AssertionFailure() << where << ": " << actual.dump() << " against " << expected.dump();
        }
        for (size_t i = 0; i < expected.size(); i++) {
            const auto result = Holds(actual[i], expected[i], where + "[" + std::to_string(i) + "]");
            if (!result) {
                return result;
            }
        }
        return ::testing::AssertionSuccess();
    }
    if (expected.is_number() && actual.is_number() && std::abs(actual.get<double>() - expected.get<double>()) < 1e-6) {
        return ::testing::AssertionSuccess();
    }
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << where << ": " << actual.dump() << " against " << expected.dump();
}

}  // namespace

TEST_F(Tool, ComposedScenesDescribeThemselvesBackExactly) {
    const json composed = json::parse(everything);
    const std::string path = folder.Path("all.tvn");
    std::string error;
    ASSERT_TRUE(ComposeScene(composed, path, error)) << error;
    EXPECT_EQ(loaded.Load(path), SceneOpenResult::loaded);
    const json described = json::parse(DescribeScene(loaded).dump());
    EXPECT_TRUE(Holds(described, composed));
    EXPECT_EQ(described["version"], 6);
    EXPECT_EQ(described["loaded"], true);
    EXPECT_EQ(described["objects"][7]["typeCode"], 2);
    EXPECT_EQ(described["objects"][0]["class"], "COGLFloor");
    EXPECT_TRUE(described["errors"].empty());
    EXPECT_TRUE(described["backgroundImage"].is_null());
}

TEST_F(Tool, LeftOutFieldsTakeTheClassDefaults) {
    const std::string path = folder.Path("bare.tvn");
    std::string error;
    ASSERT_TRUE(ComposeScene(json::parse(R"({ "objects": [ { "class": "COGLFloor" }, { "class": "COGLBox" } ] })"),
                             path, error))
        << error;
    ASSERT_EQ(loaded.Load(path), SceneOpenResult::loaded);
    const json described = json::parse(DescribeScene(loaded).dump());
    EXPECT_EQ(described["objects"][0]["name"], "Floor");
    EXPECT_NE(described["objects"][0]["orientation"][3], 1.0);  // floors come turned flat
    EXPECT_EQ(described["objects"][1]["name"], "Box");
    EXPECT_TRUE(Holds(described["objects"][1]["diffuse"], json::array({ 0.8, 0.8, 0.8, 1.0 })));
    EXPECT_EQ(described["fieldOfView"], 45.0);
}

TEST_F(Tool, BadDescriptionsAreRefusedWholeAndWriteNothing) {
    const char* const bad[] = {
        R"([1, 2])",
        R"({ "objects": [ { "class": "COGLTeapot" } ] })",
        R"({ "objects": [ { "class": "COGLBox", "position": [1, 2] } ] })",
        R"({ "objects": [ { "class": "COGLBox", "visible": "yes" } ] })",
        R"({ "objects": [ { "class": "COGLBox", "texture": "nowhere.pcx" } ] })",
        R"({ "lights": [ { "type": "laser" } ] })",
        R"({ "shadows": { "planes": [0, 1, 2, 3, 4] } })",
        R"({ "background": "blue" })",
        R"({ "objects": 5 })",
    };
    for (const char* text : bad) {
        const std::string path = folder.Path("bad.tvn");
        std::string error;
        EXPECT_FALSE(ComposeScene(json::parse(text), path, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_FALSE(std::filesystem::exists(path)) << text;
        EXPECT_FALSE(std::filesystem::exists(path + ".part")) << text;
    }
}

TEST_F(Tool, ReportedTextsAndMissingFilesAreListed) {
    const std::string path = folder.Path("missing.tvn");
    std::string error;
    ASSERT_TRUE(ComposeScene(json::parse(R"({ "paks": ["C:\\q2\\pak7.pak"],
        "textures": [ { "path": "gone.pcx" } ] })"), path, error)) << error;
    EXPECT_EQ(loaded.Load(path), SceneOpenResult::incomplete);
    const json described = json::parse(DescribeScene(loaded).dump());
    EXPECT_EQ(described["missing"], json::array({ "C:\\q2\\pak7.pak", "gone.pcx" }));
    ASSERT_EQ(described["errors"].size(), 3u);
    EXPECT_EQ(described["errors"][0], "The following files could not be loaded:\r\n");
    EXPECT_EQ(described["loaded"], false);
}

TEST_F(Tool, ARenderShowsTheComposedSceneThroughItsCamera) {
    // A glowing box straight ahead of the default camera, a dark blue background.
    const std::string path = folder.Path("glow.tvn");
    std::string error;
    ASSERT_TRUE(ComposeScene(json::parse(R"({ "background": [0, 0, 0.5],
        "camera": { "distance": 8 },
        "objects": [ { "class": "COGLBox", "emission": [1, 0, 0, 1], "diffuse": [0, 0, 0, 1], "ambient": [0, 0, 0, 1] } ] })"),
                             path, error))
        << error;
    ASSERT_EQ(loaded.Load(path), SceneOpenResult::loaded);
    loaded.Paint();
    const std::vector<uint8_t> middle = loaded.context.ReadPixels(32, 32, 1, 1);
    EXPECT_GT(middle[0], 200);
    EXPECT_LT(middle[2], 40);
    const std::vector<uint8_t> corner = loaded.context.ReadPixels(1, 1, 1, 1);
    EXPECT_LT(corner[0], 20);
    EXPECT_NEAR(corner[2], 128, 12);
}
