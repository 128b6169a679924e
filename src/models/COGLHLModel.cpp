#include "models/COGLHLModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <GL/gl.h>

#include "image/COGLTexture2D.h"
#include "models/CModelResources.h"
#include "platform/CFile.h"
#include "platform/CPakFile.h"
#include "platform/LittleEndian.h"
#include "platform/RecordIO.h"
#include "platform/WindowsPath.h"

using namespace hl;

namespace {

constexpr size_t TITLE_LENGTH = 260;
constexpr int32_t MAX_TEXTURE_SIDE = 256;

std::string NameAt(const uint8_t* field, size_t size) {
    const char* text = reinterpret_cast<const char*>(field);
    return std::string(text, strnlen(text, size));
}

// The smallest power of two not below size, at most 256.
int32_t TextureSide(int32_t size) {
    int32_t side = 1;
    while (side < size && side < MAX_TEXTURE_SIDE) {
        side *= 2;
    }
    return side;
}

// The first sub-model of each body part, as drawn with body number 0.
std::vector<const uint8_t*> FirstSubModels(const CHLModelData& data) {
    std::vector<const uint8_t*> subModels;
    for (int32_t i = 0; i < data.HeaderValue(H_BODY_PART_COUNT); i++) {
        subModels.push_back(data.Header() + Int32At(data.BodyPart(i) + 72));
    }
    return subModels;
}

}  // namespace

COGLHLModel::COGLHLModel() {
    name = "HL-mdl";
    typeCode = TYPE_CODE;
    scale = CVector(0.05f, 0.05f, 0.05f);
}

COGLHLModel::~COGLHLModel() = default;

void COGLHLModel::Rename(const std::string& modelPath) {
    name = SplitPath(modelPath).name.substr(0, TITLE_LENGTH);
}

void COGLHLModel::LoadFromFile(const std::string& filePath) {
    CFile file;
    if (!file.Open(filePath, CFile::modeRead)) {
        return;
    }
    file.Close();
    path = filePath;
    const PathParts parts = SplitPath(filePath);
    folder = parts.drive + parts.folder;
    Rename(filePath);
    auto data = std::make_unique<CHLModelData>(this);
    const bool read = data->Init(filePath);
    ReadData(std::move(data), read, filePath);
}

void COGLHLModel::LoadFromArchive(CPakFile& archive, const CPakEntry& entry) {
    pak = &archive;
    path = entry.name;
    Rename(entry.name);
    auto data = std::make_unique<CHLModelData>(this);
    const bool read = data->InitFromArchive(archive, entry.name);
    ReadData(std::move(data), read, entry.name);
}

// A model that could not be read whole keeps no data and is not loaded: the
// scene drops it and goes on with the rest.
bool COGLHLModel::ReadData(std::unique_ptr<CHLModelData> data, bool read, const std::string& modelPath) {
    ReleaseSkins();
    animations.clear();
    currentSequence = nullptr;
    modelData.reset();
    loaded = dataLoaded = false;
    if (!read) {
        return false;
    }
    modelData = std::move(data);
    // The textures are shared under the name of the file that holds them.
    const std::string holder = modelData->hasTextureFile ? HLCompanionName(modelPath, "T.mdl") : modelPath;
    UploadTextures(HLTextureBaseName(holder));
    BuildAnimationList();
    loaded = dataLoaded = true;
    return true;
}

// Without a scene there is no cache to share textures in: a model read on
// its own has none.
void COGLHLModel::UploadTextures(const std::string& baseName) {
    if (resources == nullptr) {
        return;
    }
    const std::vector<uint8_t>& file = modelData->TextureBuffer();
    for (int32_t i = 0; i < modelData->TextureHeaderValue(H_TEXTURE_COUNT); i++) {
        const uint8_t* record = modelData->Texture(i);
        const std::string textureName = baseName + NameAt(record, LONG_NAME_SIZE);
        COGLTexture2D* texture = resources->FindTexture(textureName);
        if (texture == nullptr) {
            texture = UploadTexture(record, file.data(), textureName);
        }
        skins.push_back(texture);
    }
}

