#pragma once

#include <vector>

struct DisplayModeInfo {
    int bitsPerPixel;
    int width;
    int height;
};

// The first mode, in the display's order, of exactly width x height at
// bitsPerPixel; -1 when there is none.
int FindDisplayMode(const std::vector<DisplayModeInfo>& modes, int width, int height, int bitsPerPixel = 16);

// How the viewer takes the screen for a chosen size: the size at 16 bits per
// pixel when the display has it, else the size at the desktop's own depth
// (today's displays have no 16-bit modes), else no mode change at all and
// the window covers the screen at the screen's size.
struct DisplayModeChoice {
    enum Way { SIXTEEN_BIT, DESKTOP_DEPTH, COVER_SCREEN };
    Way way;
    int modeIndex;  // into the mode list; -1 for COVER_SCREEN
};

DisplayModeChoice ChooseDisplayMode(const std::vector<DisplayModeInfo>& modes, int width, int height,
                                    int desktopBitsPerPixel);
