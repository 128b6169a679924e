#include "platform/DisplayModeSearch.h"

#include <cstddef>

int FindDisplayMode(const std::vector<DisplayModeInfo>& modes, int width, int height) {
    for (size_t i = 0; i < modes.size(); i++) {
        const DisplayModeInfo& mode = modes[i];
        if (mode.bitsPerPixel == 16 && mode.width == width && mode.height == height) {
            return static_cast<int>(i);
        }
    }
    return -1;
}
