#include "image/COGLTexture2D.h"

#include <GL/gl.h>

#include "image/COGLImage.h"
#include "image/Mipmaps.h"
#include "platform/WindowsPath.h"

namespace {

// No real picture file comes near this; a larger one is refused before it is read.
constexpr uint64_t MAX_PICTURE_FILE_BYTES = 64u << 20;
constexpr int MSG_COULD_NOT_LOAD_BITMAP = 104;

}  // namespace

void ApplyTextureFilter(uint32_t textureName, int filter) {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, textureName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    const bool smooth = filter == TEXTURE_FILTER_VIEWER;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, smooth ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, smooth ? GL_LINEAR : GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
}

COGLTexture2D::COGLTexture2D(AssetId picture, bool defaultPalette)
    : source(std::move(picture)), useDefaultPalette(defaultPalette), path(source.path),
      title(SplitPath(source.path).name) {
}

COGLTexture2D::COGLTexture2D(std::shared_ptr<const COGLImage> picture, std::string title)
    : image(std::move(picture)), title(std::move(title)), decodeTried(true) {
}

COGLTexture2D::~COGLTexture2D() {
    if (textureName != 0) {
        glDeleteTextures(1, &textureName);
    }
}

bool COGLTexture2D::Decode(CAssetSource& assets, LoadMessages& messages) {
    if (decodeTried) {
        return image != nullptr;
    }
    decodeTried = true;
    std::vector<uint8_t> bytes;
    const AssetRead read = assets.Read(source, MAX_PICTURE_FILE_BYTES, bytes);
    if (read == AssetRead::tooLarge) {
        AddMessage(messages, MSG_COULD_NOT_LOAD_BITMAP);
        return false;
    }
    if (read != AssetRead::read) {
        return false;
    }
    auto picture = std::make_shared<COGLImage>();
    const bool decoded = source.InArchive()
                             ? picture->DecodeEntry(source.path, bytes, true, useDefaultPalette, messages)
                             : picture->DecodeFile(source.path, bytes, true, useDefaultPalette, messages);
    if (decoded) {
        image = std::move(picture);
    }
    return decoded;
}

bool COGLTexture2D::Upload() {
    if (textureName != 0) {
        return true;
    }
    if (image == nullptr || image->pixels.empty()) {
        return false;
    }
    GLint unpack[5];
    glGetIntegerv(GL_UNPACK_SWAP_BYTES, &unpack[0]);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &unpack[1]);
    glGetIntegerv(GL_UNPACK_SKIP_ROWS, &unpack[2]);
    glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &unpack[3]);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack[4]);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);

    glGenTextures(1, &textureName);
    glBindTexture(GL_TEXTURE_2D, textureName);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, 0);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    UploadWithMipmaps(image->pixels.data(), image->width, image->height, image->transparent ? 4 : 3);
    ApplyTextureFilter(textureName, TEXTURE_FILTER_VIEWER);

    glPixelStorei(GL_UNPACK_SWAP_BYTES, unpack[0]);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, unpack[1]);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, unpack[2]);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, unpack[3]);
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack[4]);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    return true;
}

uint32_t COGLTexture2D::UploadedName() {
    Upload();
    return textureName;
}
