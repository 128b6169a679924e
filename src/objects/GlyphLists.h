#pragma once

#include <cstdint>

#include "objects/COutlineFont.h"

// Compiles one character into two display lists, in em units, baseline at
// y = 0 and the pen at the origin:
//   polygonList: the filled front face at z = 0 facing +z, the back face at
//     z = -extrusion facing -z, and the side walls with outward normals;
//   lineList: every contour as a closed line at both depths.
// Both end by moving the pen on by the glyph's cell increment, so the lists of
// a string called one after another lay it out along +x. An outline without
// contours (a space, a missing glyph) gives lists that only move the pen.
// Needs the OpenGL context current.
void CompileGlyphLists(const GlyphOutline& glyph, float extrusion, uint32_t polygonList, uint32_t lineList);
