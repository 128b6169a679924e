#include "view/CShotFrame.h"

size_t CShotFrame::Stride(int width) {
    return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
}

void CShotFrame::SetFromRgbRows(int newWidth, int newHeight, const uint8_t* rgb) {
    width = newWidth;
    height = newHeight;
    const size_t stride = Stride(width);
    bits.assign(stride * static_cast<size_t>(height), 0);
    for (int row = 0; row < height; row++) {
        uint8_t* out = bits.data() + static_cast<size_t>(row) * stride;
        for (int x = 0; x < width; x++) {
            out[0] = rgb[2];
            out[1] = rgb[1];
            out[2] = rgb[0];
            out += 3;
            rgb += 3;
        }
    }
}
