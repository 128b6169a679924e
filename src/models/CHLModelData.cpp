#include "models/CHLModelData.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "diag/CDiagnostics.h"
#include "platform/CFile.h"
#include "platform/CPakFile.h"
#include "platform/LittleEndian.h"
#include "platform/WindowsPath.h"

using namespace hl;

namespace {

// Far above any real model; a bigger file is refused before it is read.
constexpr uint64_t MAX_FILE_SIZE = 64u << 20;
constexpr int32_t VERSION = 10;
constexpr size_t PALETTE_SIZE = 256 * 3;
// Six 16-bit channel offsets a bone in each blend of a sequence.
constexpr uint64_t CHANNEL_BLOCK_SIZE = 12;

bool ReadDiskFile(void* /*from*/, const std::string& name, std::vector<uint8_t>& into) {
    // Too big to be a model: nothing is read, so the check refuses it.
    return ReadWholeFile(name, MAX_FILE_SIZE, into) != WholeFile::missing;
}

bool ReadArchiveEntry(void* from, const std::string& name, std::vector<uint8_t>& into) {
    CPakFile& archive = *static_cast<CPakFile*>(from);
    const CPakEntry* entry = archive.FindEntry(name);
    if (entry == nullptr) {
        return false;
    }
    if (static_cast<uint64_t>(entry->length) > MAX_FILE_SIZE) {
        into.clear();
        return true;
    }
    return archive.ReadEntry(*entry, into);
}

bool IsFileOfKind(const std::vector<uint8_t>& file, const char* identifier, size_t headerSize) {
    return file.size() >= headerSize && std::memcmp(file.data(), identifier, 4) == 0 &&
           Int32At(file.data() + 4) == VERSION;
}

// A table of count records lies after the file's header and inside it.
bool TableFits(const std::vector<uint8_t>& file, size_t headerSize, int32_t offset, int64_t count,
               uint64_t recordSize) {
    if (count < 0) {
        return false;
    }
    if (count == 0) {
        return true;
    }
    return offset >= 0 && static_cast<uint64_t>(offset) >= headerSize &&
           static_cast<uint64_t>(offset) + static_cast<uint64_t>(count) * recordSize <= file.size();
}

// Checks a model file with its texture file and sequence-group files as
// read; each step leaves the reason in problem when it fails.
class CModelChecker {
public:
    CModelChecker(const std::vector<uint8_t>& modelFile, const std::vector<uint8_t>& textureFile,
                  const std::vector<uint8_t>* groupFiles)
        : model(modelFile), textures(textureFile), groups(groupFiles) {}

    std::string Check() {
        if (!IsFileOfKind(model, "IDST", HEADER_SIZE) || !IsFileOfKind(textures, "IDST", HEADER_SIZE)) {
            return "identifier, version or size";
        }
        if (CheckBones() && CheckControllers() && CheckSequences() && CheckTextures() && CheckBodyParts()) {
            return {};
        }
        return problem;
    }

private:
    int32_t Value(size_t at) const { return Int32At(model.data() + at); }
    bool Fail(const char* why) {
        problem = why;
        return false;
    }

    bool CheckBones() {
        boneCount = Value(H_BONE_COUNT);
        controllerCount = Value(H_CONTROLLER_COUNT);
        if (boneCount < 0 || boneCount > HL_MAX_BONES) {
            return Fail("bone count");
        }
        if (controllerCount < 0 || controllerCount > HL_MAX_CONTROLLERS) {
            return Fail("bone controller count");
        }
        if (!TableFits(model, HEADER_SIZE, Value(H_BONES), boneCount, BONE_SIZE)) {
            return Fail("bone table");
        }
        for (int32_t i = 0; i < boneCount; i++) {
            const uint8_t* bone = model.data() + Value(H_BONES) + uint64_t(i) * BONE_SIZE;
            // Parents come first: a bone's transform is built on its parent's.
            const int32_t parent = Int32At(bone + 32);
            if (parent < -1 || parent >= i) {
                return Fail("bone parent");
            }
            for (int channel = 0; channel < 6; channel++) {
                const int32_t index = Int32At(bone + 40 + 4 * channel);
                if (index < -1 || index >= controllerCount) {
                    return Fail("bone controller of a bone");
                }
            }
        }
        return true;
    }

