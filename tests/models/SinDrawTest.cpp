#include <GL/gl.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "image/COGLTexture2D.h"
#include "models/COGLSBM.h"
#include "models/SpriteBytes.h"
#include "platform/CPakFile.h"
#include "support/ExpectVector.h"
#include "support/ModelFileFixture.h"
#include "support/SinFiles.h"

namespace {

std::string SquareMesh() {
    SinMesh mesh;
    mesh.Group().Strip({ { 0.25f, 0.25f, 0 }, { 0.75f, 0.25f, 1 }, { 0.25f, 0.75f, 2 }, { 0.75f, 0.75f, 3 } }).End();
    return Text(mesh.Write());
}

// Frame 0 from world x -2 to 0, frame 1 from 0 to 2, frame 2 from -3 to -1;
// all from y 0 to 2.
std::vector<std::pair<std::string, std::string>> ModelFiles() {
    return { { "x.def", SinDefinition({ "path models/x", "model.sbm", "walk.sam", "skin base.tga" }) },
             { "models/x/model.sbm", SquareMesh() },
             { "models/x/walk.sam", Text(SinAnimationFile({ Square(-40), Square(0), Square(-60) })) },
             { "models/x/base.tga", TinyTga(2, 2, 255, 0, 0) } };
}

class SinDraw : public CModelFileFixture {
protected:
    void SetUp() override {
        CModelFileFixture::SetUp();
        glColor3f(1.0f, 1.0f, 1.0f);
    }
    // The model's files on disk, the definition's path line naming a folder
    // of the test's own; the definition's path.
    std::string WriteFiles(bool skin) {
        for (const auto& [name, bytes] : ModelFiles()) {
            folder.Write(name, bytes);
        }
        std::vector<std::string> lines = { "path " + folder.Path("models/x"), "model.sbm", "walk.sam" };
        if (skin) {
            lines.push_back("skin base.tga");
        }
        return folder.Write("x.def", SinDefinition(lines));
    }
    // A new model, in a new scene unless archive is one of the scene's.
    void Load(const std::string& path, CPakFile* archive = nullptr) {
        if (archive == nullptr) {
            models.clear();
            scene = std::make_unique<COGLScene>();
        }
        model = &LoadPath<COGLSBM>(path, archive);
    }
    void Redraw() { CModelFileFixture::Redraw(*model); }
    void Tick(int times) { CModelFileFixture::Tick(*model, times); }

    COGLSBM* model = nullptr;
};

}  // namespace

// Frame 0, halfway to frame 1 after four ticks, then frame 1. In an archive
// a definition's path line names a folder of the archive; without one its
// files are at the top.
TEST_F(SinDraw, DrawsTexturedWhereItsBoundsSayTheSameFromAFolderAndFromAnArchive) {
    Load(WriteFiles(true));
    ASSERT_TRUE(model->IsLoaded());
    Redraw();
    ExpectSpots({ { -1.0f, 1.0f, 255, 0, 0 }, { 1.0f, 1.0f, 0, 0, 0 }, { -1.0f, -1.0f, 0, 0, 0 } });
    const std::vector<uint8_t> fromFolder = context.ReadPixels(0, 0, SIZE, SIZE);
    // Mesh axes: (file y, -file z, -file x), before the half turn and scale.
    ExpectVector(model->boundsMin, -40.0f, -40.0f, 0.0f);
    ExpectVector(model->boundsMax, 0.0f, 0.0f, 0.0f);

    model->StartAnimation();
    Tick(4);
    EXPECT_EQ(model->CurrentFrame(), 0);
    EXPECT_EQ(model->NextFrame(), 1);
    Redraw();
    ExpectSpots({ { 0.5f, 1.0f, 255, 0, 0 }, { -1.5f, 1.0f, 0, 0, 0 } });
    EXPECT_FLOAT_EQ(model->boundsMin.x, -20.0f);
    Tick(4);
    EXPECT_EQ(model->CurrentFrame(), 1);
    Redraw();
    ExpectSpots({ { 1.0f, 1.0f, 255, 0, 0 }, { -1.0f, 1.0f, 0, 0, 0 } });

    // A frame wholly on the negative side keeps a negative maximum.
    model->SetFrames(2, 2, model->FrameFraction());
    Redraw();
    EXPECT_FLOAT_EQ(model->boundsMax.x, -20.0f);
    EXPECT_TRUE(ColorNear(PixelAt(-2.0f, 1.0f), 255, 0, 0));

    std::vector<std::pair<std::string, std::string>> files = ModelFiles();
    files.insert(files.end(), { { "y.def", SinDefinition({ "model.sbm", "walk.sam" }) }, { "model.sbm", SquareMesh() },
                                { "walk.sam", Text(SinAnimationFile({ Square(-40) })) } });
    ASSERT_EQ(scene->FindOrOpenPak(folder.Write("pak0.pak", SpakOf(files))), 0);
    CPakFile* pak = scene->GetPak(0);
    ASSERT_EQ(pak->GetNameLength(), 120);
    Load("x.def", pak);
    ASSERT_TRUE(model->IsLoaded());
    EXPECT_EQ(model->path, "x.def");
    EXPECT_EQ(model->data->meshPath, "models/x/model.sbm");
    ASSERT_EQ(model->Skins().size(), 1u);
    EXPECT_EQ(model->Skins()[0]->source.archive, pak);
    Redraw();
    EXPECT_EQ(context.ReadPixels(0, 0, SIZE, SIZE), fromFolder);

    Load("y.def", pak);
    EXPECT_TRUE(model->IsLoaded());
    EXPECT_EQ(model->data->meshPath, "model.sbm");
    EXPECT_EQ(model->name, "y");
}

