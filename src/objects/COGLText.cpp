#include "objects/COGLText.h"

#include <GL/gl.h>

#include <algorithm>

#include "diag/CDiagnostics.h"
#include "image/COGLTexture2D.h"
#include "objects/GlyphLists.h"
#include "platform/CFile.h"
#include "platform/CMessageBox.h"
#include "platform/Cp1252.h"
#include "platform/FontFiles.h"
#include "platform/RecordIO.h"
#include "platform/StringTable.h"

namespace {

// The list offsets glCallLists walks: one byte per character.
const GLubyte glyphIndices[MAX_TEXT_LENGTH] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
    16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31,
};

std::string CodeOf(unsigned char byte) {
    static const char hex[] = "0123456789ABCDEF";
    const char16_t code = Cp1252ToUnicode(byte);
    std::string text = "U+";
    for (int shift = 12; shift >= 0; shift -= 4) {
        text += hex[(code >> shift) & 0xF];
    }
    return text;
}

}  // namespace

COGLText::COGLText() {
    FindFont("Arial");
    name = "Text";
    typeCode = 7;
    extents.z = 0.5f;
    LoadGlyphs();
    ComputeOffset();
}

COGLText::~COGLText() {
    FreeLists();
}

void COGLText::SetText(const std::string& newText) {
    text = newText;
    if (text.size() > MAX_TEXT_LENGTH) {
        CMessageBox::Show(GetStringResource(110));
        text.resize(MAX_TEXT_LENGTH);
    }
    if (text.empty()) {
        text.assign(1, ' ');  // not = " ": GCC 12 at -O3 warns falsely (-Wrestrict)
    }
    count = static_cast<int>(text.size());
}

bool COGLText::FindFont(const std::string& face) {
    // Face names are Windows-1252, fontconfig's are UTF-8.
    OutlineFontFile file;
    if (!FindOutlineFont(Cp1252ToUtf8(face), false, file)) {
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

void COGLText::FreeLists() {
    if (builtCount > 0 && polygonBase != 0) {
        glDeleteLists(polygonBase, builtCount);
    }
    if (builtCount > 0 && lineBase != 0) {
        glDeleteLists(lineBase, builtCount);
    }
    builtCount = 0;
    polygonBase = 0;
    lineBase = 0;
    selectionList = 0;
    solidList = 0;
    wireList = 0;
}

void COGLText::LoadGlyphs() {
    // The list-offset table bounds the text, whoever set it.
    count = static_cast<int>(std::min(text.size(), MAX_TEXT_LENGTH));
    metrics.assign(static_cast<size_t>(count), GlyphMetrics());
    glyphs.assign(static_cast<size_t>(count), GlyphOutline());

    // Whatever font is nearest when the family has gone since it was
    // chosen: some lettering rather than none.
    OutlineFontFile file;
    FindOutlineFont(Cp1252ToUtf8(font.faceName), font.italic, file);
    COutlineFont outlines;
    if (!outlines.Open(file.path, file.faceIndex, font.italic && !file.italic)) {
        LogLine("Text: cannot read the font file \"" + file.path + "\" for \"" + font.faceName + "\"\n");
    }
    for (int i = 0; i < count; i++) {
        const auto byte = static_cast<unsigned char>(text[static_cast<size_t>(i)]);
        GlyphOutline& glyph = glyphs[static_cast<size_t>(i)];
        if (!outlines.LoadGlyph(Cp1252ToUnicode(byte), glyph)) {
            LogLine("Text: no glyph for " + CodeOf(byte) + " in \"" + font.faceName + "\"\n");
        }
        metrics[static_cast<size_t>(i)] = glyph.metrics;
    }
}

void COGLText::PrepareLists() {
    if (glyphs.empty()) {
        return;  // made already, or nothing to make them from
    }
    polygonBase = glGenLists(count);
    lineBase = glGenLists(count);
    builtCount = count;
    if (polygonBase == 0 || lineBase == 0) {
        LogLine("Text: no display lists for \"" + text + "\"\n");
        FreeLists();
        glyphs.clear();
        return;
    }
    for (int i = 0; i < count; i++) {
        CompileGlyphLists(glyphs[static_cast<size_t>(i)], extrusion, polygonBase + static_cast<uint32_t>(i),
                          lineBase + static_cast<uint32_t>(i));
    }
    glyphs.clear();
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

void COGLText::CallGlyphs(uint32_t base) const {
    if (base == 0) {
        return;  // with no lists of its own, base 0 would call others' lists
    }
    glPushAttrib(GL_LIST_BIT);
    glListBase(base);
    glCallLists(count, GL_UNSIGNED_BYTE, glyphIndices);
    glPopAttrib();
}

// The glyphs have no texture coordinates of their own: they are made from
// the glyph-space x and y, one texture repeat per em.
void COGLText::CallGlyphsTextured(uint32_t base) const {
    glEnable(GL_TEXTURE_2D);
    EnableObjectLinearTexGen();
    texture->Bind();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, textureMode);
    PushTextureTransform(textureTranslation, textureScale);
    CallGlyphs(base);
    glDisable(GL_TEXTURE_2D);
    DisableObjectLinearTexGen();
    PopTextureTransform();
}

void COGLText::Draw(int flags) {
    if (!visible) {
        return;
    }
    PrepareLists();
    BeginTransparency();
    glPushMatrix();
    PlaceText();
    if (flags & DRAW_AXES) {
        glPushAttrib(GL_CURRENT_BIT);
        DrawAxes();
        glPopAttrib();
    }
    const uint32_t base = (flags & DRAW_WIRE) ? lineBase : polygonBase;
    if ((flags & DRAW_MATERIAL) && texture != nullptr) {
        ApplyMaterial();
        CallGlyphsTextured(base);
    } else {
        if (flags & DRAW_MATERIAL) {
            ApplyMaterial();
        }
        CallGlyphs(base);
    }
    glPopMatrix();
    glFrontFace(GL_CCW);
    EndTransparency();
}

void COGLText::DrawForSelection() {
    if (selectionName & HIDDEN_BIT) {
        return;
    }
    PrepareLists();
    glLoadName(selectionName);
    glPushAttrib(GL_POLYGON_BIT);
    glPushMatrix();
    PlaceText();
    CallGlyphs(selectionList);
    glPopMatrix();
    glPopAttrib();
}

void COGLText::DrawSelected() {
    if (!visible) {
        return;
    }
    BeginHighlight();
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
