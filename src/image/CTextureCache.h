#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class COGLTexture2D;

// The textures models share, found by path. The cache owns them; each holder
// owns one counted reference, and the cache deletes a texture when its last
// holder gives it back. A texture added described but not loaded counts no
// holder until its first Prepare, which gives its caller the first one.
class CTextureCache {
public:
    CTextureCache() = default;
    ~CTextureCache();
    CTextureCache(const CTextureCache&) = delete;
    CTextureCache& operator=(const CTextureCache&) = delete;

    // The first texture bound to exactly this path, with one more
    // reference; null when there is none.
    COGLTexture2D* Find(const std::string& path);
    COGLTexture2D* Add(std::unique_ptr<COGLTexture2D> texture);
    // One more holder of a texture of this cache.
    void AddReference(COGLTexture2D* texture);
    // One reference back; false when the texture is not in this cache.
    bool Release(COGLTexture2D* texture);
    // Deletes every texture whatever its count.
    void Clear();

    size_t Size() const { return textures.size(); }
    const COGLTexture2D& At(size_t index) const { return *textures[index]; }
    bool   Empty() const { return textures.empty(); }

private:
    std::vector<std::unique_ptr<COGLTexture2D>> textures;
};