// Runs naming vertices the frames lack, and runs longer than their list, are
// not drawn; what comes before them is.
TEST_F(SinDraw, ForgedRunsAreSkipped) {
    const std::string definition = WriteFiles(false);
    SinMesh mesh;
    mesh.Group().Strip({ { 0, 0, 0 }, { 0, 0, 4 }, { 0, 0, 2 } }).Strip({ { 0, 0, -1 }, { 0, 0, 1 }, { 0, 0, 2 } });
    mesh.Group().Fan({ { 0, 0, 0 }, { 0, 0, 1 }, { 0, 0, 2 }, { 0, 0, 3 } }).Word(1000).Word(0);
    mesh.Group().Word(std::numeric_limits<int32_t>::min()).Word(0).Word(0).Word(0);
    folder.Write("models/x/model.sbm", Text(mesh.Write()));
    Load(definition);
    ASSERT_TRUE(model->IsLoaded());
    EXPECT_EQ(model->TriangleCount(), 2);
    Redraw();
    EXPECT_TRUE(ColorNear(PixelAt(-1.5f, 0.3f), 255, 255, 255));
    CVector min, max;
    model->FrameBounds(0, min, max);
    EXPECT_FLOAT_EQ(min.x, -40.0f);

    // Beyond the animation's three frames: nothing drawn.
    model->SetFrames(3, model->NextFrame(), model->FrameFraction());
    Redraw();
    EXPECT_TRUE(ColorNear(PixelAt(-1.5f, 0.3f), 0, 0, 0));
}

// Every shortened file is refused or drawn without reading outside its data.
TEST_F(SinDraw, EveryTruncationIsRefusedOrDrawnSafely) {
    const std::string files[][2] = { { "x.def", CTestFolder::Read(WriteFiles(false)) },
                                     { "models/x/model.sbm", SquareMesh() },
                                     { "models/x/walk.sam", Text(SinAnimationFile({ Square(-40), Square(0) })) } };
    for (const auto& [name, whole] : files) {
        for (size_t length = 0; length < whole.size(); length++) {
            SCOPED_TRACE(name + " cut to " + std::to_string(length));
            for (const auto& file : files) folder.Write(file[0], file[1]);
            folder.Write(name, whole.substr(0, length));
            Load(folder.Path("x.def"));
            model->StartAnimation();
            for (int tick = 0; tick < 3; tick++) {
                Tick(3);
                Redraw();
            }
            // A cut animation is dropped; a cut definition or mesh is refused.
            const bool animation = name == "models/x/walk.sam";
            EXPECT_EQ(model->IsLoaded(), animation);
            EXPECT_TRUE(model->animations.empty() || !animation);
        }
    }
}
