#include "models/CMeshArrays.h"

#include <GL/gl.h>

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
    positions.clear();
    normals.clear();
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
    positions.resize(positions.size() + 3, 0.0f);
    normals.resize(normals.size() + 3, 0.0f);
    return corner;
}

void CMeshArrays::AddTriangle(uint32_t a, uint32_t b, uint32_t c) {
    indices.push_back(a);
    indices.push_back(b);
    indices.push_back(c);
}

void CMeshArrays::SetPosition(size_t corner, float x, float y, float z) {
    float* p = positions.data() + 3 * corner;
    p[0] = x;
    p[1] = y;
    p[2] = z;
}

void CMeshArrays::SetNormal(size_t corner, float x, float y, float z) {
    float* n = normals.data() + 3 * corner;
    n[0] = x;
    n[1] = y;
    n[2] = z;
}

void CMeshArrays::Draw() const {
    if (indices.empty()) {
        return;
    }
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_INDEX_ARRAY);
    glDisableClientState(GL_EDGE_FLAG_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, positions.data());
    glNormalPointer(GL_FLOAT, 0, normals.data());
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords.data());
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, indices.data());
    glPopClientAttrib();
}
