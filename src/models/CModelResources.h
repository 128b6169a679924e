#pragma once

#include <cstddef>
#include <memory>
#include <string>

class CFileLocator;
class COGLLight;
class COGLTexture2D;
class CPakFile;

// What models take from the scene that holds them: the shared skins, the
// open archives and, while a scene loads, its file locator. The scene
// implements it; a model read on its own has none.
class CModelResources {
public:
    virtual ~CModelResources() = default;

    // A shared texture by exact path, with one more reference; null when
    // the cache has none.
    virtual COGLTexture2D* FindTexture(const std::string& name) = 0;
    // The cached texture, or a new one described from disk (name, or folder
    // + its file name) or from an archive entry, optionally looked for in
    // every archive. Null when none has it.
    virtual COGLTexture2D* FindOrLoadTexture(const std::string& name, CPakFile* pak, const std::string& folder,
                                             bool useDefaultPalette, bool searchAllPaks) = 0;
    // Shares a texture a model made itself; the caller holds its first
    // reference (the one its upload counted).
    virtual COGLTexture2D* ShareTexture(std::unique_ptr<COGLTexture2D> texture) = 0;
    // One more holder of a shared texture.
    virtual void AddTextureReference(COGLTexture2D* texture) = 0;
    // One reference back; false when the texture is not a shared one.
    virtual bool ReleaseTexture(COGLTexture2D* texture) = 0;

    virtual CPakFile* GetPak(int index) const = 0;
    // Position of the archive, -1 when it is not open here.
    virtual int       IndexOfPak(const CPakFile* pak) const = 0;
    // The file locator of the load in progress; null otherwise.
    virtual CFileLocator* Locator() const = 0;

    // The scene's lights, for models that light themselves.
    virtual size_t           LightCount() const = 0;
    virtual const COGLLight& Light(size_t index) const = 0;

    // Whether players collect their visible weapons, and the archive that
    // holds the capture-the-flag flag (null for none).
    virtual bool      VisibleWeaponsEnabled() const = 0;
    virtual CPakFile* CtfArchive() const = 0;
};
