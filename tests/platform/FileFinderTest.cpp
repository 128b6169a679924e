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

// Upper-cased, '_' sorts after the letters; a plain byte order would put it
// before the lower-case ones and change which file an index picks.
TEST_F(FileFinderTest, ListsMatchesInWindowsOrder) {
    EXPECT_EQ(Names(FindFiles(folder.Path("Shots/shot*.bmp"))),
              (std::vector<std::string>{ "shot001.bmp", "Shot010.BMP", "shotb.bmp", "shot_a.bmp" }));
}

TEST_F(FileFinderTest, EachMatchGivesPathNameAndTitle) {
    const std::vector<FoundFile> found = FindFiles(folder.Path("Shots/*.JPG"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path, folder.Path("Shots/shot002.jpg"));
    EXPECT_EQ(found[0].name, "shot002.jpg");
    EXPECT_EQ(found[0].title, "shot002");
}

TEST_F(FileFinderTest, FolderMayBeAWindowsPathInAnyCase) {
    const std::string pattern = folder.Path("") + "SHOTS\\shot00?.*";
    EXPECT_EQ(Names(FindFiles(pattern)), (std::vector<std::string>{ "shot001.bmp", "shot002.jpg" }));
}

TEST_F(FileFinderTest, StarDotStarMatchesNamesWithoutExtension) {
    EXPECT_EQ(FindFiles(folder.Path("Shots/*.*")).size(), 7u);
    EXPECT_EQ(Names(FindFiles(folder.Path("Shots/no*"))), (std::vector<std::string>{ "noext" }));
}

TEST_F(FileFinderTest, MissingFolderFindsNothing) {
    EXPECT_TRUE(FindFiles(folder.Path("gone/*.bmp")).empty());
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