    bool CheckControllers() {
        if (!TableFits(model, HEADER_SIZE, Value(H_CONTROLLERS), controllerCount, CONTROLLER_SIZE)) {
            return Fail("bone controller table");
        }
        for (int32_t i = 0; i < controllerCount; i++) {
            const int32_t slot = Int32At(model.data() + Value(H_CONTROLLERS) + uint64_t(i) * CONTROLLER_SIZE + C_INDEX);
            if (slot < 0 || slot > MOUTH_SLOT) {
                return Fail("bone controller slot");
            }
        }
        return true;
    }

    // A channel's runs cover the sequence's frames and lie in the file.
    bool RunsFit(const std::vector<uint8_t>& file, uint64_t at, int32_t frames) const {
        int64_t covered = 0;
        while (covered < frames) {
            if (at + 2 > file.size()) {
                return false;
            }
            const uint8_t valid = file[static_cast<size_t>(at)];
            const uint8_t total = file[static_cast<size_t>(at) + 1];
            at += 2 + 2 * uint64_t(valid);
            if (at > file.size()) {
                return false;
            }
            covered += total;
        }
        return true;
    }

    bool AnimationFits(const uint8_t* sequence, int32_t groupCount) {
        const int32_t group = Int32At(sequence + S_GROUP);
        if (group < 0 || group >= groupCount) {
            return Fail("sequence group of a sequence");
        }
        const std::vector<uint8_t>& file = group == 0 ? model : groups[group];
        // Group 0's data lies in the model file itself.
        const int64_t base = int64_t(Int32At(sequence + S_ANIMATION)) +
                             (group == 0 ? int64_t(Value(Value(H_GROUPS) + 100)) : 0);
        const int32_t blends = Int32At(sequence + S_BLEND_COUNT);
        const int32_t frames = Int32At(sequence + S_FRAME_COUNT);
        const uint64_t blocks = uint64_t(blends) * uint64_t(boneCount);
        if (base < int64_t(group == 0 ? HEADER_SIZE : GROUP_HEADER_SIZE) ||
            uint64_t(base) + blocks * CHANNEL_BLOCK_SIZE > file.size()) {
            return Fail("animation offset");
        }
        for (uint64_t block = 0; block < blocks; block++) {
            const uint64_t at = uint64_t(base) + block * CHANNEL_BLOCK_SIZE;
            for (int channel = 0; channel < 6; channel++) {
                const uint16_t offset = U16(file.data() + at + 2 * channel);
                if (offset != 0 && !RunsFit(file, at + offset, frames)) {
                    return Fail("animation data");
                }
            }
        }
        return true;
    }

    bool CheckSequences() {
        const int32_t count = Value(H_SEQUENCE_COUNT);
        const int32_t groupCount = Value(H_GROUP_COUNT);
        // Posing always has a sequence to fall back on.
        if (count < 1 || !TableFits(model, HEADER_SIZE, Value(H_SEQUENCES), count, SEQUENCE_SIZE)) {
            return Fail("sequence table");
        }
        if (groupCount < 1 || groupCount > HL_MAX_SEQUENCE_GROUPS ||
            !TableFits(model, HEADER_SIZE, Value(H_GROUPS), groupCount, GROUP_SIZE)) {
            return Fail("sequence group table");
        }
        for (int32_t i = 0; i < count; i++) {
            const uint8_t* sequence = model.data() + Value(H_SEQUENCES) + uint64_t(i) * SEQUENCE_SIZE;
            const int32_t blends = Int32At(sequence + S_BLEND_COUNT);
            if (Int32At(sequence + S_FRAME_COUNT) < 1 || blends < 1 || blends > HL_MAX_BLENDS) {
                return Fail("frame or blend count of a sequence");
            }
            const int32_t motionBone = Int32At(sequence + S_MOTION_BONE);
            if ((Int32At(sequence + S_MOTION_TYPE) & 7) != 0 && (motionBone < 0 || motionBone >= boneCount)) {
                return Fail("motion bone of a sequence");
            }
            if (!AnimationFits(sequence, groupCount)) {
                return false;
            }
        }
        return true;
    }

