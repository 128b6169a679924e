#include "objects/CGlyphCache.h"

#include <cmath>
#include <cstring>

#include "diag/CDiagnostics.h"
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
    const SetKey key(face.get(), bits);
    const auto found = sets.find(key);
    if (found != sets.end()) {
        return *found->second;
    }
    // Each set compiles its glyphs again: a file giving every text its own
    // extrusion would compile the font a thousand times. Past the budget a
    // text takes the face's nearest extrusion, as near as real scenes get.
    if (sets.size() >= MAX_SETS) {
        if (CGlyphSet* nearest = NearestSet(*face, extrusion)) {
            if (!overBudgetLogged) {
                LogLine("Text: more than " + std::to_string(MAX_SETS) + " fonts and extrusions; the nearest used\n");
                overBudgetLogged = true;
            }
            return *nearest;
        }
    }
    std::unique_ptr<CGlyphSet>& set = sets[key];
    set = std::make_unique<CGlyphSet>(*face, extrusion);
    return *set;
}

CGlyphSet* CGlyphCache::NearestSet(const CGlyphFace& face, float extrusion) const {
    CGlyphSet* nearest = nullptr;
    float distance = 0.0f;
    for (auto it = sets.lower_bound(SetKey(&face, 0)); it != sets.end() && it->first.first == &face; ++it) {
        const float d = std::fabs(it->second->Extrusion() - extrusion);
        // NaN on either side is farther than anything.
        if (nearest == nullptr || d < distance) {
            nearest = it->second.get();
            distance = std::isnan(d) ? INFINITY : d;
        }
    }
    return nearest;
}

int CGlyphCache::CompiledCount() const {
    int count = 0;
    for (const auto& [key, set] : sets) {
        count += set->compiledCount;
    }
    return count;
}