// Resampled to powers of two, each texel the mean of four of the source,
// with the file's palette; no gamma. A masked texture keeps index 255 as
// alpha: its texels are the mean of the opaque ones among the four.
COGLTexture2D* COGLHLModel::UploadTexture(const uint8_t* record, const uint8_t* file, const std::string& textureName) {
    const int32_t width = Int32At(record + T_WIDTH);
    const int32_t height = Int32At(record + T_HEIGHT);
    const bool masked = (Int32At(record + T_FLAGS) & HL_TEXTURE_MASKED) != 0;
    const uint8_t* indices = file + Int32At(record + T_DATA);
    const uint8_t* palette = indices + static_cast<size_t>(width) * static_cast<size_t>(height);
    const int32_t targetWidth = TextureSide(width);
    const int32_t targetHeight = TextureSide(height);
    const size_t channels = masked ? 4 : 3;
    std::vector<uint8_t> pixels(static_cast<size_t>(targetWidth) * static_cast<size_t>(targetHeight) * channels);
    const double stepX = double(width) / targetWidth;
    const double stepY = double(height) / targetHeight;
    std::vector<size_t> columns(static_cast<size_t>(targetWidth) * 2);
    for (int32_t x = 0; x < targetWidth; x++) {
        columns[size_t(x) * 2] = size_t((x + 0.25) * stepX);
        columns[size_t(x) * 2 + 1] = size_t((x + 0.75) * stepX);
    }
    // Each index's colour and whether it counts: a masked texture's 255 adds
    // nothing, so every texel sums its four corners without a branch.
    int32_t weights[256][4];
    for (size_t index = 0; index < 256; index++) {
        const bool cutOut = masked && index == 255;
        for (size_t channel = 0; channel < 3; channel++) {
            weights[index][channel] = cutOut ? 0 : palette[3 * index + channel];
        }
        weights[index][3] = cutOut ? 0 : 1;
    }
    uint8_t* out = pixels.data();
    for (int32_t y = 0; y < targetHeight; y++) {
        const uint8_t* rows[2] = { indices + size_t((y + 0.25) * stepY) * size_t(width),
                                   indices + size_t((y + 0.75) * stepY) * size_t(width) };
        for (int32_t x = 0; x < targetWidth; x++) {
            const uint8_t corners[4] = { rows[0][columns[size_t(x) * 2]], rows[0][columns[size_t(x) * 2 + 1]],
                                         rows[1][columns[size_t(x) * 2]], rows[1][columns[size_t(x) * 2 + 1]] };
            int32_t sum[4] = { 0, 0, 0, 0 };
            for (uint8_t index : corners) {
                for (int k = 0; k < 4; k++) {
                    sum[k] += weights[index][k];
                }
            }
            const int32_t opaque = sum[3];
            // Division only where a mask edge leaves one to three opaque texels.
            for (int channel = 0; channel < 3; channel++) {
                *out++ = static_cast<uint8_t>(opaque == 4 ? sum[channel] >> 2 : (opaque > 0 ? sum[channel] / opaque : 0));
            }
            if (masked) {
                *out++ = static_cast<uint8_t>(opaque * 255 / 4);
            }
        }
    }
    auto texture = std::make_unique<COGLTexture2D>();
    if (masked) {
        texture->CreateFromPixelsRGBA(pixels.data(), targetWidth, targetHeight);
    } else {
        texture->CreateFromPixels(pixels.data(), targetWidth, targetHeight);
    }
    texture->path = textureName;
    texture->title = textureName;
    return resources->ShareTexture(std::move(texture));
}

