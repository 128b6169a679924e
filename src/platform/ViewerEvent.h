#pragma once

#include <string>

// What the viewer window hears from the platform, in the terms the viewer
// acts on: no SDL types beyond src/platform.
enum ViewerKey {
    VK_OTHER,
    VK_CONTROL,
    VK_ESCAPE,
    VK_PAGE_UP,
    VK_PAGE_DOWN,
    VK_HOME,
    VK_LEFT,
    VK_UP,
    VK_RIGHT,
    VK_DOWN,
    VK_RETURN,  // the main keyboard's and the numeric pad's
    VK_PLUS,    // numeric-pad + and the main keyboard's + (or =/+) key
    VK_MINUS,   // numeric-pad - and the main keyboard's - key
    VK_F1,
    VK_F2,
    VK_F11,
    VK_F12,
    VK_LETTER,  // letter holds which
};

struct ViewerEvent {
    enum Type {
        NONE,
        QUIT,          // the window system asks the window to close
        EXPOSE,        // part of the window must be painted again
        SIZE,          // x, y: the new client size
        TIMER_TICK,    // ticks: how many timer periods passed since the last
        KEY_DOWN,      // alt, ctrl: pressed with Alt (a system key), with Control
        KEY_UP,
        BUTTON_DOWN,   // button: 1 left, 2 right
        BUTTON_UP,
        MOUSE_MOVE,    // x, y; buttons: 1 left, 2 right, or'ed
        WHEEL,         // wheel: notches turned, away from the user positive
        DROP_FILE,     // path: a file dropped onto the window (the first of a drop)
    };

    Type        type = NONE;
    ViewerKey   key = VK_OTHER;
    char        letter = 0;   // upper case
    bool        alt = false;
    bool        ctrl = false;
    int         x = 0;
    int         y = 0;
    int         button = 0;
    int         buttons = 0;
    int         ticks = 0;
    int         wheel = 0;
    std::string path;
};
