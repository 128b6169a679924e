#pragma once

#include <string>

struct SDL_Window;

// A modal message with an OK button and a warning icon. Where it appears is
// chosen once per program: the viewer shows desktop dialogs (an FLTK alert,
// or an SDL box above the full-screen window while one is up); tvntool and the
// tests write a line on standard error; the fuzz targets stay quiet. Callers
// only call Show, which returns once the user has closed the box.
class CMessageBox {
public:
    enum Backend {
        standardError,   // the default, so no test can ever block on a dialog
        desktop,
        discard,
    };

    static void Show(const std::string& text);

    static void    SetBackend(Backend backend);
    static Backend GetBackend();
    // The full-screen viewer window while it is up, else null. Boxes must be
    // its children to show above it.
    static void    SetViewerWindow(SDL_Window* window);
};
