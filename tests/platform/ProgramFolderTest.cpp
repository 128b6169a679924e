#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/ProgramFolder.h"
#include "support/TestFolder.h"

namespace {

TEST(ProgramFolder, IsTheWritableFolderOfTheExecutable) {
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder + "orrin_tests"));
    EXPECT_EQ(ProgramFolder(), folder);
}

TEST(ProgramFolder, UserDataFolderHonoursXdgDataHomeAndIsCreated) {
    CTestFolder folder;
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedValue = saved != nullptr ? saved : "";
    setenv("XDG_DATA_HOME", folder.Path("data").c_str(), 1);

    const std::string dataFolder = UserDataFolder();

    if (saved != nullptr) {
        setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
    EXPECT_EQ(dataFolder, folder.Path("data/orrin/"));
    EXPECT_TRUE(std::filesystem::is_directory(dataFolder));
}

} // namespace
