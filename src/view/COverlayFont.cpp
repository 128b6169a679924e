#include "view/COverlayFont.h"

#include <algorithm>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "diag/CDiagnostics.h"
#include "platform/FontFiles.h"

namespace {

int Padding(int textSize) {
    return std::max(textSize / 2, 2);
}

int LineHeight(int textSize) {
    return textSize + (textSize + 3) / 4;
}

// Glyph coverage, one byte a pixel, rows top-down.
using Coverage = std::vector<uint8_t>;

void BlendGlyph(const FT_Bitmap& glyph, int left, int top, int width, int height, Coverage& coverage) {
    for (int gy = 0; gy < static_cast<int>(glyph.rows); gy++) {
        const int y = top + gy;
        if (y < 0 || y >= height) {
            continue;
        }
        for (int gx = 0; gx < static_cast<int>(glyph.width); gx++) {
            const int x = left + gx;
            if (x < 0 || x >= width) {
                continue;
            }
            uint8_t& covered = coverage[static_cast<size_t>(y) * width + x];
            covered = std::max(covered, glyph.buffer[gy * glyph.pitch + gx]);
        }
    }
}

// Text over the panel, as one colour and alpha to blend: blended over a
// scene colour S it gives the text where covered, the panel's darkening of
// S elsewhere.
PanelPicture Composite(const Coverage& coverage, int width, int height, PanelColour colour) {
    PanelPicture picture;
    picture.width = width;
    picture.height = height;
    picture.rgba.resize(static_cast<size_t>(width) * height * 4);
    const int channels[3] = { colour.r, colour.g, colour.b };
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            const int glyph = coverage[static_cast<size_t>(y) * width + x];
            const int alpha = glyph + (255 - glyph) * PANEL_ALPHA / 255;
            // Rows are stored bottom-up; y counts from the top.
            uint8_t* texel = &picture.rgba[(static_cast<size_t>(height - 1 - y) * width + x) * 4];
            for (int c = 0; c < 3; c++) {
                texel[c] = static_cast<uint8_t>((channels[c] * glyph + alpha / 2) / alpha);
            }
            texel[3] = static_cast<uint8_t>(alpha);
        }
    }
    return picture;
}

} // namespace

COverlayFont::~COverlayFont() {
    if (face != nullptr) {
        FT_Done_Face(static_cast<FT_Face>(face));
    }
    if (library != nullptr) {
        FT_Done_FreeType(static_cast<FT_Library>(library));
    }
}

bool COverlayFont::Open(int textSize) {
    if (!tried) {
        tried = true;
        OutlineFontFile font;
        FindOutlineFont("Arial", false, font);
        FT_Library opened = nullptr;
        FT_Face loaded = nullptr;
        if (font.path.empty()) {
            LogLine("Overlays: no outline font for Arial\n");
        } else if (FT_Init_FreeType(&opened) != 0) {
            LogLine("Overlays: FreeType does not start\n");
        } else if (FT_New_Face(opened, font.path.c_str(), font.faceIndex, &loaded) != 0) {
            LogLine("Overlays: cannot open the font " + font.path + "\n");
        }
        library = opened;
        face = loaded;
    }
    return face != nullptr && FT_Set_Pixel_Sizes(static_cast<FT_Face>(face), 0, static_cast<FT_UInt>(textSize)) == 0;
}

int COverlayFont::TextWidth(const std::string& text) {
    const FT_Face loaded = static_cast<FT_Face>(face);
    int width = 0;
    for (const char c : text) {
        if (FT_Load_Char(loaded, static_cast<unsigned char>(c), FT_LOAD_DEFAULT) == 0) {
            width += static_cast<int>(loaded->glyph->advance.x >> 6);
        }
    }
    return width;
}

void COverlayFont::MeasurePanel(const std::vector<std::string>& lines, int textSize, int& width, int& height) {
    int widest = 0;
    if (Open(textSize)) {
        for (const std::string& line : lines) {
            widest = std::max(widest, TextWidth(line));
        }
    }
    width = widest + 2 * Padding(textSize);
    height = static_cast<int>(lines.size()) * LineHeight(textSize) + 2 * Padding(textSize);
}

int COverlayFont::FitTextSize(const std::vector<std::string>& lines, int preferred, int minimum, int width,
                              int height) {
    int size = preferred;
    for (; size > minimum; size--) {
        int panelWidth = 0;
        int panelHeight = 0;
        MeasurePanel(lines, size, panelWidth, panelHeight);
        if (panelWidth <= width && panelHeight <= height) {
            break;
        }
    }
    return size;
}

PanelPicture COverlayFont::DrawPanel(const std::vector<std::string>& lines, int textSize, PanelColour colour) {
    int width = 0;
    int height = 0;
    MeasurePanel(lines, textSize, width, height);
    Coverage coverage(static_cast<size_t>(width) * height, 0);
    if (Open(textSize)) {
        const FT_Face loaded = static_cast<FT_Face>(face);
        // Centred in its line: the ascent and descent the font gives.
        const int ascent = static_cast<int>(loaded->size->metrics.ascender >> 6);
        const int descent = static_cast<int>(-loaded->size->metrics.descender >> 6);
        const int lineTop = (LineHeight(textSize) - ascent - descent) / 2;
        int baseline = Padding(textSize) + lineTop + ascent;
        for (const std::string& line : lines) {
            int penX = Padding(textSize);
            for (const char c : line) {
                if (FT_Load_Char(loaded, static_cast<unsigned char>(c), FT_LOAD_RENDER) != 0) {
                    continue;
                }
                const FT_GlyphSlot glyph = loaded->glyph;
                BlendGlyph(glyph->bitmap, penX + glyph->bitmap_left, baseline - glyph->bitmap_top, width, height,
                           coverage);
                penX += static_cast<int>(glyph->advance.x >> 6);
            }
            baseline += LineHeight(textSize);
        }
    }
    return Composite(coverage, width, height, colour);
}
