#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "models/COGLModel.h"
#include "models/CSinData.h"

// A SiN model: a text definition file ("SDEF") naming a mesh file (".sbm"),
// animation files (".sam"), skins (".tga"), the folder they lie in and a
// scale. Each animation file is one named animation; drawing blends the
// current and the next frame. Scene type code 14.
class COGLSBM : public COGLModel {
public:
    static constexpr int32_t TYPE_CODE = 14;

    COGLSBM();
    ~COGLSBM() override = default;

    const char* ClassName() const override { return "COGLSBM"; }

    void SelectAnimation(const std::string& animationName) override;
    void SetAnimation(const CModelAnimation* animation) override;
    const CModelAnimation* GetAnimation() const override { return currentAnimation; }
    int  GetFrameCount() const override { return currentAnimation != nullptr ? currentAnimation->count : 0; }
    void StartAnimation() override;

    // The record's scale replaces the one the definition file set.
    void LoadModel(CFile& file, int version, CModelResources& owner) override;

    const char* Kind() const override { return "SiN"; }
    int32_t VertexCount() const override;
    int32_t TriangleCount() const override;
    // Box of a frame of the current animation.
    void FrameBounds(int32_t frame, CVector& min, CVector& max) const override;
    std::vector<std::string> SkinNames() const override;

    const CSinAnimation*            currentAnimation = nullptr;
    std::shared_ptr<const CSinData> data;

protected:
    // The definition and the files it names; the skins from the scene.
    bool ReadAsset(const AssetId& id) override;
    void DrawMesh() override;
    ModelRecordLayout RecordLayout() const override { return { false, true }; }

private:
    // While a scene record loads the model its own scale wins over the definition's.
    bool scaleFromRecord = false;
    // This object's blend of two frames for each group, refilled on each draw.
    std::vector<CMeshPose> poses;
};
