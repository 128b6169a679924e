#include "image/COGLTexture2D.h"

#include <GL/gl.h>

#include <cstring>

#include "image/COGLImage.h"
#include "image/Mipmaps.h"
#include "platform/BufferedStream.h"
#include "platform/WindowsPath.h"
#include "platform/CPakFile.h"

void ApplyTextureFilter(uint32_t textureName, int filter) {
    glBindTexture(GL_TEXTURE_2D, textureName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    if (filter == TEXTURE_FILTER_VIEWER) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
        return;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, filter == 0 ? GL_FASTEST : GL_NICEST);
}

COGLTexture2D::COGLTexture2D() = default;

COGLTexture2D::~COGLTexture2D() {
    if (textureName != 0) {
        glDeleteTextures(1, &textureName);
    }
}

bool COGLTexture2D::SetSource(const std::string& sourcePath, CPakFile* sourceArchive, bool defaultPalette) {
    if (sourceArchive == nullptr) {
        const StreamPtr file(OpenStreamForReading(sourcePath));
        if (!file) {
            return false;
        }
    }
    path = sourcePath;
    title = SplitPath(sourcePath).name;
    archive = sourceArchive;
    useDefaultPalette = defaultPalette;
    return true;
}

bool COGLTexture2D::Prepare() {
    if (image || loadTried) {
        return textureName != 0;
    }
    loadTried = true;
    if (!LoadDescribed()) {
        // Held like an uploaded texture: its holders keep it, and the
        // picture is neither decoded nor reported again.
        refCount += 1;
        return false;
    }
    return true;
}

bool COGLTexture2D::LoadDescribed() {
    if (archive == nullptr) {
        return LoadFromFile(path, useDefaultPalette);
    }
    const CPakEntry* entry = archive->FindEntry(path);
    if (entry == nullptr) {
        return false;
    }
    const bool loaded = LoadFromArchive(archive, entry->name, static_cast<uint32_t>(entry->offset),
                                        static_cast<uint32_t>(entry->length), useDefaultPalette);
    if (loaded) {
        image->path = entry->name;
    }
    return loaded;
}

COGLImage& COGLTexture2D::AttachNewImage() {
    image = std::make_unique<COGLImage>();
    return *image;
}

bool COGLTexture2D::LoadFromFile(const std::string& filePath, bool defaultPalette) {
    path = filePath;
    useDefaultPalette = defaultPalette;
    archive = nullptr;
    if (!AttachNewImage().LoadFromFile(filePath, true, defaultPalette)) {
        return false;
    }
    Upload();
    return true;
}

bool COGLTexture2D::LoadFromArchive(CPakFile* sourceArchive, const std::string& entryName, uint32_t offset,
                                    uint32_t size, bool defaultPalette) {
    FILE* stream = sourceArchive->AcquireFile();
    if (stream == nullptr) {
        return false;
    }
    // The stream is shared: put it back where the other holders left it.
    const off_t position = ftello(stream);
    archive = sourceArchive;
    const bool loaded = AttachNewImage().LoadFromArchive(stream, entryName, offset, size, true, defaultPalette);
    fseeko(stream, position, SEEK_SET);
    sourceArchive->ReleaseFile(stream);
    if (!loaded) {
        return false;
    }
    Upload();
    return true;
}

bool COGLTexture2D::LoadIndexed(FILE* stream, int width, int height) {
    archive = nullptr;
    useDefaultPalette = false;
    if (!AttachNewImage().LoadIndexed(stream, width, height)) {
        return false;
    }
    Upload();
    return true;
}

bool COGLTexture2D::LoadIndexedWithPalette(FILE* stream, const PaletteTable palette, int width, int height,
                                           int mode) {
    archive = nullptr;
    useDefaultPalette = false;
    if (!AttachNewImage().LoadIndexedWithPalette(stream, palette, width, height, mode)) {
        return false;
    }
    // A mode that loads nothing still succeeds, and leaves nothing to upload.
    if (!image->pixels.empty()) {
        Upload();
    }
    return true;
}

bool COGLTexture2D::CreateFromPixels(const uint8_t* pixels, int width, int height) {
    return CreateFromBuffer(pixels, width, height, false);
}

bool COGLTexture2D::CreateFromPixelsRGBA(const uint8_t* pixels, int width, int height) {
    return CreateFromBuffer(pixels, width, height, true);
}

bool COGLTexture2D::CreateFromBuffer(const uint8_t* pixels, int width, int height, bool rgba) {
    if (pixels == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    COGLImage& picture = AttachNewImage();
    picture.width = width;
    picture.height = height;
    picture.transparent = rgba;
    picture.hasAlpha = rgba;
    picture.pixels.assign(pixels, pixels + static_cast<size_t>(width) * height * (rgba ? 4 : 3));
    Upload();
    return true;
}

void COGLTexture2D::Upload() {
    COGLImage& picture = *image;
    glGenTextures(1, &textureName);
    glBindTexture(GL_TEXTURE_2D, textureName);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, 0);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    UploadWithMipmaps(picture.pixels.data(), picture.width, picture.height, picture.transparent ? 4 : 3);
    ApplyTextureFilter(textureName, TEXTURE_FILTER_VIEWER);
    refCount += 1;
    picture.FreePixels();
}
