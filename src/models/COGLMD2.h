#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "models/CMeshArrays.h"
#include "models/COGLModel.h"

// A Quake II MD2 model: read from disk or from an archive entry, kept as the
// file's compressed frames and OpenGL command list, its frames grouped into
// animations by name, drawn blended between two frames with the format's
// table of normals. Scene type code 12.
class COGLMD2 : public COGLModel {
public:
    static constexpr int32_t TYPE_CODE = 12;
    // Bytes of a frame before its vertices: scale, translate, name.
    static constexpr int32_t FRAME_HEADER_SIZE = 40;

    COGLMD2();
    ~COGLMD2() override = default;

    const char* ClassName() const override { return "COGLMD2"; }

    void SelectAnimation(const std::string& animationName) override;
    void SetAnimation(CModelAnimation* animation) override;
    CModelAnimation* GetAnimation() const override { return currentAnimation; }
    int  GetFrameCount() const override { return frameCount; }
    // Animates only a model with more than one frame.
    void StartAnimation() override;

    // A copy sharing the source's skins (one more reference each).
    void CopyModel(const COGLMD2& source);
    // "Not a valid MD2 File." when the file is not one.
    void LoadFromFile(const std::string& filePath) override;
    void LoadFromArchive(CPakFile& archive, const CPakEntry& entry) override;
    // Parses a whole model file held in memory. Everything is checked against
    // size before it is used; false after reporting when the file is not a
    // valid model, and the model is then unchanged.
    bool ReadModel(const uint8_t* data, size_t size, bool recompute);
    // The same, keeping the file's own buffer for the frames instead of a copy.
    bool ReadModel(std::vector<uint8_t>&& file, bool recompute);

    const char* Kind() const override { return "MD2"; }
    // Vertices of one frame.
    int32_t VertexCount() const override { return (frameSize - FRAME_HEADER_SIZE) / 4; }
    // Triangles the command list draws.
    int32_t TriangleCount() const override;
    void FrameBounds(int32_t frame, CVector& min, CVector& max) const override;
    std::vector<std::string> SkinNames() const override { return skinNames; }

    CModelAnimation*     currentAnimation = nullptr;
    int32_t              commandCount = 0;
    std::vector<int32_t> commands;
    // The bytes of one frame: its scale, translation, name and vertices.
    const uint8_t* Frame(int32_t index) const {
        return fileBytes.data() + frameOffset + static_cast<size_t>(index) * frameSize;
    }

    // The whole file, kept for its frames, which start at frameOffset.
    std::vector<uint8_t> fileBytes;
    size_t               frameOffset = 0;
    int32_t              frameSize = 0;
    int32_t              frameCount = 0;
    // The size of the skin pictures the file was made for.
    int32_t              skinWidth = 0;
    int32_t              skinHeight = 0;
    bool                 searchAllPaks = false;
    // Normals made from the mesh instead of the file's (weapons and flags).
    bool                 recomputeNormals = false;
    // "Not a valid MD2 File." when it is not; a player's weapon fails quietly.
    bool                 reportsInvalid = true;

protected:
    void DrawMesh() override;
    ModelRecordLayout RecordLayout() const override { return { true, true }; }
    bool SearchesAllPaks() const override { return searchAllPaks; }

private:
    bool Refuse() const;
    void BuildAnimations();
    void BuildMeshArrays();
    void RecomputeNormals();
    void RecomputeFrameNormals(uint8_t* frame);
    void LoadSkins(const std::vector<std::string>& names);
    void RenameFromPath(const std::string& modelPath);

    std::vector<std::string> skinNames;
    // The command list's runs as one triangle list, refilled on each draw.
    CMeshArrays              mesh;
};
