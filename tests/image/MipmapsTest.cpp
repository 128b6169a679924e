#include <GL/gl.h>
#include <GL/glu.h>

#include <vector>

#include "image/Mipmaps.h"
#include "support/GLTest.h"

namespace {

// Every level of the bound texture, as RGBA, top level first.
std::vector<std::vector<uint8_t>> ReadLevels() {
    std::vector<std::vector<uint8_t>> levels;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int level = 0;; level++) {
        GLint width = 0, height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
        if (width == 0 || height == 0) {
            return levels;
        }
        levels.emplace_back(static_cast<size_t>(width) * height * 4);
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, levels.back().data());
    }
}

std::vector<std::vector<uint8_t>> LevelsOf(void (*upload)(const uint8_t*, int, int, int), const uint8_t* pixels,
                                           int width, int height, int channels) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    upload(pixels, width, height, channels);
    std::vector<std::vector<uint8_t>> levels = ReadLevels();
    glDeleteTextures(1, &name);
    return levels;
}

void WithGlu(const uint8_t* pixels, int width, int height, int channels) {
    gluBuild2DMipmaps(GL_TEXTURE_2D, channels, width, height, channels == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE,
                      pixels);
}

}  // namespace

using Mipmaps = GLTest;

// Textures keep the look they had when GLU built every chain: the same
// levels, texel for texel, through the square, line and odd-sum cases.
TEST_F(Mipmaps, LevelsEqualTheGluBuildersTexelForTexel) {
    struct Case {
        int width, height, channels;
    } const cases[] = { { 16, 16, 3 }, { 32, 8, 4 }, { 1, 16, 3 }, { 8, 1, 4 }, { 64, 2, 3 }, { 24, 10, 3 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + "x" + std::to_string(c.channels));
        std::vector<uint8_t> pixels(static_cast<size_t>(c.width) * c.height * c.channels);
        uint32_t seed = 12345;
        for (uint8_t& value : pixels) {
            seed = seed * 1103515245u + 12345u;
            value = static_cast<uint8_t>(seed >> 16);
        }
        const auto ours = LevelsOf(UploadWithMipmaps, pixels.data(), c.width, c.height, c.channels);
        const auto glu = LevelsOf(WithGlu, pixels.data(), c.width, c.height, c.channels);
        ASSERT_GT(ours.size(), 1u);
        EXPECT_EQ(ours, glu);
    }
}
