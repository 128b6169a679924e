#include "platform/CTickSlider.h"

#include <FL/fl_draw.H>
#include <algorithm>

namespace {
// At 96 dpi the slider is 32 pixels high: a 6-pixel tick row over the
// track, and a knob 11 pixels wide.
const int designHeight = 32;
const int designTickRow = 6;
const int designKnob = 11;
}

CTickSlider::CTickSlider(int x, int y, int w, int h, int tickSpacing)
    : Fl_Slider(x, y, w, h), tickSpacing(tickSpacing) {
    type(FL_HOR_NICE_SLIDER);
    slider_size(static_cast<double>(KnobWidth()) / w);
}

void CTickSlider::resize(int x, int y, int w, int h) {
    Fl_Slider::resize(x, y, w, h);
    slider_size(static_cast<double>(KnobWidth()) / w);
}

int CTickSlider::TickRowHeight() const {
    return h() * designTickRow / designHeight;
}

int CTickSlider::KnobWidth() const {
    return h() * designKnob / designHeight;
}

void CTickSlider::draw() {
    const int tickRowHeight = TickRowHeight();
    draw_box(FL_FLAT_BOX, x(), y(), w(), tickRowHeight, color());
    Fl_Slider::draw(x(), y() + tickRowHeight, w(), h() - tickRowHeight);
    const double low = minimum();
    const double high = maximum();
    if (high <= low || tickSpacing <= 0) {
        return;
    }
    // The knob's centre travels between these two columns.
    const int knobWidth = KnobWidth();
    const int left = x() + knobWidth / 2;
    const int travel = w() - knobWidth;
    const int tickTop = y() + tickRowHeight / 6;
    const int tickBottom = y() + tickRowHeight - 2 * tickRowHeight / 6;
    fl_color(FL_FOREGROUND_COLOR);
    fl_line_style(FL_SOLID, std::max(1, h() / designHeight));
    for (int position = static_cast<int>(low); position <= high; position += tickSpacing) {
        const int column = left + static_cast<int>((position - low) * travel / (high - low));
        fl_line(column, tickTop, column, tickBottom);
    }
    const int lastColumn = left + travel;
    fl_line(lastColumn, tickTop, lastColumn, tickBottom);
    fl_line_style(0);
}
