#include <gtest/gtest.h>

#include "platform/CMessageBox.h"

namespace {

TEST(MessageBoxTest, StandardErrorIsTheDefaultAndEndsTheLineOnce) {
    EXPECT_EQ(CMessageBox::GetBackend(), CMessageBox::standardError);
    testing::internal::CaptureStderr();
    CMessageBox::Show("No more lights are available.");
    CMessageBox::Show("Error opening scene file\r\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "No more lights are available.\nError opening scene file\r\n");
}

} // namespace
