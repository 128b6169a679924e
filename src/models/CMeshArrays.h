#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A strip or fan of corners appended to indices as separate triangles, each
// wound the way OpenGL winds it within the run, so culling and lighting are
// unchanged.
void AppendRunTriangles(bool fan, const uint32_t* runCorners, size_t length, std::vector<uint32_t>& indices);

// The vertex arrays of one textured part of a frame-animated model. Its
// corners (a frame vertex with a texture point) and the triangles over them
// are made once when the model loads; each draw blends the frames into the
// position and normal arrays and hands everything to OpenGL in one call,
// which is far cheaper than a glBegin run per strip, vertex by vertex.
class CMeshArrays {
public:
    void Clear();
    // The corner of frame vertex `vertex` at texture point (s, t); one
    // already made for the same vertex and point is shared.
    uint32_t AddCorner(int32_t vertex, float s, float t);
    void AddTriangle(uint32_t a, uint32_t b, uint32_t c);
    void AddRun(bool fan, const uint32_t* runCorners, size_t length) {
        AppendRunTriangles(fan, runCorners, length, indices);
    }

    size_t CornerCount() const { return cornerVertex.size(); }
    int32_t CornerVertex(size_t corner) const { return cornerVertex[corner]; }
    void SetPosition(size_t corner, float x, float y, float z);
    void SetNormal(size_t corner, float x, float y, float z);
    // Draws the triangles from the arrays as they are now; the client array
    // state is left as it was found.
    void Draw() const;

private:
    size_t SlotOf(int32_t vertex, uint32_t s, uint32_t t) const;
    void   GrowSlots();

    std::vector<int32_t>  cornerVertex;
    std::vector<float>    positions;
    std::vector<float>    normals;
    std::vector<float>    texCoords;
    std::vector<uint32_t> indices;
    // Open-addressed table of corners by vertex and texture point, each slot
    // a corner + 1 (0 is free); models have thousands of corners, and this
    // keeps finding them free of per-corner allocations.
    std::vector<uint32_t> cornerSlots;
};
