#include "image/COGLTexture2D.h"

#include <GL/gl.h>
#include <GL/glu.h>

COGLTexture2D::~COGLTexture2D() {
    if (textureName != 0) {
        glDeleteTextures(1, &textureName);
    }
}

bool COGLTexture2D::Prepare() {
    return textureName != 0;
}

bool COGLTexture2D::CreateFromPixels(const uint8_t* pixels, int width, int height) {
    return Upload(pixels, width, height, GL_RGB, 3);
}

bool COGLTexture2D::CreateFromPixelsRGBA(const uint8_t* pixels, int width, int height) {
    return Upload(pixels, width, height, GL_RGBA, 4);
}

bool COGLTexture2D::Upload(const uint8_t* pixels, int width, int height, uint32_t format, int components) {
    if (pixels == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    glGenTextures(1, &textureName);
    glBindTexture(GL_TEXTURE_2D, textureName);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, 0);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, width);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, components, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
    gluBuild2DMipmaps(GL_TEXTURE_2D, components, width, height, format, GL_UNSIGNED_BYTE, pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    refCount += 1;
    return true;
}

bool COGLTexture2D::Release() {
    refCount -= 1;
    if (refCount >= 1) {
        return false;
    }
    delete this;
    return true;
}
