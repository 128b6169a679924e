#include "objects/COutlineFont.h"

#include <algorithm>
#include <cmath>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

namespace {

// Curves are cut into pieces no longer than about 1/24 em, between 2 and 16 of them.
constexpr float PIECES_PER_EM = 24.0f;

// Collects the contours FreeType walks, scaled to em units.
struct ContourWalk {
    std::vector<std::vector<GlyphPoint>>* contours;
    float  unitsToEm;
    FT_Vector pen;

    GlyphPoint At(const FT_Vector* v) const {
        return { static_cast<float>(v->x) * unitsToEm, static_cast<float>(v->y) * unitsToEm };
    }
    void Add(const GlyphPoint& point) {
        std::vector<GlyphPoint>& contour = contours->back();
        if (contour.empty() || contour.back().x != point.x || contour.back().y != point.y) {
            contour.push_back(point);
        }
    }
};

int Pieces(const GlyphPoint* controls, int count) {
    float length = 0.0f;
    for (int i = 1; i < count; i++) {
        length += std::hypot(controls[i].x - controls[i - 1].x, controls[i].y - controls[i - 1].y);
    }
    return std::clamp(static_cast<int>(std::ceil(length * PIECES_PER_EM)), 2, 16);
}

int MoveTo(const FT_Vector* to, void* user) {
    auto* walk = static_cast<ContourWalk*>(user);
    walk->contours->emplace_back();
    walk->Add(walk->At(to));
    walk->pen = *to;
    return 0;
}

int LineTo(const FT_Vector* to, void* user) {
    auto* walk = static_cast<ContourWalk*>(user);
    walk->Add(walk->At(to));
    walk->pen = *to;
    return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* walk = static_cast<ContourWalk*>(user);
    const GlyphPoint p[3] = { walk->At(&walk->pen), walk->At(control), walk->At(to) };
    const int pieces = Pieces(p, 3);
    for (int i = 1; i <= pieces; i++) {
        const float t = static_cast<float>(i) / static_cast<float>(pieces), u = 1.0f - t;
        walk->Add({ u * u * p[0].x + 2 * u * t * p[1].x + t * t * p[2].x,
                    u * u * p[0].y + 2 * u * t * p[1].y + t * t * p[2].y });
    }
    walk->pen = *to;
    return 0;
}

int CubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
    auto* walk = static_cast<ContourWalk*>(user);
    const GlyphPoint p[4] = { walk->At(&walk->pen), walk->At(control1), walk->At(control2), walk->At(to) };
    const int pieces = Pieces(p, 4);
    for (int i = 1; i <= pieces; i++) {
        const float t = static_cast<float>(i) / static_cast<float>(pieces), u = 1.0f - t;
        walk->Add({ u * u * u * p[0].x + 3 * u * u * t * p[1].x + 3 * u * t * t * p[2].x + t * t * t * p[3].x,
                    u * u * u * p[0].y + 3 * u * u * t * p[1].y + 3 * u * t * t * p[2].y + t * t * t * p[3].y });
    }
    walk->pen = *to;
    return 0;
}

// Closed contours need no repeated first point; slivers of fewer than three
// points enclose nothing.
void Tidy(std::vector<std::vector<GlyphPoint>>& contours, bool reverse) {
    for (std::vector<GlyphPoint>& contour : contours) {
        if (contour.size() > 1 && contour.front().x == contour.back().x && contour.front().y == contour.back().y) {
            contour.pop_back();
        }
        if (reverse) {
            std::reverse(contour.begin(), contour.end());
        }
    }
    std::erase_if(contours, [](const std::vector<GlyphPoint>& contour) { return contour.size() < 3; });
}

}  // namespace

COutlineFont::COutlineFont() = default;

COutlineFont::~COutlineFont() {
    if (face != nullptr) {
        FT_Done_Face(face);
    }
    if (library != nullptr) {
        FT_Done_FreeType(library);
    }
}

bool COutlineFont::Open(const std::string& path, int faceIndex, bool slanted) {
    oblique = slanted;
    if (library == nullptr && FT_Init_FreeType(&library) != 0) {
        library = nullptr;
        return false;
    }
    if (face != nullptr) {
        FT_Done_Face(face);
        face = nullptr;
    }
    if (FT_New_Face(library, path.c_str(), faceIndex, &face) != 0) {
        face = nullptr;
        return false;
    }
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
        FT_Done_Face(face);
        face = nullptr;
        return false;
    }
    return true;
}

bool COutlineFont::LoadGlyph(char32_t code, GlyphOutline& out) const {
    out = GlyphOutline();
    if (face == nullptr) {
        return false;
    }
    const FT_UInt index = FT_Get_Char_Index(face, code);
    if (index != 0 && LoadOutline(index, out)) {
        return true;
    }
    out = GlyphOutline();
    LoadMissingGlyphAdvance(out);
    return false;
}

void COutlineFont::LoadMissingGlyphAdvance(GlyphOutline& out) const {
    if (FT_Load_Glyph(face, 0, FT_LOAD_NO_SCALE) == 0) {
        out.metrics.cellIncX = static_cast<float>(face->glyph->advance.x) / static_cast<float>(face->units_per_EM);
    }
}

bool COutlineFont::LoadOutline(unsigned glyphIndex, GlyphOutline& out) const {
    if (FT_Load_Glyph(face, glyphIndex, FT_LOAD_NO_SCALE) != 0 || face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
        return false;
    }
    FT_Outline& outline = face->glyph->outline;
    if (oblique) {
        // FreeType's own synthetic slant, about 12 degrees.
        FT_Matrix shear = { 0x10000, 0x0366A, 0, 0x10000 };
        FT_Outline_Transform(&outline, &shear);
    }
    const float unitsToEm = 1.0f / static_cast<float>(face->units_per_EM);
    ContourWalk walk { &out.contours, unitsToEm, { 0, 0 } };
    FT_Outline_Funcs funcs = { MoveTo, LineTo, ConicTo, CubicTo, 0, 0 };
    if (FT_Outline_Decompose(&outline, &funcs, &walk) != 0) {
        return false;
    }
    // TrueType fills to the right of its contours, PostScript to the left.
    Tidy(out.contours, FT_Outline_Get_Orientation(&outline) == FT_ORIENTATION_TRUETYPE);

    GlyphMetrics& metrics = out.metrics;
    metrics.cellIncX = static_cast<float>(face->glyph->advance.x) * unitsToEm;
    if (outline.n_points > 0) {
        FT_BBox box;
        FT_Outline_Get_CBox(&outline, &box);
        metrics.blackBoxX = static_cast<float>(box.xMax - box.xMin) * unitsToEm;
        metrics.blackBoxY = static_cast<float>(box.yMax - box.yMin) * unitsToEm;
        metrics.originX = static_cast<float>(box.xMin) * unitsToEm;
        metrics.originY = static_cast<float>(box.yMax) * unitsToEm;
    }
    return true;
}
