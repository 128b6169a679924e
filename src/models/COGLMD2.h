#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "models/CMd2Data.h"
#include "models/COGLModel.h"

// A Quake II MD2 model: the file's frames and command list, shared with every
// object showing the same file, drawn blended between two frames with the
// format's table of normals. Scene type code 12.
class COGLMD2 : public COGLModel {
public:
    static constexpr int32_t TYPE_CODE = 12;

    COGLMD2();
    ~COGLMD2() override = default;

    const char* ClassName() const override { return "COGLMD2"; }

    void SelectAnimation(const std::string& animationName) override;
    void SetAnimation(const CModelAnimation* animation) override;
    const CModelAnimation* GetAnimation() const override { return currentAnimation; }
    int  GetFrameCount() const override { return data != nullptr ? data->frameCount : 0; }
    // Animates only a model with more than one frame.
    void StartAnimation() override;

    const char* Kind() const override { return "MD2"; }
    int32_t VertexCount() const override { return data != nullptr ? data->VertexCount() : 0; }
    int32_t TriangleCount() const override { return data != nullptr ? data->TriangleCount() : 0; }
    void FrameBounds(int32_t frame, CVector& min, CVector& max) const override;
    std::vector<std::string> SkinNames() const override;
    void SkinSize(int32_t& width, int32_t& height) const override;

    const CModelAnimation* currentAnimation = nullptr;
    std::shared_ptr<const CMd2Data> data;
    bool                 searchAllPaks = false;
    // Normals made from the mesh instead of the file's (weapons and flags,
    // and a model shown on its own, whatever way its file's normals point).
    bool                 recomputeNormals = false;
    // "Not a valid MD2 File." when it is not; a player's weapon fails quietly.
    bool                 reportsInvalid = true;

protected:
    // "Not a valid MD2 File." when the file is not one (unless reportsInvalid
    // is off); the file's skins are looked for beside it or in its archive.
    bool ReadAsset(const AssetId& id) override;
    void DrawMesh() override;
    ModelRecordLayout RecordLayout() const override { return { true, true }; }
    bool SearchesAllPaks() const override { return searchAllPaks; }

private:
    void LoadSkins();
    void RenameFromPath(const std::string& modelPath);

    // This object's blend of two frames, refilled on each draw.
    CMeshPose pose;
};
