#pragma once

#include <string>
#include <vector>

struct FT_LibraryRec_;
struct FT_FaceRec_;

// What the glyph generator reports of one character, in em units: the
// black box's size, its upper-left corner relative to the pen, and how far
// the pen moves on.
struct GlyphMetrics {
    float blackBoxX = 0.0f;
    float blackBoxY = 0.0f;
    float originX = 0.0f;
    float originY = 0.0f;
    float cellIncX = 0.0f;
    float cellIncY = 0.0f;
};

struct GlyphPoint {
    float x, y;
};

// One character's shape in em units, baseline at y = 0, the pen at x = 0:
// closed contours with their curves cut into straight pieces, filled where
// the winding is non-zero. Outer contours run counter-clockwise, holes
// clockwise, whatever convention the font file used.
struct GlyphOutline {
    std::vector<std::vector<GlyphPoint>> contours;
    GlyphMetrics metrics;
};

// One face of a TrueType or OpenType font file, read through FreeType.
class COutlineFont {
public:
    COutlineFont();
    ~COutlineFont();
    COutlineFont(const COutlineFont&) = delete;
    COutlineFont& operator=(const COutlineFont&) = delete;

    // False when the file cannot be read as a scalable font. oblique slants
    // every glyph, for an italic the family has no face for.
    bool Open(const std::string& path, int faceIndex, bool oblique);
    // The outline of a Unicode character. False when the font has no glyph
    // for it or the glyph cannot be read: the outline is then empty and its
    // metrics carry the advance of the font's missing-glyph shape, so that
    // the text around it keeps its spacing.
    bool LoadGlyph(char32_t code, GlyphOutline& out) const;

private:
    bool LoadOutline(unsigned glyphIndex, GlyphOutline& out) const;
    void LoadMissingGlyphAdvance(GlyphOutline& out) const;

    FT_LibraryRec_* library = nullptr;
    FT_FaceRec_*    face = nullptr;
    bool            oblique = false;
};
