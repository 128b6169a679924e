#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "models/COGLModel.h"

// A flat picture that always faces the viewer and cycles through its frames,
// one texture each. Three files are read: Quake II sprites ("IDS2", frames
// are pictures named inside, shared through the scene's texture cache),
// indexed sprites ("IDSP" version 2, frames and palette stored inside, the
// textures owned here) and text sprites ("SPRT", a list of TGA pictures,
// shared). The quad's half-sizes are scale x and y, set from frame 0's
// aspect ratio. It is a model only so that files are opened and described
// like the other models; it draws, animates and saves itself. Scene type
// code 17.
class COGLSprite : public COGLModel {
public:
    static constexpr int32_t TYPE_CODE = 17;

    enum SpriteKind { KIND_NONE, KIND_SP2, KIND_SPR, KIND_TEXT };

    // A frame as the file describes it: the size it gives (the picture's
    // for text sprites) and its title.
    struct FrameInfo {
        int32_t     width;
        int32_t     height;
        std::string title;
    };

    COGLSprite();
    // Shared frames go back to the scene, the sprite's own are deleted.
    ~COGLSprite() override;

    const char* ClassName() const override { return "COGLSprite"; }

    // Nothing when flags is 0 or the sprite is hidden; the blending is the
    // render mode's, and everything it changes is undone.
    void Draw(int flags) override;
    void DrawForSelection() override;
    void DrawSelected() override;
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
    void SetAnimation(CModelAnimation*) override {}
    CModelAnimation* GetAnimation() const override { return nullptr; }
    int  GetFrameCount() const override { return frameCount; }

    // Nothing happens when the file does not open; otherwise loaded tells
    // whether it was a valid sprite (reported when not).
    void LoadFromFile(const std::string& filePath) override;
    void LoadFromArchive(CPakFile& archive, const CPakEntry& entry) override;
    // Reads a whole sprite held in memory; every count and size is checked
    // against size. False after reporting when it is not a sprite whose
    // frames all load; the sprite then keeps what it had.
    bool ReadSprite(const uint8_t* data, size_t size);

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
    // How the frame is blended: -1 for Quake II sprites, the file's format
    // for indexed ones, 5 for text sprites. It hides the object's render
    // mode of the same name, which the record prefix keeps to itself.
    int32_t     renderMode = -1;
    // Folder of the file on disk; frame pictures not found as named are
    // looked for from there.
    std::string fileFolder;

protected:
    void DrawMesh() override;
    ModelRecordLayout RecordLayout() const override { return { false, false }; }

private:
    struct ReadFrames;

    bool ReadQuake2(const uint8_t* data, size_t size, ReadFrames& out);
    bool ReadIndexed(const uint8_t* data, size_t size, ReadFrames& out);
    bool ReadText(const uint8_t* data, size_t size, ReadFrames& out);
    bool ReadTextLine(const std::string& line, ReadFrames& out);
    // A picture from the scene's cache, prepared and counted; null after
    // giving it back when it does not load.
    COGLTexture2D* LoadPicture(const std::string& picturePath, bool besideByName);
    void ReleaseFrames();
    void GiveBack(COGLTexture2D* frame);
    // The quad, filled or as its outline.
    void DrawQuad(unsigned int primitive) const;
    void RenameFromPath(const std::string& spritePath);

    std::vector<std::unique_ptr<COGLTexture2D>> ownFrames;
};
