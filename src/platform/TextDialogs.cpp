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

namespace {

int X(int units) { return (units * 3 + 1) / 2; }
int Y(int units) { return units * 13 / 8; }

void OnOkButton(Fl_Widget* button, void*) {
    button->window()->hide();
}

const int aboutTextSize = 11;
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
    fl_open_display();
    fl_font(FL_HELVETICA, aboutTextSize);
    const int leading = std::max(0, Y(10) - fl_height());
    const int lineWidth = X(212);
    Fl_Window window(X(226), Y(124), caption.c_str());
    int y = Y(7);
    for (const std::string& line : lines) {
        Fl_Box* box = new Fl_Box(X(7), y, lineWidth, 0);
        box->copy_label(line.c_str());
        box->labelfont(FL_HELVETICA);
        box->labelsize(aboutTextSize);
        box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
        box->size(lineWidth, LabelHeight(*box) + leading);
        y += box->h();
    }
    const int okTop = std::max(Y(104), y + Y(4));
    Fl_Return_Button* ok = new Fl_Return_Button(X(169), okTop, X(50), Y(14), "OK");
    ok->callback(OnOkButton);
    window.end();
    window.size(window.w(), okTop + Y(20));
    RunModal(window);
}

void ShowTextListWindow(const std::string& caption, const std::string& heading, const std::string& text) {
    // The heading is one line; the window widens to show it whole in
    // whatever font the system gives, the list and OK keeping their places
    // relative to its sides and middle.
    fl_open_display();
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    const int headingWidth = static_cast<int>(fl_width(heading.c_str())) + 1;
    const int width = std::max(X(208), X(7) + headingWidth + X(7));
    const int grown = width - X(208);
    Fl_Window window(width, Y(125), caption.c_str());
    Fl_Box* label = new Fl_Box(X(7), Y(4), X(194) + grown, Y(12));
    label->copy_label(heading.c_str());
    label->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    Fl_Text_Buffer buffer;
    // The file's line ends are Windows ones; the display wants bare '\n'.
    std::string shown = text;
    shown.erase(std::remove(shown.begin(), shown.end(), '\r'), shown.end());
    buffer.text(shown.c_str());
    Fl_Text_Display* list = new Fl_Text_Display(X(7), Y(18), X(194) + grown, Y(82));
    list->buffer(&buffer);
    Fl_Return_Button* ok = new Fl_Return_Button(X(81) + grown / 2, Y(104), X(50), Y(14), "OK");
    ok->callback(OnOkButton);
    window.end();
    RunModal(window);
    list->buffer(nullptr);
}
