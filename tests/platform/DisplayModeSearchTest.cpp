#include <gtest/gtest.h>

#include "diag/CDiagnostics.h"
#include "platform/DisplayModeSearch.h"
#include "support/TestFolder.h"

TEST(DisplayModeSearch, OnlyExactlyTheSizeAtSixteenBitsWillDo) {
    CTestFolder logs;
    const std::string previousFolder = Diagnostics().GetFolder();
    Diagnostics().SetFolder(logs.Path());
    const std::vector<DisplayModeInfo> modes = { { 32, 800, 600 }, { 16, 1024, 768 }, { 16, 640, 480 }, { 16, 800, 600 } };
    EXPECT_EQ(FindDisplayMode(modes, 800, 600), 3);
    EXPECT_EQ(FindDisplayMode(modes, 640, 480), 2);
    EXPECT_EQ(CTestFolder::Read(Diagnostics().LogFilePath()), "");
    EXPECT_EQ(FindDisplayMode({ { 32, 800, 600 } }, 800, 600), -1);
    EXPECT_EQ(CTestFolder::Read(Diagnostics().LogFilePath()), "ChangeDisplaySettings - Requested mode is not present.\n");
    Diagnostics().SetFolder(previousFolder);
}
