#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An OpenGL compatibility context that draws into a pbuffer, with no display
// and no GPU needed (EGL on Mesa's surfaceless platform). Used by tvntool's
// renderer, the pixel tests and the benchmarks; everything that draws through
// "a current OpenGL context" runs the same here as in the viewer window.
class COffscreenContext {
public:
    COffscreenContext() = default;
    ~COffscreenContext();
    COffscreenContext(const COffscreenContext&) = delete;
    COffscreenContext& operator=(const COffscreenContext&) = delete;

    // Creates the context with 16 depth bits and makes it current. colorBits16
    // asks for the 5-6-5 colour buffer of the viewer's display mode instead of
    // 8 bits a channel; stencil for 8 stencil bits, as the viewer asks for.
    // False, with the reason in GetError(), when EGL cannot.
    bool Create(int width, int height, bool colorBits16 = false, bool stencil = true);
    void Destroy();
    bool MakeCurrent();
    bool IsCreated() const { return context != nullptr; }

    int Width() const { return width; }
    int Height() const { return height; }
    const std::string& GetError() const { return error; }

    // RGBA bytes of the rectangle whose lower-left corner is (x, y), rows
    // bottom-up as OpenGL numbers them.
    std::vector<uint8_t> ReadPixels(int x, int y, int w, int h) const;

private:
    bool Fail(const char* what);

    void*       display = nullptr;   // EGLDisplay
    void*       surface = nullptr;   // EGLSurface
    void*       context = nullptr;   // EGLContext
    int         width = 0;
    int         height = 0;
    std::string error;
};
