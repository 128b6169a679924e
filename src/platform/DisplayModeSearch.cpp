#include "platform/DisplayModeSearch.h"

#include "diag/CDiagnostics.h"

int FindDisplayMode(const std::vector<DisplayModeInfo>& modes, int width, int height) {
    for (size_t i = 0; i < modes.size(); i++) {
        const DisplayModeInfo& mode = modes[i];
        if (mode.bitsPerPixel == 16 && mode.width == width && mode.height == height) {
            return static_cast<int>(i);
        }
    }
    LogLine("ChangeDisplaySettings - Requested mode is not present.\n");
    return -1;
}