    bool CheckTextures() {
        const auto value = [&](size_t at) { return Int32At(textures.data() + at); };
        textureCount = value(H_TEXTURE_COUNT);
        if (!TableFits(textures, HEADER_SIZE, value(H_TEXTURES), textureCount, TEXTURE_SIZE)) {
            return Fail("texture table");
        }
        for (int32_t i = 0; i < textureCount; i++) {
            const uint8_t* texture = textures.data() + value(H_TEXTURES) + uint64_t(i) * TEXTURE_SIZE;
            const int32_t width = Int32At(texture + T_WIDTH);
            const int32_t height = Int32At(texture + T_HEIGHT);
            const int32_t data = Int32At(texture + T_DATA);
            if (width < 1 || height < 1 ||
                !TableFits(textures, HEADER_SIZE, data, 1, uint64_t(width) * uint64_t(height) + PALETTE_SIZE)) {
                return Fail("texture size or data");
            }
        }
        skinRefCount = value(H_SKIN_REF_COUNT);
        const int32_t families = value(H_SKIN_FAMILY_COUNT);
        if (skinRefCount < 0 || families < 0 || (skinRefCount > 0 && families < 1) ||
            !TableFits(textures, HEADER_SIZE, value(H_SKINS), int64_t(skinRefCount) * families, 2)) {
            return Fail("skin table");
        }
        for (int64_t i = 0; i < int64_t(skinRefCount) * families; i++) {
            if (U16(textures.data() + value(H_SKINS) + 2 * i) >= textureCount) {
                return Fail("texture of a skin");
            }
        }
        return true;
    }

    // Every vertex of a strip or fan names a vertex and a normal of its sub-model.
    bool CommandsFit(int32_t offset, int32_t vertices, int32_t normals) const {
        if (offset < 0 || uint64_t(offset) < HEADER_SIZE) {
            return false;
        }
        uint64_t at = uint64_t(offset);
        while (true) {
            if (at + 2 > model.size()) {
                return false;
            }
            const int32_t count = static_cast<int16_t>(U16(model.data() + at));
            at += 2;
            if (count == 0) {
                return true;
            }
            const uint64_t length = uint64_t(count < 0 ? -count : count);
            if (at + 8 * length > model.size()) {
                return false;
            }
            for (uint64_t i = 0; i < length; i++, at += 8) {
                const int32_t vertex = static_cast<int16_t>(U16(model.data() + at));
                const int32_t normal = static_cast<int16_t>(U16(model.data() + at + 2));
                if (vertex < 0 || vertex >= vertices || normal < 0 || normal >= normals) {
                    return false;
                }
            }
        }
    }

    bool BonesFit(int32_t table, int32_t count) const {
        if (!TableFits(model, HEADER_SIZE, table, count, 1)) {
            return false;
        }
        for (int32_t i = 0; i < count; i++) {
            if (model[static_cast<size_t>(table) + static_cast<size_t>(i)] >= boneCount) {
                return false;
            }
        }
        return true;
    }

    bool CheckSubModel(const uint8_t* subModel) {
        const int32_t meshCount = Int32At(subModel + 72);
        const int32_t meshes = Int32At(subModel + 76);
        const int32_t vertexCount = Int32At(subModel + 80);
        const int32_t normalCount = Int32At(subModel + 92);
        if (vertexCount < 0 || vertexCount > HL_MAX_VERTICES || normalCount < 0 || normalCount > HL_MAX_VERTICES) {
            return Fail("vertex or normal count");
        }
        if (!BonesFit(Int32At(subModel + 84), vertexCount) || !BonesFit(Int32At(subModel + 96), normalCount) ||
            !TableFits(model, HEADER_SIZE, Int32At(subModel + 88), vertexCount, 12) ||
            !TableFits(model, HEADER_SIZE, Int32At(subModel + 100), normalCount, 12)) {
            return Fail("vertices or normals");
        }
        if (!TableFits(model, HEADER_SIZE, meshes, meshCount, MESH_SIZE)) {
            return Fail("mesh table");
        }
        int64_t meshNormals = 0;
        for (int32_t i = 0; i < meshCount; i++) {
            const uint8_t* mesh = model.data() + meshes + uint64_t(i) * MESH_SIZE;
            const int32_t skin = Int32At(mesh + 8);
            const int32_t normals = Int32At(mesh + 12);
            if (skin < 0 || skin >= skinRefCount) {
                return Fail("skin reference of a mesh");
            }
            meshNormals += normals;
            // The meshes light the sub-model's normals in turn.
            if (normals < 0 || meshNormals > normalCount) {
                return Fail("normal count of a mesh");
            }
            if (!CommandsFit(Int32At(mesh + 4), vertexCount, normalCount)) {
                return Fail("triangle commands");
            }
        }
        return true;
    }

