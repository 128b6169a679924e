// tvntool's pieces: a composed scene read back through the viewer's loader
// describes exactly what was composed, models included, from disk or from an
// archive; descriptions it cannot honour are refused whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "models/COGLMD2.h"
#include "models/Md2Bytes.h"
#include "models/HlBytes.h"
#include "models/MdlBytes.h"
#include "models/SpriteBytes.h"
#include "platform/Cp1252.h"
#include "scene/COGLScene.h"
#include "support/CapturedReports.h"
#include "support/SinFiles.h"
#include "support/TestFolder.h"
#include "tools/CToolScene.h"
#include "tools/SceneComposer.h"
#include "tools/SceneJson.h"

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
    { "class": "COGLRod", "name": "Ro" }, { "class": "COGLCone", "name": "Co" },
    { "class": "COGLText", "name": "Words", "position": [0, 1, 1], "text": "Orrin €", "font": "Courier New",
      "italic": true, "extrusion": 0.2, "centred": false, "offset": [0, 0, 0] }
  ]
})";

// Frames stand1, stand2, run1, run2: animations stand, run and "<all>".
std::string FourFrames(const std::vector<std::string>& skins) {
    Md2Layout layout;
    layout.skins = skins;
    layout.frames = { NamedFrame("stand1"), NamedFrame("stand2"), NamedFrame("run1"), NamedFrame("run2") };
    layout.Run(3).Vertex(0, 0, 0).Vertex(0, 0, 0).Vertex(0, 0, 0).End();
    return Text(layout.Write());
}

class Tool : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(loaded.CreateContext(64, 64, error)) << error;
    }

    // Composes into the test folder, then loads the result as the viewer does.
    json ComposeAndDescribe(const json& description, SceneOpenResult expected = SceneOpenResult::loaded) {
        const std::string path = folder.Path("scene.tvn");
        std::string error;
        EXPECT_TRUE(ComposeScene(description, path, error)) << error;
        EXPECT_EQ(loaded.Load(path), expected);
        return json::parse(DescribeScene(loaded).dump());
    }

    CCapturedReports reports;
    CTestFolder folder;
    CToolScene  loaded;
};
using ModelCompose = Tool;

// Everything of actual that expected names, recursively; numbers to 1e-6.
::testing::AssertionResult Holds(const json& actual, const json& expected, const std::string& where = "") {
    const auto differ = [&] {
        return ::testing::AssertionFailure() << where << ": " << actual.dump() << " against " << expected.dump();
    };
    if (expected.is_object()) {
        for (const auto& [key, value] : expected.items()) {
            if (!actual.contains(key)) {
                return ::testing::AssertionFailure() << where << "." << key << " is missing";
            }
            if (auto result = Holds(actual[key], value, where + "." + key); !result) return result;
        }
    } else if (expected.is_array()) {
        if (!actual.is_array() || actual.size() != expected.size()) return differ();
        for (size_t i = 0; i < expected.size(); i++) {
            if (auto result = Holds(actual[i], expected[i], where + "[" + std::to_string(i) + "]"); !result) return result;
        }
    } else if (actual != expected && !(expected.is_number() && actual.is_number() &&
                                       std::abs(actual.get<double>() - expected.get<double>()) < 1e-6)) {
        return differ();
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(Tool, ComposedScenesDescribeThemselvesBackExactly) {
    const json composed = json::parse(everything);
    const json described = ComposeAndDescribe(composed);
    EXPECT_TRUE(Holds(described, composed));
    EXPECT_EQ(described["version"], 6);
    EXPECT_EQ(described["loaded"], true);
    EXPECT_TRUE(described["errors"].empty());
    EXPECT_TRUE(described["backgroundImage"].is_null());
}

TEST_F(ModelCompose, AModelInAnArchiveComesBackWithItsAnimationStateAndSkin) {
    folder.Write("game.pak", PakOf({ { "models/ogre/tris.md2", FourFrames({ "models/ogre/skin.pcx" }) },
                                     { "models/ogre/skin.pcx", TinyPcx() } }));
    // Skins added to a model's own are files on disk.
    const std::string red = folder.Write("red.pcx", TinyPcx());
    // The archive is named as the scene will name it: beside the scene file.
    json composed = json::parse(R"({ "paks": ["game.pak"], "objects": [ {
        "class": "COGLMD2", "name": "Ogre", "position": [1, 0, 2],
        "model": { "path": "models/ogre/tris.md2", "pak": 0, "currentAnimation": "run", "frameStep": 0.25,
                   "framePosition": 1.5, "currentFrame": 1, "nextFrame": 1, "frameFraction": 0.5,
                   "loop": false, "interpolate": false, "flipNormals": true } } ] })");
    json& object = composed["objects"][0];
    object["texture"] = red;
    object["model"]["skins"] = json::array({ red });
    const json described = ComposeAndDescribe(composed);
    // The file's own skin first, as the viewer lists it, then the extra one.
    object["model"]["skins"] = json::array({ "models/ogre/skin.pcx", red });
    EXPECT_TRUE(Holds(described["objects"][0], object));
    EXPECT_EQ(dynamic_cast<COGLMD2&>(*loaded.scene->objects.at(0)).pak, loaded.scene->GetPak(0));
}

