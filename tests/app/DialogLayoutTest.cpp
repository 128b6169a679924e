#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "app/CAboutDlg.h"
#include "platform/CMainDialogHandler.h"
#include "platform/CMainDialogWindow.h"
#include "platform/DialogUnits.h"
#include "platform/TextDialogs.h"
#include "support/ScopedEnv.h"
#include "support/VirtualDisplay.h"

namespace {

TEST(DialogUnitsTest, DpiComesFromXftDpiAndScalesByEighthsFromOne) {
    struct ResourceCase { const char* resources; double dpi; };
    for (const ResourceCase& c : { ResourceCase{ "Xft.dpi:\t192\n", 192 }, ResourceCase{ "Xft.antialias: 1\nXft.dpi: 144.5\n", 144.5 },
                                   ResourceCase{ "*dpi: 120\n", 120 }, ResourceCase{ "Xft.antialias: 1\n", 0 },
                                   ResourceCase{ "Xft.dpi: none\n", 0 }, ResourceCase{ "Xft.dpi: 0\n", 0 },
                                   ResourceCase{ "Xft.dpi: 1e9\n", 0 }, ResourceCase{ "", 0 } }) {
        EXPECT_DOUBLE_EQ(ResourceDpi(c.resources), c.dpi) << c.resources;
    }
    struct ScaleCase { double dpi; double scale; };
    for (const ScaleCase& c : { ScaleCase{ 72, 1 }, ScaleCase{ 92, 1 }, ScaleCase{ 100, 1 }, ScaleCase{ 120, 1.25 },
                                ScaleCase{ 144, 1.5 }, ScaleCase{ 192, 2 }, ScaleCase{ 288, 3 } }) {
        EXPECT_DOUBLE_EQ(ScaleForDpi(c.dpi), c.scale) << c.dpi;
    }
}

// Closes the main dialog the way its close box does.
class CClosingHandler : public CMainDialogHandler {
public:
    void OnViewScene() override {}
    void OnOK() override {}
    void OnCancel() override { dialog->Close(); }
    void OnAbout() override {}

    CMainDialogWindow* dialog = nullptr;
};

bool Overlap(const Fl_Widget& a, const Fl_Widget& b) {
    return a.x() < b.x() + b.w() && b.x() < a.x() + a.w() && a.y() < b.y() + b.h() && b.y() < a.y() + a.h();
}

// A window of ours as it is shown: texts in the scaled font, every label's
// text inside its box (FLTK insets it 3 pixels a side), every button's text
// inside its frame, no two controls on each other, all within the window.
void ExpectLaidOut(const Fl_Window& window, double scale) {
    EXPECT_STREQ(window.xclass(), "orrin");
    std::vector<const Fl_Widget*> placed;
    for (int i = 0; i < window.children(); i++) {
        const Fl_Widget& widget = *window.child(i);
        if (!widget.visible() || widget.box() == FL_ENGRAVED_FRAME) {
            continue;
        }
        SCOPED_TRACE(widget.label() != nullptr ? widget.label() : "(no label)");
        const bool button = dynamic_cast<const Fl_Button*>(&widget) != nullptr;
        EXPECT_EQ(widget.labelsize(), std::lround(11 * scale));
        fl_draw_shortcut = button ? 1 : 0;
        int textWidth = (widget.align() & FL_ALIGN_WRAP) != 0 ? widget.w() - 6 : 0;
        int textHeight = 0;
        widget.measure_label(textWidth, textHeight);
        fl_draw_shortcut = 0;
        if (widget.box() == FL_NO_BOX) {
            EXPECT_LE(textWidth + 6, widget.w());
            EXPECT_LE(textHeight, widget.h());
        } else if (button) {
            EXPECT_LE(textWidth + Fl::box_dw(widget.box()), widget.w());
        }
        EXPECT_TRUE(widget.x() >= 0 && widget.y() >= 0 && widget.x() + widget.w() <= window.w() &&
                    widget.y() + widget.h() <= window.h());
        for (const Fl_Widget* other : placed) {
            EXPECT_FALSE(Overlap(widget, *other)) << "at " << widget.x() << "," << widget.y();
        }
        placed.push_back(&widget);
    }
}

// Each window is checked inside its own modal loop, which the check ends.
using WindowCheck = std::function<void(const Fl_Window&)>;

void CheckAndClose(void* check) {
    Fl_Window* window = Fl::first_window();
    if (window == nullptr) {
        Fl::repeat_timeout(0.05, CheckAndClose, check);
        return;
    }
    (*static_cast<WindowCheck*>(check))(*window);
    *static_cast<WindowCheck*>(check) = nullptr;
    window->do_callback();
}

void ShowAndCheck(const std::function<void()>& show, WindowCheck check) {
    Fl::add_timeout(0.0, CheckAndClose, &check);
    show();
    Fl::remove_timeout(CheckAndClose, &check);
    EXPECT_FALSE(check) << "the window was not shown";
}

class DialogLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = VirtualDisplay();
        if (display == nullptr) {
            GTEST_SKIP() << "Xvfb is not installed or did not start";
        }
        displayEnv = std::make_unique<CScopedEnv>("DISPLAY", display);
        fl_open_display();
    }
    void TearDown() override {
        if (fl_display != nullptr) {
            XDeleteProperty(fl_display, RootWindow(fl_display, 0), XA_RESOURCE_MANAGER);
            XSync(fl_display, False);
        }
    }

    // What a desktop sets with xrdb.
    static void SetXftDpi(int dpi) {
        const std::string resources = "Xft.dpi:\t" + std::to_string(dpi) + "\n";
        XChangeProperty(fl_display, RootWindow(fl_display, 0), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(resources.data()), static_cast<int>(resources.size()));
        XSync(fl_display, False);
    }

    std::unique_ptr<CScopedEnv> displayEnv;
};

// At 96 and 192 dpi. PNG is
// the shot type a stored 2 shows, and it reads back as 2. The acknowledgement
// of the JPEG library is longer than the About box is wide: wrapped lines
// push the ones below them down, clear of OK.
TEST_F(DialogLayoutTest, WindowsScaleWithTheDesktopAndEveryTextFits) {
    for (const double scale : { 1.0, 2.0 }) {
        SCOPED_TRACE(scale);
        SetXftDpi(static_cast<int>(96 * scale));
        const auto laidOut = [scale](const Fl_Window& window) { ExpectLaidOut(window, scale); };
        CClosingHandler handler;
        CMainDialogWindow dialog(handler);
        handler.dialog = &dialog;
        DialogFields fields;
        fields.shotFileType = 2;
        dialog.SetFields(fields);
        EXPECT_EQ(dialog.GetFields().shotFileType, 2);
        ShowAndCheck([&] { dialog.RunModal(); }, laidOut);
        ShowAndCheck([] { CAboutDlg().DoModal(); }, [&](const Fl_Window& window) {
            EXPECT_EQ(window.w(), std::lround(339 * scale));
            laidOut(window);
        });
        const std::string heading = "The following errors occured while trying to load the scene.";
        ShowAndCheck([&] { ShowTextListWindow("Errors ", heading, "a.pcx\r\n"); }, laidOut);
    }
}

} // namespace
