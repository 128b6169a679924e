#pragma once

#include <vector>

struct DisplayModeInfo {
    int bitsPerPixel;
    int width;
    int height;
};

// The first mode, in the display's order, of exactly width x height at 16
// bits per pixel; -1, after logging that it is not present, when none is.
int FindDisplayMode(const std::vector<DisplayModeInfo>& modes, int width, int height);
