#include "platform/CMessageBox.h"

#include <FL/Fl.H>
#include <FL/fl_ask.H>
#include <SDL.h>
#include <cstdio>
#include <cstdlib>

namespace {

const char* const boxTitle = "Orrin";

CMessageBox::Backend backend = CMessageBox::standardError;
SDL_Window*          viewerWindow = nullptr;

void WriteToStandardError(const std::string& text) {
    std::fprintf(stderr, "%s", text.c_str());
    if (text.empty() || text.back() != '\n') {
        std::fputc('\n', stderr);
    }
}

// FLTK ends the process when it cannot reach a display, so without one the
// text goes to standard error instead of taking the program down.
bool HasDisplay() {
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

void ShowOnDesktop(const std::string& text) {
    if (viewerWindow != nullptr &&
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, boxTitle, text.c_str(), viewerWindow) == 0) {
        return;
    }
    if (!HasDisplay()) {
        WriteToStandardError(text);
        return;
    }
    fl_message_title(boxTitle);
    fl_alert("%s", text.c_str());
}

} // namespace

void CMessageBox::Show(const std::string& text) {
    switch (backend) {
    case standardError: WriteToStandardError(text); break;
    case desktop:       ShowOnDesktop(text); break;
    case discard:       break;
    }
}

void CMessageBox::SetBackend(Backend newBackend) {
    backend = newBackend;
}

CMessageBox::Backend CMessageBox::GetBackend() {
    return backend;
}

void CMessageBox::SetViewerWindow(SDL_Window* window) {
    viewerWindow = window;
}
