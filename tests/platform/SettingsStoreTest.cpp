#include <gtest/gtest.h>

#include <filesystem>

#include "platform/CSettingsStore.h"
#include "support/TestFolder.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    CTestFolder    folder;
    std::string    iniPath = folder.Path("Fennwick/TAV.ini");
    CSettingsStore store{ iniPath };
};

TEST_F(SettingsStoreTest, UnreadableValuesGiveDefaults) {
    folder.Write("Fennwick/TAV.ini", std::string("\x89PNG\r\n\x1a\n\0\0\0[3dfx\nGamma\n=7\n", 23));
    EXPECT_EQ(store.Read(Setting::gamma), 100);
    EXPECT_EQ(store.Read(Setting::shotBaseName), "shot");
    folder.Write("Fennwick/TAV.ini",
                 "[3dfx]\nGamma=abc\nResolution=3x\nTimerDelay=99999999999\nMouseSensitivity=\n"
                 "SSFileType= -1 \nSSJPGQuality=+3\n");
    EXPECT_EQ(store.Read(Setting::gamma), 100);
    EXPECT_EQ(store.Read(Setting::resolution), 2);
    EXPECT_EQ(store.Read(Setting::timerDelay), 60);
    EXPECT_EQ(store.Read(Setting::mouseSensitivity), 3);
    EXPECT_EQ(store.Read(Setting::shotFileType), -1);  // blanks and a sign are fine
    EXPECT_EQ(store.Read(Setting::jpegQuality), 3);
}

TEST_F(SettingsStoreTest, NamesMatchIgnoringCaseAndOnlyInTheirSection) {
    folder.Write("Fennwick/TAV.ini", "Gamma=10\n[Settings]\nGamma=20\n[3DFX]\n  gamma = 70\r\n");
    EXPECT_EQ(store.Read(Setting::gamma), 70);
    EXPECT_EQ(store.ReadInt("settings", "GAMMA", 0), 20);
}

TEST_F(SettingsStoreTest, WrittenValuesReadBackAsWritten) {
    ASSERT_TRUE(store.Write(Setting::gamma, -42));
    const CSettingsStore fresh(iniPath);
    EXPECT_EQ(fresh.Read(Setting::gamma), -42);
    for (const char* value : { "/home/me/My Scenes/room.tvn", " shot", "shot ", "\t two  blanks  ", " ", "" }) {
        ASSERT_TRUE(store.Write(Setting::shotBaseName, value));
        EXPECT_EQ(fresh.Read(Setting::shotBaseName), value);
    }
}

// The keys of other programs and sections survive; the file is replaced,
// with no temporary left beside it.
TEST_F(SettingsStoreTest, OtherProgramsKeysSurviveOurWrite) {
    folder.Write("Fennwick/TAV.ini",
                 "; written by TAV\r\n"
                 "[VWep]\r\nEnabled=1\r\nVWepPakFile=C:\\Quake2\\baseq2\\pak0.pak\r\n\r\n"
                 "[3dfx]\r\nGamma=90\r\nEditorOnly=keep me\r\n\r\n"
                 "[Editor]\r\nRecent1=a.tvn\r\n");
    ASSERT_TRUE(store.Write(Setting::gamma, 80));
    ASSERT_TRUE(store.Write(Setting::resolution, 4));
    ASSERT_TRUE(store.Write(Setting::axis, 1));
    EXPECT_EQ(CTestFolder::Read(iniPath),
              "; written by TAV\n"
              "[VWep]\nEnabled=1\nVWepPakFile=C:\\Quake2\\baseq2\\pak0.pak\n\n"
              "[3dfx]\nGamma=80\nEditorOnly=keep me\nResolution=4\n\n"
              "[Editor]\nRecent1=a.tvn\n\n"
              "[Settings]\nAxis=1\n");
    EXPECT_EQ(store.Read(Setting::vwepEnabled), 1);
    EXPECT_EQ(store.Read(Setting::vwepPakFile), "C:\\Quake2\\baseq2\\pak0.pak");
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path("Fennwick"))) {
        EXPECT_EQ(entry.path().filename(), "TAV.ini");
    }
}

TEST_F(SettingsStoreTest, RefusedWritesLeaveTheFileAsItWas) {
    folder.Write("Fennwick/TAV.ini", "[3dfx]\nLastScene=a.tvn\n");
    EXPECT_FALSE(store.Write(Setting::lastScene, "b.tvn\n[VWep]\nEnabled=1"));
    EXPECT_EQ(CTestFolder::Read(iniPath), "[3dfx]\nLastScene=a.tvn\n");

    // Not a settings file at all: reading gives defaults, writing must not
    // throw away whatever it is.
    const std::string huge(2 << 20, 'x');
    folder.Write("Fennwick/TAV.ini", "[3dfx]\nGamma=50\n" + huge);
    EXPECT_EQ(store.Read(Setting::gamma), 100);
    EXPECT_FALSE(store.Write(Setting::gamma, 60));
    EXPECT_EQ(std::filesystem::file_size(iniPath), 16 + huge.size());
}

} // namespace
