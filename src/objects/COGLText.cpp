#include "objects/COGLText.h"

#include <GL/gl.h>

#include <algorithm>

#include "diag/CDiagnostics.h"
#include "image/COGLTexture2D.h"
#include "objects/CGlyphCache.h"
#include "platform/CFile.h"
#include "platform/CGLState.h"
#include "platform/Cp1252.h"
#include "platform/RecordIO.h"

COGLText::COGLText() {
    name = "Text";
    typeCode = 7;
    extents.z = 0.5f;
}

// Its lists are its set's, deleted with the cache.
COGLText::~COGLText() = default;

void COGLText::UseGlyphCache(CGlyphCache& cache) {
    FreeLists();
    glyphSet = nullptr;
    glyphCache = &cache;
}

CGlyphCache& COGLText::Cache() {
    if (glyphCache == nullptr) {
        ownCache = std::make_unique<CGlyphCache>();
        glyphCache = ownCache.get();
    }
    return *glyphCache;
}

bool COGLText::SetText(const std::string& newText) {
    text = newText;
    const bool whole = text.size() <= MAX_TEXT_LENGTH;
    if (!whole) {
        text.resize(MAX_TEXT_LENGTH);
    }
    if (text.empty()) {
        text.assign(1, ' ');  // not = " ": GCC 12 at -O3 warns falsely (-Wrestrict)
    }
    count = static_cast<int>(text.size());
    return whole;
}

bool COGLText::FindFont(const std::string& face) {
    // Face names are Windows-1252, fontconfig's are UTF-8.
    OutlineFontFile file;
    if (!Cache().FindFont(Cp1252ToUtf8(face), false, file)) {
        return false;
    }
    font.faceName = face.substr(0, FACE_NAME_SIZE - 1);
    font.italic = false;
    return true;
}

void COGLText::ChooseFont(const std::string& face) {
    if (FindFont(face)) {
        return;
    }
    LogLine("Text: no outline font of the family \"" + face + "\"; using Arial\n");
    FindFont("Arial");
}

void COGLText::SetFont(const std::string& face, float newExtrusion, bool italic) {
    ChooseFont(face);
    font.italic = italic;
    extrusion = newExtrusion;
    Rebuild();
}

void COGLText::Rebuild() {
    FreeLists();
    LoadGlyphs();
    ComputeOffset();
}

// The lists are the set's: forgotten here, deleted with the cache.
void COGLText::FreeLists() {
    polygonBase = 0;
    lineBase = 0;
    selectionList = 0;
    solidList = 0;
    wireList = 0;
}

void COGLText::LoadGlyphs() {
    // The list-offset table bounds the text, whoever set it.
    count = static_cast<int>(std::min(text.size(), MAX_TEXT_LENGTH));
    glyphSet = &Cache().Set(font.faceName, font.italic, extrusion);
    metrics.assign(static_cast<size_t>(count), GlyphMetrics());
    for (int i = 0; i < count; i++) {
        metrics[static_cast<size_t>(i)] = glyphSet->Metrics(static_cast<unsigned char>(text[static_cast<size_t>(i)]));
    }
}

void COGLText::PrepareLists() {
    if (glyphSet == nullptr) {
        Rebuild();  // a new text, never built
    }
    if (!glyphSet->Prepare(reinterpret_cast<const unsigned char*>(text.data()), DrawnCount())) {
        if (!listsFailed) {
            LogLine("Text: no display lists for \"" + text + "\"\n");
        }
        listsFailed = true;
        FreeLists();
        return;
    }
    polygonBase = glyphSet->polygonBase;
    lineBase = glyphSet->lineBase;
    solidList = polygonBase;
    wireList = lineBase;
    selectionList = (renderMode == 2) ? lineBase : polygonBase;
}

void COGLText::ComputeOffset() {
    float width = 0.0f;
    for (const GlyphMetrics& glyph : metrics) {
        width += glyph.cellIncX;
    }
    // The highlight spans the advance whether or not the text is centred.
    extents.x = width;
    if (!centred) {
        offset = CVector(0.0f, 0.0f, 0.0f);
        return;
    }
    offset = CVector(-width * scale.x / 2.0f, 0.0f, extrusion * 0.5f);
}

void COGLText::SetScaleX(float x) {
    scale.x = x;
    ComputeOffset();
}

void COGLText::SetScaleY(float y) {
    scale.y = y;
    ComputeOffset();
}

void COGLText::SetScaleZ(float z) {
    scale.z = z;
    ComputeOffset();
}

// The offset comes after the rotation and before the scale.
void COGLText::PlaceText() {
    glTranslatef(position.x, position.y, position.z);
    ApplyRotation();
    glTranslatef(offset.x, offset.y, offset.z);
    glScalef(scale.x, scale.y, scale.z);
}