TEST_F(ModelCompose, APlayerComesBackWithItsFolderSkinsWeaponAndFlagRows) {
    const std::string tris = folder.Write("grunt/tris.md2", FourFrames({}));
    folder.Write("grunt/weapon.md2", FourFrames({}));
    const std::string skin = folder.Write("grunt/b.pcx", TinyPcx());
    folder.Write("grunt/b_i.pcx", TinyPcx());
    json composed = { { "objects", { { { "class", "COGLPlayer" }, { "texture", skin },
        { "model", { { "path", tris }, { "weaponIndex", 0 }, { "flagShown", true }, { "flagSkin", "flag2" } } } } } } };
    const json described = ComposeAndDescribe(composed);
    // No CTF archive here: the flag rows stay as they were written.
    EXPECT_TRUE(Holds(described["objects"][0], { { "class", "COGLPlayer" }, { "typeCode", 13 }, { "texture", skin },
        { "model", { { "skins", { skin } }, { "weaponIndex", 0 }, { "flagShown", true }, { "flagSkin", "flag2" } } } }));
    EXPECT_EQ(described["objects"][0]["model"]["weapons"][0], "default");
}

TEST_F(ModelCompose, AnMdlComesBackWithTheSkinsItHoldsAndAPictureChosen) {
    const std::string mdl = folder.Write("progs/ogre.mdl", Text(MdlTriangle({ "walk1", "walk2", "run1" }, 2).Write()));
    const std::string grey = folder.Write("progs/grey.pcx", TinyPcx());
    json object = { { "class", "COGLMDL" }, { "texture", grey },
                    { "model", { { "path", mdl }, { "currentAnimation", "run" }, { "skins", json::array({ grey }) } } } };
    const json described = ComposeAndDescribe({ { "objects", json::array({ object }) } });
    // The skins the file holds have no path; the picture follows them.
    object["typeCode"] = 15;
    object["name"] = "ogre";
    object["model"]["skins"] = json::array({ "", "", grey });
    object["model"]["frameCount"] = 3;
    object["model"]["skinCountInFile"] = 2;
    object["model"]["skinWidth"] = 2;
    object["model"]["skinHeight"] = 2;
    EXPECT_TRUE(Holds(described["objects"][0], object));
}

