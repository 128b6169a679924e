#include "image/CTextureCache.h"

#include "image/COGLTexture2D.h"

size_t TextureKeyHash::operator()(const TextureKey& key) const {
    return AssetIdHash()(key.source) * 31u + static_cast<size_t>(key.part) * 2u + (key.defaultPalette ? 1u : 0u);
}

CTextureCache::~CTextureCache() {
    Clear();
}

COGLTexture2D* CTextureCache::Find(const TextureKey& key) const {
    const auto found = byKey.find(key);
    return found != byKey.end() ? found->second : nullptr;
}

COGLTexture2D* CTextureCache::Add(const TextureKey& key, std::unique_ptr<COGLTexture2D> texture) {
    COGLTexture2D* added = texture.get();
    textures.push_back(std::move(texture));
    byKey[key] = added;
    return added;
}

void CTextureCache::UploadAll() {
    for (const std::unique_ptr<COGLTexture2D>& texture : textures) {
        texture->Upload();
    }
}

void CTextureCache::Clear() {
    byKey.clear();
    textures.clear();
}
