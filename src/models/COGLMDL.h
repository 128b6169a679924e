#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "models/CMdlData.h"
#include "models/COGLModel.h"

// A classic Quake model (MDL, "IDPO" version 6): skins stored in the file as
// Quake palette indices, a triangle list over texture points with seam flags,
// and single frames or frame groups that become named animations, each
// holding its own frames. Drawn with the file's axes as they are (the mesh's
// x, y, z are the file's y, z, x). Scene type code 15.
class COGLMDL : public COGLModel {
public:
    static constexpr int32_t TYPE_CODE = 15;

    COGLMDL();
    ~COGLMDL() override = default;

    const char* ClassName() const override { return "COGLMDL"; }

    void SelectAnimation(const std::string& animationName) override;
    void SetAnimation(const CModelAnimation* animation) override;
    const CModelAnimation* GetAnimation() const override { return currentAnimation; }
    // Frames of the current animation.
    int  GetFrameCount() const override;
    // Animates only when the current animation has more than one frame.
    void StartAnimation() override;
    // Ticks from the bottom of the box (the mesh is drawn unturned).
    void DrawAxes() override;

    const char* Kind() const override { return "MDL"; }
    int32_t VertexCount() const override { return data != nullptr ? data->vertexCount : 0; }
    int32_t TriangleCount() const override { return data != nullptr ? data->triangleCount : 0; }
    // frame counts the file's frames in order, across its animations.
    void FrameBounds(int32_t frame, CVector& min, CVector& max) const override;
    // None: the file holds its skins instead of naming pictures.
    std::vector<std::string> SkinNames() const override { return {}; }
    void SkinSize(int32_t& width, int32_t& height) const override;
    // Every frame of the file, single or in a group.
    int32_t FileFrameCount() const { return data != nullptr ? data->FileFrameCount() : 0; }

    const CMdlAnimation*            currentAnimation = nullptr;
    std::shared_ptr<const CMdlData> data;

protected:
    // "Not a valid MDL (classic quake model) file." when the file is not one.
    bool ReadAsset(const AssetId& id) override;
    void DrawMesh() override;
    ModelRecordLayout RecordLayout() const override { return { false, false, true }; }

private:
    void Rename(const std::string& modelPath);

    // This object's blend of two frames, refilled on each draw.
    CMeshPose pose;
};