void COGLHLModel::BuildAnimationList() {
    CHLModelData& data = *modelData;
    data.SelectSequence(0);
    for (int32_t slot = 0; slot < 4; slot++) {
        data.SetControllerValue(slot, 0.0f);
    }
    data.SetMouthValue(0.0f);
    data.SetBlendValue(0, 0.5f);
    data.SetBlendValue(1, 0.5f);
    for (int32_t i = 0; i < data.HeaderValue(H_SEQUENCE_COUNT); i++) {
        animations.push_back(std::make_unique<CModelAnimation>(NameAt(data.Sequence(i), NAME_SIZE), i, 0));
    }
    currentSequence = animations.front().get();
}

void COGLHLModel::Animate() {
    const int32_t frames = GetFrameCount();
    if (frames <= 1) {
        return;
    }
    framePosition += frameStep;
    // A forged step must not take the frame below the sequence.
    if (!(framePosition >= 0.0f)) {
        framePosition = 0.0f;
    }
    currentFrame = static_cast<int32_t>(std::fmin(framePosition, float(frames)));
    if (currentFrame >= frames - 1) {
        if (loop) {
            currentFrame = 0;
            framePosition = 0.0f;
        } else {
            animating = false;
            ResetAnimation();
        }
    }
    modelData->frame = framePosition;
}

void COGLHLModel::Draw(int flags) {
    if (!visible || modelData == nullptr) {
        return;
    }
    BeginTransparency();
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    ApplyRotation();
    glScalef(scale.x, scale.y, scale.z);
    const uint8_t* sequence = modelData->CurrentSequence();
    const auto box = [&](size_t at, int axis) { return FloatAt(sequence + at + 4 * size_t(axis)); };
    yOffset = -box(S_BOX_MIN, 2);
    glTranslatef(0.0f, yOffset, 0.0f);
    GLint cullFace = GL_BACK;
    glGetIntegerv(GL_CULL_FACE_MODE, &cullFace);
    glCullFace(GL_FRONT);
    modelData->SetBlendValue(0, 0.0f);
    modelData->SetBlendValue(1, 0.0f);
    if ((flags & DRAW_MATERIAL) != 0) {
        // The model lights itself; lighting and texturing are put back as
        // they were, not switched on for whatever draws next.
        const GLboolean lit = glIsEnabled(GL_LIGHTING);
        const GLboolean textured = glIsEnabled(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, textureMode);
        modelData->DrawModel();
        if (!textured) {
            glDisable(GL_TEXTURE_2D);
        }
        if (lit) {
            glEnable(GL_LIGHTING);
        }
    } else {
        modelData->DrawModelUntextured();
    }
    glCullFace(static_cast<GLenum>(cullFace));
    glPopMatrix();
    EndTransparency();
    // The larger corner in boundsMin, as the axes below expect.
    boundsMin = CVector(box(S_BOX_MAX, 1), box(S_BOX_MAX, 2), box(S_BOX_MAX, 0));
    boundsMax = CVector(box(S_BOX_MIN, 1), box(S_BOX_MIN, 2), box(S_BOX_MIN, 0));
}

void COGLHLModel::DrawForSelection() {
    if ((selectionName & HIDDEN_BIT) != 0) {
        return;
    }
    glLoadName(selectionName);
    Draw(0);
}

void COGLHLModel::DrawAxes() {
    const float length = 5.0f;
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(boundsMin.x, boundsMax.y, 0.0f);
    glVertex3f(boundsMin.x + length, boundsMax.y, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, boundsMin.y, 0.0f);
    glVertex3f(0.0f, boundsMin.y + length, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, boundsMax.y, boundsMin.z);
    glVertex3f(0.0f, boundsMax.y, boundsMin.z + length);
    glEnd();
}

void COGLHLModel::SetAnimation(CModelAnimation* animation) {
    // Records of another model would name sequences this one may lack.
    for (const std::unique_ptr<CModelAnimation>& own : animations) {
        if (own.get() == animation) {
            modelData->SelectSequence(animation->first);
            currentSequence = animation;
        }
    }
}

int COGLHLModel::GetFrameCount() const {
    return currentSequence != nullptr ? SequenceFrameCount(currentSequence->first) : 0;
}

