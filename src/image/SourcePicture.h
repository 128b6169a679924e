#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/Palettes.h"

// A picture as a decoder leaves it, before it is fitted to a texture size:
// palette indices (channels 1) or direct colour R, G, B (3) or R, G, B, A (4),
// rows top first unless bottomUp.
struct SourcePicture {
    int      width = 0;
    int      height = 0;
    int      channels = 1;
    bool     bottomUp = false;
    // Direct colour still to go through the gamma table, which fitting the
    // picture does on its way.
    bool     gammaPending = false;
    std::vector<uint8_t> data;
    PaletteTable palette = {};
    // Four bytes a pixel in the finished buffer; alpha from the data when
    // hasAlpha, else 0 where the colour equals keyColor.
    bool     transparent = false;
    bool     hasAlpha = false;
    uint8_t  keyColor[3] = { 0, 0, 0 };
    // The size the file gives; larger than width x height when the decoder
    // scaled the picture down to fit MAX_IMAGE_PIXELS.
    int      fileWidth = 0;
    int      fileHeight = 0;

    // The colour of pixel (x, y), y counted from the top row.
    void ColorAt(int x, int y, uint8_t rgba[4]) const;
    // Allocates width x height pixels of channels bytes, all zero; the file's
    // size is taken to be the same.
    void Allocate(int w, int h, int channelCount);
};

// Largest side any decoder accepts.
constexpr int MAX_IMAGE_SIDE = 16384;
// Most pixels any decoder makes: far more than a texture uses (at most 256 a
// side), and at four bytes a pixel no more than 64 MB.
constexpr int64_t MAX_IMAGE_PIXELS = int64_t(4096) * 4096;

// False for a side of 0 or beyond MAX_IMAGE_SIDE, for more than maxPixels,
// and for a picture larger than dataBytes could describe at pixelsPerByte: a
// forged header must not make us allocate more than the file can fill.
bool PictureSizeIsPlausible(int64_t width, int64_t height, size_t dataBytes, int64_t pixelsPerByte,
                            int64_t maxPixels = MAX_IMAGE_PIXELS);