    bool CheckBodyParts() {
        const int32_t count = Value(H_BODY_PART_COUNT);
        if (!TableFits(model, HEADER_SIZE, Value(H_BODY_PARTS), count, BODY_PART_SIZE)) {
            return Fail("body part table");
        }
        for (int32_t i = 0; i < count; i++) {
            const uint8_t* part = model.data() + Value(H_BODY_PARTS) + uint64_t(i) * BODY_PART_SIZE;
            const int32_t subModels = Int32At(part + 64);
            // Choosing a sub-model divides by the base and the count.
            if (subModels < 1 || Int32At(part + 68) < 1 ||
                !TableFits(model, HEADER_SIZE, Int32At(part + 72), subModels, SUB_MODEL_SIZE)) {
                return Fail("sub-models of a body part");
            }
            for (int32_t j = 0; j < subModels; j++) {
                if (!CheckSubModel(model.data() + Int32At(part + 72) + uint64_t(j) * SUB_MODEL_SIZE)) {
                    return false;
                }
            }
        }
        return true;
    }

    const std::vector<uint8_t>& model;
    const std::vector<uint8_t>& textures;
    const std::vector<uint8_t>* groups;
    int32_t boneCount = 0;
    int32_t controllerCount = 0;
    int32_t textureCount = 0;
    int32_t skinRefCount = 0;
    const char* problem = "";
};

bool ReportUnopened(const std::string& name) {
    ReportError("unable to open " + name + "\r\n");
    return false;
}

bool Refuse(const std::string& name, const std::string& why) {
    ReportError("Not a valid Half-Life model file: " + name + " (" + why + ")\r\n");
    return false;
}

// value as one of steps settings between start and end; a range of zero
// width or a value that is not a number takes the first.
float Step(float value, float start, float end, int32_t steps, uint8_t& setting) {
    const double ratio = end != start ? steps * (double(value) - start) / (double(end) - start) : 0.0;
    int32_t chosen = 0;
    if (ratio > steps) {
        chosen = steps;
    } else if (ratio > 0.0) {
        chosen = static_cast<int32_t>(ratio);
    }
    setting = static_cast<uint8_t>(chosen);
    return static_cast<float>(chosen) / static_cast<float>(steps) * (end - start) + start;
}

// Brings a rotation near the middle of a range narrower than a turn.
float WrapIntoRange(float value, float start, float end) {
    if (value > (start + end) / 2 + 180) {
        value -= 360;
    }
    if (value < (start + end) / 2 - 180) {
        value += 360;
    }
    return value;
}

}  // namespace

std::string HLCompanionName(const std::string& name, const char* ending) {
    return (name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string()) + ending;
}

std::string HLTextureBaseName(const std::string& path) {
    return SplitPath(path).name;
}

std::string CheckHLModel(const std::vector<uint8_t>& model, const std::vector<uint8_t>& textures,
                         const std::vector<uint8_t>* groups) {
    return CModelChecker(model, textures, groups).Check();
}

bool CHLModelData::Init(const std::string& path) {
    return InitWith(path, ReadDiskFile, nullptr);
}

bool CHLModelData::InitFromArchive(CPakFile& archive, const std::string& entryName) {
    return InitWith(entryName, ReadArchiveEntry, &archive);
}

bool CHLModelData::InitWith(const std::string& name, Reader read, void* from) {
    meshTriangles.clear();
    if (!read(from, name, header)) {
        return ReportUnopened(name);
    }
    // A sequence-group file ("IDSQ") is not a model, not even its own.
    if (!IsFileOfKind(header, "IDST", HEADER_SIZE)) {
        return Refuse(name, "identifier, version or size");
    }
    const int32_t groupCount = HeaderValue(H_GROUP_COUNT);
    if (groupCount < 1 || groupCount > HL_MAX_SEQUENCE_GROUPS) {
        return Refuse(name, "sequence group count");
    }
    hasTextureFile = HeaderValue(H_TEXTURE_COUNT) == 0;
    if (hasTextureFile) {
        const std::string textureName = HLCompanionName(name, "T.mdl");
        if (!read(from, textureName, textureFile)) {
            return ReportUnopened(textureName);
        }
        if (!IsFileOfKind(textureFile, "IDST", HEADER_SIZE)) {
            return Refuse(textureName, "identifier, version or size");
        }
    }
    for (int32_t i = 1; i < groupCount; i++) {
        char ending[16];
        std::snprintf(ending, sizeof ending, "%02d.mdl", static_cast<int>(i));
        const std::string groupName = HLCompanionName(name, ending);
        if (!read(from, groupName, groupHeaders[i])) {
            return ReportUnopened(groupName);
        }
        if (!IsFileOfKind(groupHeaders[i], "IDSQ", GROUP_HEADER_SIZE)) {
            return Refuse(groupName, "not a sequence group file");
        }
    }
    const std::string problem = CheckHLModel(header, TextureBuffer(), groupHeaders);
    return problem.empty() || Refuse(name, problem);
}

