#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <algorithm>
#include <string>
#include <vector>

#include "platform/CMessageBox.h"
#include "platform/DesktopMessageBox.h"
#include "support/ScopedEnv.h"
#include "support/VirtualDisplay.h"

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

// What a desktop box showed: its title, the texts and the buttons visible.
struct ShownBox {
    std::string              title;
    std::vector<std::string> texts;
    std::vector<std::string> buttons;
};

// Runs inside the box's modal loop: reads the box, then closes it.
void ReadAndClose(void* data) {
    Fl_Window* window = Fl::first_window();
    if (window == nullptr) {
        return;
    }
    ShownBox& box = *static_cast<ShownBox*>(data);
    box.title = window->label() != nullptr ? window->label() : "";
    for (int i = 0; i < window->children(); i++) {
        const Fl_Widget* widget = window->child(i);
        if (widget->visible() && widget->label() != nullptr) {
            (dynamic_cast<const Fl_Button*>(widget) != nullptr ? box.buttons : box.texts).push_back(widget->label());
        }
    }
    window->hide();
}

TEST(MessageBoxTest, DesktopBoxShowsTheTextWithoutLineEndsAndAnOkButton) {
    const char* display = VirtualDisplay();
    if (display == nullptr) {
        GTEST_SKIP() << "Xvfb is not installed or did not start";
    }
    const CScopedEnv displayName("DISPLAY", display);
    UseDesktopMessageBoxes();

    ShownBox box;
    Fl::add_timeout(0.0, ReadAndClose, &box);
    CMessageBox::Show("Error opening scene file\r\n");
    Fl::remove_timeout(ReadAndClose, &box);

    CMessageBox::SetBackend(CMessageBox::standardError);
    EXPECT_EQ(box.title, "Orrin");
    EXPECT_EQ(box.buttons, std::vector<std::string>{ "OK" });
    EXPECT_TRUE(std::find(box.texts.begin(), box.texts.end(), "Error opening scene file") != box.texts.end())
        << testing::PrintToString(box.texts);
}

} // namespace
