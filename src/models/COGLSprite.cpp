#include "models/COGLSprite.h"

#include <GL/gl.h>

#include <cctype>
#include <cmath>
#include <cstring>

#include "diag/CDiagnostics.h"
#include "image/COGLImage.h"
#include "image/COGLTexture2D.h"
#include "image/Palettes.h"
#include "models/CModelResources.h"
#include "platform/CFile.h"
#include "platform/CGLState.h"
#include "platform/CPakFile.h"
#include "platform/LittleEndian.h"
#include "platform/RecordIO.h"
#include "platform/WindowsPath.h"

namespace {

constexpr int MSG_ERROR_READING_SPRITE = 1022;
constexpr int MSG_NO_TEXTURES = 1024;
constexpr int MSG_FRAME_TEXTURE_FAILED = 1025;

constexpr int32_t GL_DECAL_MODE = 0x2101;
constexpr uint64_t MAX_FILE_SIZE = 32u << 20;

}  // namespace

COGLSprite::COGLSprite() {
    name = "sprite";
    typeCode = TYPE_CODE;
    extents.z = 0.0f;
    textureMode = GL_DECAL_MODE;
}

const char* COGLSprite::Kind() const {
    switch (kind) {
    case KIND_SP2: return "sp2";
    case KIND_SPR: return "spr";
    case KIND_TEXT: return "text";
    default: return "sprite";
    }
}

void COGLSprite::RenameFromPath(const std::string& spritePath) {
    name = SplitPath(spritePath).name;
}

bool COGLSprite::ReadAsset(const AssetId& id) {
    TakeSource(id);
    RenameFromPath(path);
    const ParsedModel& parsed = ParseShared(TYPE_CODE, MAX_FILE_SIZE, [](std::vector<uint8_t>&& bytes) {
        // Too big to be a sprite, or gone: a file that cannot be read.
        return bytes.empty() ? ParsedModel{ nullptr, { { MSG_ERROR_READING_SPRITE, {} } } } : ParseSprite(bytes);
    });
    resources->Report(parsed.messages, path);
    const auto sprite = std::static_pointer_cast<const CSpriteData>(parsed.data);
    return sprite != nullptr && TakeFrames(*sprite);
}

bool COGLSprite::TakeFrames(const CSpriteData& sprite) {
    std::vector<COGLTexture2D*> newFrames;
    std::vector<FrameInfo>      newInfo;
    std::vector<std::string>    names;
    for (size_t i = 0; i < sprite.frames.size(); i++) {
        const CSpriteData::Frame& frame = sprite.frames[i];
        COGLTexture2D* picture = nullptr;
        if (frame.picture != nullptr) {
            picture = resources->ShareTexture(source, static_cast<int32_t>(i), frame.picture, "");
        } else {
            names.push_back(frame.pictureName);
            picture = LoadPicture(frame.pictureName, sprite.kind == KIND_SP2);
        }
        if (picture == nullptr) {
            resources->Report({ { MSG_FRAME_TEXTURE_FAILED, {} } }, frame.picture != nullptr ? path : frame.pictureName);
            return false;
        }
        newFrames.push_back(picture);
        const COGLImage* image = picture->image.get();
        if (sprite.kind == KIND_TEXT) {
            newInfo.push_back({ image != nullptr ? image->width : 0, image != nullptr ? image->height : 0, frame.title });
        } else {
            newInfo.push_back({ frame.width, frame.height, sprite.kind == KIND_SP2 ? picture->Title() : frame.title });
        }
    }
    if (newFrames.empty()) {
        // Frame 0 is shown and sets the aspect ratio: a sprite needs one.
        resources->Report({ { MSG_NO_TEXTURES, {} } }, path);
        return false;
    }
    kind = sprite.kind;
    frames = std::move(newFrames);
    frameInfo = std::move(newInfo);
    pictureNames = std::move(names);
    frameCount = static_cast<int32_t>(frames.size());
    blendMode = sprite.blendMode;
    if (kind == KIND_TEXT) {
        folder = sprite.folder;
    }
    dataLoaded = true;
    framePosition = 0.0f;
    currentFrame = 0;

    SetTexture(frames.front());
    // The size as loaded (fitted to a texture size); a frame an unknown
    // format left without a picture keeps the quad square.
    const COGLImage* picture = frames.front()->image.get();
    const float w = picture != nullptr ? static_cast<float>(picture->width) : 0.0f;
    const float h = picture != nullptr ? static_cast<float>(picture->height) : 0.0f;
    if (w <= 0.0f || h <= 0.0f) {
        scale.x = scale.y = 1.0f;
    } else if (w <= h) {
        scale.y = 1.0f;
        scale.x = w / h;
    } else {
        scale.x = 1.0f;
        scale.y = h / w;
    }
    extents.x = scale.x;
    extents.y = scale.y;
    StartAnimation();
    return true;
}

