#pragma once

#include <string>

#include "objects/COutlineFont.h"
#include "platform/FontFiles.h"

// One face of a font file, opened once, with the outlines of its characters,
// each read the first time a text needs it and kept: every text in the face,
// at every extrusion, shares them. Needs no OpenGL.
class CGlyphFace {
public:
    // family is the name the first text asked for, for the log.
    CGlyphFace(const OutlineFontFile& file, bool oblique, const std::string& family);
    CGlyphFace(const CGlyphFace&) = delete;
    CGlyphFace& operator=(const CGlyphFace&) = delete;

    // The outline of a Windows-1252 character: empty, with the advance of
    // the face's missing glyph, when the face has none.
    const GlyphOutline& Glyph(unsigned char byte);

private:
    COutlineFont font;
    std::string  family;
    GlyphOutline glyphs[256];
    bool         read[256] = {};
};
