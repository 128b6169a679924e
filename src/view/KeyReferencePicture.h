#pragma once

#include <cstdint>
#include <vector>

// The picture F1 shows over the scene: the viewer's keys in green, drawn
// from the system's "Arial" (through fontconfig, so its metric twin where
// Arial itself is missing) at exactly the size of the quad it is shown on,
// so that it is drawn texel for pixel and stays crisp.
constexpr int KEY_REFERENCE_WIDTH = 437;
constexpr int KEY_REFERENCE_HEIGHT = 235;
// The texture that holds it, in powers of two; the picture is its lower
// left corner.
constexpr int KEY_REFERENCE_TEXTURE_WIDTH = 512;
constexpr int KEY_REFERENCE_TEXTURE_HEIGHT = 256;

// Red, green, blue, alpha bytes of the texture, rows bottom-up (the first
// row is the bottom of the picture, as OpenGL takes texture rows), meant to
// be blended: glyph coverage is the alpha of pure green, and a thin
// half-transparent dark outline around every glyph keeps the text apart
// from any scene. All transparent when no font is found.
std::vector<uint8_t> DrawKeyReferencePicture();
