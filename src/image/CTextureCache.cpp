#include "image/CTextureCache.h"

#include "image/COGLTexture2D.h"

CTextureCache::~CTextureCache() {
    Clear();
}

COGLTexture2D* CTextureCache::Find(const std::string& path) {
    for (const std::unique_ptr<COGLTexture2D>& texture : textures) {
        if (texture->path == path) {
            texture->refCount += 1;
            return texture.get();
        }
    }
    return nullptr;
}

COGLTexture2D* CTextureCache::Add(std::unique_ptr<COGLTexture2D> texture) {
    textures.push_back(std::move(texture));
    return textures.back().get();
}

void CTextureCache::AddReference(COGLTexture2D* texture) {
    texture->refCount += 1;
}

bool CTextureCache::Release(COGLTexture2D* texture) {
    for (auto it = textures.begin(); it != textures.end(); ++it) {
        if (it->get() != texture) {
            continue;
        }
        texture->refCount -= 1;
        if (texture->refCount < 1) {
            textures.erase(it);
        }
        return true;
    }
    return false;
}

void CTextureCache::Clear() {
    textures.clear();
}
