#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "models/CMeshArrays.h"
#include "models/COGLModel.h"

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

// A classic Quake model (MDL, "IDPO" version 6): skins stored in the file as
// Quake palette indices, a triangle list over texture points with seam flags,
// and single frames or frame groups that become named animations, each
// holding its own frames. Drawn with the file's axes as they are (the mesh's
// x, y, z are the file's y, z, x). Scene type code 15.
class COGLMDL : public COGLModel {
public:
    static constexpr int32_t TYPE_CODE = 15;

    struct TexturePoint {
        int32_t onSeam;
        int32_t s;
        int32_t t;
    };
    struct Triangle {
        int32_t facesFront;
        int32_t vertices[3];
    };

    COGLMDL();
    // The skins the file held are the model's own; the others go back to
    // the scene.
    ~COGLMDL() override;

    const char* ClassName() const override { return "COGLMDL"; }

    void SelectAnimation(const std::string& animationName) override;
    void SetAnimation(CModelAnimation* animation) override;
    CModelAnimation* GetAnimation() const override { return currentAnimation; }
    // Frames of the current animation.
    int  GetFrameCount() const override;
    // Animates only when the current animation has more than one frame.
    void StartAnimation() override;
    // Ticks from the bottom of the box (the mesh is drawn unturned).
    void DrawAxes() override;

    // A copy sharing the source's skins: one more reference each.
    void CopyModel(const COGLMDL& source);
    // "Not a valid MDL (classic quake model) file." when the file is not one.
    void LoadFromFile(const std::string& filePath) override;
    void LoadFromArchive(CPakFile& archive, const CPakEntry& entry) override;
    // Parses a whole model file held in memory and decodes its skins (the
    // OpenGL context must be current). Everything is checked against size
    // before it is used; false after reporting when the file is not a valid
    // model, and the model is then unchanged.
    bool ReadModel(const uint8_t* data, size_t size);

    const char* Kind() const override { return "MDL"; }
    int32_t VertexCount() const override { return vertexCount; }
    int32_t TriangleCount() const override { return triangleCount; }
    // frame counts the file's frames in order, across its animations.
    void FrameBounds(int32_t frame, CVector& min, CVector& max) const override;
    // None: the file holds its skins instead of naming pictures.
    std::vector<std::string> SkinNames() const override { return {}; }
    // Every frame of the file, single or in a group.
    int32_t FileFrameCount() const;

    CMdlAnimation*            currentAnimation = nullptr;
    int32_t                   triangleCount = 0;
    int32_t                   vertexCount = 0;
    std::vector<TexturePoint> texturePoints;
    std::vector<Triangle>     triangles;
    CVector                   fileScale;
    CVector                   fileTranslate;   // origin minus eye position
    int32_t                   skinWidth = 0;
    int32_t                   skinHeight = 0;

protected:
    void DrawMesh() override;
    ModelRecordLayout RecordLayout() const override { return { false, false, true }; }

private:
    void Rename(const std::string& modelPath);
    CVector MeshPosition(const uint8_t* vertex) const;
    void BuildMeshArrays();

    // The decoded skins of the file, shared with copies; skins points at
    // them first, then at the scene's.
    std::vector<std::shared_ptr<COGLTexture2D>> embeddedSkins;
    // The triangles' corners with their texture points, refilled on each draw.
    CMeshArrays mesh;
};
