#include <GL/gl.h>

#include <memory>

#include "image/COGLTexture2D.h"
#include "image/Palettes.h"
#include "models/COGLMDL.h"
#include "models/Md2Bytes.h"
#include "models/MdlBytes.h"
#include "platform/CFile.h"
#include "scene/COGLScene.h"
#include "support/CapturedReports.h"
#include "support/GLTest.h"
#include "support/ModelRecordReader.h"
#include "support/RecordBytes.h"
#include "support/TestFolder.h"

namespace {

// An MDL's record: the interpolate byte is always there.
ModelRecord MdlRecord() {
    ModelRecord record;
    record.hasFlipNormals = false;
    return record;
}

// A wall of file y 0..80 and z 0..40 over every texel of its skins.
MdlLayout Wall(int skinCount, int skinWidth = 2) {
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
    return layout;
}

class MdlRecordTest : public CModelFixture<COGLMDL> {
protected:
    void SetUp() override {
        CModelFixture::SetUp();
        ApplyGamma(1.0f);
    }

    CTestFolder folder;
    CCapturedReports reports;
};

}  // namespace

TEST_F(MdlRecordTest, WritesOnlyTheSkinsWithAPathAndReadsThemBackAfterTheFilesOwn) {
    ModelRecord record = MdlRecord();
    record.path = folder.Write("progs/ogre.mdl", Text(Wall(2).Write()));
    record.animationIndex = 1;
    record.frameStep = 0.25f;
    record.loop = 0;
    record.interpolate = 0;
    record.skinCount = 3;
    record.skins = { { 0, folder.Write("progs/grey.pcx", TinyPcx()) } };
    record.skinIndex = 2;
    for (int version : { 5, 6 }) {
        COGLMDL& model = Read(record.Write(6), version);
        EXPECT_TRUE(model.IsLoaded());
        EXPECT_EQ(model.name, "Crate");
        ASSERT_NE(model.GetAnimation(), nullptr);
        EXPECT_EQ(model.GetAnimation()->name, "run");
        EXPECT_FLOAT_EQ(model.frameStep, 0.25f);
        EXPECT_FALSE(model.loop);
        EXPECT_FALSE(model.interpolate);
        ASSERT_EQ(model.Skins().size(), 3u);
        EXPECT_EQ(model.Skins()[1]->Title(), "skin  2");
        EXPECT_EQ(model.Texture(), model.Skins()[2]);
        ExpectSavesBack(model, record.Write(6));
    }

    // The picture is the skin drawn.
    COGLMDL& model = *models.back();
    model.orientation = CQuaternion(0.0f, 0.0f, 0.0f, 1.0f);
    model.SetScale(0.05f, 0.05f, 0.05f);
    model.SetPosition(0.0f, -1.0f, 0.0f);
    model.SetTransparent(false);
    glColor3f(1.0f, 1.0f, 1.0f);
    model.Draw(State(), DRAW_MATERIAL);
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 200, 200, 200));
    model.SetTexture(model.Skins()[0]);
    Clear();
    model.Draw(State(), DRAW_MATERIAL);
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 255, 0, 0));  // Quake palette entry 251
}

// The skin count counts the embedded skins the writer could decode, so it
// says nothing about how many records follow; they are read all the same.
TEST_F(MdlRecordTest, RecordsAreReadWhateverTheEmbeddedSkinsThatCame) {
    const std::string picture = folder.Write("progs/grey.pcx", TinyPcx());
    ModelRecord record = MdlRecord();
    record.animationIndex = 0;
    record.skins = { { 0, picture } };
    record.skinIndex = 0;

    // Neither skin decodes: the editor counted only the picture.
    record.path = folder.Write("progs/wide.mdl", Text(Wall(2, 16385).Write()));
    record.skinCount = 1;
    COGLMDL& undecoded = Read(record.Write(6));
    EXPECT_TRUE(undecoded.IsLoaded());
    EXPECT_EQ(undecoded.skinCountInFile, 2);
    ASSERT_EQ(undecoded.Skins().size(), 1u);
    EXPECT_EQ(undecoded.Texture(), undecoded.Skins()[0]);
    ExpectSavesBack(undecoded, record.Write(6));

    // Without its file the model knows of no skins of its own.
    record.path = folder.Path("progs/gone.mdl");
    record.skinCount = 3;
    EXPECT_FALSE(Read(record.Write(6)).IsLoaded());
    record.skins.clear();
    EXPECT_FALSE(Read(record.Write(6)).IsLoaded());
}
