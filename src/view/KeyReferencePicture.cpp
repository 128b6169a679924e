#include "view/KeyReferencePicture.h"

#include <algorithm>
#include <string>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "diag/CDiagnostics.h"

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
constexpr int lineHeight = (KEY_REFERENCE_SIZE - 2 * margin) / lineCount;

std::string FindFontFile(const char* family) {
    std::string path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        path = reinterpret_cast<const char*>(file);
    }
    if (match != nullptr) {
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return path;
}

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
        if (widest <= KEY_REFERENCE_SIZE - 2 * margin) {
            return;
        }
    }
}

void BlendGlyph(const FT_Bitmap& glyph, int left, int top, std::vector<uint8_t>& picture) {
    for (int gy = 0; gy < static_cast<int>(glyph.rows); gy++) {
        const int y = top + gy;
        if (y < 0 || y >= KEY_REFERENCE_SIZE) {
            continue;
        }
        for (int gx = 0; gx < static_cast<int>(glyph.width); gx++) {
            const int x = left + gx;
            if (x < 0 || x >= KEY_REFERENCE_SIZE) {
                continue;
            }
            const uint8_t coverage = glyph.buffer[gy * glyph.pitch + gx];
            // Rows are stored bottom-up; y counts from the top.
            uint8_t& green = picture[((KEY_REFERENCE_SIZE - 1 - y) * KEY_REFERENCE_SIZE + x) * 3 + 1];
            green = std::max(green, coverage);
        }
    }
}

void DrawLine(FT_Face face, const char* text, int baseline, std::vector<uint8_t>& picture) {
    int penX = margin;
    for (const char* c = text; *c != '\0'; c++) {
        if (FT_Load_Char(face, static_cast<unsigned char>(*c), FT_LOAD_RENDER) != 0) {
            continue;
        }
        const FT_GlyphSlot glyph = face->glyph;
        BlendGlyph(glyph->bitmap, penX + glyph->bitmap_left, baseline - glyph->bitmap_top, picture);
        penX += static_cast<int>(glyph->advance.x >> 6);
    }
}

void DrawText(const std::string& fontFile, std::vector<uint8_t>& picture) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        return;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, fontFile.c_str(), 0, &face) == 0) {
        FitPixelSize(face);
        const int ascent = static_cast<int>(face->size->metrics.ascender >> 6);
        for (int line = 0; line < lineCount; line++) {
            DrawLine(face, keyLines[line], margin + line * lineHeight + ascent, picture);
        }
        FT_Done_Face(face);
    } else {
        LogLine("Key reference: cannot open the font " + fontFile + "\n");
    }
    FT_Done_FreeType(library);
}

} // namespace

std::vector<uint8_t> DrawKeyReferencePicture() {
    std::vector<uint8_t> picture(static_cast<size_t>(KEY_REFERENCE_SIZE) * KEY_REFERENCE_SIZE * 3, 0);
    const std::string fontFile = FindFontFile("Arial");
    if (fontFile.empty()) {
        LogLine("Key reference: no outline font for Arial\n");
        return picture;
    }
    DrawText(fontFile, picture);
    return picture;
}