int32_t COGLHLModel::SequenceFrameCount(int32_t sequence) const {
    if (modelData == nullptr || sequence < 0 || sequence >= modelData->HeaderValue(H_SEQUENCE_COUNT)) {
        return 0;
    }
    return Int32At(modelData->Sequence(sequence) + S_FRAME_COUNT);
}

int32_t COGLHLModel::HeaderCount(size_t field) const {
    return modelData != nullptr ? modelData->HeaderValue(field) : 0;
}

int32_t COGLHLModel::SkinFamilyCount() const {
    return modelData != nullptr ? modelData->TextureHeaderValue(H_SKIN_FAMILY_COUNT) : 0;
}

std::vector<COGLHLModel::BodyPartInfo> COGLHLModel::BodyParts() const {
    std::vector<BodyPartInfo> parts;
    for (int32_t i = 0; i < HeaderCount(H_BODY_PART_COUNT); i++) {
        const uint8_t* part = modelData->BodyPart(i);
        parts.push_back({ NameAt(part, LONG_NAME_SIZE), Int32At(part + 64) });
    }
    return parts;
}

std::vector<std::string> COGLHLModel::CompanionFiles() const {
    std::vector<std::string> files;
    if (modelData == nullptr) {
        return files;
    }
    if (modelData->hasTextureFile) {
        files.push_back(HLCompanionName(path, "T.mdl"));
    }
    for (int32_t i = 1; i < HeaderCount(H_GROUP_COUNT); i++) {
        char ending[16];
        std::snprintf(ending, sizeof ending, "%02d.mdl", static_cast<int>(i));
        files.push_back(HLCompanionName(path, ending));
    }
    return files;
}

int32_t COGLHLModel::VertexCount() const {
    int32_t count = 0;
    if (modelData != nullptr) {
        for (const uint8_t* subModel : FirstSubModels(*modelData)) {
            count += Int32At(subModel + 80);
        }
    }
    return count;
}

// A strip or fan of n vertices makes n - 2 triangles.
int32_t COGLHLModel::TriangleCount() const {
    int32_t count = 0;
    if (modelData == nullptr) {
        return count;
    }
    const uint8_t* file = modelData->Header();
    for (const uint8_t* subModel : FirstSubModels(*modelData)) {
        for (int32_t i = 0; i < Int32At(subModel + 72); i++) {
            const uint8_t* command = file + Int32At(file + Int32At(subModel + 76) + size_t(i) * MESH_SIZE + 4);
            for (int32_t n = static_cast<int16_t>(U16(command)); n != 0; n = static_cast<int16_t>(U16(command))) {
                const int32_t length = n < 0 ? -n : n;
                count += std::max(length - 2, 0);
                command += 2 + 8 * static_cast<size_t>(length);
            }
        }
    }
    return count;
}

// The file's (x, y, z) is drawn as (y, z, x).
void COGLHLModel::FrameBounds(int32_t /*frame*/, CVector& min, CVector& max) const {
    min = max = CVector();
    if (modelData == nullptr) {
        return;
    }
    const uint8_t* sequence = modelData->Sequence(0);
    const auto drawn = [&](size_t at) {
        return CVector(FloatAt(sequence + at + 4), FloatAt(sequence + at + 8), FloatAt(sequence + at));
    };
    min = drawn(S_BOX_MIN);
    max = drawn(S_BOX_MAX);
}

std::vector<std::string> COGLHLModel::SkinNames() const {
    std::vector<std::string> names;
    if (modelData != nullptr) {
        for (int32_t i = 0; i < modelData->TextureHeaderValue(H_TEXTURE_COUNT); i++) {
            names.push_back(NameAt(modelData->Texture(i), LONG_NAME_SIZE));
        }
    }
    return names;
}

