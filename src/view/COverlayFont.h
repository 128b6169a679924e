#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A picture of lines of text on a dark translucent panel, for the viewer's
// overlays: red, green, blue, alpha bytes, rows bottom-up (as OpenGL takes
// texture rows), tightly packed, meant to be blended over the scene.
struct PanelPicture {
    int                  width = 0;
    int                  height = 0;
    std::vector<uint8_t> rgba;
};

struct PanelColour {
    uint8_t r, g, b;
};

// Opacity of the panel behind the text: a white scene shows through it as
// dark grey, so any text colour bright enough reads over any scene.
constexpr int PANEL_ALPHA = 192;

// The system's "Arial" (through fontconfig, its metric twin where Arial
// itself is missing, else any outline font) drawn with FreeType. The font
// is opened at the first use and kept until the object goes. Without any
// font the panels are drawn without their text.
class COverlayFont {
public:
    COverlayFont() = default;
    ~COverlayFont();
    COverlayFont(const COverlayFont&) = delete;
    COverlayFont& operator=(const COverlayFont&) = delete;

    // The panel's size for lines at textSize pixels: padding of half the
    // size round the text, lines a quarter of the size apart.
    void MeasurePanel(const std::vector<std::string>& lines, int textSize, int& width, int& height);
    // The lines, top first, in colour on the panel.
    PanelPicture DrawPanel(const std::vector<std::string>& lines, int textSize, PanelColour colour);
    // The largest text size up to preferred (and at least minimum) at which
    // the panel fits width x height.
    int FitTextSize(const std::vector<std::string>& lines, int preferred, int minimum, int width, int height);

private:
    bool Open(int textSize);
    int  TextWidth(const std::string& text);

    void* library = nullptr;   // FT_Library
    void* face = nullptr;      // FT_Face
    bool  tried = false;
};
