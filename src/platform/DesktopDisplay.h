#pragma once

#include <string>

// Opens the connection the dialogs use. False, with a one-line reason, when
// there is no display to reach (the toolkit would otherwise end the process).
bool OpenDesktopDisplay(std::string& reason);
// Bits per pixel of the screen's default visual; needs an open display.
int  DesktopColourDepth();
