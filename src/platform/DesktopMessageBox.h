#pragma once

struct SDL_Window;

// Message boxes on the desktop for CMessageBox: an FLTK alert, or an SDL box
// above the full-screen viewer window while one is up. The programs with a
// desktop call this once; the others never link a window toolkit for it.
void UseDesktopMessageBoxes();
// The full-screen viewer window while it is up, else null. Boxes must be
// its children to show above it.
void SetMessageBoxParent(SDL_Window* window);
