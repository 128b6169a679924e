#include "objects/CGlyphSet.h"

#include <GL/gl.h>

#include "objects/GlyphLists.h"

CGlyphSet::CGlyphSet(CGlyphFace& face, float extrusion) : face(face), extrusion(extrusion) {}

CGlyphSet::~CGlyphSet() {
    if (polygonBase != 0) {
        glDeleteLists(polygonBase, CODES);
    }
    if (lineBase != 0) {
        glDeleteLists(lineBase, CODES);
    }
}

bool CGlyphSet::Prepare(const unsigned char* bytes, int count) {
    if (polygonBase == 0 && !noNames) {
        polygonBase = glGenLists(CODES);
        lineBase = glGenLists(CODES);
        noNames = polygonBase == 0 || lineBase == 0;
    }
    if (noNames) {
        return false;
    }
    for (int i = 0; i < count; i++) {
        const unsigned char code = bytes[i];
        if (!compiled[code]) {
            CompileGlyphLists(face.Glyph(code), extrusion, polygonBase + code, lineBase + code);
            compiled[code] = true;
            compiledCount++;
        }
    }
    return true;
}
