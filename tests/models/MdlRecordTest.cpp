#include <GL/gl.h>

#include <memory>

#include "image/COGLTexture2D.h"
#include "image/Palettes.h"
#include "models/COGLMDL.h"
#include "models/MdlBytes.h"
#include "platform/CFile.h"
#include "scene/COGLScene.h"
#include "support/CapturedReports.h"
#include "support/GLTest.h"
#include "support/ModelRecordReader.h"
#include "support/RecordBytes.h"
#include "support/TestFolder.h"

namespace {

struct SkinRecord {
    uint8_t     option;
    std::string path;
};

// An MDL's rows after the object prefix, in the order they are stored: the
// interpolate byte is always there, and there is no flipNormals byte.
struct MdlRecord {
    std::string path;
    int32_t animationIndex = -1;
    float   frameStep = 0.125f;
    uint8_t loop = 1;
    uint8_t interpolate = 1;
    int32_t skinCount = 0;               // skins in the list, embedded ones included
    std::vector<SkinRecord> skins;       // the ones with a path
    int32_t skinIndex = -1;

    Bytes Write() const {
        Bytes b;
        b.bytes = SampleObjectPrefix();
        b.Field(path.c_str(), 260).I32(-1).I32(animationIndex);
        b.F32(frameStep).F32(0.0f).I32(0).I32(0).F32(0.0f);
        b.U8(loop).U8(0).U8(interpolate);
        b.I32(skinCount);
        for (const SkinRecord& skin : skins) b.U8(skin.option).Field(skin.path.c_str(), 260);
        b.I32(skinIndex);
        return b;
    }
};

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

    // The rows after the prefix that Save writes.
    static std::vector<uint8_t> SavedRows(const COGLMDL& model) {
        const std::vector<uint8_t> saved = SavedBytes([&](CFile& file) { model.Save(file, 4); });
        return std::vector<uint8_t>(saved.begin() + 271, saved.end());
    }
    static std::vector<uint8_t> Rows(const Bytes& record) {
        return std::vector<uint8_t>(record.bytes.begin() + 271, record.bytes.end());
    }

    CTestFolder folder;
    CCapturedReports reports;
};

}  // namespace

TEST_F(MdlRecordTest, WritesOnlyTheSkinsWithAPathAndReadsThemBackAfterTheFilesOwn) {
    MdlRecord record;
    record.path = folder.Write("progs/ogre.mdl", Text(Wall(2).Write()));
    record.animationIndex = 1;
    record.frameStep = 0.25f;
    record.loop = 0;
    record.interpolate = 0;
    record.skinCount = 3;
    record.skins = { { 0, folder.Write("progs/grey.pcx", TinyPcx()) } };
    record.skinIndex = 2;
    for (int version : { 5, 6 }) {
        COGLMDL& model = Read(record.Write(), version);
        EXPECT_TRUE(model.loaded);
        EXPECT_EQ(model.name, "Crate");
        ASSERT_NE(model.GetAnimation(), nullptr);
        EXPECT_EQ(model.GetAnimation()->name, "run");
        EXPECT_FLOAT_EQ(model.frameStep, 0.25f);
        EXPECT_FALSE(model.loop);
        EXPECT_FALSE(model.interpolate);
        ASSERT_EQ(model.skins.size(), 3u);
        EXPECT_EQ(model.skins[1]->title, "skin  2");
        EXPECT_EQ(model.texture, model.skins[2]);
        EXPECT_EQ(SavedRows(model), Rows(record.Write()));
    }

    // The picture is the skin drawn.
    COGLMDL& model = *models.back();
    model.orientation = CQuaternion(0.0f, 0.0f, 0.0f, 1.0f);
    model.SetScale(0.05f, 0.05f, 0.05f);
    model.SetPosition(0.0f, -1.0f, 0.0f);
    model.SetTransparent(false);
    glColor3f(1.0f, 1.0f, 1.0f);
    model.Draw(DRAW_MATERIAL);
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 200, 200, 200));
    model.SetTexture(model.skins[0]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    model.Draw(DRAW_MATERIAL);
    EXPECT_TRUE(ColorNear(PixelAt(0.0f, 0.0f), 255, 0, 0));  // Quake palette entry 251
}

// The skin count counts the embedded skins the writer could decode, so it
// says nothing about how many records follow; they are read all the same.
TEST_F(MdlRecordTest, RecordsAreReadWhateverTheEmbeddedSkinsThatCame) {
    const std::string picture = folder.Write("progs/grey.pcx", TinyPcx());
    MdlRecord record;
    record.animationIndex = 0;
    record.skins = { { 0, picture } };
    record.skinIndex = 0;

    // Neither skin decodes: the editor counted only the picture.
    record.path = folder.Write("progs/wide.mdl", Text(Wall(2, 16385).Write()));
    record.skinCount = 1;
    COGLMDL& undecoded = Read(record.Write());
    EXPECT_TRUE(undecoded.loaded);
    EXPECT_EQ(undecoded.skinCountInFile, 2);
    ASSERT_EQ(undecoded.skins.size(), 1u);
    EXPECT_EQ(undecoded.texture, undecoded.skins[0]);
    EXPECT_EQ(SavedRows(undecoded), Rows(record.Write()));

    // Without its file the model knows of no skins of its own.
    record.path = folder.Path("progs/gone.mdl");
    record.skinCount = 3;
    EXPECT_FALSE(Read(record.Write()).loaded);
    record.skins.clear();
    EXPECT_FALSE(Read(record.Write()).loaded);
}
