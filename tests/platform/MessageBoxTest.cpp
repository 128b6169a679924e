#include <gtest/gtest.h>

#include "platform/CMessageBox.h"

namespace {

class MessageBoxTest : public ::testing::Test {
protected:
    void TearDown() override { CMessageBox::SetBackend(CMessageBox::standardError); }
};

TEST_F(MessageBoxTest, StandardErrorIsTheDefaultAndEndsTheLineOnce) {
    EXPECT_EQ(CMessageBox::GetBackend(), CMessageBox::standardError);
    testing::internal::CaptureStderr();
    CMessageBox::Show("No more lights are available.");
    CMessageBox::Show("Error opening scene file\r\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "No more lights are available.\nError opening scene file\r\n");
}

TEST_F(MessageBoxTest, DiscardShowsNothing) {
    CMessageBox::SetBackend(CMessageBox::discard);
    testing::internal::CaptureStderr();
    CMessageBox::Show("quiet");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

} // namespace
