#pragma once

#include <cstdint>
#include <vector>

// The program's icon, drawn by code rather than kept as a picture, so that
// every size is sharp: a golden crystal on a dark tile, as the viewer shows
// models. size x size RGBA pixels, rows top first, alpha not premultiplied.
std::vector<uint8_t> DrawProgramIcon(int size);

// The sizes the icon is installed in and given to windows.
constexpr int PROGRAM_ICON_SIZES[] = { 16, 22, 24, 32, 48, 64, 128, 256 };
