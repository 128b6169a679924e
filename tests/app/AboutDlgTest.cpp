#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/CAboutDlg.h"
#include "support/VirtualDisplay.h"

namespace {

struct Rectangle {
    int top;
    int bottom;
};

// What the box showed: its text lines, with the height each wraps to where
// it stands, and the OK button; read inside the modal loop, which it ends.
struct ShownAbout {
    std::vector<Rectangle> lines;
    std::vector<int>       wrappedHeights;
    Rectangle              ok {};
    int                    windowHeight = 0;
};

void ReadAndClose(void* data) {
    Fl_Window* window = Fl::first_window();
    if (window == nullptr) {
        return;
    }
    ShownAbout& shown = *static_cast<ShownAbout*>(data);
    shown.windowHeight = window->h();
    for (int i = 0; i < window->children(); i++) {
        const Fl_Widget& widget = *window->child(i);
        const Rectangle place { widget.y(), widget.y() + widget.h() };
        if (dynamic_cast<const Fl_Button*>(&widget) != nullptr) {
            shown.ok = place;
            continue;
        }
        int width = widget.w() - 6;  // FLTK's inset of a left-aligned label
        int height = 0;
        widget.measure_label(width, height);
        shown.lines.push_back(place);
        shown.wrappedHeights.push_back(height);
    }
    window->hide();
}

// The acknowledgement of the JPEG library is longer than the box is wide.
TEST(AboutDlgTest, WrappedLinesPushTheOnesBelowDownAndTheOkButtonStaysClear) {
    const char* display = VirtualDisplay();
    if (display == nullptr) {
        GTEST_SKIP() << "Xvfb is not installed or did not start";
    }
    const char* saved = std::getenv("DISPLAY");
    const std::string savedDisplay = saved != nullptr ? saved : "";
    setenv("DISPLAY", display, 1);
    ShownAbout shown;
    Fl::add_timeout(0.0, ReadAndClose, &shown);
    CAboutDlg().DoModal();
    Fl::remove_timeout(ReadAndClose, &shown);
    saved != nullptr ? setenv("DISPLAY", savedDisplay.c_str(), 1) : unsetenv("DISPLAY");

    ASSERT_EQ(shown.lines.size(), CAboutDlg::Lines().size());
    int bottom = 0;
    for (size_t i = 0; i < shown.lines.size(); i++) {
        SCOPED_TRACE(CAboutDlg::Lines()[i]);
        EXPECT_GE(shown.lines[i].top, bottom);
        EXPECT_GE(shown.lines[i].bottom - shown.lines[i].top, shown.wrappedHeights[i]);
        bottom = shown.lines[i].bottom;
    }
    EXPECT_GE(shown.ok.top, bottom);
    EXPECT_LE(shown.ok.bottom, shown.windowHeight);
}

} // namespace
