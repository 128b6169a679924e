#pragma once

#include <string>

// The dialogs were laid out in dialog units of MS Sans Serif 8, which are
// x·3/2 and y·13/8 pixels at 96 dpi. On a denser desktop every rectangle and
// font size grows by one factor, so the dialogs keep their proportions and
// stay readable; FLTK 1.3 does not scale by itself.
class CDialogUnits {
public:
    explicit CDialogUnits(double scale) : scale(scale) {}

    int X(int units) const;
    int Y(int units) const;
    // A length or font size given in pixels at 96 dpi.
    int Pixels(int pixelsAt96) const;

    double scale;
};

// Readies the toolkit for a window of ours and gives its units: the window
// class "orrin" and the default font size, both for every FLTK window the
// program opens, message boxes included. Opens the display when it is not.
CDialogUnits PrepareDialogs();

// The desktop's dots per inch: Xft.dpi of the X resources as they are now,
// else the screen's physical size, else 96.
double DesktopDpi();
// The value of Xft.dpi in an X resource string; 0 when it names no usable one.
double ResourceDpi(const std::string& resources);
// dpi / 96 to the nearest eighth, never below 1: a screen's reported size is
// seldom exact (Xvfb says 100 dpi, a 24-inch 1080p monitor 92), and texts
// smaller than the ones the rectangles were made for would not be read.
double ScaleForDpi(double dpi);
