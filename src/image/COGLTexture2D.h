#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "diag/LoadMessages.h"
#include "platform/CAssetSource.h"

class COGLImage;

// Texture filtering of a scene: 2 is what every viewer scene uses
// (trilinear-ish: linear, nearest mipmap); 0 and 1 are nearest.
constexpr int TEXTURE_FILTER_VIEWER = 2;
// Sets the texture's wrap and filter parameters; the binding stays as it was.
void ApplyTextureFilter(uint32_t textureName, int filter);

// One picture and the OpenGL texture object made from it, in two steps: the
// picture is decoded once (a picture file or archive entry read through the
// load's asset source, or a picture a model file holds), with no OpenGL;
// Upload makes the texture object once, with the context current.
class COGLTexture2D {
public:
    // A picture file or archive entry, decoded by the first Decode.
    COGLTexture2D(AssetId source, bool defaultPalette);
    // A picture decoded already (one a model file holds), shared with the
    // model's data, under the title the model gives it.
    explicit COGLTexture2D(std::shared_ptr<const COGLImage> picture, std::string title = "");
    // Deletes the OpenGL texture object.
    ~COGLTexture2D();
    COGLTexture2D(const COGLTexture2D&) = delete;
    COGLTexture2D& operator=(const COGLTexture2D&) = delete;

    // Reads and decodes the described picture the first time, adding why it
    // failed to messages; later calls answer at once and add nothing.
    bool Decode(CAssetSource& source, LoadMessages& messages);
    bool HasPicture() const { return image != nullptr; }
    // Makes the texture object from the picture the first time; needs the
    // context current. False when there is no picture to make it from.
    bool Upload();
    // The texture object's name, uploading it first when that is still to
    // do; 0, which binds none, when there is no picture.
    uint32_t UploadedName();
    // The picture's file name without folder and extension, or the title
    // the model file gave it; kept for life, since cached textures are
    // shared by every model that names them.
    const std::string& Title() const { return title; }

    uint32_t    textureName = 0;
    std::shared_ptr<const COGLImage> image;
    AssetId     source;
    bool        useDefaultPalette = false;
    // The entry name or the file's path as found: what records store.
    std::string path;

private:
    std::string title;
    bool decodeTried = false;
};
