#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One picture for a screen shot, laid out as a 24-bit bottom-up bitmap:
// rows from the bottom of the picture up, each pixel blue, green, red, each
// row padded to a multiple of 4 bytes.
class CShotFrame {
public:
    // Bytes of one row: width x 3 rounded up to a multiple of 4.
    static size_t Stride(int width);

    // rgb: width x height pixels red, green, blue, tightly packed, bottom-up
    // rows (as OpenGL reads them back with a pack alignment of 1).
    void SetFromRgbRows(int newWidth, int newHeight, const uint8_t* rgb);

    int Width() const { return width; }
    int Height() const { return height; }
    size_t ImageSize() const { return bits.size(); }
    // Row 0 is the bottom row.
    const uint8_t* Row(int row) const { return bits.data() + static_cast<size_t>(row) * Stride(width); }

private:
    int                  width = 0;
    int                  height = 0;
    std::vector<uint8_t> bits;
};
