#include "platform/DisplayModeSearch.h"

#include <cstddef>

int FindDisplayMode(const std::vector<DisplayModeInfo>& modes, int width, int height, int bitsPerPixel) {
    for (size_t i = 0; i < modes.size(); i++) {
        const DisplayModeInfo& mode = modes[i];
        if (mode.bitsPerPixel == bitsPerPixel && mode.width == width && mode.height == height) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

DisplayModeChoice ChooseDisplayMode(const std::vector<DisplayModeInfo>& modes, int width, int height,
                                    int desktopBitsPerPixel) {
    const int sixteenBit = FindDisplayMode(modes, width, height, 16);
    if (sixteenBit >= 0) {
        return { DisplayModeChoice::SIXTEEN_BIT, sixteenBit };
    }
    const int desktopDepth = FindDisplayMode(modes, width, height, desktopBitsPerPixel);
    if (desktopDepth >= 0) {
        return { DisplayModeChoice::DESKTOP_DEPTH, desktopDepth };
    }
    return { DisplayModeChoice::COVER_SCREEN, -1 };
}
