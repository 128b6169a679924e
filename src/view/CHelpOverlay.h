#pragma once

#include <cstdint>
#include <vector>

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

    // Stretched over x 50..487 and y windowHeight-285..windowHeight-50
    // (OpenGL's window coordinates); black parts let the scene through.
    // Restores every OpenGL state it changes.
    void Draw(COGLViewport3D& viewport, int windowHeight);
    void DeleteTexture();
    uint32_t TextureName() const { return helpTexture; }

    // Red, green, blue bytes to red, green, blue, alpha: alpha 0 for pure
    // black, 255 for any other colour.
    static std::vector<uint8_t> BlackTransparent(const std::vector<uint8_t>& rgb);

private:
    void CreateTexture();

    uint32_t helpTexture = 0;
};
