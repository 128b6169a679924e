#include "platform/DesktopMessageBox.h"

#include <FL/Fl.H>
#include <FL/fl_ask.H>
#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/CMessageBox.h"
#include "platform/DialogUnits.h"

namespace {

const char* const boxTitle = "Orrin";

SDL_Window* viewerWindow = nullptr;

// FLTK ends the process when it cannot reach a display, so without one the
// text goes to standard error instead of taking the program down.
bool HasDisplay() {
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

// The texts end their lines the Windows way; a box would show each '\r' as
// a control character, and the final line end as an empty line.
std::string BoxText(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

void ShowOnDesktop(const std::string& text) {
    const std::string shown = BoxText(text);
    if (viewerWindow != nullptr &&
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, boxTitle, shown.c_str(), viewerWindow) == 0) {
        return;
    }
    if (!HasDisplay()) {
        CMessageBox::WriteToStandardError(text);
        return;
    }
    PrepareDialogs();
    // FLTK's alert labels its one button "Close".
    fl_close = "OK";
    fl_message_title(boxTitle);
    fl_alert("%s", shown.c_str());
    // Without the dialog's event loop running (the viewer started on its
    // own) nothing else sends the box's closing to the X server, and it
    // would stay mapped behind the viewer.
    Fl::flush();
}

}  // namespace

void UseDesktopMessageBoxes() {
    CMessageBox::SetDesktopBox(ShowOnDesktop);
    CMessageBox::SetBackend(CMessageBox::desktop);
}

void SetMessageBoxParent(SDL_Window* window) {
    viewerWindow = window;
}
