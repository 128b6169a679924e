#include "view/KeyReferencePicture.h"

#include <algorithm>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "diag/CDiagnostics.h"
#include "platform/FontFiles.h"

namespace {

const char* const keyLines[] = {
    "TAV Scene Viewer Key Reference",
    "Esc to Exit",
    "F1 Toggle help (this screen)",
    "alt-A Toggle Animation",
    "alt-P Pan the Camera",
    "alt-O Orbit the Camera",
    "alt-Z Zoom the Camera",
    "alt-G Toggle Grid",
    "alt-M Toggle Axis Markers",
    "PageUp/PageDown Increase/Decrease Animation Speed",
    "+/- Increase/Decrease Mouse Sensitivity",
    "Use the arrow keys to Nudge the camera",
};
constexpr int lineCount = sizeof keyLines / sizeof keyLines[0];
constexpr int margin = 4;
constexpr int lineHeight = (KEY_REFERENCE_HEIGHT - 2 * margin) / lineCount;
// Opacity of the outline: dark enough to set the text off a bright scene,
// light enough that the scene still shows through it.
constexpr int outlineAlpha = 128;

// Glyph coverage, one byte a pixel, rows top-down.
using Coverage = std::vector<uint8_t>;

int TextWidth(FT_Face face, const char* text) {
    int width = 0;
    for (const char* c = text; *c != '\0'; c++) {
        if (FT_Load_Char(face, static_cast<unsigned char>(*c), FT_LOAD_DEFAULT) == 0) {
            width += static_cast<int>(face->glyph->advance.x >> 6);
        }
    }
    return width;
}

// The largest size, up to a comfortable one, at which every line fits.
void FitPixelSize(FT_Face face) {
    for (int size = lineHeight - 4; size > 6; size--) {
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));
        int widest = 0;
        for (const char* line : keyLines) {
            widest = std::max(widest, TextWidth(face, line));
        }
        if (widest <= KEY_REFERENCE_WIDTH - 2 * margin) {
            return;
        }
    }
}

void BlendGlyph(const FT_Bitmap& glyph, int left, int top, Coverage& coverage) {
    for (int gy = 0; gy < static_cast<int>(glyph.rows); gy++) {
        const int y = top + gy;
        if (y < 0 || y >= KEY_REFERENCE_HEIGHT) {
            continue;
        }
        for (int gx = 0; gx < static_cast<int>(glyph.width); gx++) {
            const int x = left + gx;
            if (x < 0 || x >= KEY_REFERENCE_WIDTH) {
                continue;
            }
            uint8_t& covered = coverage[y * KEY_REFERENCE_WIDTH + x];
            covered = std::max(covered, glyph.buffer[gy * glyph.pitch + gx]);
        }
    }
}

void DrawLine(FT_Face face, const char* text, int baseline, Coverage& coverage) {
    int penX = margin;
    for (const char* c = text; *c != '\0'; c++) {
        if (FT_Load_Char(face, static_cast<unsigned char>(*c), FT_LOAD_RENDER) != 0) {
            continue;
        }
        const FT_GlyphSlot glyph = face->glyph;
        BlendGlyph(glyph->bitmap, penX + glyph->bitmap_left, baseline - glyph->bitmap_top, coverage);
        penX += static_cast<int>(glyph->advance.x >> 6);
    }
}

void DrawText(const OutlineFontFile& font, Coverage& coverage) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        return;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, font.path.c_str(), font.faceIndex, &face) == 0) {
        FitPixelSize(face);
        const int ascent = static_cast<int>(face->size->metrics.ascender >> 6);
        for (int line = 0; line < lineCount; line++) {
            DrawLine(face, keyLines[line], margin + line * lineHeight + ascent, coverage);
        }
        FT_Done_Face(face);
    } else {
        LogLine("Key reference: cannot open the font " + font.path + "\n");
    }
    FT_Done_FreeType(library);
}

// The strongest coverage within one pixel: the outline's own coverage.
uint8_t Neighbourhood(const Coverage& coverage, int x, int y) {
    uint8_t strongest = 0;
    for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, KEY_REFERENCE_HEIGHT - 1); ny++) {
        for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, KEY_REFERENCE_WIDTH - 1); nx++) {
            strongest = std::max(strongest, coverage[ny * KEY_REFERENCE_WIDTH + nx]);
        }
    }
    return strongest;
}

// Green over a dark outline, as colour and alpha to blend: blended over a
// scene colour S it gives 255 * glyph green plus S * (1 - alpha).
std::vector<uint8_t> Composite(const Coverage& coverage) {
    std::vector<uint8_t> picture(static_cast<size_t>(KEY_REFERENCE_TEXTURE_WIDTH) * KEY_REFERENCE_TEXTURE_HEIGHT * 4, 0);
    for (int y = 0; y < KEY_REFERENCE_HEIGHT; y++) {
        for (int x = 0; x < KEY_REFERENCE_WIDTH; x++) {
            const int glyph = coverage[y * KEY_REFERENCE_WIDTH + x];
            const int alpha = std::max(glyph, Neighbourhood(coverage, x, y) * outlineAlpha / 255);
            if (alpha == 0) {
                continue;
            }
            // Rows are stored bottom-up; y counts from the top.
            uint8_t* texel = &picture[((KEY_REFERENCE_HEIGHT - 1 - y) * KEY_REFERENCE_TEXTURE_WIDTH + x) * 4];
            texel[1] = static_cast<uint8_t>((glyph * 255 + alpha / 2) / alpha);
            texel[3] = static_cast<uint8_t>(alpha);
        }
    }
    return picture;
}

} // namespace

std::vector<uint8_t> DrawKeyReferencePicture() {
    Coverage coverage(static_cast<size_t>(KEY_REFERENCE_WIDTH) * KEY_REFERENCE_HEIGHT, 0);
    // Any outline font will do when Arial and its substitutes are missing.
    OutlineFontFile font;
    FindOutlineFont("Arial", false, font);
    if (font.path.empty()) {
        LogLine("Key reference: no outline font for Arial\n");
    } else {
        DrawText(font, coverage);
    }
    return Composite(coverage);
}
