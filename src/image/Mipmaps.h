#pragma once

#include <cstdint>

// Uploads tightly packed RGB (3 channels) or RGBA (4) pixels to the bound
// texture with every mipmap level down to 1 x 1, each level the rounded mean
// of 2 x 2 texels of the one above, as the GLU mipmap builder makes them.
// Sides that are not powers of two, or too large for the driver, go to that
// builder itself, which resamples them first. Needs the context current and
// the unpack state set for tightly packed rows.
void UploadWithMipmaps(const uint8_t* pixels, int width, int height, int channels);

