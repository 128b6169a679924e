#include "platform/CTickSlider.h"

#include <FL/fl_draw.H>

namespace {
const int tickRowHeight = 6;
const int knobWidth = 11;
}

CTickSlider::CTickSlider(int x, int y, int w, int h, int tickSpacing)
    : Fl_Slider(x, y, w, h), tickSpacing(tickSpacing) {
    type(FL_HOR_NICE_SLIDER);
    slider_size(static_cast<double>(knobWidth) / w);
}

void CTickSlider::draw() {
    draw_box(FL_FLAT_BOX, x(), y(), w(), tickRowHeight, color());
    Fl_Slider::draw(x(), y() + tickRowHeight, w(), h() - tickRowHeight);
    const double low = minimum();
    const double high = maximum();
    if (high <= low || tickSpacing <= 0) {
        return;
    }
    // The knob's centre travels between these two columns.
    const int left = x() + knobWidth / 2;
    const int travel = w() - knobWidth;
    fl_color(FL_FOREGROUND_COLOR);
    for (int position = static_cast<int>(low); position <= high; position += tickSpacing) {
        const int column = left + static_cast<int>((position - low) * travel / (high - low));
        fl_line(column, y() + 1, column, y() + tickRowHeight - 2);
    }
    const int lastColumn = left + travel;
    fl_line(lastColumn, y() + 1, lastColumn, y() + tickRowHeight - 2);
}
