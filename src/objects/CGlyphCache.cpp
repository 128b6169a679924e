#include "objects/CGlyphCache.h"

#include <cstring>

#include "platform/Cp1252.h"

CGlyphCache::CGlyphCache() = default;

CGlyphCache::~CGlyphCache() = default;

bool CGlyphCache::FindFont(const std::string& family, bool italic, OutlineFontFile& out) {
    const std::pair<std::string, bool> key(family, italic);
    auto found = answers.find(key);
    if (found == answers.end()) {
        Answer answer;
        answer.found = FindOutlineFont(family, italic, answer.file);
        found = answers.emplace(key, answer).first;
    }
    out = found->second.file;
    return found->second.found;
}

CGlyphSet& CGlyphCache::Set(const std::string& faceName, bool italic, float extrusion) {
    // Whatever font is nearest when the family has gone since it was
    // chosen: some lettering rather than none.
    OutlineFontFile file;
    FindFont(Cp1252ToUtf8(faceName), italic, file);
    const bool slanted = italic && !file.italic;
    std::unique_ptr<CGlyphFace>& face = faces[FaceKey(file.path, file.faceIndex, slanted)];
    if (!face) {
        face = std::make_unique<CGlyphFace>(file, slanted, faceName);
    }
    uint32_t bits = 0;
    std::memcpy(&bits, &extrusion, sizeof bits);
    std::unique_ptr<CGlyphSet>& set = sets[SetKey(face.get(), bits)];
    if (!set) {
        set = std::make_unique<CGlyphSet>(*face, extrusion);
    }
    return *set;
}

int CGlyphCache::CompiledCount() const {
    int count = 0;
    for (const auto& [key, set] : sets) {
        count += set->compiledCount;
    }
    return count;
}