// The characters the lists were prepared for: the text changed without a
// rebuild draws no more than it counted.
int COGLText::DrawnCount() const {
    return static_cast<int>(std::min(static_cast<size_t>(count), text.size()));
}

void COGLText::CallGlyphs(uint32_t base) const {
    if (base == 0) {
        return;  // with no lists of its set, base 0 would call others' lists
    }
    glPushAttrib(GL_LIST_BIT);
    glListBase(base);
    glCallLists(DrawnCount(), GL_UNSIGNED_BYTE, text.data());
    glPopAttrib();
}

// The glyphs have no texture coordinates of their own: they are made from
// the glyph-space x and y, one texture repeat per em.
void COGLText::CallGlyphsTextured(CGLState& gl, uint32_t bits, uint32_t base) const {
    SetObjectLinearTexGen();
    gl.Apply(bits | GLS_TEXTURE_2D | GLS_TEXGEN_ST);
    BindTexture(gl, textureMode);
    PushTextureTransform(textureTranslation, textureScale);
    CallGlyphs(base);
    PopTextureTransform();
}

void COGLText::Draw(CGLState& gl, int flags) {
    if (!IsVisible()) {
        return;
    }
    PrepareLists();
    const uint32_t bits = DrawBits(gl);
    glPushMatrix();
    PlaceText();
    if (flags & DRAW_AXES) {
        gl.Apply(bits);
        glPushAttrib(GL_CURRENT_BIT);
        DrawAxes();
        glPopAttrib();
    }
    if (flags & DRAW_MATERIAL) {
        ApplyMaterial();
    }
    const uint32_t base = (flags & DRAW_WIRE) ? lineBase : polygonBase;
    if ((flags & DRAW_MATERIAL) && texture != nullptr) {
        CallGlyphsTextured(gl, bits, base);
    } else {
        gl.Apply(bits);
        CallGlyphs(base);
    }
    glPopMatrix();
}

void COGLText::DrawSolid() {
    PrepareLists();
    glPushMatrix();
    CallGlyphs(polygonBase);
    glPopMatrix();
}

void COGLText::DrawForSelection() {
    if (SelectionName() & HIDDEN_BIT) {
        return;
    }
    PrepareLists();
    glLoadName(SelectionName());
    glPushMatrix();
    PlaceText();
    CallGlyphs(selectionList);
    glPopMatrix();
}

void COGLText::DrawSelected(CGLState& gl) {
    if (!IsVisible()) {
        return;
    }
    if (glyphSet == nullptr) {
        Rebuild();  // the box spans the advance
    }
    BeginHighlight(gl);
    PlaceText();
    DrawBoxOutline(CVector(0.0f, 0.0f, -extrusion), CVector(extents.x, extents.y, 0.0f));
    DrawAxes();
    EndHighlight();
}

void COGLText::DrawAxes() {
    const float tick = 0.2f;
    const float ex = extents.x, ey = extents.y, ez = extents.z;
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(ex, 0.0f, -ez / 2.0f);
    glVertex3f(ex + tick, 0.0f, -ez / 2.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(ex / 2.0f, ey, -ez / 2.0f);
    glVertex3f(ex / 2.0f, ey + tick, -ez / 2.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(ex / 2.0f, 0.0f, 0.0f);
    glVertex3f(ex / 2.0f, 0.0f, tick);
    glEnd();
}

void COGLText::Save(CFile& file, int textureIndex) const {
    CRecordWriter out;
    WritePrefix(out, textureIndex);
    out.WriteBool(centred);
    out.WriteFloat(offset.x);
    out.WriteFloat(offset.y);
    out.WriteFloat(offset.z);
    out.WriteFloat(extrusion);
    // A text of 32 characters fills its field with no terminator.
    for (size_t i = 0; i < MAX_TEXT_LENGTH; i++) {
        out.WriteByte(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
    }
    out.WriteName(font.faceName, FACE_NAME_SIZE);
    out.WriteBool(font.italic);
    file.Write(out.Bytes().data(), out.Bytes().size());
}

int COGLText::Load(CFile& file, int /*version*/) {
    uint8_t record[TEXT_RECORD_SIZE];
    file.Read(record, sizeof record);

    CRecordReader in(record, sizeof record);
    const int textureIndex = ReadPrefix(in);
    centred = in.ReadBool();
    offset.x = in.ReadFloat();
    offset.y = in.ReadFloat();
    offset.z = in.ReadFloat();
    extrusion = in.ReadFloat();
    SetText(in.ReadPath(MAX_TEXT_LENGTH));
    ChooseFont(in.ReadName(FACE_NAME_SIZE));
    font.italic = in.ReadBool();
    Rebuild();
    return textureIndex;
}
