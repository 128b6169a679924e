#include "view/KeyReference.h"

#include <cstdio>

namespace {

const char* const keyLines[] = {
    "TAV Scene Viewer Key Reference",
    "Esc to Exit",
    "F1 Toggle help (this screen)",
    "alt-A Toggle Animation",
    "alt-P Pan the Camera",
    "alt-O Orbit the Camera",
    "alt-Z Zoom the Camera",
    "alt-G Toggle Grid",
    "alt-M Toggle Axis Markers",
    "PageUp/PageDown Increase/Decrease Animation Speed",
    "+/- Increase/Decrease Mouse Sensitivity",
    "Use the arrow keys to Nudge the camera",
    "ctrl-arrow keys Nudge as the right button drags",
    "Left button drag: Orbit about x and y, Pan across and in, Zoom",
    "Right button drag: Orbit about z, Pan up and down, Zoom",
    "Mouse wheel Zoom the Camera",
    "Home or R Reset the Camera to the scene's own",
    "alt-Q Toggle Axis Markers (as alt-M)",
    "F2 or alt-I Toggle the status line",
    "F11 or alt-Enter Full screen or a window",
    "ctrl-O Open a scene or model file (or drop one here)",
    "F12 Save a screen shot",
};

} // namespace

std::vector<std::string> KeyReferenceLines(int timerDelayMs, float sensitivity) {
    std::vector<std::string> lines(std::begin(keyLines), std::end(keyLines));
    char line[96];
    std::snprintf(line, sizeof line, "Animation speed: a step every %d ms", timerDelayMs);
    lines.emplace_back(line);
    std::snprintf(line, sizeof line, "Mouse sensitivity: %.1f", static_cast<double>(sensitivity));
    lines.emplace_back(line);
    return lines;
}
