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
#include "platform/CPakFile.h"
#include "platform/LittleEndian.h"
#include "platform/RecordIO.h"
#include "platform/WindowsPath.h"

namespace {

constexpr int MSG_ERROR_READING_SPRITE = 1022;
constexpr int MSG_INVALID_SPRITE_FORMAT = 1023;
constexpr int MSG_NO_TEXTURES = 1024;
constexpr int MSG_FRAME_TEXTURE_FAILED = 1025;
constexpr int MSG_NOT_A_VALID_SPRITE = 1026;

constexpr int32_t GL_DECAL_MODE = 0x2101;
constexpr uint64_t MAX_FILE_SIZE = 32u << 20;
constexpr size_t MAGIC_SIZE = 4;
constexpr size_t QUAKE2_HEADER_SIZE = 12;     // magic, version, frame count
constexpr size_t QUAKE2_FRAME_SIZE = 80;
constexpr size_t QUAKE2_NAME_OFFSET = 16;
constexpr size_t QUAKE2_NAME_SIZE = 64;
constexpr size_t INDEXED_HEADER_SIZE = 42;    // magic to the palette colour count
constexpr size_t INDEXED_FRAME_COUNT_OFFSET = 28;
constexpr size_t INDEXED_FORMAT_OFFSET = 12;
constexpr size_t PALETTE_SIZE = 768;
constexpr size_t INDEXED_FRAME_HEADER_SIZE = 20;
constexpr size_t MAX_LINE_LENGTH = 1023;
constexpr size_t MAX_WORD_TITLE = 259;
constexpr size_t MAX_NAME_TITLE = 65;

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Drops what comments hide; inComment carries over from line to line.
// Text in front of a "/*" goes with the comment.
std::string Uncommented(const std::string& line, bool& inComment) {
    size_t start = 0;
    for (;;) {
        if (inComment) {
            const size_t close = line.find("*/", start);
            if (close == std::string::npos) {
                break;
            }
            start = close + 2;
            inComment = false;
        }
        const size_t open = line.find("/*", start);
        if (open == std::string::npos) {
            break;
        }
        start = open + 2;
        inComment = true;
    }
    std::string rest = line.substr(start);
    const size_t lineComment = rest.find("//");
    if (lineComment != std::string::npos) {
        rest.resize(lineComment);
    }
    return rest;
}

// The lines ended by a carriage return and line feed; what follows the last
// pair is no line. Longer lines are cut.
std::vector<std::string> TextLines(const uint8_t* data, size_t size) {
    std::vector<std::string> lines;
    const char* text = reinterpret_cast<const char*>(data);
    size_t start = 0;
    for (size_t i = 0; i + 1 < size; i++) {
        if (text[i] == '\r' && text[i + 1] == '\n') {
            lines.emplace_back(text + start, std::min(i - start, MAX_LINE_LENGTH));
            start = i + 2;
            i++;
        }
    }
    return lines;
}

}  // namespace

// Frames read so far; the sprite takes them only when the whole file read.
struct COGLSprite::ReadFrames {
    std::vector<COGLTexture2D*> frames;
    std::vector<FrameInfo>      info;
    std::vector<std::string>    pictureNames;
    std::vector<std::unique_ptr<COGLTexture2D>> owned;
    int32_t     renderMode = -1;
    std::string folder;
    bool        inComment = false;
};

COGLSprite::COGLSprite() {
    name = "sprite";
    typeCode = TYPE_CODE;
    extents.z = 0.0f;
    textureMode = GL_DECAL_MODE;
}

COGLSprite::~COGLSprite() {
    ReleaseFrames();
}

void COGLSprite::GiveBack(COGLTexture2D* frame) {
    // The indexed sprites' own frames are not the cache's; they go with ownFrames.
    if (resources != nullptr) {
        resources->ReleaseTexture(frame);
    }
}

