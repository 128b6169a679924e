#pragma once

#include <string>

// An outline (TrueType or OpenType) font file on this system.
struct OutlineFontFile {
    std::string path;        // empty when the system has no outline font at all
    int         faceIndex = 0;
    std::string family;      // the family the file belongs to
    bool        italic = false;  // the face itself is italic or oblique
};

// Looks the family up among the system's outline fonts through fontconfig,
// in the italic style when asked. Families that Windows scenes name resolve
// to their metric-compatible substitutes where installed ("Arial" to
// Liberation Sans). True when the family or such a substitute was found;
// otherwise fontconfig's nearest font is still given in out, for callers
// that want any font rather than none. Letter case is not significant.
bool FindOutlineFont(const std::string& family, bool italic, OutlineFontFile& out);
