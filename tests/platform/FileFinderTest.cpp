#include <gtest/gtest.h>

#include <filesystem>

#include "platform/FileFinder.h"
#include "support/TestFolder.h"

namespace {

std::vector<std::string> Names(const std::vector<FoundFile>& found) {
    std::vector<std::string> names;
    for (const FoundFile& file : found) {
        names.push_back(file.name);
    }
    return names;
}

class FileFinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : { "shotb.bmp", "shot_a.bmp", "Shot010.BMP", "shot001.bmp",
                                  "shot002.jpg", "other.bmp", "noext" }) {
            folder.Write(std::string("Shots/") + name, "x");
        }
        std::filesystem::create_directories(folder.Path("Shots/shotdir.bmp"));
    }

    CTestFolder folder;
};

// Order: upper-cased, so '_' sorts after the letters; a plain byte order
// would put it first and change which file an index picks.
TEST_F(FileFinderTest, PatternsFindTheirFilesInWindowsOrderWithPathNameAndTitle) {
    const struct { std::string pattern; std::vector<std::string> names; } cases[] = {
        { "Shots/shot*.bmp", { "shot001.bmp", "Shot010.BMP", "shotb.bmp", "shot_a.bmp" } },
        { "SHOTS\\shot00?.*", { "shot001.bmp", "shot002.jpg" } },  // a Windows folder in any case
        { "Shots/no*", { "noext" } },
        { "gone/*.bmp", {} },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Names(FindFiles(folder.Path(c.pattern))), c.names) << c.pattern;
    }
    EXPECT_EQ(FindFiles(folder.Path("Shots/*.*")).size(), 7u);  // names without extension too
    const std::vector<FoundFile> jpeg = FindFiles(folder.Path("Shots/*.JPG"));
    ASSERT_EQ(jpeg.size(), 1u);
    EXPECT_EQ(jpeg[0].path, folder.Path("Shots/shot002.jpg"));
    EXPECT_EQ(jpeg[0].title, "shot002");
}

TEST(MatchesWildcard, StarsAndQuestionMarks) {
    EXPECT_TRUE(MatchesWildcard("weapon.pcx", "*.PCX"));
    EXPECT_TRUE(MatchesWildcard("a.pcx.pcx", "*.pcx"));
    EXPECT_TRUE(MatchesWildcard("abc", "a*b*c*"));
    EXPECT_FALSE(MatchesWildcard("abc", "a?"));
    EXPECT_FALSE(MatchesWildcard("weapon.pcx2", "*.pcx"));
    EXPECT_TRUE(MatchesWildcard("", "*"));
    // Many stars against a long name that almost matches ends at once.
    EXPECT_FALSE(MatchesWildcard(std::string(4000, 'a'), "*a*a*a*a*a*a*a*a*b"));
}

} // namespace
