#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "diag/LoadMessages.h"
#include "platform/CAssetSource.h"

class CModelCache;
class COGLImage;
class COGLLight;
class COGLTexture2D;
class CPakFile;
struct HLWorkAreas;

// What models take from the scene that holds them: the load's asset source,
// the parsed model files and pictures every object of the scene shares, the
// open archives, the lights, and the way to tell the user what went wrong.
// The scene implements it.
class CModelResources {
public:
    virtual ~CModelResources() = default;

    // The asset source of the load in progress; null when no load is.
    virtual CAssetSource* Assets() = 0;
    // Parsed model files, shared by every object of the scene.
    virtual CModelCache& Models() = 0;
    // What a load found wrong in file, for the scene's load report.
    virtual void Report(const LoadMessages& messages, const std::string& file) = 0;

    // The shared texture of a picture file or entry: name in archive pak, or
    // on disk (name, or folder + its file name), optionally looked for in
    // every archive. Described, not decoded yet; null when none has it.
    virtual COGLTexture2D* FindOrLoadTexture(const std::string& name, CPakFile* pak, const std::string& folder,
                                             bool useDefaultPalette, bool searchAllPaks) = 0;
    // Decodes the texture's picture when that is still to do, telling what
    // went wrong; false when it has none.
    virtual bool PrepareTexture(COGLTexture2D* texture) = 0;
    // The shared texture of the part-th picture the model file holder holds;
    // title names it when it is made now.
    virtual COGLTexture2D* ShareTexture(const AssetId& holder, int32_t part,
                                        std::shared_ptr<const COGLImage> picture, const std::string& title) = 0;

    virtual CPakFile* GetPak(int index) const = 0;
    // Position of the archive, -1 when it is not open here.
    virtual int       IndexOfPak(const CPakFile* pak) const = 0;

    // Where the scene's Half-Life models pose and light themselves.
    virtual HLWorkAreas& HLWork() = 0;

    // The scene's lights, for models that light themselves.
    virtual size_t           LightCount() const = 0;
    virtual const COGLLight& Light(size_t index) const = 0;

    // Whether players collect their visible weapons, and the archive that
    // holds the capture-the-flag flag (null for none).
    virtual bool      VisibleWeaponsEnabled() const = 0;
    virtual CPakFile* CtfArchive() const = 0;
};
