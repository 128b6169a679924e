#include <gtest/gtest.h>

#include "platform/CFile.h"
#include "platform/CSettingsStore.h"
#include "support/TestFolder.h"
#include "platform/WindowsPath.h"

namespace {

class WindowsPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        boxPath = folder.Write("windows-c/scenes/models/box.tga", "box");
        folder.Write("TAV.ini", "[Drives]\nC=" + folder.Path("windows-c") + "\n");
    }

    CTestFolder    folder;
    CSettingsStore settings{ folder.Path("TAV.ini") };
    std::string    boxPath;
};

TEST_F(WindowsPathTest, DriveLetterMapsThroughDrivesAndCaseFallsBack) {
    EXPECT_EQ(ResolvePath("C:\\Scenes\\MODELS\\Box.TGA", settings), boxPath);
    EXPECT_EQ(ResolvePath("c:/scenes\\Models/BOX.tga", settings), boxPath);
}

TEST_F(WindowsPathTest, FileObjectOpensTheMappedFile) {
    CSettingsStore& app = AppSettings();
    const std::string savedPath = app.GetFilePath();
    app.SetFilePath(settings.GetFilePath());

    CFile file;
    const bool opened = file.Open("C:\\Scenes\\MODELS\\Box.TGA", CFile::modeRead);
    char bytes[3] = {};
    if (opened) {
        file.Read(bytes, 3);
    }
    app.SetFilePath(savedPath);

    ASSERT_TRUE(opened);
    EXPECT_EQ(std::string(bytes, 3), "box");
}

TEST_F(WindowsPathTest, UnmappedDriveComesBackUnchanged) {
    EXPECT_EQ(ResolvePath("D:\\Scenes\\box.tga", settings), "D:\\Scenes\\box.tga");
}

TEST_F(WindowsPathTest, ComponentsAfterAMissingOneStayAsWritten) {
    EXPECT_EQ(ResolvePath("C:\\SCENES\\New\\Shot.BMP", settings),
              folder.Path("windows-c/scenes/New/Shot.BMP"));
    EXPECT_EQ(ResolvePath(folder.Path("nowhere/BOX.TGA"), settings), folder.Path("nowhere/BOX.TGA"));
}

TEST_F(WindowsPathTest, ExactSpellingWinsOverCaseVariants) {
    const std::string upper = folder.Write("windows-c/scenes/models/BOX.TGA", "BOX");
    const std::string mixed = folder.Write("windows-c/scenes/models/Box.Tga", "Box");
    EXPECT_EQ(ResolvePath(folder.Path("windows-c/scenes/models/box.tga"), settings), boxPath);
    EXPECT_EQ(ResolvePath(folder.Path("windows-c/scenes/models/Box.Tga"), settings), mixed);
    // No exact match: the same choice every time, whatever the folder's order.
    EXPECT_EQ(ResolvePath(folder.Path("windows-c/scenes/models/bOX.TGA"), settings), upper);
}

TEST_F(WindowsPathTest, Windows1252NamesFindTheirUtf8Files) {
    const std::string cafe = folder.Write("windows-c/caf\xC3\xA9/M\xC3\xBC" "de.pcx", "x");
    EXPECT_EQ(ResolvePath("C:\\caf\xE9\\m\xFC" "DE.PCX", settings), cafe);
    EXPECT_EQ(Cp1252ToUtf8("\x80\x9F\xFF" "a"), "\xE2\x82\xAC\xC5\xB8\xC3\xBF" "a");
}

TEST(SplitPath, TakesWindowsAndLinuxPathsApart) {
    const PathParts windows = SplitPath("C:\\Scenes\\models/box.tga");
    EXPECT_EQ(windows.drive, "C:");
    EXPECT_EQ(windows.folder, "\\Scenes\\models/");
    EXPECT_EQ(windows.name, "box");
    EXPECT_EQ(windows.extension, ".tga");

    const PathParts dotted = SplitPath("/home/me/v1.2/skin.tar.gz");
    EXPECT_EQ(dotted.drive, "");
    EXPECT_EQ(dotted.folder, "/home/me/v1.2/");
    EXPECT_EQ(dotted.name, "skin.tar");
    EXPECT_EQ(dotted.extension, ".gz");

    const PathParts folderDot = SplitPath("models.old/tris");
    EXPECT_EQ(folderDot.name, "tris");
    EXPECT_EQ(folderDot.extension, "");

    const PathParts bare = SplitPath("x:");
    EXPECT_EQ(bare.drive, "x:");
    EXPECT_EQ(bare.name, "");
}

} // namespace
