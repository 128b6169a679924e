// What file managers run on every model file they list: one real file of
// each kind, cut at every length, is loaded into the scene made for it and
// drawn without a crash (the sanitizer builds catch bad reads), and the
// whole file gives a square thumbnail.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "models/Md2Bytes.h"
#include "scene/COGLScene.h"
#include "support/CapturedReports.h"
#include "support/TestFolder.h"
#include "tools/CToolScene.h"
#include "tools/Thumbnail.h"
#include "tools/ToolCommands.h"

namespace {

struct RealFile {
    const char* path;                    // under the test data
    std::vector<const char*> companions; // beside it, kept whole
};

const RealFile files[] = {
    { "md2/didux-quake/models/objects/debris2/tris.md2", {} },
    { "mdl/slipgate/progs/blood.mdl", {} },
    { "hlmdl/testcs/w_crowbar.mdl", { "w_crowbart.mdl" } },
    { "sprite/didux-quake/sprites/s_bfg2.sp2", { "s_bfg2_0.pcx", "s_bfg2_1.pcx", "s_bfg2_2.pcx", "s_bfg2_3.pcx" } },
    { "sprite/testcs/sprites/tinyspit.spr", {} },
};

TEST(Thumbnail, EveryCutOfARealFileOfEachKindLoadsOrIsRefusedWithoutACrash) {
    const std::filesystem::path testdata = ORRIN_TESTDATA;
    if (!std::filesystem::exists(testdata / files[0].path)) {
        GTEST_SKIP() << "no test data at " << testdata;
    }
    CCapturedReports reports;
    CTestFolder folder;
    CToolScene drawn;
    std::string error;
    ASSERT_TRUE(drawn.CreateContext(16, 16, error)) << error;
    for (const RealFile& file : files) {
        const std::filesystem::path source = testdata / file.path;
        for (const char* companion : file.companions) {
            folder.Write(companion, CTestFolder::Read((source.parent_path() / companion).string()));
        }
        const std::string whole = CTestFolder::Read(source.string());
        const std::string cut = folder.Path(source.filename().string());
        for (size_t length = 0; length <= whole.size(); length++) {
            folder.Write(source.filename().string(), whole.substr(0, length));
            drawn.scene = std::make_unique<COGLScene>();
            const SceneOpenResult result = drawn.Load(cut);
            if (result != SceneOpenResult::aborted) {
                drawn.Paint();
            }
            if (length == whole.size()) {
                EXPECT_NE(result, SceneOpenResult::aborted) << file.path << " whole";
            }
            drawn.errors.clear();
        }
    }
}

TEST(Thumbnail, AModelIsSquareAndAtMostTheSizeAsked) {
    const std::string model = std::string(ORRIN_TESTDATA) + "/" + files[0].path;
    if (!std::filesystem::exists(model)) {
        GTEST_SKIP() << "no test data";
    }
    CCapturedReports reports;
    Thumbnail picture;
    std::string error;
    ASSERT_TRUE(MakeThumbnail(model, 40, picture, error)) << error;
    EXPECT_EQ(picture.width, 40);
    EXPECT_EQ(picture.height, 40);
    EXPECT_EQ(picture.rgba.size(), 40u * 40u * 4u);
    EXPECT_FALSE(MakeThumbnail(model + ".none", 40, picture, error));
}

// A thumbnailer out of time ends as its other failures do, exit 2 with a
// line saying why, and leaves nothing in the output's folder. No drawing
// is done within a millisecond: an OpenGL context alone takes longer.
TEST(ThumbnailDeathTest, RunningOutOfTimeExitsWithTwoAndWritesNothing) {
    CTestFolder folder;
    Md2Layout layout;
    layout.frames = { NamedFrame("stand1") };
    layout.Run(3).Vertex(0, 0, 0).Vertex(0, 0, 0).Vertex(0, 0, 0).End();
    const std::string model = folder.Write("x.md2", Text(layout.Write()));
    std::string output = folder.Path("x.png");
    std::string size = "1024";
    char command[] = "thumbnail";
    char* argv[] = { command, const_cast<char*>(model.c_str()), output.data(), size.data(), nullptr };
    EXPECT_EXIT(RunThumbnailWithin(4, argv, 1), ::testing::ExitedWithCode(2), "x.md2 took more than 0.001 seconds");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

}  // namespace
