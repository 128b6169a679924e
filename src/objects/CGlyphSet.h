#pragma once

#include <cstdint>

#include "objects/CGlyphFace.h"

// The display lists of one face at one extrusion, shared by every text drawn
// with them. It holds 256 names of each kind, polygon and line, so that
// glListBase and a text's own bytes call them; a character's two lists are
// compiled the first time a text that draws it is drawn. Names not compiled
// are empty lists that would not move the pen: never call them.
class CGlyphSet {
public:
    static constexpr int CODES = 256;

    CGlyphSet(CGlyphFace& face, float extrusion);
    // Deletes the lists; the context that made them current.
    ~CGlyphSet();
    CGlyphSet(const CGlyphSet&) = delete;
    CGlyphSet& operator=(const CGlyphSet&) = delete;

    const GlyphMetrics& Metrics(unsigned char byte) { return face.Glyph(byte).metrics; }
    // Compiles the lists of the characters not compiled yet. False when the
    // context gave no names. Needs the context current.
    bool Prepare(const unsigned char* bytes, int count);
    float Extrusion() const { return extrusion; }

    uint32_t polygonBase = 0;
    uint32_t lineBase = 0;
    int      compiledCount = 0;

private:
    CGlyphFace& face;
    float       extrusion;
    bool        noNames = false;
    bool        compiled[CODES] = {};
};
