#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "platform/COutputFile.h"
#include "support/TestFolder.h"

namespace {

std::set<std::string> Listing(const CTestFolder& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

bool WriteAndCommit(const std::string& path, const std::string& bytes) {
    COutputFile file;
    return file.Create(path) && std::fputs(bytes.c_str(), file.Stream()) >= 0 && file.Commit();
}

}  // namespace

// The name as given, never a sibling differing in case, with the permissions
// of a newly created file, and no temporary left beside it.
TEST(OutputFile, IsWrittenExactlyAtThePathWithTheUmasksPermissions) {
    CTestFolder folder;
    folder.Write("shot.png", "old");
    const mode_t previous = umask(027);
    const bool written = WriteAndCommit(folder.Path("SHOT.png"), "new");
    umask(previous);
    ASSERT_TRUE(written);
    EXPECT_EQ(CTestFolder::Read(folder.Path("SHOT.png")), "new");
    EXPECT_EQ(CTestFolder::Read(folder.Path("shot.png")), "old");
    EXPECT_EQ(Listing(folder), (std::set<std::string>{ "SHOT.png", "shot.png" }));
    struct stat status = {};
    ASSERT_EQ(stat(folder.Path("SHOT.png").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
}

// Whatever fails, the target keeps what it held and no temporary stays.
TEST(OutputFile, AFailureOrAnUncommittedFileLeavesTheFolderAsItWas) {
    CTestFolder folder;
    folder.Write("file", "old");
    folder.Write("folder/inside", "");
    {
        COutputFile dropped;
        ASSERT_TRUE(dropped.Create(folder.Path("file")));
        std::fputs("half", dropped.Stream());
        EXPECT_FALSE(dropped.GetTemporaryPath().empty());
    }
    const struct { const char* target; bool creates; } cases[] = {
        { "file/below.png", false },   // a folder that is a file
        { "gone/x.png", false },       // a folder that is not there
        { "folder", true },            // a target that is a folder: the rename fails
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        COutputFile file;
        EXPECT_EQ(file.Create(folder.Path(c.target)), c.creates);
        if (c.creates) {
            EXPECT_FALSE(file.Commit());
        }
        EXPECT_FALSE(file.GetError().empty());
    }
    EXPECT_EQ(CTestFolder::Read(folder.Path("file")), "old");
    EXPECT_EQ(Listing(folder), (std::set<std::string>{ "file", "folder" }));
}