TEST_F(ModelCompose, ASinModelComesBackWithItsMeshGroupsAndDefinitionSkin) {
    SinMesh mesh;
    mesh.Group().Strip({ { 0, 0, 0 }, { 1, 0, 1 }, { 0, 1, 2 } }).End().Group().Fan({ { 0, 0, 0 }, { 0, 1, 2 }, { 1, 1, 1 } }).End();
    const SinFrame frame = { { 1, 1, 1 }, { 0, 0, 0 }, { { 0, 0, 0, 0 }, { 10, 0, 0, 0 }, { 0, 10, 0, 0 } } };
    folder.Write("sin/model.sbm", Text(mesh.Write()));
    folder.Write("sin/idle.sam", Text(SinAnimationFile({ frame })));
    folder.Write("sin/run.sam", Text(SinAnimationFile({ frame, frame, frame })));
    const std::string skin = folder.Write("sin/base.tga", TinyTga(2, 2, 9, 9, 9));
    const std::string definition = folder.Write("sin/x.def", SinDefinition({ "model.sbm", "idle.sam", "run.sam", "skin1 base.tga" }));
    json object = { { "class", "COGLSBM" }, { "model", { { "path", definition }, { "currentAnimation", "run" } } } };
    const json described = ComposeAndDescribe({ { "objects", json::array({ object }) } });
    EXPECT_TRUE(Holds(described["objects"][0], { { "class", "COGLSBM" }, { "typeCode", 14 }, { "name", "x" }, { "texture", skin },
        { "model", { { "mesh", folder.Path("sin/model.sbm") }, { "groups", 2 }, { "frameCount", 3 },
                     { "currentAnimation", "run" }, { "skins", { skin } } } } }));

    object["model"]["currentAnimation"] = "walk";  // no such animation: refused, not the first one kept
    std::string error;
    EXPECT_FALSE(ComposeScene({ { "objects", json::array({ object }) } }, folder.Path("bad.tvn"), error));
    EXPECT_NE(error.find("has no animation \"walk\""), std::string::npos) << error;
}

TEST_F(Tool, LeftOutFieldsTakeWhatTheClassOrTheModelFileChooses) {
    folder.Write("ogre/tris.md2", FourFrames({ folder.Path("ogre/skin.pcx") }));
    folder.Write("ogre/skin.pcx", TinyPcx());
    const json described = ComposeAndDescribe(json::parse(R"({ "objects": [ { "class": "COGLFloor" },
        { "class": "COGLBox" }, { "class": "COGLMD2", "model": { "path": ")" + folder.Path("ogre/tris.md2") + R"(" } } ] })"));
    const json& objects = described["objects"];
    EXPECT_NE(objects[0]["orientation"][3], 1.0);  // floors come turned flat
    EXPECT_TRUE(Holds(objects[1]["diffuse"], json::array({ 0.8, 0.8, 0.8, 1.0 })));
    // A model is named after its folder and scaled as a new one is, and
    // shows the file's first skin.
    EXPECT_TRUE(Holds(objects[2], { { "name", "ogre" }, { "scale", { 0.05, 0.05, 0.05 } },
                                    { "texture", folder.Path("ogre/skin.pcx") },
                                    { "model", { { "currentAnimation", "<all>" }, { "pak", nullptr }, { "loop", true } } } }));
}

// The Windows editor wrote names in Windows-1252; tvntool composes UTF-8.
// Both come out as UTF-8, and a raw byte above 127 once stopped the dump.
TEST_F(Tool, RecordTextsOfEitherEncodingComeOutAsUtf8) {
    ComposeAndDescribe(json::parse(R"({ "objects": [ { "class": "COGLBox", "name": "Caf\u00e9" },
                                                     { "class": "COGLBox" } ] })"));
    loaded.scene->objects[1]->name = "Caf\xe9 \x80";
    const json objects = json::parse(DescribeScene(loaded).dump())["objects"];
    EXPECT_EQ(objects[0]["name"], "Caf\u00e9");
    EXPECT_EQ(objects[1]["name"], "Caf\u00e9 \u20ac");
    EXPECT_EQ(RecordTextToUtf8("\xc0\x80"), "\u00c0\u20ac");  // overlong: not UTF-8
    EXPECT_EQ(RecordTextToUtf8("\xf8\x88\x80"), "\u00f8\u02c6\u20ac");  // no such lead byte
}

