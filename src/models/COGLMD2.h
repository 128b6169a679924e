#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

    // Reads the model record of a scene file; the scene keeps the model when
    // loaded is set afterwards.
    void LoadModel(CFile& file, int version, COGLScene& owner);
    // A copy sharing the source's skins (one more reference each).
    void CopyModel(const COGLMD2& source);
    // Nothing changes when the file does not open; otherwise loaded tells
    // whether it was a valid model ("Not a valid MD2 File." when not).
    virtual void LoadFromFile(const std::string& filePath, bool recomputeNormals);
    void LoadFromArchive(CPakFile& archive, const CPakEntry& entry, bool recomputeNormals);
    // Parses a whole model file held in memory. Everything is checked against
    // size before it is used; false after reporting when the file is not a
    // valid model, and the model is then unchanged.
    bool ReadModel(const uint8_t* data, size_t size, bool recomputeNormals);

    int32_t VerticesPerFrame() const { return (frameSize - FRAME_HEADER_SIZE) / 4; }
    // Triangles the command list draws.
    int32_t TriangleCount() const;
    // Box of a frame as the mesh draws it (model axes, before yOffset).
    void FrameBounds(int32_t frame, CVector& min, CVector& max) const;
    // Skin names as the file gives them, found or not.
    const std::vector<std::string>& SkinNames() const { return skinNames; }

    CModelAnimation*     currentAnimation = nullptr;
    int32_t              commandCount = 0;
    std::vector<int32_t> commands;
    std::vector<uint8_t> frames;
    int32_t              frameSize = 0;
    int32_t              frameCount = 0;
    bool                 searchAllPaks = false;

protected:
    void DrawMesh() override;
    ModelRecordLayout RecordLayout() const override { return { true, true }; }
    void LoadFromArchiveEntry(CPakFile& archive, const CPakEntry& entry) override;
    void LoadFromDisk(const std::string& modelPath) override;
    bool SearchesAllPaks() const override { return searchAllPaks; }

private:
    void BuildAnimations();
    void RecomputeNormals();
    void RecomputeFrameNormals(uint8_t* frame);
    void LoadSkins(const std::vector<std::string>& names);
    void RenameFromPath(const std::string& modelPath);
    const uint8_t* Frame(int32_t index) const { return frames.data() + static_cast<size_t>(index) * frameSize; }

    std::vector<std::string> skinNames;
};
