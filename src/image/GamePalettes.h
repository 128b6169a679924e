#pragma once

#include <cstdint>

// The standard 256-colour palettes of Quake II and Quake, R, G, B per entry.
extern const uint8_t quake2Palette[768];
extern const uint8_t quakePalette[768];
