#include <gtest/gtest.h>

#include "platform/CFile.h"
#include "platform/CSettingsStore.h"
#include "support/TestFolder.h"
#include "platform/Cp1252.h"
#include "platform/WindowsPath.h"

namespace {

class WindowsPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        boxPath = folder.Write("windows-c/scenes/models/box.tga", "box");
        for (const char* name : { "spell/box.tga", "spell/BOX.TGA", "spell/Box.Tga",
                                  "caf\xC3\xA9/M\xC3\xBC" "de.pcx" }) {
            folder.Write(std::string("windows-c/") + name, "x");
        }
        folder.Write("TAV.ini", "[Drives]\nC = " + folder.Path("windows-c") + " \n");  // as a hand writes it
    }

    CTestFolder    folder;
    CSettingsStore settings{ folder.Path("TAV.ini") };
    std::string    boxPath;
};

TEST_F(WindowsPathTest, DrivesMapCaseFallsBackAndTheRestStaysAsWritten) {
    const std::pair<std::string, std::string> cases[] = {
        { "C:\\Scenes\\MODELS\\Box.TGA", boxPath },
        { "c:/scenes\\Models/BOX.tga", boxPath },
        { "D:\\Scenes\\box.tga", "D:\\Scenes\\box.tga" },  // no such drive mapped
        // Past the first missing component nothing can be matched.
        { "C:\\SCENES\\New\\Shot.BMP", folder.Path("windows-c/scenes/New/Shot.BMP") },
        { folder.Path("nowhere/BOX.TGA"), folder.Path("nowhere/BOX.TGA") },
        // The exact spelling wins; without one, the same choice whatever the folder's order.
        { folder.Path("windows-c/spell/Box.Tga"), folder.Path("windows-c/spell/Box.Tga") },
        { folder.Path("windows-c/spell/bOX.TGA"), folder.Path("windows-c/spell/BOX.TGA") },
        // Windows-1252 names find their UTF-8 files.
        { "C:\\caf\xE9\\m\xFC" "DE.PCX", folder.Path("windows-c/caf\xC3\xA9/M\xC3\xBC" "de.pcx") },
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(ResolvePath(in, settings), out) << in;
    }
    EXPECT_EQ(Cp1252ToUtf8("\x80\x9F\xFF" "a"), "\xE2\x82\xAC\xC5\xB8\xC3\xBF" "a");
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

TEST(SplitPath, TakesWindowsAndLinuxPathsApart) {
    const struct { const char* path; PathParts parts; } cases[] = {
        { "C:\\Scenes\\models/box.tga", { "C:", "\\Scenes\\models/", "box", ".tga" } },
        { "/home/me/v1.2/skin.tar.gz", { "", "/home/me/v1.2/", "skin.tar", ".gz" } },
        { "models.old/tris", { "", "models.old/", "tris", "" } },
        { "x:", { "x:", "", "", "" } },
    };
    for (const auto& c : cases) {
        const PathParts parts = SplitPath(c.path);
        EXPECT_EQ(parts.drive, c.parts.drive) << c.path;
        EXPECT_EQ(parts.folder, c.parts.folder) << c.path;
        EXPECT_EQ(parts.name, c.parts.name) << c.path;
        EXPECT_EQ(parts.extension, c.parts.extension) << c.path;
    }
}

} // namespace
