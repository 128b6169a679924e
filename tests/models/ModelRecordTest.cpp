#include <GL/gl.h>

#include "image/COGLTexture2D.h"
#include "models/COGLMD2.h"
#include "models/COGLMDL.h"
#include "models/COGLSBM.h"
#include "models/Md2Bytes.h"
#include "models/MdlBytes.h"
#include "models/SpriteBytes.h"
#include "support/ExpectVector.h"
#include "support/ModelFileFixture.h"
#include "support/SinFiles.h"

namespace {

// Frames stand1, stand2, run1: animations stand, run and "<all>" (current).
Bytes Md2ThreeFrames(const std::vector<std::string>& skins) {
    Md2Layout layout;
    layout.skins = skins;
    layout.frames = { NamedFrame("stand1"), NamedFrame("stand2"), NamedFrame("run1") };
    layout.Run(3).Vertex(0, 0, 0).Vertex(0, 0, 0).Vertex(0, 0, 0).End();
    return layout.Write();
}

// A wall of file y 0..80 and z 0..40 over every texel of its skins
// (Quake palette entry 251, red); animations walk and run.
Bytes MdlWall(int skinCount, int skinWidth = 2) {
    MdlLayout layout = MdlTriangle({ "walk1", "walk2", "run1" });
    layout.points = { { 0, 0, 0 }, { 0, 2, 0 }, { 0, 0, 2 }, { 0, 2, 2 } };
    layout.triangles = { { 1, 0, 1, 2 }, { 1, 1, 3, 2 } };
    for (MdlLayout::Entry& entry : layout.entries) {
        entry.frames[0].vertices = { { 0, 0, 0, 0 }, { 0, 80, 0, 0 }, { 0, 0, 40, 0 }, { 0, 80, 40, 0 } };
    }
    layout.origin[1] = -40.0f;
    layout.skinWidth = skinWidth;
    layout.skinHeight = 1;
    layout.skins.assign(static_cast<size_t>(skinCount), std::vector<uint8_t>(static_cast<size_t>(skinWidth), 251));
    return layout.Write();
}

// An MDL's record: the interpolate byte is always there.
ModelRecord MdlRecord() {
    ModelRecord record;
    record.hasFlipNormals = false;
    return record;
}

// A SiN definition in folder m: scale 2, animations idle (2 frames) and run (3),
// skin base.tga.
std::string WriteSinModel(const CTestFolder& folder) {
    const SinFrame unit = { { 1, 1, 1 }, { 0, 0, 0 }, { { 0, 0, 0, 0 }, { 10, 0, 0, 0 }, { 0, 20, 0, 0 } } };
    SinMesh mesh;
    mesh.Group().Strip({ { 0, 0, 0 }, { 1, 0, 1 }, { 0, 1, 2 } }).End();
    folder.Write("m/model.sbm", Text(mesh.Write()));
    folder.Write("m/idle.sam", Text(SinAnimationFile({ unit, unit })));
    folder.Write("m/run.sam", Text(SinAnimationFile({ unit, unit, unit })));
    folder.Write("m/base.tga", TinyTga(2, 2, 255, 0, 0));
    return folder.Write("m/x.def", SinDefinition({ "model.sbm", "scale 2", "idle.sam", "run.sam", "base.tga" }));
}

class ModelRecordTest : public CModelFileFixture {
protected:
    // What every kind reads alike: the object's name, the animation the
    // record names (run), the rows of the tick, and the record saved back.
    static void ExpectRows(COGLModel& model, const ModelRecord& record, const Bytes& written) {
        EXPECT_TRUE(model.IsLoaded());
        EXPECT_EQ(model.name, "Crate");
        ASSERT_NE(model.GetAnimation(), nullptr);
        EXPECT_EQ(model.GetAnimation()->name, "run");
        EXPECT_FLOAT_EQ(model.frameStep, record.frameStep);
        EXPECT_EQ(model.loop, record.loop != 0);
        EXPECT_EQ(model.interpolate, record.interpolate != 0);
        EXPECT_EQ(model.reserved, record.reserved);
        ExpectSavesBack(model, written);
    }
};

}  // namespace