COGLTexture2D* COGLSprite::LoadPicture(const std::string& picturePath, bool besideByName) {
    if (picturePath.empty()) {
        return nullptr;
    }
    COGLTexture2D* picture = resources->FindOrLoadTexture(picturePath, pak, "", false, false);
    // Names are relative to the game's folder, which a viewer on Linux does
    // not run from: a sprite on disk also finds its pictures from its own folder.
    if (picture == nullptr && pak == nullptr && !folder.empty()) {
        const PathParts parts = SplitPath(picturePath);
        const std::string beside = folder + (besideByName ? parts.name + parts.extension : picturePath);
        picture = resources->FindOrLoadTexture(beside, nullptr, "", false, false);
    }
    return resources->PrepareTexture(picture) ? picture : nullptr;
}

void COGLSprite::StartAnimation() {
    if (frameCount > 1) {
        animating = true;
    }
}

void COGLSprite::Animate() {
    if (frameCount <= 0) {
        return;
    }
    framePosition += frameStep;
    const int32_t previous = currentFrame;
    // A step or position from a forged record must not name a frame the
    // sprite does not have.
    if (!(framePosition >= 0.0f) || framePosition >= static_cast<float>(frameCount)) {
        framePosition = 0.0f;
    }
    currentFrame = static_cast<int32_t>(framePosition);
    if (currentFrame != previous) {
        SetTexture(frames[static_cast<size_t>(currentFrame)]);
    }
}

void COGLSprite::Rotate(const CVector& axis, float degrees) {
    if (axis.x != 0.0f || axis.y != 0.0f || axis.z != 1.0f || !std::isfinite(degrees)) {
        return;
    }
    // Far from zero, subtracting 360 no longer changes a float.
    if (std::fabs(degrees) > 3600.0f) {
        degrees = std::fmod(degrees, 360.0f);
    }
    while (degrees > 359.0f) {
        degrees -= 360.0f;
    }
    while (degrees < 0.0f) {
        degrees += 360.0f;
    }
    roll -= degrees;
}

void COGLSprite::RotateZ(float degrees) {
    roll -= degrees;
}

void COGLSprite::SetScaleX(float x) {
    scale.x = x;
    extents.x = x;
}

void COGLSprite::SetScaleY(float y) {
    scale.y = y;
    extents.y = y;
}

void COGLSprite::ApplyRotation() {
    double m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    const double r = roll * 0.01745329251994;
    const double c = roll == 0.0f ? 1.0 : std::cos(r);
    const double s = roll == 0.0f ? 0.0 : std::sin(r);
    m[0] = c;
    m[1] = s;
    m[2] = 0.0;
    m[4] = -s;
    m[5] = c;
    m[6] = 0.0;
    m[8] = 0.0;
    m[9] = 0.0;
    m[10] = 1.0;
    glLoadMatrixd(m);
}

