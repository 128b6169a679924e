#include "platform/TextDialogs.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <algorithm>

#include "platform/DialogUnits.h"

namespace {

void OnOkButton(Fl_Widget* button, void*) {
    button->window()->hide();
}

// MS Sans Serif 8 at 96 dpi.
const int aboutTextPixels = 11;
// FLTK draws a left-aligned label 3 pixels in from each side of its widget.
const int labelMargins = 6;

// The height of a widget's label laid out as it is drawn: wrapped, when it
// wraps, at the width the widget leaves it.
int LabelHeight(const Fl_Widget& widget) {
    int width = widget.w() - labelMargins;
    int height = 0;
    widget.measure_label(width, height);
    return height;
}

void RunModal(Fl_Window& window) {
    window.set_modal();
    window.show();
    while (window.shown()) {
        Fl::wait();
    }
}

} // namespace

void ShowAboutWindow(const std::string& caption, const std::vector<std::string>& lines) {
    // Each line takes the height it wraps to, so a long notice pushes the
    // ones below it down (and the window taller) instead of running into them.
    const CDialogUnits u = PrepareDialogs();
    const int textSize = u.Pixels(aboutTextPixels);
    fl_font(FL_HELVETICA, textSize);
    const int leading = std::max(0, u.Y(10) - fl_height());
    const int lineWidth = u.X(212);
    Fl_Window window(u.X(226), u.Y(124), caption.c_str());
    int y = u.Y(7);
    for (const std::string& line : lines) {
        Fl_Box* box = new Fl_Box(u.X(7), y, lineWidth, 0);
        box->copy_label(line.c_str());
        box->labelfont(FL_HELVETICA);
        box->labelsize(textSize);
        box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
        box->size(lineWidth, LabelHeight(*box) + leading);
        y += box->h();
    }
    const int okTop = std::max(u.Y(104), y + u.Y(4));
    Fl_Return_Button* ok = new Fl_Return_Button(u.X(169), okTop, u.X(50), u.Y(14), "OK");
    ok->callback(OnOkButton);
    window.end();
    window.size(window.w(), okTop + u.Y(20));
    RunModal(window);
}

void ShowTextListWindow(const std::string& caption, const std::string& heading, const std::string& text) {
    // The heading is one line; the window widens to show it whole in
    // whatever font the system gives, the list and OK keeping their places
    // relative to its sides and middle.
    const CDialogUnits u = PrepareDialogs();
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    const int headingWidth = static_cast<int>(fl_width(heading.c_str())) + 1 + labelMargins;
    const int width = std::max(u.X(208), u.X(7) + headingWidth + u.X(7));
    const int grown = width - u.X(208);
    Fl_Window window(width, u.Y(125), caption.c_str());
    Fl_Box* label = new Fl_Box(u.X(7), u.Y(4), u.X(194) + grown, u.Y(12));
    label->copy_label(heading.c_str());
    label->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    Fl_Text_Buffer buffer;
    // The file's line ends are Windows ones; the display wants bare '\n'.
    std::string shown = text;
    shown.erase(std::remove(shown.begin(), shown.end(), '\r'), shown.end());
    buffer.text(shown.c_str());
    Fl_Text_Display* list = new Fl_Text_Display(u.X(7), u.Y(18), u.X(194) + grown, u.Y(82));
    list->buffer(&buffer);
    Fl_Return_Button* ok = new Fl_Return_Button(u.X(81) + grown / 2, u.Y(104), u.X(50), u.Y(14), "OK");
    ok->callback(OnOkButton);
    window.end();
    RunModal(window);
    list->buffer(nullptr);
}
