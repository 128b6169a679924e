#include <gtest/gtest.h>

#include "platform/CMessageBox.h"

namespace {

TEST(MessageBoxTest, StandardErrorIsTheDefaultAndEndsEachLineOnceWithLineFeedsAlone) {
    EXPECT_EQ(CMessageBox::GetBackend(), CMessageBox::standardError);
    testing::internal::CaptureStderr();
    CMessageBox::Show("No more lights are available.");
    CMessageBox::Show("Error opening scene file\r\n");
    CMessageBox::Show("The following files could not be loaded:\r\n    a.pcx\r\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "No more lights are available.\nError opening scene file\n"
              "The following files could not be loaded:\n    a.pcx\n");
}

} // namespace
