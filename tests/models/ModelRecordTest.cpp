#include "image/COGLTexture2D.h"
#include "models/COGLMD2.h"
#include "models/COGLMDL.h"
#include "models/COGLSBM.h"
#include "models/Md2Bytes.h"
#include "models/MdlBytes.h"
#include "support/ExpectVector.h"
#include "support/ModelFileFixture.h"

namespace {

// Rows naming the second animation (run, three frames), one frame into it,
// and none of the defaults.
ModelRecord RunRows(const std::string& path, std::vector<SkinRecord> skins, int32_t skinIndex) {
    ModelRecord record;
    record.path = path;
    record.animationIndex = 1;
    record.frameStep = 0.25f;
    record.framePosition = 1.25f;
    record.currentFrame = 1;
    record.nextFrame = 2;
    record.frameFraction = 0.25f;
    record.loop = 0;
    record.reserved = 7;
    record.interpolate = 0;
    record.skins = std::move(skins);
    record.skinIndex = skinIndex;
    record.flipNormals = 1;
    return record;
}

// Each row lands in the field it names, and the model saves them back
// as read: the record's bytes are laid out here, not by the model.
void ExpectRows(COGLModel& model, const ModelRecord& record) {
    SCOPED_TRACE(record.path);
    EXPECT_TRUE(model.IsLoaded());
    EXPECT_EQ(model.name, "Crate");
    ASSERT_NE(model.GetAnimation(), nullptr);
    EXPECT_EQ(model.GetAnimation()->name, "run");
    EXPECT_FLOAT_EQ(model.frameStep, record.frameStep);
    EXPECT_FLOAT_EQ(model.framePosition, record.framePosition);
    EXPECT_EQ(model.CurrentFrame(), record.currentFrame);
    EXPECT_EQ(model.NextFrame(), record.nextFrame);
    EXPECT_FLOAT_EQ(model.FrameFraction(), record.frameFraction);
    EXPECT_EQ(model.loop, record.loop != 0);
    EXPECT_EQ(model.reserved, record.reserved);
    EXPECT_EQ(model.interpolate, record.interpolate != 0);
    EXPECT_EQ(model.Texture(), model.Skins().at(static_cast<size_t>(record.skinIndex)));
    EXPECT_EQ(model.flipNormals, record.hasFlipNormals && record.flipNormals != 0);
    ExpectSavesBack(model, record.Write(6));
}

using ModelRecordTest = CModelFileFixture;

}  // namespace

TEST_F(ModelRecordTest, EachKindReadsItsRowsAndSavesThemBack) {
    const std::vector<std::string> runFrames = { "idle1", "run1", "run2", "run3" };
    // MD2: the first skin record names the skin the file gave.
    folder.Write("ogre/skin.pcx", TinyPcx());
    const ModelRecord md2 = RunRows(
        folder.Write("ogre/tris.md2", Text(Md2NamedFrames(runFrames, { "models/ogre/skin.pcx" }))),
        { { 0, folder.Path("ogre/skin.pcx") }, { 1, folder.Write("ogre/other.pcx", TinyPcx()) } }, 1);
    COGLMD2& model = ReadAs<COGLMD2>(md2.Write(6));
    ExpectRows(model, md2);
    ASSERT_EQ(model.Skins().size(), 2u);
    EXPECT_EQ(model.Skins()[0]->path, folder.Path("ogre/skin.pcx"));
    EXPECT_TRUE(model.Skins()[1]->useDefaultPalette);
    // Version 5 has no interpolate byte: the default stays.
    ModelRecord older = md2;
    older.interpolate = 1;
    ExpectRows(ReadAs<COGLMD2>(md2.Write(5), 5), older);

    // MDL: no flipNormals row; the skin count counts the file's ten skins,
    // which come first, titled from "skin  1" (the tenth after '9').
    ModelRecord mdl = RunRows(folder.Write("progs/ogre.mdl", Text(MdlTriangle(runFrames, 10).Write())),
                              { { 0, folder.Write("progs/grey.pcx", TinyPcx()) } }, 10);
    mdl.hasFlipNormals = false;
    mdl.skinCount = 11;
    for (int version : { 5, 6 }) {
        COGLMDL& quake = ReadAs<COGLMDL>(mdl.Write(6), version);
        ExpectRows(quake, mdl);
        EXPECT_EQ(quake.skinCountInFile, 10);
        EXPECT_EQ(quake.Skins()[0]->Title(), "skin  1");
        EXPECT_EQ(quake.Skins()[9]->Title(), "skin  :");
    }

    // SiN: the record's scale wins over the definition's.
    const CVector defaultScale = ReadAs<COGLSBM>(ModelRecord().Write(6)).scale;  // names no model
    const ModelRecord sin =
        RunRows(WriteSinModel(), { { 0, folder.Path("m/a.tga") }, { 0, folder.Path("m/b.tga") } }, 1);
    COGLSBM& sinModel = ReadAs<COGLSBM>(sin.Write(6));
    ExpectRows(sinModel, sin);
    ExpectVector(sinModel.scale, defaultScale.x, defaultScale.x, defaultScale.x);
}

// A forged animation index keeps the file's choice; frame numbers outside
// the animation start it again, so a draw reads no frame outside it (which
// the sanitizer builds would see).
TEST_F(ModelRecordTest, RowsOutsideTheAnimationsFallBack) {
    ModelRecord record = RunRows(folder.Write("ogre/tris.md2", Text(Md2NamedFrames({ "stand1", "run1" }))), {}, -1);
    for (int32_t index : { -1, 1000 }) {
        record.animationIndex = index;
        EXPECT_EQ(ReadAs<COGLMD2>(record.Write(6)).GetAnimation()->name, "<all>");
    }
    record.animationIndex = 1;  // run: one frame
    record.nextFrame = -7;
    COGLMD2& model = ReadAs<COGLMD2>(record.Write(6));
    EXPECT_EQ(model.CurrentFrame(), 0);
    EXPECT_EQ(model.NextFrame(), 0);
    EXPECT_EQ(model.framePosition, 0.0f);
    model.Draw(State(), DRAW_MATERIAL);
}