TEST_F(ModelRecordTest, Md2ReadsAndSavesBackTheModelItsAnimationStateAndItsSkins) {
    folder.Write("ogre/skin.pcx", TinyPcx());
    folder.Write("ogre/other.pcx", TinyPcx());
    ModelRecord record;
    record.path = folder.Write("ogre/tris.md2", Text(Md2ThreeFrames({ "models/ogre/skin.pcx" })));
    record.animationIndex = 1;
    record.frameStep = 0.25f;
    record.loop = 0;
    record.reserved = 7;
    record.interpolate = 0;
    record.skins = { { 0, folder.Path("ogre/skin.pcx") }, { 1, folder.Path("ogre/other.pcx") } };
    record.skinIndex = 1;
    record.flipNormals = 1;
    COGLMD2& model = ReadAs<COGLMD2>(record.Write(6));
    ExpectRows(model, record, record.Write(6));
    EXPECT_TRUE(model.flipNormals);
    ASSERT_EQ(model.Skins().size(), 2u);  // the first record names a skin the file gave
    EXPECT_EQ(model.Skins()[0]->path, folder.Path("ogre/skin.pcx"));
    EXPECT_TRUE(model.Skins()[1]->useDefaultPalette);
    EXPECT_EQ(model.Texture(), model.Skins()[1]);
    EXPECT_EQ(model.SkinNames(), std::vector<std::string> { "models/ogre/skin.pcx" });
    EXPECT_EQ(IntAt(SavedBytes([&](CFile& file) { model.Save(file, 4); }), 223), 4);

    // Version 5 has no interpolate byte.
    COGLMD2& older = ReadAs<COGLMD2>(record.Write(5), 5);
    EXPECT_TRUE(older.IsLoaded());
    EXPECT_TRUE(older.interpolate);
    EXPECT_TRUE(older.flipNormals);
}

// Only the skins with a path are written, and read back after the file's
// own, which keep their place in the file and are titled by their number
// from "skin  1" (the tenth ends in the character after '9').
TEST_F(ModelRecordTest, MdlReadsTheSkinsWithAPathAfterTheFilesOwn) {
    ModelRecord record = MdlRecord();
    record.path = folder.Write("progs/ogre.mdl", Text(MdlWall(10)));
    record.animationIndex = 1;
    record.frameStep = 0.25f;
    record.loop = 0;
    record.interpolate = 0;
    record.skinCount = 11;
    record.skins = { { 0, folder.Write("progs/grey.pcx", TinyPcx()) } };
    record.skinIndex = 10;
    for (int version : { 5, 6 }) {
        COGLMDL& model = ReadAs<COGLMDL>(record.Write(6), version);
        ExpectRows(model, record, record.Write(6));
        EXPECT_EQ(model.skinCountInFile, 10);
        ASSERT_EQ(model.Skins().size(), 11u);
        EXPECT_EQ(model.Skins()[0]->Title(), "skin  1");
        EXPECT_EQ(model.Skins()[1]->Title(), "skin  2");
        EXPECT_EQ(model.Skins()[9]->Title(), "skin  :");
        EXPECT_TRUE(model.Skins()[0]->path.empty());
        EXPECT_TRUE(model.Skins()[0]->HasPicture());
        EXPECT_TRUE(model.SkinNames().empty());
        EXPECT_EQ(model.Texture(), model.Skins()[10]);
    }

    // The picture is the skin drawn.
    COGLModel& model = *models.back();
    model.orientation = CQuaternion(0.0f, 0.0f, 0.0f, 1.0f);
    model.SetScale(0.05f, 0.05f, 0.05f);
    model.SetPosition(0.0f, -1.0f, 0.0f);
    model.SetTransparent(false);
    glColor3f(1.0f, 1.0f, 1.0f);
    Redraw(model);
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 200, 200, 200));
    model.SetTexture(model.Skins()[0]);
    Redraw(model);
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 255, 0, 0));
}

// The definition's skin is the record's; a frame past the animation starts it again.
TEST_F(ModelRecordTest, SinReadsBackAsItWasWritten) {
    ModelRecord record;
    const CVector defaultScale = ReadAs<COGLSBM>(record.Write(6)).scale;  // names no model
    record.path = WriteSinModel(folder);
    record.animationIndex = 1;
    record.frameStep = 0.5f;
    record.currentFrame = 1;
    record.nextFrame = 2;
    record.frameFraction = 0.25f;
    record.reserved = 3;
    record.skins = { { 0, folder.Path("m/base.tga") } };
    record.skinIndex = 0;
    record.flipNormals = 1;
    COGLSBM& model = ReadAs<COGLSBM>(record.Write(6));
    ExpectRows(model, record, record.Write(6));
    EXPECT_EQ(model.NextFrame(), 2);
    EXPECT_EQ(model.Skins().size(), 1u);
    // A record keeps its own scale over the definition's.
    ExpectVector(model.scale, defaultScale.x, defaultScale.x, defaultScale.x);

    record.currentFrame = 3;  // beyond run's three frames
    EXPECT_EQ(ReadAs<COGLSBM>(record.Write(6)).CurrentFrame(), 0);
}