void COGLSprite::ReleaseFrames() {
    for (COGLTexture2D* frame : frames) {
        GiveBack(frame);
    }
    frames.clear();
    ownFrames.clear();
    texture = nullptr;
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

void COGLSprite::LoadFromFile(const std::string& filePath) {
    std::vector<uint8_t> data;
    const WholeFile read = ReadWholeFile(filePath, MAX_FILE_SIZE, data);
    if (read == WholeFile::missing) {
        return;
    }
    path = filePath;
    RenameFromPath(filePath);
    const PathParts parts = SplitPath(filePath);
    fileFolder = parts.drive + parts.folder;
    pak = nullptr;
    if (read == WholeFile::tooLarge) {
        ReportErrorId(MSG_ERROR_READING_SPRITE);
        loaded = false;
        return;
    }
    loaded = ReadSprite(data.data(), data.size());
}

void COGLSprite::LoadFromArchive(CPakFile& archive, const CPakEntry& entry) {
    path = entry.name;
    RenameFromPath(entry.name);
    pak = &archive;
    fileFolder.clear();
    std::vector<uint8_t> data;
    if (static_cast<uint64_t>(entry.length) > MAX_FILE_SIZE || !archive.ReadEntry(entry, data)) {
        ReportErrorId(MSG_ERROR_READING_SPRITE);
        loaded = false;
        return;
    }
    loaded = ReadSprite(data.data(), data.size());
}

bool COGLSprite::ReadSprite(const uint8_t* data, size_t size) {
    if (size < MAGIC_SIZE) {
        ReportErrorId(MSG_ERROR_READING_SPRITE);
        return false;
    }
    ReadFrames read;
    SpriteKind newKind = KIND_NONE;
    bool ok = false;
    if (std::memcmp(data, "IDS2", MAGIC_SIZE) == 0) {
        newKind = KIND_SP2;
        ok = ReadQuake2(data, size, read);
    } else if (std::memcmp(data, "IDSP", MAGIC_SIZE) == 0) {
        newKind = KIND_SPR;
        ok = ReadIndexed(data, size, read);
    } else if (std::memcmp(data, "SPRT", MAGIC_SIZE) == 0) {
        newKind = KIND_TEXT;
        ok = ReadText(data, size, read);
    } else {
        ReportErrorId(MSG_INVALID_SPRITE_FORMAT);
    }
    if (ok && read.frames.empty()) {
        // Frame 0 is shown and sets the aspect ratio: a sprite needs one.
        ReportErrorId(MSG_NO_TEXTURES);
        ok = false;
    }
    if (!ok) {
        for (COGLTexture2D* frame : read.frames) {
            GiveBack(frame);
        }
        return false;
    }

    ReleaseFrames();
    kind = newKind;
    frames = std::move(read.frames);
    frameInfo = std::move(read.info);
    pictureNames = std::move(read.pictureNames);
    ownFrames = std::move(read.owned);
    frameCount = static_cast<int32_t>(frames.size());
    renderMode = read.renderMode;
    if (kind == KIND_TEXT) {
        folder = read.folder;
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
    if (resources == nullptr || picturePath.empty()) {
        return nullptr;
    }
    COGLTexture2D* picture = resources->FindOrLoadTexture(picturePath, pak, "", false, false);
    // Names are relative to the game's folder, which a viewer on Linux does
    // not run from: a sprite on disk also finds its pictures from its own folder.
    // Looked up by the whole path, so that sprites sharing a picture share
    // its texture.
    if (picture == nullptr && pak == nullptr && !fileFolder.empty()) {
        const PathParts parts = SplitPath(picturePath);
        const std::string beside =
            fileFolder + (besideByName ? parts.name + parts.extension : picturePath);
        picture = resources->FindOrLoadTexture(beside, nullptr, "", false, false);
    }
    if (picture == nullptr) {
        return nullptr;
    }
    if (!picture->Prepare()) {
        resources->ReleaseTexture(picture);
        return nullptr;
    }
    return picture;
}

bool COGLSprite::ReadQuake2(const uint8_t* data, size_t size, ReadFrames& out) {
    if (size < QUAKE2_HEADER_SIZE) {
        ReportErrorId(MSG_ERROR_READING_SPRITE);
        return false;
    }
    if (Int32At(data + 4) != 2) {
        ReportErrorId(MSG_NOT_A_VALID_SPRITE);
        return false;
    }
    const int32_t count = Int32At(data + 8);
    if (count < 0 || static_cast<uint64_t>(count) > (size - QUAKE2_HEADER_SIZE) / QUAKE2_FRAME_SIZE) {
        ReportErrorId(MSG_ERROR_READING_SPRITE);
        return false;
    }
    out.renderMode = -1;
    for (int32_t i = 0; i < count; i++) {
        const char* field =
            reinterpret_cast<const char*>(data + QUAKE2_HEADER_SIZE + QUAKE2_FRAME_SIZE * i + QUAKE2_NAME_OFFSET);
        const std::string pictureName(field, strnlen(field, QUAKE2_NAME_SIZE));
        out.pictureNames.push_back(pictureName);
        COGLTexture2D* picture = LoadPicture(pictureName, true);
        if (picture == nullptr) {
            ReportErrorId(MSG_FRAME_TEXTURE_FAILED);
            return false;
        }
        out.frames.push_back(picture);
        out.info.push_back({ Int32At(data + QUAKE2_HEADER_SIZE + QUAKE2_FRAME_SIZE * i),
                             Int32At(data + QUAKE2_HEADER_SIZE + QUAKE2_FRAME_SIZE * i + 4), picture->title });
    }
    return true;
}

bool COGLSprite::ReadIndexed(const uint8_t* data, size_t size, ReadFrames& out) {
    if (size < INDEXED_HEADER_SIZE + PALETTE_SIZE) {
        if (size >= 8 && Int32At(data + 4) != 2) {
            ReportErrorId(MSG_NOT_A_VALID_SPRITE);
        } else {
            ReportErrorId(MSG_ERROR_READING_SPRITE);
        }
        return false;
    }
    if (Int32At(data + 4) != 2) {
        ReportErrorId(MSG_NOT_A_VALID_SPRITE);
        return false;
    }
    out.renderMode = Int32At(data + INDEXED_FORMAT_OFFSET);
    const int32_t count = Int32At(data + INDEXED_FRAME_COUNT_OFFSET);
    PaletteTable palette;
    ConvertPalette(palette, data + INDEXED_HEADER_SIZE);

    size_t offset = INDEXED_HEADER_SIZE + PALETTE_SIZE;
    if (count < 0 || static_cast<uint64_t>(count) > (size - offset) / INDEXED_FRAME_HEADER_SIZE) {
        ReportErrorId(MSG_ERROR_READING_SPRITE);
        return false;
    }
    for (int32_t i = 0; i < count; i++) {
        if (size - offset < INDEXED_FRAME_HEADER_SIZE) {
            ReportErrorId(MSG_ERROR_READING_SPRITE);
            return false;
        }
        // A frame group (type 1) holds several pictures this reader cannot
        // show; its bytes would be read as a picture of garbage size.
        const int32_t frameType = Int32At(data + offset);
        const int32_t width = Int32At(data + offset + 12);
        const int32_t height = Int32At(data + offset + 16);
        offset += INDEXED_FRAME_HEADER_SIZE;
        const int64_t pixelCount = int64_t(width) * height;
        if (frameType != 0 || width <= 0 || height <= 0 || pixelCount > static_cast<int64_t>(size - offset)) {
            ReportErrorId(MSG_FRAME_TEXTURE_FAILED);
            return false;
        }
        // The picture reads exactly its own bytes: a format that loads
        // nothing still moves on to the next frame.
        FILE* stream = fmemopen(const_cast<uint8_t*>(data + offset), static_cast<size_t>(pixelCount), "rb");
        auto frame = std::make_unique<COGLTexture2D>();
        const bool loadedFrame =
            stream != nullptr && frame->LoadIndexedWithPalette(stream, palette, width, height, out.renderMode);
        if (stream != nullptr) {
            std::fclose(stream);
        }
        if (!loadedFrame) {
            ReportErrorId(MSG_FRAME_TEXTURE_FAILED);
            return false;
        }
        offset += static_cast<size_t>(pixelCount);
        out.info.push_back({ width, height, "frame " + std::to_string(i) });
        out.frames.push_back(frame.get());
        out.owned.push_back(std::move(frame));
    }
    return true;
}

bool COGLSprite::ReadText(const uint8_t* data, size_t size, ReadFrames& out) {
    out.renderMode = 5;
    for (const std::string& line : TextLines(data + MAGIC_SIZE, size - MAGIC_SIZE)) {
        if (!ReadTextLine(line, out)) {
            return false;
        }
    }
    return true;
}

bool COGLSprite::ReadTextLine(const std::string& line, ReadFrames& out) {
    const std::string text = Uncommented(line, out.inComment);
    if (out.inComment) {
        return true;
    }
    const size_t dot = text.rfind('.');
    if (dot == std::string::npos || dot == 0 || text.compare(dot, 4, ".tga") != 0) {
        if (StartsWith(text, "path")) {
            size_t start = 4;
            while (start < text.size() && IsBlank(text[start])) {
                start++;
            }
            size_t end = start;
            while (end < text.size() && !IsBlank(text[end])) {
                end++;
            }
            out.folder = text.substr(start, end - start);
        }
        return true;  // "scale" and anything else are accepted and ignored
    }

    const std::string frameLine = text.substr(0, dot + 4);
    size_t nameStart = dot;
    while (nameStart > 0 && !IsBlank(frameLine[nameStart - 1])) {
        nameStart--;
    }
    const std::string fileName = frameLine.substr(nameStart);
    std::string title;
    if (nameStart > 0) {
        size_t wordEnd = 0;
        while (wordEnd < frameLine.size() && !IsBlank(frameLine[wordEnd])) {
            wordEnd++;
        }
        title = frameLine.substr(0, std::min(wordEnd, MAX_WORD_TITLE));
    } else {
        title = fileName.substr(0, std::min(dot, MAX_NAME_TITLE));
    }
    // Without a "path" line the picture is named as it stands, not from the root.
    const std::string picturePath = out.folder.empty() ? fileName : out.folder + "/" + fileName;
    out.pictureNames.push_back(picturePath);
    COGLTexture2D* picture = LoadPicture(picturePath, false);
    if (picture == nullptr) {
        ReportErrorId(MSG_FRAME_TEXTURE_FAILED);
        return false;
    }
    picture->title = title;
    out.frames.push_back(picture);
    const COGLImage* image = picture->image.get();
    out.info.push_back({ image != nullptr ? image->width : 0, image != nullptr ? image->height : 0, title });
    return true;
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

void COGLSprite::Draw(int flags) {
    if (flags == 0 || !visible) {
        return;
    }
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    ApplyRotation();
    if ((flags & DRAW_MATERIAL) == 0) {
        DrawQuad(GL_QUADS);
    } else {
        ApplyMaterial();
        const COGLImage* picture = texture != nullptr ? texture->image.get() : nullptr;
        bool blends = false;
        bool alphaTest = false;
        switch (renderMode) {
        case -1:
            blends = transparent || (picture != nullptr && picture->hasAlpha);
            if (blends) {
                glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            }
            alphaTest = true;
            break;
        case 1:
            blends = true;
            glBlendFunc(GL_ONE, GL_ONE);
            break;
        case 2:
        case 5:
            blends = true;
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            break;
        case 3:
            alphaTest = true;
            break;
        default:
            break;
        }
        if (blends) {
            glEnable(GL_BLEND);
            glDepthMask(GL_FALSE);
        }
        if (alphaTest) {
            glAlphaFunc(GL_GREATER, 0.1f);
            glEnable(GL_ALPHA_TEST);
        }
        // Decal shows the frame's colours at the material's alpha, so
        // blending and the alpha test would keep the key-coloured texels too.
        // The other modes replace, with the frame's own alpha. A Quake II
        // sprite, whose blending follows the object's transparency, must
        // still fade with its material: unlit, modulating a white of the
        // material's alpha gives the frame's colours at both alphas.
        const bool decal = textureMode == GL_DECAL_MODE;
        const bool fades = decal && renderMode == -1;
        const int32_t envMode = fades ? GL_MODULATE : decal ? GL_REPLACE : textureMode;
        if (fades) {
            glPushAttrib(GL_CURRENT_BIT | GL_LIGHTING_BIT);
            glDisable(GL_LIGHTING);
            glColor4f(1.0f, 1.0f, 1.0f, diffuse[3]);
        }
        GLint previousTexture = 0;
        GLint previousEnvMode = GL_MODULATE;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &previousEnvMode);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->textureName : 0);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, envMode);
        glMatrixMode(GL_MODELVIEW);
        DrawQuad(GL_QUADS);
        if (fades) {
            glPopAttrib();
        }
        glDisable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, previousEnvMode);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture));
        if (alphaTest) {
            glDisable(GL_ALPHA_TEST);
        }
        if (blends) {
            glDisable(GL_BLEND);
        }
        if (blends || renderMode == 3) {
            glDepthMask(GL_TRUE);
        }
    }
    if ((flags & DRAW_AXES) != 0) {
        DrawAxes();
    }
    glPopMatrix();
}

void COGLSprite::DrawForSelection() {
    if (selectionName & HIDDEN_BIT) {
        return;
    }
    glLoadName(selectionName);
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    ApplyRotation();
    DrawQuad(GL_QUADS);
    glPopMatrix();
}

void COGLSprite::DrawSelected() {
    if (!visible) {
        return;
    }
    BeginHighlight();
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
            LoadFrom(archive, spritePath, nullptr);
        }
    } else {
        LoadFrom(nullptr, spritePath, owner.Locator());
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
