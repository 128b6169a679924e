#include "platform/FontFiles.h"

#include <fontconfig/fontconfig.h>

namespace {

const FcChar8* Chars(const std::string& text) {
    return reinterpret_cast<const FcChar8*>(text.c_str());
}

// The family asked for and the substitutes fontconfig's rules bind to it as
// strongly (metric aliases); weakly bound ones are mere look-alikes and the
// generic fallbacks.
bool IsAskedFamily(FcPattern* asked, const FcChar8* family) {
    FcValue value;
    FcValueBinding binding;
    for (int i = 0; FcPatternGetWithBinding(asked, FC_FAMILY, i, &value, &binding) == FcResultMatch; i++) {
        if (value.type == FcTypeString && binding != FcValueBindingWeak &&
            FcStrCmpIgnoreCase(value.u.s, family) == 0) {
            return true;
        }
    }
    return false;
}

bool MatchesAskedFamily(FcPattern* asked, FcPattern* match) {
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; i++) {
        if (IsAskedFamily(asked, family)) {
            return true;
        }
    }
    return false;
}

void Describe(FcPattern* match, OutlineFontFile& out) {
    FcBool outline = FcFalse;
    if (FcPatternGetBool(match, FC_OUTLINE, 0, &outline) != FcResultMatch || !outline) {
        return;  // bitmaps have no outlines to build from
    }
    FcChar8* text = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &text) == FcResultMatch) {
        out.path = reinterpret_cast<const char*>(text);
    }
    if (FcPatternGetString(match, FC_FAMILY, 0, &text) == FcResultMatch) {
        out.family = reinterpret_cast<const char*>(text);
    }
    int index = 0;
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) {
        out.faceIndex = index;
    }
    int slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    out.italic = slant != FC_SLANT_ROMAN;
}

} // namespace

bool FindOutlineFont(const std::string& family, bool italic, OutlineFontFile& out) {
    out = OutlineFontFile();
    FcPattern* asked = FcPatternCreate();
    FcPatternAddString(asked, FC_FAMILY, Chars(family));
    FcPatternAddBool(asked, FC_OUTLINE, FcTrue);
    FcPatternAddInteger(asked, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, asked, FcMatchPattern);
    FcDefaultSubstitute(asked);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, asked, &result);
    bool found = false;
    if (match != nullptr) {
        Describe(match, out);
        found = MatchesAskedFamily(asked, match);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(asked);
    return found && !out.path.empty();
}