int32_t CHLModelData::HeaderValue(size_t field) const {
    return Int32At(header.data() + field);
}

int32_t CHLModelData::TextureHeaderValue(size_t field) const {
    return Int32At(TextureBuffer().data() + field);
}

const uint8_t* CHLModelData::Sequence(int32_t number) const {
    return header.data() + HeaderValue(H_SEQUENCES) + static_cast<size_t>(number) * SEQUENCE_SIZE;
}

const uint8_t* CHLModelData::CurrentSequence() const {
    return Sequence(sequence >= 0 && sequence < HeaderValue(H_SEQUENCE_COUNT) ? sequence : 0);
}

const uint8_t* CHLModelData::Texture(int32_t number) const {
    return TextureBuffer().data() + TextureHeaderValue(H_TEXTURES) + static_cast<size_t>(number) * TEXTURE_SIZE;
}

const uint8_t* CHLModelData::BodyPart(int32_t number) const {
    return header.data() + HeaderValue(H_BODY_PARTS) + static_cast<size_t>(number) * BODY_PART_SIZE;
}

void CHLModelData::SelectSequence(int32_t number) {
    sequence = number;
    frame = 0.0f;
}

float CHLModelData::SetSetting(const uint8_t* record, float value, int32_t steps, uint8_t& setting) const {
    const float start = FloatAt(record + C_START);
    const float end = FloatAt(record + C_END);
    if ((Int32At(record + C_TYPE) & CONTROLLER_ROTATIONS) != 0) {
        if (end < start) {
            value = -value;
        }
        if (start + 359.0f >= end) {
            value = WrapIntoRange(value, start, end);
        } else if (value > 360.0f) {
            value -= std::trunc(value / 360.0f) * 360.0f;
        } else if (value < 0.0f) {
            value += std::trunc(value / -360.0f + 1.0f) * 360.0f;
        }
    }
    return Step(value, start, end, steps, setting);
}

float CHLModelData::SetControllerValue(int32_t slot, float value) {
    const int32_t count = HeaderValue(H_CONTROLLER_COUNT);
    for (int32_t i = 0; i < count && slot >= 0 && slot < 4; i++) {
        const uint8_t* record = header.data() + HeaderValue(H_CONTROLLERS) + static_cast<size_t>(i) * CONTROLLER_SIZE;
        if (Int32At(record + C_INDEX) == slot) {
            return SetSetting(record, value, 255, controller[slot]);
        }
    }
    return value;
}

float CHLModelData::SetMouthValue(float value) {
    const int32_t count = HeaderValue(H_CONTROLLER_COUNT);
    for (int32_t i = 0; i < count; i++) {
        const uint8_t* record = header.data() + HeaderValue(H_CONTROLLERS) + static_cast<size_t>(i) * CONTROLLER_SIZE;
        if (Int32At(record + C_INDEX) == MOUTH_SLOT) {
            return SetSetting(record, value, 64, mouth);
        }
    }
    return value;
}

float CHLModelData::SetBlendValue(int32_t slot, float value) {
    if (slot < 0 || slot > 1) {
        return value;
    }
    const uint8_t* current = CurrentSequence();
    const int32_t type = Int32At(current + S_BLEND_TYPE + 4 * slot);
    const float start = FloatAt(current + S_BLEND_START + 4 * slot);
    const float end = FloatAt(current + S_BLEND_END + 4 * slot);
    if (type == 0) {
        return value;
    }
    if ((type & CONTROLLER_ROTATIONS) != 0) {
        if (end < start) {
            value = -value;
        }
        if (start + 359.0f >= end) {
            value = WrapIntoRange(value, start, end);
        }
    }
    return Step(value, start, end, 255, blending[slot]);
}
