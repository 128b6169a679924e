#include "image/Mipmaps.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstddef>
#include <vector>

namespace {

bool IsPowerOfTwo(int side) {
    return side > 0 && (side & (side - 1)) == 0;
}

// One level down: width x height texels to max(width / 2, 1) x
// max(height / 2, 1). A side of 1 is kept and the other halved alone.
void HalveTexels(const uint8_t* in, int width, int height, int channels, uint8_t* out) {
    const size_t rowBytes = static_cast<size_t>(width) * channels;
    if (width == 1 || height == 1) {
        // A line: each texel the mean of two neighbours, rounded down.
        const size_t pairs = static_cast<size_t>(width == 1 ? height : width) / 2;
        const size_t step = static_cast<size_t>(channels);
        for (size_t i = 0; i < pairs; i++, in += 2 * step) {
            for (size_t c = 0; c < step; c++) {
                *out++ = static_cast<uint8_t>((in[c] + in[step + c]) / 2);
            }
        }
        return;
    }
    for (int y = 0; y < height / 2; y++, in += 2 * rowBytes) {
        const uint8_t* top = in;
        const uint8_t* bottom = in + rowBytes;
        for (int x = 0; x < width / 2; x++, top += 2 * channels, bottom += 2 * channels) {
            for (int c = 0; c < channels; c++) {
                *out++ = static_cast<uint8_t>((top[c] + top[channels + c] + bottom[c] + bottom[channels + c] + 2) / 4);
            }
        }
    }
}

}  // namespace

void UploadWithMipmaps(const uint8_t* pixels, int width, int height, int channels) {
    const GLenum format = channels == 4 ? GL_RGBA : GL_RGB;
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    if (!IsPowerOfTwo(width) || !IsPowerOfTwo(height) || width > maxSide || height > maxSide) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, channels, width, height, format, GL_UNSIGNED_BYTE, pixels);
        return;
    }
    glTexImage2D(GL_TEXTURE_2D, 0, channels, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
    // Two buffers taking turns: the largest level below the picture fits both.
    std::vector<uint8_t> levels[2];
    const uint8_t* above = pixels;
    for (int level = 1; width > 1 || height > 1; level++) {
        std::vector<uint8_t>& below = levels[level % 2];
        const int belowWidth = width > 1 ? width / 2 : 1;
        const int belowHeight = height > 1 ? height / 2 : 1;
        below.resize(static_cast<size_t>(belowWidth) * belowHeight * channels);
        HalveTexels(above, width, height, channels, below.data());
        glTexImage2D(GL_TEXTURE_2D, level, channels, belowWidth, belowHeight, 0, format, GL_UNSIGNED_BYTE,
                     below.data());
        above = below.data();
        width = belowWidth;
        height = belowHeight;
    }
}
