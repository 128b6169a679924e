#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ProgramFolder.h"
#include "support/ScopedEnv.h"
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
    const CScopedEnv dataHome("XDG_DATA_HOME", folder.Path("data"));
    EXPECT_EQ(UserDataFolder(), folder.Path("data/orrin/"));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path("data/orrin/")));
}

} // namespace
