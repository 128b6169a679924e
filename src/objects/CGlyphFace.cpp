#include "objects/CGlyphFace.h"

#include "diag/CDiagnostics.h"
#include "platform/Cp1252.h"

namespace {

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

CGlyphFace::CGlyphFace(const OutlineFontFile& file, bool oblique, const std::string& family) : family(family) {
    if (!font.Open(file.path, file.faceIndex, oblique)) {
        LogLine("Text: cannot read the font file \"" + file.path + "\" for \"" + family + "\"\n");
    }
}

const GlyphOutline& CGlyphFace::Glyph(unsigned char byte) {
    GlyphOutline& glyph = glyphs[byte];
    if (!read[byte]) {
        read[byte] = true;
        if (!font.LoadGlyph(Cp1252ToUnicode(byte), glyph)) {
            LogLine("Text: no glyph for " + CodeOf(byte) + " in \"" + family + "\"\n");
        }
    }
    return glyph;
}
