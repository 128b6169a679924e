#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "math/CVector.h"
#include "models/CModelAnimation.h"
#include "models/CModelCache.h"
#include "objects/COGLObject.h"
#include "platform/CAssetSource.h"

class CFile;
class CModelResources;
class CPakFile;

// Which optional rows a kind of model keeps in its scene-file record.
struct ModelRecordLayout {
    bool interpolateFromVersion6;   // else the interpolate byte is always there
    bool hasFlipNormals;            // a flipNormals byte ends the record
    // Skins the model file holds itself have no path: the skin count
    // counts them, but only skins with a path get a record.
    bool embeddedSkins = false;
};

// Base of the frame-animated models. Adds to COGLObject the animation state
// advanced once per timer tick, the skins (textures the scene's cache owns),
// where the model came from, and the bounds of the last frame drawn. What the
// model file holds is parsed once per scene into data every object showing
// the file shares; an object keeps only its own state. Concrete classes
// supply the mesh, the current animation and the reading of their own files.
class COGLModel : public COGLObject {
public:
    COGLModel() = default;
    ~COGLModel() override = default;

    const char* ClassName() const override { return "COGLModel"; }

    // Placed like any object, then moved by yOffset inside the scale.
    void Draw(CGLState& gl, int flags) override;
    void DrawForSelection() override;
    // The bounds of the last frame drawn, outlined.
    void DrawSelected(CGLState& gl) override;
    void DrawAxes() override;
    // One timer tick: advances, wraps or stops the current animation.
    void Animate() override;
    // The common prefix, then the model's own rows.
    void Save(CFile& file, int textureIndex) const override;
    void SetTexture(COGLTexture2D* newTexture) override;

    virtual void SelectAnimation(const std::string& animationName) = 0;
    virtual void SetAnimation(const CModelAnimation* animation) = 0;
    virtual const CModelAnimation* GetAnimation() const = 0;
    virtual int  GetFrameCount() const = 0;
    virtual void SetFlipNormals(bool flip) { flipNormals = flip; }

    // The record after the prefix: loads the model file it names, then takes
    // the animation state and the skins. The object keeps the name it had in
    // the record; the scene keeps the model when it is loaded afterwards.
    virtual void LoadModel(CFile& file, int version, CModelResources& owner);
    // Finds the model file, entry modelPath of archive or, with no archive, a
    // file on disk (looked for as the scene looks for the files it names when
    // locate is set), and loads it. False when there is no such file or
    // entry; IsLoaded then tells whether it was valid.
    bool LoadFrom(CPakFile* archive, const std::string& modelPath, bool locate);
    // Reads the model file through the resources, which must be set, with
    // a load in progress: whether it was a valid model (reported when not).
    bool LoadAsset(const AssetId& id);
    // Whether the last model file read was a valid model.
    bool IsLoaded() const { return loaded; }

    // What the command-line tool tells of a model file.
    virtual const char* Kind() const = 0;
    virtual int32_t VertexCount() const = 0;
    virtual int32_t TriangleCount() const = 0;
    // Box of a frame as the mesh draws it (model axes, before yOffset).
    virtual void FrameBounds(int32_t frame, CVector& min, CVector& max) const = 0;
    // Skin names as the file gives them, found or not.
    virtual std::vector<std::string> SkinNames() const = 0;
    // The size of picture the file says its skins have; 0 when it says none.
    virtual void SkinSize(int32_t& width, int32_t& height) const {
        width = height = 0;
    }
    // The box of frame 0 as Draw places it: moved by yOffset, scaled,
    // turned and moved to the position.
    virtual void PlacedBounds(CVector& min, CVector& max) const;

    void ResetAnimation();
    // The skin bound to exactly this path (case-sensitive), or null.
    COGLTexture2D* FindSkin(const std::string& skinPath) const;
    bool SelectFirstSkin();
    // The first animation of that name, or null.
    const CModelAnimation* FindAnimation(const std::string& animationName) const;
    // Position of the current animation in animations, or -1.
    int  AnimationIndex() const;
    // The frame drawn, the one it blends towards and how far, within the
    // current animation.
    int32_t CurrentFrame() const { return currentFrame; }
    int32_t NextFrame() const { return nextFrame; }
    float   FrameFraction() const { return frameFraction; }
    // Puts the model at these frames as given, unchecked, until the next
    // tick: an attachment following its body, or a record being composed.
    void SetFrames(int32_t current, int32_t next, float fraction);

    float   frameStep = 0.125f;
    bool    flipNormals = false;
    bool    loop = true;
    uint8_t reserved = 0;
    bool    interpolate = true;
    float   yOffset = 0.0f;
    float   framePosition = 0.0f;
    // The model file's named animations, held by its shared data.
    std::vector<const CModelAnimation*> animations;
    int32_t skinCountInFile = 0;
    bool    dataLoaded = false;
    AssetId     source;             // the model file read
    CPakFile*   pak = nullptr;      // not owned
    std::string path;
    std::string folder;
    CVector boundsMin;
    CVector boundsMax;

    // Textures of the scene's cache, in skin-number order.
    const std::vector<COGLTexture2D*>& Skins() const { return skins; }
    // Lists a skin a record names without reading its picture: for composing
    // a record, not for drawing.
    void ListSkin(COGLTexture2D* skin) { skins.push_back(skin); }
    // Forgets the skins found by name (those with a path), keeping the ones
    // the model file holds.
    void DropNamedSkins();
    // The scene that holds the model, its skins, its parsed file and its
    // archives; not owned. Set before the model file is read.
    CModelResources* Resources() const { return resources; }
    void SetResources(CModelResources* owner) { resources = owner; }

protected:
    int32_t currentFrame = 0;
    int32_t nextFrame = 0;
    float   frameFraction = 0.0f;
    std::vector<COGLTexture2D*> skins;
    CModelResources* resources = nullptr;

    // LoadAsset's reading, the model's kind's own.
    virtual bool ReadAsset(const AssetId& id) = 0;
    // For a kind whose record keeps the model whether its file was read.
    void SetLoaded(bool keep) { loaded = keep; }
    // Draws the current frame, blended towards the next, widening the bounds.
    virtual void DrawMesh() = 0;
    virtual ModelRecordLayout RecordLayout() const = 0;
    // Whether skins missing where the model lives are looked for in every archive.
    virtual bool SearchesAllPaks() const { return false; }

    // Where the model file is: the archive, the path a record stores, the folder.
    void TakeSource(const AssetId& id);
    // The scene's parsed model file for this kind of reading, read and
    // parsed by parse from its bytes the first time any object of the scene
    // asks. What the reading had to say is the caller's to tell, on every ask.
    const ParsedModel& ParseShared(int32_t variant, uint64_t sizeLimit,
                                   const std::function<ParsedModel(std::vector<uint8_t>&&)>& parse);
    void ResetBounds();
    void WidenBounds(const CVector& point);
    // Takes a texture of the scene's cache as a skin, its picture decoded
    // now. A skin whose picture fails keeps its place, so skin indices and
    // saved records stay as they were; false (and nothing kept) for null.
    bool AdoptSkin(COGLTexture2D* skin);

private:
    bool loaded = false;

    void PlaceModel();
    void ReadSkinRecords(CFile& file, CModelResources& owner);
    void KeepAnimationStateInRange();
};
