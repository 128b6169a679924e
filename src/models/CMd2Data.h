#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "math/CVector.h"
#include "models/CMeshArrays.h"
#include "models/CModelAnimation.h"
#include "models/CModelCache.h"

// One frame of an MD2 file: its scale and translation applied to its
// compressed vertices, in the mesh's axes (the file's y, -z, -x).
class CMd2Frame {
public:
    explicit CMd2Frame(const uint8_t* frameBytes);

    CVector Position(int32_t vertex) const {
        const uint8_t* v = Vertex(vertex);
        return CVector(v[1] * scale[1] + translate[1], -(v[2] * scale[2] + translate[2]),
                       -(v[0] * scale[0] + translate[0]));
    }
    uint8_t NormalIndex(int32_t vertex) const { return Vertex(vertex)[3]; }

private:
    const uint8_t* Vertex(int32_t index) const { return bytes + 40 + 4 * static_cast<size_t>(index); }

    const uint8_t* bytes;
    float scale[3];
    float translate[3];
};

// The table normal of that index in the mesh's axes.
CVector Md2TableNormal(int index);

// A Quake II MD2 file as read: the frames kept in the file's own bytes, the
// command list's runs as one triangle mesh, the frames grouped into named
// animations, the skins it names. Every object showing the file shares one;
// nothing changes it once it is parsed.
class CMd2Data : public CModelData {
public:
    // Bytes of a frame before its vertices: scale, translate, name.
    static constexpr int32_t FRAME_HEADER_SIZE = 40;

    // The bytes of one frame: its scale, translation, name and vertices.
    const uint8_t* Frame(int32_t index) const {
        return fileBytes.data() + frameOffset + static_cast<size_t>(index) * static_cast<size_t>(frameSize);
    }
    // Vertices of one frame.
    int32_t VertexCount() const { return (frameSize - FRAME_HEADER_SIZE) / 4; }
    // Triangles the command list draws.
    int32_t TriangleCount() const;
    // Box of the vertices the command list draws in a frame.
    void    FrameBounds(int32_t frame, CVector& min, CVector& max) const;

    std::vector<uint8_t>     fileBytes;
    size_t                   frameOffset = 0;
    int32_t                  frameSize = 0;
    int32_t                  frameCount = 0;
    int32_t                  skinWidth = 0;
    int32_t                  skinHeight = 0;
    std::vector<int32_t>     commands;
    std::vector<std::string> skinNames;
    // In the file's order, "<all>" last when there are several.
    std::vector<CModelAnimation> animations;
    CMeshArrays              mesh;
    // Lifts frame 0's lowest point to the object's origin height.
    float                    yOffset = 0.0f;
    // The stored normals of frame 0 mostly point against the faces' winding
    // (some of the games' models store them inward).
    bool                     normalsFaceInward = false;
};

// Parses a whole MD2 file. Everything is checked against its size before it
// is used, so drawing may follow the counts without checking them again.
// With recomputeNormals each vertex takes the table normal nearest the mean
// of the faces around it instead of the one the file stores (unless frames
// times corners make that too long a walk). Null data and
// "Not a valid MD2 File." when the file is not one.
ParsedModel ParseMd2(std::vector<uint8_t>&& file, bool recomputeNormals);
