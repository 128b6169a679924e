#pragma once

#include <memory>
#include <string>
#include <vector>

#include "objects/COGLObject.h"
#include "objects/COutlineFont.h"

// Size of a text record: the object prefix, then centred, offset, extrusion,
// the text, the font's face name and its italic byte.
constexpr size_t TEXT_RECORD_SIZE = OBJECT_RECORD_SIZE + 82;
constexpr size_t MAX_TEXT_LENGTH = 32;
constexpr size_t FACE_NAME_SIZE = 32;

// The font a text is drawn in: a TrueType family by name and its slant.
struct CFontDescription {
    std::string faceName = "Arial";
    bool        italic = false;
};

// A short string as solid 3-D lettering: every character an extruded glyph
// of a system outline font, one display list each (and one of its outline,
// for wire-frame and picking), called in sequence along +x in em units with
// the baseline at y = 0 and the depth towards -z. Centred text is moved so
// that its position is the middle of its advance. The glyphs and their lists
// come from a glyph cache, shared by every text of a scene: its metrics when
// the text or the font changes, its lists when the text is drawn, with the
// context current. A text given no cache makes one of its own.
class CGlyphCache;
class CGlyphSet;

class COGLText : public COGLObject {
public:
    COGLText();
    ~COGLText() override;

    // Shares the scene's cache from now on; before the text is built.
    void UseGlyphCache(CGlyphCache& cache);

    const char* ClassName() const override { return "COGLText"; }
    void Draw(CGLState& gl, int flags) override;
    // Picks with the line glyphs in render mode 2, else the solid ones.
    void DrawForSelection() override;
    // The box from the pen's start to the end of the advance, one em high,
    // as deep as the extrusion.
    void DrawSelected(CGLState& gl) override;
    void DrawAxes() override;
    // The glyphs in sequence from the pen's start, before the offset.
    void DrawSolid() override;
    void Save(CFile& file, int textureIndex) const override;
    // Reads the whole record, then takes the text and the font from it and
    // rebuilds; the offset stored is recomputed.
    int  Load(CFile& file, int version) override;
    void SetScaleX(float x) override;
    void SetScaleY(float y) override;
    void SetScaleZ(float z) override;

    // Keeps at most 32 characters of Windows-1252 text, false when it cut
    // (whoever set it tells the user, message 110), and makes an empty text
    // one space. The lists follow on Rebuild.
    bool SetText(const std::string& newText);
    // Takes the family when the system has it or a metric-compatible
    // substitute; false otherwise, the font left as it was.
    bool FindFont(const std::string& face);
    // The family, or "Arial" when there is none such, in the style asked;
    // then rebuilds once.
    void SetFont(const std::string& face, float newExtrusion, bool italic = false);
    // The glyphs of the current text and font, and the offset; the lists
    // follow when the text is next drawn.
    void Rebuild();
    // Where centred text starts and how wide it is, from the glyph metrics.
    void ComputeOffset();

    std::string      text = " ";
    float            extrusion = 0.5f;
    std::vector<GlyphMetrics> metrics;
    bool             centred = true;
    CFontDescription font;
    CVector          offset { 0.0f, 0.0f, 0.0f };
    int              count = 1;
    // The bases of the shared lists the text is drawn with, one list of
    // each per character code; 0 until it is drawn.
    uint32_t         polygonBase = 0;
    uint32_t         lineBase = 0;

private:
    CGlyphCache& Cache();
    void ChooseFont(const std::string& face);
    void LoadGlyphs();
    // Compiles whatever the text draws that its set lacks.
    void PrepareLists() override;
    void FreeLists();
    void PlaceText();
    int  DrawnCount() const;
    void CallGlyphs(uint32_t base) const;
    void CallGlyphsTextured(CGLState& gl, uint32_t bits, uint32_t base) const;

    CGlyphCache* glyphCache = nullptr;
    std::unique_ptr<CGlyphCache> ownCache;  // when given none
    CGlyphSet*   glyphSet = nullptr;        // null until built
    bool         listsFailed = false;
};
