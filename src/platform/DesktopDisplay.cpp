#include "platform/DesktopDisplay.h"

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xlib.h>
#include <cstdlib>

bool OpenDesktopDisplay(std::string& reason) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || name[0] == '\0') {
        reason = "no X display (DISPLAY is not set)";
        return false;
    }
    Display* display = XOpenDisplay(name);
    if (display == nullptr) {
        reason = std::string("cannot open the X display ") + name;
        return false;
    }
    fl_open_display(display);
    return true;
}

int DesktopColourDepth() {
    return fl_visual != nullptr ? fl_visual->depth : 0;
}
