#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include "objects/CGlyphFace.h"
#include "objects/CGlyphSet.h"
#include "platform/FontFiles.h"

// What the texts of a scene share, as a glyph cache does: fontconfig's answer
// for each family and style, each font face opened once with its outlines,
// and the display lists of each face at each extrusion. A scene of a
// thousand texts in one font reads and compiles each character once. The
// lists go with the cache, which is destroyed with their context current.
class CGlyphCache {
public:
    // Sets of distinct faces and extrusions compiled at most, bar the first
    // of a face.
    static constexpr size_t MAX_SETS = 64;

    CGlyphCache();
    ~CGlyphCache();
    CGlyphCache(const CGlyphCache&) = delete;
    CGlyphCache& operator=(const CGlyphCache&) = delete;

    // FindOutlineFont, asked once for each family (UTF-8) and style.
    bool FindFont(const std::string& family, bool italic, OutlineFontFile& out);
    // The lists of a text's font, Windows-1252 face name and style, at its
    // extrusion: fontconfig's nearest font when the family is not there.
    CGlyphSet& Set(const std::string& faceName, bool italic, float extrusion);
    // Characters compiled in all sets, two lists each.
    int CompiledCount() const;

private:
    struct Answer {
        bool            found = false;
        OutlineFontFile file;
    };
    using FaceKey = std::tuple<std::string, int, bool>;  // path, face index, slanted by us
    using SetKey = std::pair<const CGlyphFace*, uint32_t>;  // extrusion's bits: NaN is a key too

    // The face's set of the extrusion nearest to extrusion; null when the
    // face has none.
    CGlyphSet* NearestSet(const CGlyphFace& face, float extrusion) const;

    std::map<std::pair<std::string, bool>, Answer>   answers;
    std::map<FaceKey, std::unique_ptr<CGlyphFace>>   faces;
    // After the faces, so destroyed before them.
    std::map<SetKey, std::unique_ptr<CGlyphSet>>     sets;
    bool overBudgetLogged = false;
};
