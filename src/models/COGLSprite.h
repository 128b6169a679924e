#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "models/COGLModel.h"
#include "models/CSpriteData.h"

class COGLImage;

// A flat picture that always faces the viewer and cycles through its frames,
// one texture each. Three files are read: Quake II sprites ("IDS2", frames
// are pictures named inside), indexed sprites ("IDSP" version 2, frames and
// palette stored inside) and text sprites ("SPRT", a list of TGA pictures);
// every frame's texture is shared through the scene's cache. The quad's
// half-sizes are scale x and y, set from frame 0's aspect ratio. It is a
// model only so that files are opened and described like the other models;
// it draws, animates and saves itself. Scene type code 17.
class COGLSprite : public COGLModel {
public:
    static constexpr int32_t TYPE_CODE = 17;

    // A frame as the file describes it: the size it gives (the picture's
    // for text sprites) and its title.
    struct FrameInfo {
        int32_t     width;
        int32_t     height;
        std::string title;
    };

    COGLSprite();
    ~COGLSprite() override = default;

    const char* ClassName() const override { return "COGLSprite"; }

    // Nothing when flags is 0 or the sprite is hidden; the blending is the
    // render mode's, and everything it changes is undone.
    void Draw(CGLState& gl, int flags) override;
    void DrawForSelection() override;
    void DrawSelected(CGLState& gl) override;
    void DrawAxes() override;
    // One tick: the next frame, wrapping at the end; no blending.
    void Animate() override;
    void Save(CFile& file, int textureIndex) const override;
    void LoadModel(CFile& file, int version, CModelResources& owner) override;
    // Animates only a sprite with more than one frame.
    void StartAnimation() override;
    // Only a turn about exactly (0, 0, 1) changes a sprite: it rolls the quad.
    void Rotate(const CVector& axis, float degrees) override;
    void RotateZ(float degrees) override;
    // The half-sizes of the quad; the extents follow.
    void SetScaleX(float x) override;
    void SetScaleY(float y) override;
    // Replaces the rotation part of the modelview matrix by the roll, so the
    // quad faces the viewer wherever it is looked at from.
    void ApplyRotation() override;

    void SelectAnimation(const std::string&) override {}
    void SetAnimation(const CModelAnimation*) override {}
    const CModelAnimation* GetAnimation() const override { return nullptr; }
    int  GetFrameCount() const override { return frameCount; }

    // "sp2", "spr" or "text"; "sprite" before a file was read.
    const char* Kind() const override;
    int32_t VertexCount() const override { return 4; }
    int32_t TriangleCount() const override { return 2; }
    // The quad, the same for every frame.
    void FrameBounds(int32_t frame, CVector& min, CVector& max) const override;
    // The quad turns to face the viewer: as deep as it is wide.
    void PlacedBounds(CVector& min, CVector& max) const override;
    // The frame pictures the file names (none for indexed sprites).
    std::vector<std::string> SkinNames() const override { return pictureNames; }

    SpriteKind  kind = KIND_NONE;
    int32_t     frameCount = 0;
    // One texture per frame, in file order; the current one is the object's.
    std::vector<COGLTexture2D*> frames;
    std::vector<FrameInfo>      frameInfo;
    std::vector<std::string>    pictureNames;
    float       roll = 0.0f;
    // How the frames are blended: -1 for Quake II sprites, the file's format
    // for indexed ones, 5 for text sprites. Not the object's render mode,
    // which its record keeps for itself.
    int32_t     blendMode = -1;

    // What the blend mode makes of a frame: blended over what is drawn
    // (adding to it when additive), and alpha-tested.
    struct Blending {
        bool blends = false;
        bool additive = false;
        bool alphaTest = false;
    };
    Blending FrameBlending(const COGLImage* picture) const;

protected:
    // Whether it was a sprite whose frames all load (reported
    // when not).
    bool ReadAsset(const AssetId& id) override;
    void DrawMesh() override;
    ModelRecordLayout RecordLayout() const override { return { false, false }; }

private:
    // Every frame's texture, or false after telling which could not be had.
    bool TakeFrames(const CSpriteData& sprite);
    // A picture from the scene's cache, decoded; null when it does not load.
    COGLTexture2D* LoadPicture(const std::string& picturePath, bool besideByName);
    // The quad, filled or as its outline.
    void DrawQuad(unsigned int primitive) const;
    // The frame's picture on the quad, blended as the blend mode says.
    void DrawTextured(CGLState& gl);
    // bits with the blending and alpha test of the blend mode.
    uint32_t BlendBits(uint32_t bits) const;
    void RenameFromPath(const std::string& spritePath);
};
