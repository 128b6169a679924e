#pragma once

#include <cstdint>

// One OpenGL texture object made from one picture, shared by the objects and
// models that use it and counted by them. Needs the OpenGL context current.
class COGLTexture2D {
public:
    COGLTexture2D() = default;
    // Deletes the OpenGL texture object.
    ~COGLTexture2D();
    COGLTexture2D(const COGLTexture2D&) = delete;
    COGLTexture2D& operator=(const COGLTexture2D&) = delete;

    // True when the texture is usable for drawing.
    bool Prepare();
    // Uploads tightly packed RGB pixels, the first row at t = 0, with a full
    // mipmap chain; takes the first reference.
    bool CreateFromPixels(const uint8_t* pixels, int width, int height);
    // The same for tightly packed RGBA pixels.
    bool CreateFromPixelsRGBA(const uint8_t* pixels, int width, int height);
    // Gives a reference back; true when this call deleted the texture.
    bool Release();

    uint32_t textureName = 0;
    int32_t  refCount = 0;

private:
    bool Upload(const uint8_t* pixels, int width, int height, uint32_t format, int components);
};
