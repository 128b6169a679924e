#pragma once

#include <string>

// A modal message with an OK button and a warning icon. Where it appears is
// chosen once per program: the viewer shows desktop dialogs (an FLTK alert,
// or an SDL box above the full-screen window while one is up); tvntool and the
// tests write a line on standard error; the fuzz targets stay quiet. Callers
// only call Show, which returns once the user has closed the box. The
// desktop boxes live apart (DesktopMessageBox.h), so that a program that
// never shows one links no window toolkit.
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
    // How the desktop backend shows a box; until one is given it writes to
    // standard error.
    static void    SetDesktopBox(void (*show)(const std::string& text));
    // What the standard-error backend writes: the text's lines ended in '\n'.
    static void    WriteToStandardError(const std::string& text);
};
