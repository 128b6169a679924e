#include "models/CHLModelData.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <unordered_set>

#include "image/COGLImage.h"
#include "image/SourcePicture.h"
#include "models/CMeshArrays.h"
#include "platform/CPakFile.h"
#include "platform/LittleEndian.h"

using namespace hl;

namespace {

// Far above any real model; a bigger file is refused before it is read.
constexpr uint64_t MAX_FILE_SIZE = 64u << 20;
constexpr int32_t VERSION = 10;
constexpr size_t PALETTE_SIZE = 256 * 3;
// Six 16-bit channel offsets a bone in each blend of a sequence.
constexpr uint64_t CHANNEL_BLOCK_SIZE = 12;
// Real files keep every channel's runs, command list and table apart, so
// checking them reads each byte about once. More than this many passes over
// the files means many records share the same data, which would be walked
// once for each of them: refused.
constexpr uint64_t CHECK_PASSES = 4;
constexpr uint64_t CHECK_FLOOR = 1u << 20;
constexpr int32_t MAX_TEXTURE_SIDE = 256;

// The smallest power of two not below size, at most 256.
int32_t TextureSide(int32_t size) {
    int32_t side = 1;
    while (side < size && side < MAX_TEXTURE_SIDE) {
        side *= 2;
    }
    return side;
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
        : model(modelFile), textures(textureFile), groups(groupFiles) {
        uint64_t bytes = model.size() + (&textures != &model ? textures.size() : 0);
        for (int32_t i = 0; groups != nullptr && i < HL_MAX_SEQUENCE_GROUPS; i++) {
            bytes += groups[i].size();
        }
        budget = CHECK_PASSES * bytes + CHECK_FLOOR;
    }

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
    // Counts bytes read by the check; false once they pass the budget.
    bool Examine(uint64_t bytes) {
        examined += bytes;
        return examined <= budget;
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
    bool RunsFit(const std::vector<uint8_t>& file, uint64_t at, int32_t frames) {
        int64_t covered = 0;
        while (covered < frames) {
            if (at + 2 > file.size()) {
                return false;
            }
            const uint8_t valid = file[static_cast<size_t>(at)];
            const uint8_t total = file[static_cast<size_t>(at) + 1];
            at += 2 + 2 * uint64_t(valid);
            if (at > file.size() || !Examine(2 + 2 * uint64_t(valid))) {
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
        // Sequences that share their animation are checked once.
        if (!checkedAnimations.insert({ group, base, int64_t(blocks), frames }).second) {
            return true;
        }
        if (!Examine(blocks * CHANNEL_BLOCK_SIZE)) {
            return Fail("animation data");
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
        if (count > HL_MAX_SEQUENCES) {
            return Fail("sequence count");
        }
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
        if (textureCount > HL_MAX_TEXTURES) {
            return Fail("texture count");
        }
        if (!TableFits(textures, HEADER_SIZE, value(H_TEXTURES), textureCount, TEXTURE_SIZE)) {
            return Fail("texture table");
        }
        // Each record becomes a picture of its own, records on the same data too.
        int64_t pixels = 0;
        for (int32_t i = 0; i < textureCount; i++) {
            const uint8_t* texture = textures.data() + value(H_TEXTURES) + uint64_t(i) * TEXTURE_SIZE;
            const int32_t width = Int32At(texture + T_WIDTH);
            const int32_t height = Int32At(texture + T_HEIGHT);
            const int32_t data = Int32At(texture + T_DATA);
            if (width < 1 || height < 1 ||
                !TableFits(textures, HEADER_SIZE, data, 1, uint64_t(width) * uint64_t(height) + PALETTE_SIZE)) {
                return Fail("texture size or data");
            }
            pixels += int64_t(TextureSide(width)) * TextureSide(height);
            if (pixels > MAX_IMAGE_PIXELS) {
                return Fail("texture sizes");
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

    // What a command list needs of the sub-model that draws it.
    struct CommandList {
        int32_t vertexEnd = 0;   // above every vertex it names
        int32_t normalEnd = 0;   // above every normal it names
        int64_t corners = 0;
    };

    // Walks the command list at offset once, however many meshes draw it.
    bool ReadCommands(int32_t offset, CommandList& list) {
        const auto known = commandLists.find(offset);
        if (known != commandLists.end()) {
            list = known->second;
            return true;
        }
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
                break;
            }
            const uint64_t length = uint64_t(count < 0 ? -count : count);
            if (at + 8 * length > model.size() || !Examine(2 + 8 * length)) {
                return false;
            }
            for (uint64_t i = 0; i < length; i++, at += 8) {
                const int32_t vertex = static_cast<int16_t>(U16(model.data() + at));
                const int32_t normal = static_cast<int16_t>(U16(model.data() + at + 2));
                if (vertex < 0 || normal < 0) {
                    return false;
                }
                list.vertexEnd = vertex >= list.vertexEnd ? vertex + 1 : list.vertexEnd;
                list.normalEnd = normal >= list.normalEnd ? normal + 1 : list.normalEnd;
            }
            list.corners += int64_t(length);
        }
        // The triangles of every distinct list are kept, so their total is held.
        distinctCorners += list.corners;
        if (distinctCorners > HL_MAX_CORNERS) {
            return false;
        }
        commandLists[offset] = list;
        return true;
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

    // Checks a sub-model once, however many body parts choose it; work is
    // what drawing it does (vertices, normals, meshes and their corners).
    bool CheckSubModel(const uint8_t* subModel, int64_t& work) {
        const auto known = subModelWork.find(subModel);
        if (known != subModelWork.end()) {
            work = known->second;
            return true;
        }
        const int32_t meshCount = Int32At(subModel + 72);
        const int32_t meshes = Int32At(subModel + 76);
        const int32_t vertexCount = Int32At(subModel + 80);
        const int32_t normalCount = Int32At(subModel + 92);
        if (vertexCount < 0 || vertexCount > HL_MAX_VERTICES || normalCount < 0 || normalCount > HL_MAX_VERTICES) {
            return Fail("vertex or normal count");
        }
        if (!Examine(uint64_t(vertexCount) + uint64_t(normalCount))) {
            return Fail("vertices or normals");
        }
        if (!BonesFit(Int32At(subModel + 84), vertexCount) || !BonesFit(Int32At(subModel + 96), normalCount) ||
            !TableFits(model, HEADER_SIZE, Int32At(subModel + 88), vertexCount, 12) ||
            !TableFits(model, HEADER_SIZE, Int32At(subModel + 100), normalCount, 12)) {
            return Fail("vertices or normals");
        }
        if (!TableFits(model, HEADER_SIZE, meshes, meshCount, MESH_SIZE) ||
            !Examine(uint64_t(meshCount) * MESH_SIZE)) {
            return Fail("mesh table");
        }
        work = int64_t(vertexCount) + normalCount + meshCount;
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
            CommandList list;
            if (!ReadCommands(Int32At(mesh + 4), list) || list.vertexEnd > vertexCount ||
                list.normalEnd > normalCount) {
                return Fail("triangle commands");
            }
            // Each mesh draws its list, shared or not.
            work += list.corners;
            if (work > HL_MAX_POSE_WORK) {
                return Fail("corners drawn");
            }
        }
        subModelWork[subModel] = work;
        return true;
    }

    bool CheckBodyParts() {
        const int32_t count = Value(H_BODY_PART_COUNT);
        if (count > HL_MAX_BODY_PARTS) {
            return Fail("body part count");
        }
        if (!TableFits(model, HEADER_SIZE, Value(H_BODY_PARTS), count, BODY_PART_SIZE)) {
            return Fail("body part table");
        }
        for (int32_t i = 0; i < count; i++) {
            const uint8_t* part = model.data() + Value(H_BODY_PARTS) + uint64_t(i) * BODY_PART_SIZE;
            const int32_t subModels = Int32At(part + 64);
            // Choosing a sub-model divides by the base and the count.
            if (subModels < 1 || Int32At(part + 68) < 1 ||
                !TableFits(model, HEADER_SIZE, Int32At(part + 72), subModels, SUB_MODEL_SIZE) ||
                !Examine(uint64_t(subModels) * SUB_MODEL_SIZE)) {
                return Fail("sub-models of a body part");
            }
            // A pose draws one sub-model of every body part, whichever is chosen.
            int64_t partWork = 0;
            for (int32_t j = 0; j < subModels; j++) {
                int64_t work = 0;
                if (!CheckSubModel(model.data() + Int32At(part + 72) + uint64_t(j) * SUB_MODEL_SIZE, work)) {
                    return false;
                }
                partWork = work > partWork ? work : partWork;
            }
            poseWork += partWork;
            if (poseWork > HL_MAX_POSE_WORK) {
                return Fail("corners drawn");
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
    uint64_t budget = 0;
    uint64_t examined = 0;
    // Checked already: animations by (group, base, blocks, frames), command
    // lists by offset, sub-models by record.
    std::set<std::array<int64_t, 4>> checkedAnimations;
    std::unordered_map<int32_t, CommandList> commandLists;
    std::unordered_map<const uint8_t*, int64_t> subModelWork;
    int64_t distinctCorners = 0;
    int64_t poseWork = 0;
};

// Resampled to powers of two, each texel the mean of four of the source,
// with the file's palette; no gamma. A masked texture keeps index 255 as
// alpha: its texels are the mean of the opaque ones among the four.
std::shared_ptr<const COGLImage> DecodeTexture(const uint8_t* record, const uint8_t* file) {
    const int32_t width = Int32At(record + T_WIDTH);
    const int32_t height = Int32At(record + T_HEIGHT);
    const bool masked = (Int32At(record + T_FLAGS) & HL_TEXTURE_MASKED) != 0;
    const uint8_t* indices = file + Int32At(record + T_DATA);
    const uint8_t* palette = indices + static_cast<size_t>(width) * static_cast<size_t>(height);
    auto picture = std::make_shared<COGLImage>();
    picture->sourceWidth = width;
    picture->sourceHeight = height;
    picture->width = TextureSide(width);
    picture->height = TextureSide(height);
    picture->transparent = masked;
    picture->hasAlpha = masked;
    const size_t channels = masked ? 4 : 3;
    picture->pixels.resize(static_cast<size_t>(picture->width) * static_cast<size_t>(picture->height) * channels);
    const double stepX = double(width) / picture->width;
    const double stepY = double(height) / picture->height;
    std::vector<size_t> columns(static_cast<size_t>(picture->width) * 2);
    for (int32_t x = 0; x < picture->width; x++) {
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
    uint8_t* out = picture->pixels.data();
    for (int32_t y = 0; y < picture->height; y++) {
        const uint8_t* rows[2] = { indices + size_t((y + 0.25) * stepY) * size_t(width),
                                   indices + size_t((y + 0.75) * stepY) * size_t(width) };
        for (int32_t x = 0; x < picture->width; x++) {
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
    return picture;
}

void BuildTriangles(const uint8_t* command, HLMeshTriangles& mesh) {
    std::unordered_map<uint64_t, uint32_t> cornerOf;
    std::vector<uint32_t> runCorners;
    for (int32_t n = static_cast<int16_t>(U16(command)); n != 0; n = static_cast<int16_t>(U16(command))) {
        command += 2;
        runCorners.clear();
        for (int32_t i = n < 0 ? -n : n; i > 0; i--, command += 8) {
            uint64_t key = 0;
            std::memcpy(&key, command, 8);
            const auto known = cornerOf.find(key);
            if (known != cornerOf.end()) {
                runCorners.push_back(known->second);
                continue;
            }
            const uint32_t corner = static_cast<uint32_t>(mesh.vertex.size());
            cornerOf.emplace(key, corner);
            mesh.vertex.push_back(static_cast<int16_t>(U16(command)));
            mesh.normal.push_back(static_cast<int16_t>(U16(command + 2)));
            mesh.s.push_back(static_cast<int16_t>(U16(command + 4)));
            mesh.t.push_back(static_cast<int16_t>(U16(command + 6)));
            runCorners.push_back(corner);
        }
        AppendRunTriangles(n < 0, runCorners.data(), runCorners.size(), mesh.indices);
    }
}

// Every mesh of every sub-model, each sub-model and distinct command list
// visited once, however many body parts and meshes share them.
void BuildAllTriangles(CHLModelData& data) {
    const uint8_t* file = data.Header();
    std::unordered_set<const uint8_t*> visited;
    for (int32_t p = 0; p < data.HeaderValue(H_BODY_PART_COUNT); p++) {
        const uint8_t* part = data.BodyPart(p);
        for (int32_t j = 0; j < Int32At(part + 64); j++) {
            const uint8_t* subModel = file + Int32At(part + 72) + size_t(j) * SUB_MODEL_SIZE;
            if (!visited.insert(subModel).second) {
                continue;
            }
            for (int32_t m = 0; m < Int32At(subModel + 72); m++) {
                const int32_t commands = Int32At(file + Int32At(subModel + 76) + size_t(m) * MESH_SIZE + 4);
                if (data.meshTriangles.find(commands) == data.meshTriangles.end()) {
                    BuildTriangles(file + commands, data.meshTriangles[commands]);
                }
            }
        }
    }
}

// Reads the model's companions and checks the whole; the messages say why not.
class CCompanionReader {
public:
    CCompanionReader(CPakFile* fromArchive, CAssetSource& source, LoadMessages& into)
        : archive(fromArchive), assets(source), messages(into) {}

    AssetId Resolve(const std::string& name) const {
        return archive != nullptr ? assets.ResolveEntry(*archive, name) : assets.ResolveFile(name);
    }
    // The model and its companions together hold at most MAX_FILE_SIZE; a
    // companion past that is not read, so the check refuses it.
    bool Read(const std::string& name, AssetId& id, std::vector<uint8_t>& into) {
        id = Resolve(name);
        if (assets.Read(id, MAX_FILE_SIZE - bytesRead, into) == AssetRead::missing) {
            return Unopened(name);
        }
        bytesRead += into.size();
        return true;
    }
    uint64_t bytesRead = 0;
    bool Unopened(const std::string& name) {
        AddMessage(messages, "unable to open " + name + "\r\n");
        return false;
    }
    bool Refuse(const std::string& name, const std::string& why) {
        AddMessage(messages, "Not a valid Half-Life model file: " + name + " (" + why + ")\r\n");
        return false;
    }

private:
    CPakFile*     archive;
    CAssetSource& assets;
    LoadMessages& messages;
};

bool ReadWhole(CHLModelData& data, const std::string& name, CCompanionReader& reader) {
    // A sequence-group file ("IDSQ") is not a model, not even its own.
    if (!IsFileOfKind(data.header, "IDST", HEADER_SIZE) || data.header.size() > MAX_FILE_SIZE) {
        return reader.Refuse(name, "identifier, version or size");
    }
    reader.bytesRead = data.header.size();
    const int32_t groupCount = data.HeaderValue(H_GROUP_COUNT);
    if (groupCount < 1 || groupCount > HL_MAX_SEQUENCE_GROUPS) {
        return reader.Refuse(name, "sequence group count");
    }
    data.hasTextureFile = data.HeaderValue(H_TEXTURE_COUNT) == 0;
    if (data.hasTextureFile) {
        const std::string textureName = HLCompanionName(name, "T.mdl");
        if (!reader.Read(textureName, data.textureHolder, data.textureFile)) {
            return false;
        }
        if (!IsFileOfKind(data.textureFile, "IDST", HEADER_SIZE)) {
            return reader.Refuse(textureName, "identifier, version or size");
        }
    }
    for (int32_t i = 1; i < groupCount; i++) {
        char ending[16];
        std::snprintf(ending, sizeof ending, "%02d.mdl", static_cast<int>(i));
        const std::string groupName = HLCompanionName(name, ending);
        AssetId group;
        if (!reader.Read(groupName, group, data.groupHeaders[i])) {
            return false;
        }
        if (!IsFileOfKind(data.groupHeaders[i], "IDSQ", GROUP_HEADER_SIZE)) {
            return reader.Refuse(groupName, "not a sequence group file");
        }
    }
    const std::string problem = CheckHLModel(data.header, data.TextureBuffer(), data.groupHeaders);
    return problem.empty() || reader.Refuse(name, problem);
}

}  // namespace

std::string HLCompanionName(const std::string& name, const char* ending) {
    return (name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string()) + ending;
}

std::vector<std::string> HLCompanionNames(const CHLModelData& data, const std::string& name) {
    std::vector<std::string> files;
    if (data.hasTextureFile) {
        files.push_back(HLCompanionName(name, "T.mdl"));
    }
    for (int32_t i = 1; i < data.HeaderValue(H_GROUP_COUNT); i++) {
        char ending[16];
        std::snprintf(ending, sizeof ending, "%02d.mdl", static_cast<int>(i));
        files.push_back(HLCompanionName(name, ending));
    }
    return files;
}

std::string CheckHLModel(const std::vector<uint8_t>& model, const std::vector<uint8_t>& textures,
                         const std::vector<uint8_t>* groups) {
    return CModelChecker(model, textures, groups).Check();
}

ParsedModel ParseHLModel(std::vector<uint8_t>&& model, const std::string& name, CPakFile* archive,
                         CAssetSource& assets) {
    ParsedModel result;
    CCompanionReader reader(archive, assets, result.messages);
    auto parsed = std::make_shared<CHLModelData>();
    parsed->header = std::move(model);
    if (!ReadWhole(*parsed, name, reader)) {
        return result;
    }
    // Records on the same data with the same size and mask share one picture.
    const std::vector<uint8_t>& file = parsed->TextureBuffer();
    std::map<std::array<int32_t, 4>, std::shared_ptr<const COGLImage>> decoded;
    for (int32_t i = 0; i < parsed->TextureHeaderValue(H_TEXTURE_COUNT); i++) {
        const uint8_t* record = parsed->Texture(i);
        const std::array<int32_t, 4> key = { Int32At(record + T_DATA), Int32At(record + T_WIDTH),
                                             Int32At(record + T_HEIGHT),
                                             Int32At(record + T_FLAGS) & HL_TEXTURE_MASKED };
        std::shared_ptr<const COGLImage>& picture = decoded[key];
        if (picture == nullptr) {
            picture = DecodeTexture(record, file.data());
        }
        parsed->textures.push_back(picture);
    }
    BuildAllTriangles(*parsed);
    ReadHLLists(*parsed);
    for (int32_t i = 0; i < parsed->HeaderValue(H_SEQUENCE_COUNT); i++) {
        const char* name = reinterpret_cast<const char*>(parsed->Sequence(i));
        parsed->sequences.emplace_back(std::string(name, strnlen(name, NAME_SIZE)), i, 0);
    }
    result.data = std::move(parsed);
    return result;
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

const uint8_t* CHLModelData::Texture(int32_t number) const {
    return TextureBuffer().data() + TextureHeaderValue(H_TEXTURES) + static_cast<size_t>(number) * TEXTURE_SIZE;
}

const uint8_t* CHLModelData::BodyPart(int32_t number) const {
    return header.data() + HeaderValue(H_BODY_PARTS) + static_cast<size_t>(number) * BODY_PART_SIZE;
}

const uint8_t* CHLModelData::AnimationData(const uint8_t* sequenceRecord, const uint8_t*& end) const {
    const int32_t group = Int32At(sequenceRecord + S_GROUP);
    const int32_t offset = Int32At(sequenceRecord + S_ANIMATION);
    if (group == 0) {
        // The reader saw the sum land inside the file, whatever each part says.
        end = header.data() + header.size();
        return header.data() + (int64_t(Int32At(header.data() + HeaderValue(H_GROUPS) + 100)) + offset);
    }
    end = groupHeaders[group].data() + groupHeaders[group].size();
    return groupHeaders[group].data() + offset;
}

int32_t CHLModelData::SubModelOf(int32_t bodyPart, int32_t bodyNumber) const {
    const uint8_t* part = BodyPart(bodyPart);
    const int32_t count = Int32At(part + 64);
    int32_t index = (bodyNumber / Int32At(part + 68)) % count;
    if (index < 0) {
        index += count;
    }
    return Int32At(part + 72) + index * int32_t(SUB_MODEL_SIZE);
}

int32_t CHLModelData::MeshTexture(const uint8_t* mesh, int32_t skinNumber) const {
    const int32_t families = TextureHeaderValue(H_SKIN_FAMILY_COUNT);
    const int32_t references = TextureHeaderValue(H_SKIN_REF_COUNT);
    const int32_t row = skinNumber > 0 && skinNumber < families ? skinNumber : 0;
    const uint8_t* skins = TextureBuffer().data() + TextureHeaderValue(H_SKINS);
    return U16(skins + 2 * (size_t(row) * size_t(references) + size_t(Int32At(mesh + 8))));
}
