#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A strip or fan of corners appended to indices as separate triangles, each
// wound the way OpenGL winds it within the run, so culling and lighting are
// unchanged.
void AppendRunTriangles(bool fan, const uint32_t* runCorners, size_t length, std::vector<uint32_t>& indices);

// The positions and normals one draw of a mesh fills in, x, y, z for each
// of its corners: each object showing a mesh keeps its own.
struct CMeshPose {
    std::vector<float> positions;
    std::vector<float> normals;

    void Resize(size_t corners) {
        positions.resize(3 * corners);
        normals.resize(3 * corners);
    }
    void SetPosition(size_t corner, float x, float y, float z) {
        float* p = positions.data() + 3 * corner;
        p[0] = x;
        p[1] = y;
        p[2] = z;
    }
    void SetNormal(size_t corner, float x, float y, float z) {
        float* n = normals.data() + 3 * corner;
        n[0] = x;
        n[1] = y;
        n[2] = z;
    }
};

// The triangles of one textured part of a frame-animated model over its
// corners (a frame vertex with a texture point), made once when the model
// file is read. Each draw blends the frames into a pose of its own and hands
// everything to OpenGL in one call, which is far cheaper than a glBegin run
// per strip, vertex by vertex.
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
    // Done adding: the lookup table of corners goes.
    void Finish() { std::vector<uint32_t>().swap(cornerSlots); }

    size_t CornerCount() const { return cornerVertex.size(); }
    int32_t CornerVertex(size_t corner) const { return cornerVertex[corner]; }
    float S(size_t corner) const { return texCoords[2 * corner]; }
    float T(size_t corner) const { return texCoords[2 * corner + 1]; }
    const std::vector<uint32_t>& Indices() const { return indices; }
    // Draws the triangles with the pose's positions and normals, which hold
    // CornerCount() of each; the client array state is left as it was found.
    void Draw(const CMeshPose& pose) const;

private:
    size_t SlotOf(int32_t vertex, uint32_t s, uint32_t t) const;
    void   GrowSlots();

    std::vector<int32_t>  cornerVertex;
    std::vector<float>    texCoords;
    std::vector<uint32_t> indices;
    // Open-addressed table of corners by vertex and texture point, each slot
    // a corner + 1 (0 is free); models have thousands of corners, and this
    // keeps finding them free of per-corner allocations.
    std::vector<uint32_t> cornerSlots;
};