TEST_F(ModelRecordTest, Md2RowsOutsideTheAnimationsFallBack) {
    ModelRecord record;
    record.path = folder.Write("ogre/tris.md2", Text(Md2ThreeFrames({})));
    // An animation index outside the list keeps the file's choice.
    for (int32_t index : { -1, 3, 1000 }) {
        record.animationIndex = index;
        COGLMD2& model = ReadAs<COGLMD2>(record.Write(6));
        ASSERT_NE(model.GetAnimation(), nullptr);
        EXPECT_EQ(model.GetAnimation()->name, "<all>");
    }
    // Frame numbers outside the animation start it again.
    record.animationIndex = 1;  // run: one frame
    record.currentFrame = 1;
    record.nextFrame = -7;
    record.framePosition = 1.5f;
    COGLMD2& model = ReadAs<COGLMD2>(record.Write(6));
    EXPECT_EQ(model.CurrentFrame(), 0);
    EXPECT_EQ(model.NextFrame(), 0);
    EXPECT_EQ(model.framePosition, 0.0f);
    model.Draw(State(), DRAW_MATERIAL);
}

TEST_F(ModelRecordTest, Md2InAnArchiveTakesItsSkinsFromThere) {
    const Bytes model = Md2ThreeFrames({ "models/ogre/skin.pcx" });
    ASSERT_EQ(scene->FindOrOpenPak(folder.Write("pak0.pak", PakOf({ { "models/ogre/tris.md2", Text(model) },
                                                                   { "models/ogre/skin.pcx", TinyPcx() } }))),
              0);
    ModelRecord record;
    record.path = "models/ogre/tris.md2";
    record.pakIndex = 0;
    record.skinIndex = 0;
    COGLMD2& loaded = ReadAs<COGLMD2>(record.Write(6));
    EXPECT_TRUE(loaded.IsLoaded());
    EXPECT_EQ(loaded.pak, scene->GetPak(0));
    ASSERT_EQ(loaded.Skins().size(), 1u);
    EXPECT_EQ(loaded.Skins()[0]->source.archive, scene->GetPak(0));
    EXPECT_EQ(loaded.Texture(), loaded.Skins()[0]);

    record.pakIndex = 1;  // no such archive: silently not loaded
    EXPECT_FALSE(ReadAs<COGLMD2>(record.Write(6)).IsLoaded());
    record.pakIndex = -1;  // no such file: the same
    record.path = "C:\\gone\\tris.md2";
    EXPECT_FALSE(ReadAs<COGLMD2>(record.Write(6)).IsLoaded());
}

// A skin that fails to decode keeps its place: the record's skin index picks
// the same skin, Save writes the record read, and the file is decoded (and
// reported) once for every model that shares it.
TEST_F(ModelRecordTest, Md2SkinThatFailsToDecodeKeepsItsPlace) {
    const std::vector<std::string> skins = { folder.Write("ogre/a.pcx", TinyPcx()),
                                             folder.Write("ogre/bad.pcx", "not a picture"),
                                             folder.Write("ogre/c.pcx", TinyPcx()) };
    ModelRecord record;
    record.path = folder.Write("ogre/tris.md2", Text(Md2ThreeFrames(skins)));
    for (const std::string& skin : skins) record.skins.push_back({ 0, skin });
    record.animationIndex = 1;
    record.skinIndex = 1;
    COGLMD2& chosenBad = ReadAs<COGLMD2>(record.Write(6));
    record.skinIndex = 2;
    COGLMD2& chosenGood = ReadAs<COGLMD2>(record.Write(6));

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

// The skin count counts the embedded skins the writer could decode, so it
// says nothing about how many records follow; they are read all the same.
TEST_F(ModelRecordTest, MdlRecordsAreReadWhateverTheEmbeddedSkinsThatCame) {
    ModelRecord record = MdlRecord();
    record.animationIndex = 0;
    record.skins = { { 0, folder.Write("progs/grey.pcx", TinyPcx()) } };
    record.skinIndex = 0;

    // Neither skin decodes (too wide): the model still loads, and the
    // editor counted only the picture.
    record.path = folder.Write("progs/wide.mdl", Text(MdlWall(2, 16385)));
    record.skinCount = 1;
    COGLMDL& undecoded = ReadAs<COGLMDL>(record.Write(6));
    EXPECT_TRUE(undecoded.IsLoaded());
    EXPECT_EQ(undecoded.skinCountInFile, 2);
    ASSERT_EQ(undecoded.Skins().size(), 1u);
    EXPECT_EQ(undecoded.Texture(), undecoded.Skins()[0]);
    ExpectSavesBack(undecoded, record.Write(6));

    // Without its file the model knows of no skins of its own.
    record.path = folder.Path("progs/gone.mdl");
    record.skinCount = 3;
    EXPECT_FALSE(ReadAs<COGLMDL>(record.Write(6)).IsLoaded());
    record.skins.clear();
    EXPECT_FALSE(ReadAs<COGLMDL>(record.Write(6)).IsLoaded());
}