void COGLSprite::DrawQuad(unsigned int primitive) const {
    const float sx = scale.x;
    const float sy = scale.y;
    glBegin(primitive);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(sx, sy, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-sx, sy, 0.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-sx, -sy, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(sx, -sy, 0.0f);
    glEnd();
}

void COGLSprite::DrawMesh() {
    DrawQuad(GL_QUADS);
}

void COGLSprite::Draw(CGLState& gl, int flags) {
    if (flags == 0 || !IsVisible()) {
        return;
    }
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    ApplyRotation();
    if ((flags & DRAW_MATERIAL) == 0) {
        gl.Apply(gl.Baseline());
        DrawQuad(GL_QUADS);
    } else {
        DrawTextured(gl);
    }
    if ((flags & DRAW_AXES) != 0) {
        gl.Apply(gl.Baseline());
        DrawAxes();
    }
    glPopMatrix();
}

COGLSprite::Blending COGLSprite::FrameBlending(const COGLImage* picture) const {
    Blending blending;
    switch (blendMode) {
    case -1:
        blending.blends = transparent || (picture != nullptr && picture->hasAlpha);
        blending.alphaTest = true;
        break;
    case 1:
        blending.blends = true;
        blending.additive = true;
        break;
    case 2:
    case 5:
        blending.blends = true;
        break;
    case 3:
        blending.alphaTest = true;
        break;
    default:
        break;
    }
    return blending;
}

uint32_t COGLSprite::BlendBits(uint32_t bits) const {
    const Blending blending = FrameBlending(texture != nullptr ? texture->image.get() : nullptr);
    if (blending.additive) {
        bits |= GLS_BLEND_ADD;
    }
    if (blending.blends) {
        bits = (bits | GLS_BLEND) & ~GLS_DEPTH_WRITE;
    }
    if (blending.alphaTest) {
        bits = (bits | GLS_ALPHA_TEST) & ~GLS_ALPHA_HALF;
    }
    return bits;
}

void COGLSprite::DrawTextured(CGLState& gl) {
    ApplyMaterial();
    uint32_t bits = BlendBits(gl.Baseline() & ~(GLS_BLEND | GLS_BLEND_ADD)) | GLS_TEXTURE_2D;
    // Decal shows the frame's colours at the material's alpha, so
    // blending and the alpha test would keep the key-coloured texels too.
    // The other modes replace, with the frame's own alpha. A Quake II
    // sprite, whose blending follows the object's transparency, must
    // still fade with its material: unlit, modulating a white of the
    // material's alpha gives the frame's colours at both alphas.
    const bool decal = textureMode == GL_DECAL_MODE;
    const bool fades = decal && blendMode == -1;
    const int32_t envMode = fades ? GL_MODULATE : decal ? GL_REPLACE : textureMode;
    if (fades) {
        bits &= ~GLS_LIGHTING;
        glPushAttrib(GL_CURRENT_BIT);
        glColor4f(1.0f, 1.0f, 1.0f, diffuse[3]);
    }
    gl.Apply(bits);
    gl.BindTexture(texture != nullptr ? texture->UploadedName() : 0);
    gl.TextureEnvMode(envMode);
    DrawQuad(GL_QUADS);
    if (fades) {
        glPopAttrib();
    }
}

void COGLSprite::DrawForSelection() {
    if (SelectionName() & HIDDEN_BIT) {
        return;
    }
    glLoadName(SelectionName());
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    ApplyRotation();
    DrawQuad(GL_QUADS);
    glPopMatrix();
}

void COGLSprite::DrawSelected(CGLState& gl) {
    if (!IsVisible()) {
        return;
    }
    BeginHighlight(gl);
    glTranslatef(0.0f, 0.0f, 0.01f);
    glTranslatef(position.x, position.y, position.z);
    ApplyRotation();
    DrawQuad(GL_LINE_LOOP);
    DrawAxes();
    EndHighlight();
}

void COGLSprite::DrawAxes() {
    COGLObject::DrawAxes();
}

void COGLSprite::FrameBounds(int32_t, CVector& min, CVector& max) const {
    min = CVector(-scale.x, -scale.y, 0.0f);
    max = CVector(scale.x, scale.y, 0.0f);
}

void COGLSprite::PlacedBounds(CVector& min, CVector& max) const {
    min = CVector(position.x - scale.x, position.y - scale.y, position.z - scale.x);
    max = CVector(position.x + scale.x, position.y + scale.y, position.z + scale.x);
}

void COGLSprite::LoadModel(CFile& file, int version, CModelResources& owner) {
    resources = &owner;
    Load(file, version);
    const std::string recordName = name;
    const float recordScaleX = scale.x;
    const float recordScaleY = scale.y;

    const std::string spritePath = ReadPathField(file);
    const int32_t pakIndex = ReadInt32(file);
    if (pakIndex >= 0) {
        if (CPakFile* archive = owner.GetPak(pakIndex)) {
            LoadFrom(archive, spritePath, false);
        }
    } else {
        LoadFrom(nullptr, spritePath, true);
    }
    frameStep = ReadFloat(file);
    framePosition = ReadFloat(file);
    currentFrame = ReadInt32(file);
    reserved = ReadByte(file);

    name = recordName;
    scale.x = recordScaleX;
    scale.y = recordScaleY;
}

void COGLSprite::Save(CFile& file, int textureIndex) const {
    CRecordWriter out;
    WritePrefix(out, textureIndex);
    out.WriteName(path, PATH_FIELD_SIZE);
    out.WriteInt32(resources != nullptr && pak != nullptr ? resources->IndexOfPak(pak) : -1);
    out.WriteFloat(frameStep);
    out.WriteFloat(framePosition);
    out.WriteInt32(currentFrame);
    out.WriteByte(reserved);
    file.Write(out.Bytes().data(), out.Bytes().size());
}
