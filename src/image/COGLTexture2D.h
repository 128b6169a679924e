#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "image/Palettes.h"

class COGLImage;
class CPakFile;

// Texture filtering of a scene: 2 is what every viewer scene uses
// (trilinear-ish: linear, nearest mipmap); 0 and 1 are nearest.
constexpr int TEXTURE_FILTER_VIEWER = 2;
// Binds the texture and sets its wrap and filter parameters.
void ApplyTextureFilter(uint32_t textureName, int filter);

// One OpenGL texture object made from one picture. A texture is first
// described (a file on disk, or an entry of an archive) and loaded on demand
// by Prepare, at most once. Textures models share live in a CTextureCache,
// which counts their holders; the count starts at the first load.
// Everything that touches OpenGL needs the context current.
class COGLTexture2D {
public:
    COGLTexture2D();
    // Deletes the OpenGL texture object, then the image.
    ~COGLTexture2D();
    COGLTexture2D(const COGLTexture2D&) = delete;
    COGLTexture2D& operator=(const COGLTexture2D&) = delete;

    // Describes where the picture is; loads nothing. A file on disk (archive
    // null) must open, else false and nothing changes.
    bool SetSource(const std::string& sourcePath, CPakFile* sourceArchive, bool defaultPalette);
    // Loads and uploads the described picture the first time; later calls
    // answer at once, even when the first load failed. The first call gives
    // the caller the first reference, whether the picture loaded or not.
    bool Prepare();
    bool LoadFromFile(const std::string& filePath, bool defaultPalette);
    bool LoadFromArchive(CPakFile* sourceArchive, const std::string& entryName, uint32_t offset, uint32_t size,
                         bool defaultPalette);
    // width x height palette indices at the stream's position.
    bool LoadIndexed(FILE* stream, int width, int height);
    bool LoadIndexedWithPalette(FILE* stream, const PaletteTable palette, int width, int height, int mode);
    // Tightly packed pixels, the first row at t = 0, used at their own size.
    bool CreateFromPixels(const uint8_t* pixels, int width, int height);
    bool CreateFromPixelsRGBA(const uint8_t* pixels, int width, int height);
    // Holders counted by the cache that shares the texture.
    int32_t References() const { return refCount; }

    uint32_t    textureName = 0;
    std::unique_ptr<COGLImage> image;
    bool        useDefaultPalette = false;
    std::string title;
    CPakFile*   archive = nullptr;   // not owned
    std::string path;

private:
    friend class CTextureCache;

    int32_t     refCount = 0;
    bool        loadTried = false;
    bool LoadDescribed();
    COGLImage& AttachNewImage();
    bool CreateFromBuffer(const uint8_t* pixels, int width, int height, bool rgba);
    void Upload();
};
