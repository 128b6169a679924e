#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/CAssetSource.h"

class COGLTexture2D;

// Which picture a cached texture shows: a whole picture file or entry (part
// -1), or the part-th picture a model file holds; a PCX read with the
// default palette is another picture than the same file read with its own.
struct TextureKey {
    AssetId source;
    int32_t part = -1;
    bool    defaultPalette = false;

    bool operator==(const TextureKey& other) const {
        return source == other.source && part == other.part && defaultPalette == other.defaultPalette;
    }
};

struct TextureKeyHash {
    size_t operator()(const TextureKey& key) const;
};

// The textures a scene's objects share, one per picture, found by what the
// picture is rather than by the name that led to it. The cache owns them for
// the scene's lifetime; holders keep plain pointers. Delete it with the
// OpenGL context current.
class CTextureCache {
public:
    CTextureCache() = default;
    ~CTextureCache();
    CTextureCache(const CTextureCache&) = delete;
    CTextureCache& operator=(const CTextureCache&) = delete;

    // Null when the cache has no texture of that picture.
    COGLTexture2D* Find(const TextureKey& key) const;
    COGLTexture2D* Add(const TextureKey& key, std::unique_ptr<COGLTexture2D> texture);
    // Makes the texture object of every decoded picture; context current.
    void UploadAll();
    // Deletes every texture.
    void Clear();

    size_t Size() const { return textures.size(); }
    const COGLTexture2D& At(size_t index) const { return *textures[index]; }
    bool   Empty() const { return textures.empty(); }

private:
    // In the order they were added, which is the order the tool lists them in.
    std::vector<std::unique_ptr<COGLTexture2D>> textures;
    std::unordered_map<TextureKey, COGLTexture2D*, TextureKeyHash> byKey;
};
