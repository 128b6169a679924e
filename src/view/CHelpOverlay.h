#pragma once

#include <cstdint>

class COGLViewport3D;

// The key-reference picture that F1 lays over the scene. Its texture is made
// the first time it is drawn, so it needs the viewer's context current from
// then on, and DeleteTexture must run while that context still is.
class CHelpOverlay {
public:
    CHelpOverlay() = default;
    ~CHelpOverlay() = default;
    CHelpOverlay(const CHelpOverlay&) = delete;
    CHelpOverlay& operator=(const CHelpOverlay&) = delete;

    // Blended over x 50..487 and y windowHeight-285..windowHeight-50
    // (OpenGL's window coordinates), one texel a pixel; the scene shows
    // between the glyphs. Restores every OpenGL state it changes.
    void Draw(COGLViewport3D& viewport, int windowHeight);
    void DeleteTexture();
    uint32_t TextureName() const { return helpTexture; }

private:
    void CreateTexture();

    uint32_t helpTexture = 0;
};
