#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "view/COverlayFont.h"

class CGLState;
class COGLViewport3D;

// One of the viewer's overlays (key reference, status line, notice): lines
// of text on a dark translucent panel, drawn over the scene texel for
// pixel. The picture is drawn anew only when the lines, the size or the
// colour change; its texture is made at the first Draw, so from then on it
// needs the viewer's context current, and DeleteTexture must run while that
// context still is.
class COverlayPanel {
public:
    COverlayPanel() = default;
    ~COverlayPanel() = default;
    COverlayPanel(const COverlayPanel&) = delete;
    COverlayPanel& operator=(const COverlayPanel&) = delete;

    // The lines at textSize pixels, or smaller (down to minimumSize) when the
    // panel would not fit maxWidth x maxHeight.
    void SetText(COverlayFont& font, const std::vector<std::string>& newLines, int textSize, int minimumSize,
                 int maxWidth, int maxHeight, PanelColour newColour);
    int Width() const { return picture.width; }
    int Height() const { return picture.height; }
    // Blended with its top-left corner at (left, top), counted in pixels
    // from the window's top-left corner.
    void Draw(CGLState& gl, COGLViewport3D& viewport, int left, int top, int windowHeight);
    void DeleteTexture();
    uint32_t TextureName() const { return texture; }

private:
    void Upload(CGLState& gl);

    std::vector<std::string> lines;
    int          preferredSize = 0;
    int          boxWidth = 0;
    int          boxHeight = 0;
    PanelColour  colour { 0, 0, 0 };
    PanelPicture picture;
    bool         uploaded = false;
    uint32_t     texture = 0;
    int          textureWidth = 0;
    int          textureHeight = 0;
};

// The size of the overlays' text for a window of that height: read as
// easily at 720 lines as at 2160.
int OverlayTextSize(int windowHeight);
