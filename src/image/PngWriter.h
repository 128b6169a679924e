#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Rows of pixels to write as a PNG, the first row the bottom of the picture
// (as OpenGL reads pixels back and bitmaps keep them).
struct PngRows {
    const uint8_t* pixels = nullptr;
    int            width = 0;
    int            height = 0;
    size_t         stride = 0;          // bytes from one row to the next
    bool           hasFourthByte = false;  // a byte after each pixel, left out
    bool           keepAlpha = false;   // the fourth byte written as alpha instead
    bool           blueFirst = false;   // blue, green, red: a bitmap's order
};

// An 8-bit RGB (or RGBA, with keepAlpha) PNG written into an open file. False when libpng failed;
// what was written stays in the file.
bool WritePng(FILE* file, const PngRows& rows);
// The PNG's bytes in memory, for a file that holds pictures inside it
// (a glTF binary). False when libpng failed.
bool EncodePng(const PngRows& rows, std::vector<uint8_t>& png);
// RGBA pixels, rows bottom first, as an 8-bit RGB PNG exactly at path,
// complete or not at all (see COutputFile). False when the file cannot be
// written.
bool WritePng(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height);