void COGLHLModel::LoadModel(CFile& file, int version, CModelResources& owner) {
    resources = &owner;
    Load(file, version);
    const std::string recordName = name;

    const std::string modelPath = ReadPathField(file);
    const int32_t pakIndex = ReadInt32(file);
    CPakFile* archive = pakIndex >= 0 ? owner.GetPak(pakIndex) : nullptr;
    bool keep = true;
    if (pakIndex < 0) {
        keep = !LoadFrom(nullptr, modelPath, owner.Locator()) || loaded;
    } else if (archive != nullptr) {
        // An archive that lacks the entry drops the model.
        keep = LoadFrom(archive, modelPath, nullptr) && loaded;
    }

    const int32_t animationIndex = ReadInt32(file);
    if (animationIndex >= 0 && static_cast<size_t>(animationIndex) < animations.size()) {
        SetAnimation(animations[static_cast<size_t>(animationIndex)].get());
    }
    frameStep = ReadFloat(file);
    framePosition = ReadFloat(file);
    currentFrame = ReadInt32(file);
    nextFrame = ReadInt32(file);
    loop = ReadByte(file) != 0;
    reserved = ReadByte(file);
    if (modelData == nullptr) {
        // Nothing to pose: the record is kept for the next save as it was read.
        path = modelPath;
        recordPakIndex = pakIndex;
        recordAnimationIndex = animationIndex;
    } else {
        // A forged position would pose frames the sequence does not have.
        const int32_t frames = GetFrameCount();
        if (!(framePosition >= 0.0f) || framePosition >= static_cast<float>(std::max(frames - 1, 1)) ||
            currentFrame < 0 || currentFrame >= std::max(frames, 1)) {
            ResetAnimation();
        }
        modelData->frame = framePosition;
    }
    name = recordName;
    loaded = dataLoaded = keep;
}

void COGLHLModel::Save(CFile& file, int textureIndex) const {
    CRecordWriter out;
    WritePrefix(out, textureIndex);
    out.WriteName(path, PATH_FIELD_SIZE);
    if (modelData == nullptr) {
        out.WriteInt32(recordPakIndex);
        out.WriteInt32(recordAnimationIndex);
    } else {
        out.WriteInt32(resources != nullptr && pak != nullptr ? resources->IndexOfPak(pak) : -1);
        out.WriteInt32(AnimationIndex());
    }
    out.WriteFloat(frameStep);
    out.WriteFloat(framePosition);
    out.WriteInt32(currentFrame);
    out.WriteInt32(nextFrame);
    out.WriteBool(loop);
    out.WriteByte(reserved);
    file.Write(out.Bytes().data(), out.Bytes().size());
}

void COGLHLModel::CopyModel(const COGLHLModel& source) {
    CopyFrom(source);
    ReleaseSkins();
    resources = source.resources;
    for (COGLTexture2D* skin : source.skins) {
        if (resources != nullptr) {
            resources->AddTextureReference(skin);
        }
        skins.push_back(skin);
    }
    texture = source.texture;
    modelData = source.modelData != nullptr ? std::make_unique<CHLModelData>(*source.modelData) : nullptr;
    if (modelData != nullptr) {
        modelData->owner = this;
    }
    animations.clear();
    currentSequence = nullptr;
    for (const std::unique_ptr<CModelAnimation>& animation : source.animations) {
        animations.push_back(std::make_unique<CModelAnimation>(*animation));
        if (animation.get() == source.currentSequence) {
            currentSequence = animations.back().get();
        }
    }
    frameStep = source.frameStep;
    framePosition = source.framePosition;
    currentFrame = source.currentFrame;
    nextFrame = source.nextFrame;
    loop = source.loop;
    reserved = source.reserved;
    yOffset = source.yOffset;
    boundsMin = source.boundsMin;
    boundsMax = source.boundsMax;
    pak = source.pak;
    path = source.path;
    folder = source.folder;
    recordPakIndex = source.recordPakIndex;
    recordAnimationIndex = source.recordAnimationIndex;
    loaded = source.loaded;
    dataLoaded = source.dataLoaded;
}
