#pragma once

#include <cstdint>
#include <vector>

// The picture F1 shows over the scene: the viewer's keys in green on black,
// 256 x 256 pixels, drawn from the system's "Arial" (through fontconfig, so
// its metric twin where Arial itself is missing).
constexpr int KEY_REFERENCE_SIZE = 256;

// Red, green, blue bytes, rows bottom-up (the first row is the bottom of the
// picture, as OpenGL takes texture rows). All black when no font is found.
std::vector<uint8_t> DrawKeyReferencePicture();
