#include "models/COGLHLModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <GL/gl.h>

#include "image/COGLTexture2D.h"
#include "models/CModelResources.h"
#include "models/HLWorkAreas.h"
#include "platform/CFile.h"
#include "platform/CGLState.h"
#include "platform/CPakFile.h"
#include "platform/LittleEndian.h"
#include "platform/RecordIO.h"
#include "platform/WindowsPath.h"

using namespace hl;

namespace {

constexpr size_t TITLE_LENGTH = 260;
// Far above any real model; a bigger file is refused before it is read.
constexpr uint64_t MAX_FILE_SIZE = 64u << 20;

std::string NameAt(const uint8_t* field, size_t size) {
    const char* text = reinterpret_cast<const char*>(field);
    return std::string(text, strnlen(text, size));
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

void COGLHLModel::Rename(const std::string& modelPath) {
    name = SplitPath(modelPath).name.substr(0, TITLE_LENGTH);
}

bool COGLHLModel::ReadAsset(const AssetId& id) {
    TakeSource(id);
    Rename(path);
    skins.clear();
    animations.clear();
    currentSequence = nullptr;
    CAssetSource& assets = *resources->Assets();
    const std::string name = path;
    CPakFile* archive = pak;
    const ParsedModel& parsed = ParseShared(TYPE_CODE, MAX_FILE_SIZE, [&](std::vector<uint8_t>&& bytes) {
        return ParseHLModel(std::move(bytes), name, archive, assets);
    });
    resources->Report(parsed.messages, path);
    data = std::static_pointer_cast<const CHLModelData>(parsed.data);
    dataLoaded = data != nullptr;
    if (!dataLoaded) {
        return false;
    }
    // The textures are shared under the file that holds them.
    const AssetId& holder = data->hasTextureFile ? data->textureHolder : source;
    for (size_t i = 0; i < data->textures.size(); i++) {
        const std::string holderName = data->hasTextureFile ? HLCompanionName(path, "T.mdl") : path;
        const std::string title =
            SplitPath(holderName).name + NameAt(data->Texture(static_cast<int32_t>(i)), LONG_NAME_SIZE);
        COGLTexture2D* texture = resources->ShareTexture(holder, static_cast<int32_t>(i), data->textures[i], title);
        // Records name the texture by its title; a shared one has it already.
        if (texture->path.empty()) {
            texture->path = texture->Title();
        }
        skins.push_back(texture);
    }
    for (const CModelAnimation& sequence : data->sequences) {
        animations.push_back(&sequence);
    }
    pose = CHLPose();
    for (int32_t slot = 0; slot < 4; slot++) {
        pose.SetControllerValue(*data, slot, 0.0f);
    }
    pose.SetMouthValue(*data, 0.0f);
    pose.SetBlendValue(*data, 0, 0.5f);
    pose.SetBlendValue(*data, 1, 0.5f);
    currentSequence = animations.front();
    return true;
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
    pose.frame = framePosition;
}

void COGLHLModel::Draw(CGLState& gl, int flags) {
    if (!IsVisible() || data == nullptr) {
        return;
    }
    // The meshes wind the other way round from the rest of the scene.
    uint32_t bits = DrawBits(gl) | GLS_CULL_FRONT;
    if ((flags & DRAW_MATERIAL) != 0) {
        // The model lights itself.
        bits = (bits & ~GLS_LIGHTING) | GLS_TEXTURE_2D;
        gl.TextureEnvMode(textureMode);
    }
    gl.Apply(bits);
    DrawPosed({ (flags & DRAW_MATERIAL) != 0 ? &skins : nullptr, resources, position, &gl, bits });
}

void COGLHLModel::DrawPosed(const HLDrawInputs& inputs) {
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    ApplyRotation();
    glScalef(scale.x, scale.y, scale.z);
    const uint8_t* sequence = pose.CurrentSequence(*data);
    const auto box = [&](size_t at, int axis) { return FloatAt(sequence + at + 4 * size_t(axis)); };
    yOffset = -box(S_BOX_MIN, 2);
    glTranslatef(0.0f, yOffset, 0.0f);
    pose.SetBlendValue(*data, 0, 0.0f);
    pose.SetBlendValue(*data, 1, 0.0f);
    DrawHLModel(*data, pose, resources->HLWork(), inputs);
    glPopMatrix();
    // The larger corner in boundsMin, as the axes below expect.
    boundsMin = CVector(box(S_BOX_MAX, 1), box(S_BOX_MAX, 2), box(S_BOX_MAX, 0));
    boundsMax = CVector(box(S_BOX_MIN, 1), box(S_BOX_MIN, 2), box(S_BOX_MIN, 0));
}

void COGLHLModel::DrawForSelection() {
    if ((SelectionName() & HIDDEN_BIT) != 0 || data == nullptr) {
        return;
    }
    glLoadName(SelectionName());
    // The shape alone, in the state picking set up.
    DrawPosed({ nullptr, resources, position, nullptr, 0 });
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

void COGLHLModel::SetAnimation(const CModelAnimation* animation) {
    // Records of another model would name sequences this one may lack.
    for (const CModelAnimation* own : animations) {
        if (own == animation) {
            pose.SelectSequence(animation->first);
            currentSequence = animation;
        }
    }
}

int COGLHLModel::GetFrameCount() const {
    return currentSequence != nullptr ? SequenceFrameCount(currentSequence->first) : 0;
}

int32_t COGLHLModel::SequenceFrameCount(int32_t sequence) const {
    if (data == nullptr || sequence < 0 || sequence >= data->HeaderValue(H_SEQUENCE_COUNT)) {
        return 0;
    }
    return Int32At(data->Sequence(sequence) + S_FRAME_COUNT);
}

int32_t COGLHLModel::HeaderCount(size_t field) const {
    return data != nullptr ? data->HeaderValue(field) : 0;
}

int32_t COGLHLModel::SkinFamilyCount() const {
    return data != nullptr ? data->TextureHeaderValue(H_SKIN_FAMILY_COUNT) : 0;
}

std::vector<COGLHLModel::BodyPartInfo> COGLHLModel::BodyParts() const {
    std::vector<BodyPartInfo> parts;
    for (int32_t i = 0; i < HeaderCount(H_BODY_PART_COUNT); i++) {
        const uint8_t* part = data->BodyPart(i);
        parts.push_back({ NameAt(part, LONG_NAME_SIZE), Int32At(part + 64) });
    }
    return parts;
}

std::vector<std::string> COGLHLModel::CompanionFiles() const {
    return data != nullptr ? HLCompanionNames(*data, path) : std::vector<std::string>();
}

int32_t COGLHLModel::VertexCount() const {
    int32_t count = 0;
    if (data != nullptr) {
        for (const uint8_t* subModel : FirstSubModels(*data)) {
            count += Int32At(subModel + 80);
        }
    }
    return count;
}

// A strip or fan of n vertices makes n - 2 triangles.
int32_t COGLHLModel::TriangleCount() const {
    int32_t count = 0;
    if (data == nullptr) {
        return count;
    }
    const uint8_t* file = data->Header();
    for (const uint8_t* subModel : FirstSubModels(*data)) {
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
    if (data == nullptr) {
        return;
    }
    const uint8_t* sequence = data->Sequence(0);
    const auto drawn = [&](size_t at) {
        return CVector(FloatAt(sequence + at + 4), FloatAt(sequence + at + 8), FloatAt(sequence + at));
    };
    min = drawn(S_BOX_MIN);
    max = drawn(S_BOX_MAX);
}

std::vector<std::string> COGLHLModel::SkinNames() const {
    std::vector<std::string> names;
    if (data != nullptr) {
        for (int32_t i = 0; i < data->TextureHeaderValue(H_TEXTURE_COUNT); i++) {
            names.push_back(NameAt(data->Texture(i), LONG_NAME_SIZE));
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
        keep = !LoadFrom(nullptr, modelPath, true) || IsLoaded();
    } else if (archive != nullptr) {
        // An archive that lacks the entry drops the model.
        keep = LoadFrom(archive, modelPath, false) && IsLoaded();
    }

    const int32_t animationIndex = ReadInt32(file);
    if (animationIndex >= 0 && static_cast<size_t>(animationIndex) < animations.size()) {
        SetAnimation(animations[static_cast<size_t>(animationIndex)]);
    }
    frameStep = ReadFloat(file);
    framePosition = ReadFloat(file);
    currentFrame = ReadInt32(file);
    nextFrame = ReadInt32(file);
    loop = ReadByte(file) != 0;
    reserved = ReadByte(file);
    if (data == nullptr) {
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
        pose.frame = framePosition;
    }
    name = recordName;
    dataLoaded = keep;
    SetLoaded(keep);
}

void COGLHLModel::Save(CFile& file, int textureIndex) const {
    CRecordWriter out;
    WritePrefix(out, textureIndex);
    out.WriteName(path, PATH_FIELD_SIZE);
    if (data == nullptr) {
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

