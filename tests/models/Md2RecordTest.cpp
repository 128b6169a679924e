#include <GL/gl.h>

#include "image/COGLTexture2D.h"
#include "models/COGLMD2.h"
#include "models/Md2Bytes.h"
#include "support/CapturedReports.h"
#include "support/ModelRecordReader.h"
#include "support/TestFolder.h"

namespace {

// Frames stand1, stand2, run1: animations stand, run and "<all>" (current).
Md2Layout ThreeFrames(const std::vector<std::string>& skins) {
    Md2Layout layout;
    layout.skins = skins;
    layout.frames = { NamedFrame("stand1"), NamedFrame("stand2"), NamedFrame("run1") };
    layout.Run(3).Vertex(0, 0, 0).Vertex(0, 0, 0).Vertex(0, 0, 0).End();
    return layout;
}

class Md2Record : public CModelFixture<COGLMD2> {
protected:
    CTestFolder folder;
    CCapturedReports reports;
};

}  // namespace

TEST_F(Md2Record, ReadsAndSavesBackTheModelItsAnimationStateAndItsSkins) {
    folder.Write("ogre/skin.pcx", TinyPcx());
    folder.Write("ogre/other.pcx", TinyPcx());
    ModelRecord record;
    record.path = folder.Write("ogre/tris.md2", Text(ThreeFrames({ "models/ogre/skin.pcx" }).Write()));
    record.animationIndex = 1;
    record.frameStep = 0.25f;
    record.loop = 0;
    record.reserved = 7;
    record.interpolate = 0;
    record.skins = { { 0, folder.Path("ogre/skin.pcx") }, { 1, folder.Path("ogre/other.pcx") } };
    record.skinIndex = 1;
    record.flipNormals = 1;
    COGLMD2& model = Read(record.Write(6));

    EXPECT_TRUE(model.IsLoaded());
    EXPECT_EQ(model.name, "Crate");
    ASSERT_NE(model.GetAnimation(), nullptr);
    EXPECT_EQ(model.GetAnimation()->name, "run");
    EXPECT_FLOAT_EQ(model.frameStep, 0.25f);
    EXPECT_FALSE(model.loop);
    EXPECT_EQ(model.reserved, 7);
    EXPECT_FALSE(model.interpolate);
    EXPECT_TRUE(model.flipNormals);
    ASSERT_EQ(model.Skins().size(), 2u);  // the first record names a skin the file gave
    EXPECT_EQ(model.Skins()[0]->path, folder.Path("ogre/skin.pcx"));
    EXPECT_TRUE(model.Skins()[1]->useDefaultPalette);
    EXPECT_EQ(model.Texture(), model.Skins()[1]);
    EXPECT_EQ(model.SkinNames(), std::vector<std::string> { "models/ogre/skin.pcx" });

    EXPECT_EQ(IntAt(SavedBytes([&](CFile& file) { model.Save(file, 4); }), 223), 4);
    ExpectSavesBack(model, record.Write(6));

    // Version 5 has no interpolate byte.
    COGLMD2& older = Read(record.Write(5), 5);
    EXPECT_TRUE(older.IsLoaded());
    EXPECT_TRUE(older.interpolate);
    EXPECT_TRUE(older.flipNormals);
}

TEST_F(Md2Record, RowsOutsideTheAnimationsFallBack) {
    ModelRecord record;
    record.path = folder.Write("ogre/tris.md2", Text(ThreeFrames({}).Write()));
    // An animation index outside the list keeps the file's choice.
    for (int32_t index : { -1, 3, 1000 }) {
        record.animationIndex = index;
        COGLMD2& model = Read(record.Write(6));
        ASSERT_NE(model.GetAnimation(), nullptr);
        EXPECT_EQ(model.GetAnimation()->name, "<all>");
    }
    // Frame numbers outside the animation start it again.
    record.animationIndex = 1;  // run: one frame
    record.currentFrame = 1;
    record.nextFrame = -7;
    record.framePosition = 1.5f;
    COGLMD2& model = Read(record.Write(6));
    EXPECT_EQ(model.CurrentFrame(), 0);
    EXPECT_EQ(model.NextFrame(), 0);
    EXPECT_EQ(model.framePosition, 0.0f);
    model.Draw(State(), DRAW_MATERIAL);
}

TEST_F(Md2Record, AModelInAnArchiveTakesItsSkinsFromThere) {
    const Bytes model = ThreeFrames({ "models/ogre/skin.pcx" }).Write();
    ASSERT_EQ(scene->FindOrOpenPak(folder.Write("pak0.pak", PakOf({ { "models/ogre/tris.md2", Text(model) },
                                                                   { "models/ogre/skin.pcx", TinyPcx() } }))),
              0);

    ModelRecord record;
    record.path = "models/ogre/tris.md2";
    record.pakIndex = 0;
    record.skinIndex = 0;
    COGLMD2& loaded = Read(record.Write(6));
    EXPECT_TRUE(loaded.IsLoaded());
    EXPECT_EQ(loaded.pak, scene->GetPak(0));
    ASSERT_EQ(loaded.Skins().size(), 1u);
    EXPECT_EQ(loaded.Skins()[0]->source.archive, scene->GetPak(0));
    EXPECT_EQ(loaded.Texture(), loaded.Skins()[0]);

    record.pakIndex = 1;  // no such archive: silently not loaded
    EXPECT_FALSE(Read(record.Write(6)).IsLoaded());
    record.pakIndex = -1;  // no such file: the same
    record.path = "C:\\gone\\tris.md2";
    EXPECT_FALSE(Read(record.Write(6)).IsLoaded());
}

// A skin that fails to decode keeps its place: the record's skin index picks
// the same skin, Save writes the record read, and the file is decoded (and
// reported) once for every model that shares it.
TEST_F(Md2Record, ASkinThatFailsToDecodeKeepsItsPlace) {
    const std::vector<std::string> skins = { folder.Write("ogre/a.pcx", TinyPcx()),
                                             folder.Write("ogre/bad.pcx", "not a picture"),
                                             folder.Write("ogre/c.pcx", TinyPcx()) };
    ModelRecord record;
    record.path = folder.Write("ogre/tris.md2", Text(ThreeFrames(skins).Write()));
    for (const std::string& skin : skins) record.skins.push_back({ 0, skin });
    record.animationIndex = 1;
    record.skinIndex = 1;
    COGLMD2& chosenBad = Read(record.Write(6));
    record.skinIndex = 2;
    COGLMD2& chosenGood = Read(record.Write(6));

    ASSERT_EQ(chosenBad.Skins().size(), 3u);
    EXPECT_EQ(chosenBad.Texture(), chosenBad.Skins()[1]);
    EXPECT_EQ(chosenGood.Texture(), chosenGood.Skins()[2]);
    EXPECT_TRUE(chosenGood.Texture()->HasPicture());
    const std::string errors = reports.Errors(*scene);
    EXPECT_EQ(errors.find("Could not load Bitmap."), errors.rfind("Could not load Bitmap."));
    EXPECT_NE(errors.find("Could not load Bitmap."), std::string::npos);

    record.skinIndex = 1;
    ExpectSavesBack(chosenBad, record.Write(6));

    chosenBad.Draw(State(), DRAW_MATERIAL);  // untextured, without touching texture 0
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
