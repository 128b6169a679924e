#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "models/CHLModelData.h"
#include "models/COGLModel.h"

// A Half-Life studio model ("IDST" version 10): bones posed per frame from
// the sequences' channels, textures in the file or in its "…T.mdl"
// companion, animations in sequence-group files "…01.mdl" on. The files are
// the scene's shared data; the pose (sequence, frame, controllers, blends) is
// the object's own; animations holds one record per sequence (first = its
// number, count 0). Scene type code 18.
class COGLHLModel : public COGLModel {
public:
    static constexpr int32_t TYPE_CODE = 18;

    COGLHLModel();
    ~COGLHLModel() override = default;

    const char* ClassName() const override { return "COGLHLModel"; }

    // Posed, lit and drawn for the current frame on every draw, resting on
    // the lowest point of its sequence's box; the bounds become that box.
    void Draw(CGLState& gl, int flags) override;
    void DrawForSelection() override;
    void DrawAxes() override;
    // One tick: the frame steps on; the last frame is only blended towards,
    // then the sequence starts over or, not looping, stops on frame 0.
    void Animate() override;

    // Animates whatever the frame count.
    void StartAnimation() override { animating = true; }
    void SelectAnimation(const std::string& /*animationName*/) override {}
    // One of this model's own records: selects its sequence.
    void SetAnimation(const CModelAnimation* animation) override;
    const CModelAnimation* GetAnimation() const override { return currentSequence; }
    // Frames of the current sequence.
    int  GetFrameCount() const override;

    void Save(CFile& file, int textureIndex) const override;
    // The record names the model file and the animation state only. A
    // model file that is missing leaves a model with no data, still kept;
    // one that cannot be read whole (a companion missing or any part
    // unsound) is reported and not kept.
    void LoadModel(CFile& file, int version, CModelResources& owner) override;

    const char* Kind() const override { return "HL"; }
    // Of the first sub-model of every body part.
    int32_t VertexCount() const override;
    int32_t TriangleCount() const override;
    // The first sequence's box, in drawn axes, whatever the frame.
    void FrameBounds(int32_t frame, CVector& min, CVector& max) const override;
    // The texture names of the file that holds the textures.
    std::vector<std::string> SkinNames() const override;

    // What the command-line tool tells of the file; zero without data.
    int32_t SequenceFrameCount(int32_t sequence) const;
    int32_t HeaderCount(size_t field) const;
    int32_t SkinFamilyCount() const;
    struct BodyPartInfo {
        std::string name;
        int32_t     models;
    };
    std::vector<BodyPartInfo> BodyParts() const;
    // The companion files read with the model: texture file, then groups.
    std::vector<std::string> CompanionFiles() const;

    std::shared_ptr<const CHLModelData> data;
    CHLPose pose;
    const CModelAnimation* currentSequence = nullptr;   // one of animations
    // Rows of a record whose model file was not found, written back as read.
    int32_t recordPakIndex = -1;
    int32_t recordAnimationIndex = -1;

protected:
    // Whether it and its companions were read (reported when not).
    bool ReadAsset(const AssetId& id) override;
    // Draw does it all: the mesh is posed, not stored per frame.
    void DrawMesh() override {}
    ModelRecordLayout RecordLayout() const override { return { false, false }; }

private:
    // Poses the skeleton and draws it in place; only drawing with skins
    // changes the state, through inputs.gl.
    void DrawPosed(const HLDrawInputs& inputs);
    void Rename(const std::string& modelPath);
};
