#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/CVector.h"
#include "models/CMeshArrays.h"
#include "models/CModelAnimation.h"
#include "models/CModelCache.h"

class COGLImage;

// A named run of frames of an MDL model that holds the frames' vertices
// itself (its first frame stays 0): count frames of vertexCount vertices,
// 4 bytes each (x, y, z, normal index), back to back.
class CMdlAnimation : public CModelAnimation {
public:
    CMdlAnimation(const std::string& animationName, int32_t verticesPerFrame)
        : CModelAnimation(animationName, 0, 0), vertexCount(verticesPerFrame) {}

    // frame must be below count.
    const uint8_t* Frame(int32_t frame) const {
        return vertices.data() + static_cast<size_t>(frame) * static_cast<size_t>(vertexCount) * 4;
    }
    void AddFrame(const uint8_t* frameVertices) {
        vertices.insert(vertices.end(), frameVertices, frameVertices + static_cast<size_t>(vertexCount) * 4);
        count++;
    }

    int32_t              vertexCount;
    std::vector<uint8_t> vertices;
};

// A classic Quake model file (MDL, "IDPO" version 6) as read: its skins
// decoded from the Quake palette, a triangle list over texture points with
// seam flags, and single frames or frame groups as named animations, each
// holding its own frames. Shared by every object showing the file.
class CMdlData : public CModelData {
public:
    struct TexturePoint {
        int32_t onSeam;
        int32_t s;
        int32_t t;
    };
    struct Triangle {
        int32_t facesFront;
        int32_t vertices[3];
    };
    // A skin that decoded, with its place among the file's skins.
    struct Skin {
        int32_t number;
        std::shared_ptr<const COGLImage> picture;
    };

    // A frame vertex in the mesh's axes: the file's y, z, x.
    CVector Position(const uint8_t* vertex) const;
    // Every frame of the file, single or in a group.
    int32_t FileFrameCount() const;
    // frame counts the file's frames in order, across its animations.
    void    FrameBounds(int32_t frame, CVector& min, CVector& max) const;

    int32_t                   skinWidth = 0;
    int32_t                   skinHeight = 0;
    int32_t                   skinCountInFile = 0;
    int32_t                   vertexCount = 0;
    int32_t                   triangleCount = 0;
    std::vector<TexturePoint> texturePoints;
    std::vector<Triangle>     triangles;
    std::vector<std::unique_ptr<CMdlAnimation>> animations;
    std::vector<Skin>         skins;
    CVector                   fileScale;
    CVector                   fileTranslate;   // origin minus eye position
    CMeshArrays               mesh;
};

// Parses a whole MDL file and decodes its skins. Everything is checked
// against the file's size before it is used. Null data and "Not a valid
// MDL (classic quake model) file." when the file is not one.
ParsedModel ParseMdl(const std::vector<uint8_t>& file);
