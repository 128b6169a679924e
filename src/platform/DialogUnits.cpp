#include "platform/DialogUnits.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const double referenceDpi = 96.0;
// Outside these a value is a mistake, not a screen.
const double fewestDpi = 24.0;
const double mostDpi = 1200.0;
// MS Sans Serif 8 at 96 dpi.
const int dialogFontPixels = 11;
// FLTK's own, at 96 dpi.
const int scrollbarPixels = 16;

bool Usable(double dpi) {
    return dpi >= fewestDpi && dpi <= mostDpi;
}

// The root window's RESOURCE_MANAGER now; Xlib's own copy is the one the
// connection found when it opened, and a desktop may set Xft.dpi after that.
std::string CurrentResources(Display* display) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    const long mostLongs = 1 << 20;
    std::string resources;
    if (XGetWindowProperty(display, RootWindow(display, 0), XA_RESOURCE_MANAGER, 0, mostLongs, False, XA_STRING,
                           &type, &format, &count, &left, &data) == Success &&
        data != nullptr && format == 8) {
        resources.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return resources;
}

double PhysicalDpi(Display* display, int screen) {
    const int millimetres = DisplayWidthMM(display, screen);
    return millimetres > 0 ? DisplayWidth(display, screen) * 25.4 / millimetres : 0.0;
}

} // namespace

int CDialogUnits::X(int units) const {
    return Pixels((units * 3 + 1) / 2);
}

int CDialogUnits::Y(int units) const {
    return Pixels(units * 13 / 8);
}

int CDialogUnits::Pixels(int pixelsAt96) const {
    return static_cast<int>(std::lround(pixelsAt96 * scale));
}

CDialogUnits PrepareDialogs() {
    fl_open_display();
    Fl_Window::default_xclass("orrin");
    const CDialogUnits units(ScaleForDpi(DesktopDpi()));
    FL_NORMAL_SIZE = units.Pixels(dialogFontPixels);
    Fl::scrollbar_size(units.Pixels(scrollbarPixels));
    return units;
}

double DesktopDpi() {
    fl_open_display();
    const double resourceDpi = ResourceDpi(CurrentResources(fl_display));
    if (resourceDpi > 0.0) {
        return resourceDpi;
    }
    const double physicalDpi = PhysicalDpi(fl_display, fl_screen);
    return Usable(physicalDpi) ? physicalDpi : referenceDpi;
}

double ResourceDpi(const std::string& resources) {
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources.c_str());
    if (database == nullptr) {
        return 0.0;
    }
    char* type = nullptr;
    XrmValue value = {};
    double dpi = 0.0;
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
        char* end = nullptr;
        dpi = std::strtod(value.addr, &end);
        if (end == value.addr || !Usable(dpi)) {
            dpi = 0.0;
        }
    }
    XrmDestroyDatabase(database);
    return dpi;
}

double ScaleForDpi(double dpi) {
    return std::max(1.0, std::round(dpi / referenceDpi * 8.0) / 8.0);
}
