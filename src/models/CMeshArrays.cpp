#include "models/CMeshArrays.h"

#include <cstring>

namespace {

uint32_t Bits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

}  // namespace

void AppendRunTriangles(bool fan, const uint32_t* runCorners, size_t length, std::vector<uint32_t>& indices) {
    for (size_t m = 2; m < length; m++) {
        const bool flipped = !fan && m % 2 == 1;
        indices.push_back(fan ? runCorners[0] : runCorners[flipped ? m - 1 : m - 2]);
        indices.push_back(runCorners[flipped ? m - 2 : m - 1]);
        indices.push_back(runCorners[m]);
    }
}

void CMeshArrays::Clear() {
    cornerVertex.clear();
    texCoords.clear();
    indices.clear();
    cornerSlots.clear();
}

// The slot holding that corner, or the free slot where it would go.
size_t CMeshArrays::SlotOf(int32_t vertex, uint32_t s, uint32_t t) const {
    const size_t mask = cornerSlots.size() - 1;
    size_t slot = ((static_cast<uint32_t>(vertex) * 0x9E3779B1u) ^ (s * 0x85EBCA77u) ^ (t * 0xC2B2AE3Du)) & mask;
    for (;;) {
        const uint32_t held = cornerSlots[slot];
        if (held == 0) {
            return slot;
        }
        const size_t corner = held - 1;
        if (cornerVertex[corner] == vertex && Bits(texCoords[2 * corner]) == s &&
            Bits(texCoords[2 * corner + 1]) == t) {
            return slot;
        }
        slot = (slot + 1) & mask;
    }
}

void CMeshArrays::GrowSlots() {
    cornerSlots.assign(cornerSlots.empty() ? 256 : cornerSlots.size() * 2, 0);
    for (size_t corner = 0; corner < cornerVertex.size(); corner++) {
        const size_t slot =
            SlotOf(cornerVertex[corner], Bits(texCoords[2 * corner]), Bits(texCoords[2 * corner + 1]));
        cornerSlots[slot] = static_cast<uint32_t>(corner + 1);
    }
}

uint32_t CMeshArrays::AddCorner(int32_t vertex, float s, float t) {
    // At most half full, so a free slot is always near.
    if (2 * (cornerVertex.size() + 1) > cornerSlots.size()) {
        GrowSlots();
    }
    const size_t slot = SlotOf(vertex, Bits(s), Bits(t));
    if (cornerSlots[slot] != 0) {
        return cornerSlots[slot] - 1;
    }
    const uint32_t corner = static_cast<uint32_t>(cornerVertex.size());
    cornerSlots[slot] = corner + 1;
    cornerVertex.push_back(vertex);
    texCoords.push_back(s);
    texCoords.push_back(t);
    return corner;
}

void CMeshArrays::AddTriangle(uint32_t a, uint32_t b, uint32_t c) {
    indices.push_back(a);
    indices.push_back(b);
    indices.push_back(c);
}