TEST_F(Tool, ReportedTextsAndMissingFilesAreListed) {
    // A model not there yet is still written; the scene keeps what follows it.
    const json described = ComposeAndDescribe(json::parse(R"({ "paks": ["C:\\q2\\pak7.pak"],
        "textures": [ { "path": "gone.pcx" } ],
        "objects": [ { "class": "COGLMD2", "model": { "path": "later/tris.md2" } }, { "class": "COGLBox" } ] })"),
                                              SceneOpenResult::incomplete);
    EXPECT_EQ(described["missing"], json::array({ "C:\\q2\\pak7.pak", "gone.pcx", "later/tris.md2" }));
    ASSERT_EQ(described["errors"].size(), 4u);
    EXPECT_EQ(described["errors"][0], "The following files could not be loaded:\r\n");
    EXPECT_EQ(described["loaded"], false);
    ASSERT_EQ(described["objects"].size(), 1u);
    EXPECT_EQ(described["objects"][0]["class"], "COGLBox");
}

TEST_F(Tool, BadDescriptionsAreRefusedWholeAndWriteNothing) {
    folder.Write("ogre/tris.md2", FourFrames({}));
    folder.Write("bad/tris.md2", "IDP2 but nothing more");
    const auto model = [&](const std::string& fields) {
        return R"({ "objects": [ { "class": "COGLMD2", )" + fields + " } ] }";
    };
    const std::string ogre = R"("path": ")" + folder.Path("ogre/tris.md2") + R"(")";
    folder.Write("ogre/weapon.md2", FourFrames({}));  // the only weapon
    const auto player = [&](const std::string& fields) {
        return R"({ "objects": [ { "class": "COGLPlayer", "model": { )" + ogre + ", " + fields + " } } ] }";
    };
    const std::string bad[] = {
        R"([1, 2])",
        R"({ "objects": [ { "class": "COGLTeapot" } ] })",
        R"({ "objects": [ { "class": "COGLBox", "position": [1, 2] } ] })",
        R"({ "objects": [ { "class": "COGLBox", "visible": "yes" } ] })",
        R"({ "objects": [ { "class": "COGLBox", "texture": "nowhere.pcx" } ] })",
        R"({ "objects": [ { "class": "COGLText", "text": "日本" } ] })",
        R"({ "objects": [ { "class": "COGLText", "italic": 1 } ] })",
        R"({ "lights": [ { "type": "laser" } ] })",
        R"({ "shadows": { "planes": [0, 1, 2, 3, 4] } })",
        R"({ "background": "blue" })",
        R"({ "objects": 5 })",
        R"({ "objects": [ { "class": "COGLMD2" } ] })",
        model(R"("model": { "path": 7 })"),
        model(R"("model": { )" + ogre + R"(, "currentAnimation": "fly" })"),
        model(R"("model": { "path": "gone.md2", "currentAnimation": "run" })"),
        model(R"("model": { )" + ogre + R"(, "pak": 0 })"),
        model(R"("model": { )" + ogre + R"( }, "texture": "x.pcx")"),
        model(R"("model": { )" + ogre + R"(, "skins": [3] })"),
        model(R"("model": { "path": ")" + folder.Path("bad/tris.md2") + R"(" })"),
        player(R"("weaponIndex": 1)"),
        player(R"("flagSkin": "flag3")"),
    };
    for (const std::string& text : bad) {
        const std::string path = folder.Path("bad.tvn");
        std::string error;
        EXPECT_FALSE(ComposeScene(json::parse(text), path, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_FALSE(std::filesystem::exists(path)) << text;
    }
}

// A sprite composed from disk comes back with its animation state, and info
// tells its frames as the file names them; check lists each frame picture.
TEST_F(ModelCompose, ASpriteComesBackWithItsFramesAndAnimationState) {
    folder.Write("sprites/f0.pcx", TinyPcx(255, 0, 0));
    folder.Write("sprites/f1.pcx", TinyPcx(0, 255, 0));
    const std::string sprite = folder.Write("sprites/glow.sp2", Quake2Sprite({ "sprites/f0.pcx", "sprites/f1.pcx" }));
    json composed = { { "objects", { { { "class", "COGLSprite" }, { "name", "Glow" }, { "position", { 1, 2, 3 } },
        { "model", { { "path", sprite }, { "frameStep", 0.5 }, { "framePosition", 1 }, { "currentFrame", 1 } } } } } } };
    const json described = ComposeAndDescribe(composed);
    EXPECT_TRUE(Holds(described["objects"][0], { { "class", "COGLSprite" }, { "typeCode", 17 }, { "name", "Glow" },
        { "model", { { "path", sprite }, { "pak", nullptr }, { "frameStep", 0.5 }, { "framePosition", 1 },
                     { "currentFrame", 1 }, { "renderMode", -1 }, { "frameCount", 2 },
                     { "frames", { "sprites/f0.pcx", "sprites/f1.pcx" } } } } }))
        << described["objects"][0].dump();

    composed["objects"][0]["model"]["path"] = folder.Write("bad.spr", "IDSP\x01");
    std::string error;
    EXPECT_FALSE(ComposeScene(composed, folder.Path("bad.tvn"), error));
    EXPECT_NE(error.find("is not a valid sprite"), std::string::npos) << error;
}

TEST_F(ModelCompose, AHalfLifeModelComesBackWithItsSequenceAndAMissingCompanionDropsOnlyIt) {
    HlLayout layout;
    layout.textures.clear();
    layout.sequences = { { "idle", 10, 0, 1 }, { "walk", 4, 0, 1 } };
    layout.controllers = { { 8, -30.0f, 30.0f, 0 } };
    const std::string path = folder.Write("hl/man.mdl", HlText(layout.Write()));
    const std::string textures = folder.Write("hl/manT.mdl", HlText(HlLayout().Write()));
    const json object = { { "class", "COGLHLModel" },
                          { "model", { { "path", path }, { "currentAnimation", "walk" }, { "loop", false } } } };
    const json scene = { { "objects", json::array({ object, { { "class", "COGLBox" } } }) } };
    const json described = ComposeAndDescribe(scene);
    EXPECT_TRUE(Holds(described["objects"][0],
                      { { "class", "COGLHLModel" }, { "typeCode", 18 }, { "name", "man" },
                        { "model", { { "currentAnimation", "walk" }, { "loop", false }, { "frameCount", 4 },
                                     { "animations", { { { "name", "idle" }, { "first", 0 }, { "count", 10 } },
                                                       { { "name", "walk" }, { "first", 1 }, { "count", 4 } } } },
                                     { "bones", 1 }, { "bodyParts", { { { "name", "body" }, { "models", 1 } } } },
                                     { "skinFamilies", 1 }, { "controllers", 1 }, { "sequenceGroups", 1 },
                                     { "skins", { "skin.bmp" } },
                                     { "skeleton", { { { "name", "root" }, { "parent", -1 } } } },
                                     { "sequences", { { { "name", "idle" }, { "fps", 0 }, { "flags", 0 },
                                                        { "frames", 10 }, { "events", json::array() } },
                                                      { { "name", "walk" }, { "frames", 4 } } } },
                                     { "attachments", json::array() }, { "hitBoxes", json::array() },
                                     { "boneControllers", { { { "bone", 0 }, { "type", 8 }, { "start", -30 },
                                                              { "end", 30 } } } } } } }));

    // Without its texture file the model is reported and left out; the
    // rest of the scene stays.
    std::filesystem::remove(textures);
    CToolScene reloaded;
    std::string error;
    ASSERT_TRUE(reloaded.CreateContext(64, 64, error)) << error;
    EXPECT_NE(reloaded.Load(folder.Path("scene.tvn")), SceneOpenResult::aborted);
    const json again = json::parse(DescribeScene(reloaded).dump());
    ASSERT_EQ(again["objects"].size(), 1u);
    EXPECT_EQ(again["objects"][0]["class"], "COGLBox");
    EXPECT_NE(again["errors"].dump().find("unable to open " + textures), std::string::npos) << again["errors"].dump();
}
