// Half-Life models that claim far more than their bytes hold: many records
// over data that lies in the file once, and companions that are no files.
// tvntool, held to 512 MB, refuses each in time with its reason.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "models/HlBytes.h"
#include "support/TestFolder.h"
#include "support/ToolRun.h"

namespace {

using namespace hl_hostile;

struct HostileModel {
    const char*          what;
    std::vector<uint8_t> model;
    const char*          fifo;      // a companion made a FIFO, or null
    const char*          reason;    // in what the tool says
};

TEST(HostileHalfLife, ModelsClaimingMoreThanTheirBytesAreRefusedInTimeAndMemory) {
    if (!CanLimitTool()) {
        GTEST_SKIP() << "a sanitizer build's shadow memory does not fit the limit";
    }
    HlLayout noTextures;
    noTextures.textures.clear();
    HlLayout twoGroups;
    twoGroups.groupCount = 2;
    const HostileModel rows[] = {
        { "100,000 meshes over one strip of 30,000 corners", MeshesSharingAStrip(100000, 30000), nullptr,
          "(corners drawn)" },
        { "4,000 sequences of 127 million frames, every channel on one 1 MB chain of runs",
          SequencesSharingRuns(4000, 500000), nullptr, "(animation data)" },
        { "5,000 texture records on one 256 x 256 block", TexturesSharingABlock(5000, 256), nullptr,
          "(texture count)" },
        { "1,000 texture records on one 256 x 256 block", TexturesSharingABlock(1000, 256), nullptr,
          "(texture sizes)" },
        { "1,000 body parts over one table of 20,000 sub-models", BodyPartsSharingSubModels(1000, 20000), nullptr,
          "(sub-models of a body part)" },
        { "a FIFO as the texture file", noTextures.Write(), "hT.mdl", "unable to open" },
        { "a FIFO as the sequence-group file", twoGroups.Write(), "h01.mdl", "unable to open" },
    };
    for (const HostileModel& row : rows) {
        SCOPED_TRACE(row.what);
        CTestFolder folder;
        const std::string model = folder.Write("h.mdl", HlText(row.model));
        if (row.fifo != nullptr) {
            ASSERT_EQ(mkfifo(folder.Path(row.fifo).c_str(), 0600), 0);
        }
        const std::vector<std::string> commands[] = {
            { "model", model },
            { "render", model, "-o", folder.Path("h.png"), "--size", "64x64" },
            { "thumbnail", model, folder.Path("t.png"), "128" },
        };
        for (const std::vector<std::string>& command : commands) {
            const ToolRun run = RunToolLimited(command);
            EXPECT_EQ(run.exitCode, 2) << command[0] << ": " << Describe(run);
            EXPECT_NE(run.errors.find(row.reason), std::string::npos) << command[0] << ": " << Describe(run);
            EXPECT_LT(run.seconds, 10.0) << command[0] << ": " << Describe(run);
        }
    }
}

}  // namespace
