#include "models/COGLSBM.h"

#include <GL/gl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "diag/CDiagnostics.h"
#include "image/COGLTexture2D.h"
#include "models/CModelResources.h"
#include "models/Md2Normals.h"
#include "platform/BufferedStream.h"
#include "platform/CFile.h"
#include "platform/CPakFile.h"
#include "platform/LittleEndian.h"
#include "platform/WindowsPath.h"

namespace {

constexpr int MSG_NO_MESH = 120;
constexpr int MSG_NO_ANIMATIONS = 121;
constexpr int MSG_NOT_A_VALID_MESH = 122;
constexpr int MSG_NOT_A_VALID_DEF = 1021;
// The editor handled each line in a buffer of this size; longer lines are cut.
constexpr size_t LINE_BUFFER_SIZE = 1024;
constexpr size_t MAX_FILE_NAME_LENGTH = 65;
constexpr size_t MESH_HEADER_SIZE = 28;
constexpr size_t GROUP_HEADER_SIZE = 24;
constexpr size_t ANIMATION_HEADER_SIZE = 128;
constexpr size_t FRAME_RECORD_SIZE = 44;
// Far above any real model; a bigger file is not read.
constexpr uint64_t MAX_FILE_SIZE = 32u << 20;

bool Fits(int64_t offset, int64_t length, size_t size) {
    return offset >= 0 && length >= 0 && offset + length <= static_cast<int64_t>(size);
}

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    const size_t length = std::strlen(prefix);
    if (text.size() < length) {
        return false;
    }
    for (size_t i = 0; i < length; i++) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// Block comments may span lines; the flag carries over.
std::string StripComments(const std::string& line, bool& inComment) {
    size_t position = 0;
    for (;;) {
        if (inComment) {
            const size_t end = line.find("*/", position);
            if (end != std::string::npos) {
                inComment = false;
                position = end + 2;
            }
        }
        const size_t start = line.find("/*", position);
        if (start == std::string::npos) {
            break;
        }
        inComment = true;
        position = start + 2;
    }
    if (inComment) {
        return std::string();
    }
    std::string text = line.substr(position);
    const size_t lineComment = text.find("//");
    if (lineComment != std::string::npos) {
        text.resize(lineComment);
    }
    return text;
}

float WordAsFloat(int32_t word) {
    float value;
    std::memcpy(&value, &word, 4);
    return value;
}

struct SinRun {
    bool           fan;
    size_t         length;
    const int32_t* words;   // s, t, vertex index for each vertex

    float   S(size_t i) const { return WordAsFloat(words[3 * i]); }
    float   T(size_t i) const { return WordAsFloat(words[3 * i + 1]); }
    int32_t Index(size_t i) const { return words[3 * i + 2]; }
};

// Walks a command list up to its closing 0 or its last word. A run longer
// than the words left ends the list; a run naming a vertex the frames do not
// have is skipped.
template <typename Visit>
void ForEachRun(const std::vector<int32_t>& commands, int32_t vertexCount, Visit visit) {
    size_t word = 0;
    while (word < commands.size()) {
        const int64_t count = commands[word++];
        if (count == 0) {
            return;
        }
        const size_t length = static_cast<size_t>(count < 0 ? -count : count);
        if (length > (commands.size() - word) / 3) {
            return;
        }
        const SinRun run = { count < 0, length, commands.data() + word };
        word += 3 * length;
        bool inside = true;
        for (size_t i = 0; i < length && inside; i++) {
            inside = run.Index(i) >= 0 && run.Index(i) < vertexCount;
        }
        if (inside) {
            visit(run);
        }
    }
}

// The file's x, y, z as the mesh's y, -z, -x.
CVector MeshPosition(const CSinFrame& frame, const uint8_t* vertex) {
    float file[3];
    for (int axis = 0; axis < 3; axis++) {
        file[axis] = vertex[axis] * frame.scale[axis] + frame.translate[axis];
    }
    return CVector(file[1], -file[2], -file[0]);
}

void ResetBox(CVector& min, CVector& max) {
    const float largest = std::numeric_limits<float>::max();
    min = CVector(largest, largest, largest);
    max = CVector(-largest, -largest, -largest);
}

void Widen(CVector& min, CVector& max, const CVector& point) {
    min = CVector(std::min(min.x, point.x), std::min(min.y, point.y), std::min(min.z, point.z));
    max = CVector(std::max(max.x, point.x), std::max(max.y, point.y), std::max(max.z, point.z));
}

void BuildMeshArrays(CSinGroup& group, int32_t vertexCount) {
    group.mesh.Clear();
    group.meshVertexCount = vertexCount;
    std::vector<uint32_t> runCorners;
    ForEachRun(group.commands, vertexCount, [&](const SinRun& run) {
        runCorners.clear();
        for (size_t i = 0; i < run.length; i++) {
            runCorners.push_back(group.mesh.AddCorner(run.Index(i), run.S(i), -run.T(i)));
        }
        group.mesh.AddRun(run.fan, runCorners.data(), runCorners.size());
    });
}

// Takes an animation file apart; false when its counts and offsets do not
// fit the file or a normal index is outside the table.
bool ParseAnimation(CSinAnimation& animation, std::vector<uint8_t>&& data) {
    const size_t size = data.size();
    if (size < ANIMATION_HEADER_SIZE) {
        return false;
    }
    const uint8_t* bytes = data.data();
    for (int axis = 0; axis < 3; axis++) {
        animation.triples[0][axis] = FloatAt(bytes + 96 + 4 * axis);
        animation.triples[1][axis] = FloatAt(bytes + 72 + 4 * axis);
        animation.triples[2][axis] = FloatAt(bytes + 84 + 4 * axis);
    }
    const int32_t vertexCount = Int32At(bytes + 112);
    const int32_t frameCount = Int32At(bytes + 116);
    const int32_t tableOffset = Int32At(bytes + 120);
    const int64_t frameSize = 4 * int64_t(vertexCount);
    if (vertexCount < 0 || frameCount < 0 || frameSize > int64_t(size) ||
        !Fits(tableOffset, int64_t(frameCount) * int64_t(FRAME_RECORD_SIZE), size)) {
        return false;
    }
    std::vector<CSinFrame> frames(static_cast<size_t>(frameCount));
    for (int32_t i = 0; i < frameCount; i++) {
        const uint8_t* record = bytes + tableOffset + FRAME_RECORD_SIZE * static_cast<size_t>(i);
        CSinFrame& frame = frames[static_cast<size_t>(i)];
        for (int axis = 0; axis < 3; axis++) {
            frame.scale[axis] = FloatAt(record + 16 + 4 * axis);
            frame.translate[axis] = FloatAt(record + 28 + 4 * axis);
        }
        // Counted from where the record lies when the table starts right
        // after the header, wherever the table really is.
        const int64_t start = int64_t(ANIMATION_HEADER_SIZE) + int64_t(FRAME_RECORD_SIZE) * i + Int32At(record + 40);
        if (!Fits(start, frameSize, size)) {
            return false;
        }
        for (int32_t v = 0; v < vertexCount; v++) {
            if (bytes[start + 4 * int64_t(v) + 3] >= MD2_NORMAL_COUNT) {
                return false;
            }
        }
        frame.vertices = static_cast<size_t>(start);
    }
    animation.first = 0;
    animation.count = frameCount;
    animation.frameSize = static_cast<int32_t>(frameSize);
    animation.frames = std::move(frames);
    animation.data = std::move(data);
    return true;
}

}  // namespace

COGLSBM::COGLSBM() {
    name = "SBM";
    typeCode = TYPE_CODE;
    scale = CVector(0.05f, 0.05f, 0.05f);
    Rotate(CVector(1.0f, 0.0f, 0.0f), 180.0f);
    SetDiffuse(1.0f, 1.0f, 1.0f, 1.0f);
}

void COGLSBM::Clear() {
    ReleaseSkins();
    skinFiles.clear();
    animations.clear();
    currentAnimation = nullptr;
    groups.clear();
    modelEntry = nullptr;
    meshPath.clear();
}

void COGLSBM::LoadFromFile(const std::string& filePath) {
    std::vector<uint8_t> data;
    if (ReadWholeFile(filePath, MAX_FILE_SIZE, data) == WholeFile::missing) {
        return;
    }
    path = filePath;
    const PathParts parts = SplitPath(filePath);
    folder = parts.drive + parts.folder;
    // A file too big to be a definition fails its "SDEF" test as empty.
    loaded = ReadDefinition(data.data(), data.size());
    name = parts.name;
}

void COGLSBM::LoadFromArchive(CPakFile& archive, const CPakEntry& entry) {
    pak = &archive;
    folder.clear();
    std::vector<uint8_t> data;
    if (static_cast<uint64_t>(entry.length) <= MAX_FILE_SIZE) {
        archive.ReadEntry(entry, data);
    }
    loaded = ReadDefinition(data.data(), data.size());
    path = entry.name;
    name = SplitPath(entry.name).name;
}

bool COGLSBM::ReadDefinition(const uint8_t* data, size_t size) {
    Clear();
    dataLoaded = false;
    if (size < 4 || std::memcmp(data, "SDEF", 4) != 0) {
        ReportErrorId(MSG_NOT_A_VALID_DEF);
        return false;
    }
    if (!ParseDefinition(std::string(reinterpret_cast<const char*>(data), size)) || !ReadMesh() ||
        !ReadAnimations()) {
        return false;
    }
    SelectFirstSkin();
    if (!animations.empty()) {
        SetAnimation(animations.front().get());
    }
    dataLoaded = true;
    return true;
}

bool COGLSBM::ParseDefinition(const std::string& text) {
    bool inComment = false;
    size_t start = 0;
    // Text after the last CR LF is not a line.
    for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        const std::string line = text.substr(start, std::min(end - start, LINE_BUFFER_SIZE - 1));
        start = end + 2;
        HandleLine(StripComments(line, inComment));
    }
    const bool meshFound = modelEntry != nullptr ||
                           (!meshPath.empty() && StreamPtr(OpenStreamForReading(meshPath)) != nullptr);
    if (!meshFound) {
        ReportErrorId(MSG_NO_MESH);
        return false;
    }
    if (animations.empty()) {
        ReportErrorId(MSG_NO_ANIMATIONS);
        return false;
    }
    return true;
}

void COGLSBM::HandleLine(const std::string& text) {
    const size_t dot = text.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        const std::string extension = text.substr(dot);
        const bool mesh = StartsWithNoCase(extension, ".sbm");
        const bool skin = StartsWithNoCase(extension, ".tga");
        const bool animation = StartsWithNoCase(extension, ".sam");
        if (mesh || skin || animation) {
            const std::string line = text.substr(0, dot + 4);
            if (mesh) {
                meshPath = InFolder(line);
                modelEntry = pak != nullptr ? pak->FindEntry(meshPath) : nullptr;
                return;
            }
            // "name file.sam" names the animation; a lone "file.sam" is named by its file.
            std::string entryName = line.substr(0, std::min(line.find('.'), MAX_FILE_NAME_LENGTH));
            std::string file = line;
            size_t space = dot;
            while (space > 0 && !IsSpace(line[space - 1])) {
                space--;
            }
            if (space > 0) {
                size_t wordEnd = 0;
                while (wordEnd < line.size() && !IsSpace(line[wordEnd])) {
                    wordEnd++;
                }
                entryName = line.substr(0, wordEnd);
                file = line.substr(space);
            }
            if (skin) {
                AddSkin(entryName, file);
            } else {
                AddAnimation(entryName, file);
            }
            return;
        }
    }
    if (StartsWithNoCase(text, "scale")) {
        // Kept within float range: the number is the file's, any size.
        const double largest = std::numeric_limits<float>::max();
        const float s = static_cast<float>(std::clamp(std::strtod(text.c_str() + 5, nullptr) * 0.05f, -largest, largest));
        if (!scaleFromRecord) {
            SetScale(s, s, s);
        }
    } else if (StartsWithNoCase(text, "path")) {
        size_t begin = 4;
        while (begin < text.size() && IsSpace(text[begin])) {
            begin++;
        }
        size_t end = begin;
        while (end < text.size() && !IsSpace(text[end])) {
            end++;
        }
        folder = text.substr(begin, end - begin);
    }
}

// An empty folder means the file alone, not one at the root.
std::string COGLSBM::InFolder(const std::string& file) const {
    if (folder.empty()) {
        return file;
    }
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + file : folder + "/" + file;
}

void COGLSBM::AddSkin(const std::string& skinName, const std::string& file) {
    skinFiles.push_back(InFolder(file));
    if (resources == nullptr) {
        return;
    }
    COGLTexture2D* skin = resources->FindOrLoadTexture(InFolder(file), pak, "", false, false);
    if (AdoptSkin(skin)) {
        skin->title = skinName;
    }
}

void COGLSBM::AddAnimation(const std::string& animationName, const std::string& file) {
    auto animation = std::make_unique<CSinAnimation>(animationName);
    const std::string animationPath = InFolder(file);
    if (pak != nullptr) {
        animation->entry = pak->FindEntry(animationPath);
        if (animation->entry == nullptr) {
            return;
        }
    } else {
        if (StreamPtr(OpenStreamForReading(animationPath)) == nullptr) {
            return;
        }
        animation->animPath = animationPath;
    }
    animations.push_back(std::move(animation));
}

bool COGLSBM::ReadWhole(const CPakEntry* entry, const std::string& diskPath, std::vector<uint8_t>& data) const {
    data.clear();
    if (entry != nullptr) {
        return pak != nullptr && static_cast<uint64_t>(entry->length) <= MAX_FILE_SIZE && pak->ReadEntry(*entry, data);
    }
    return ReadWholeFile(diskPath, MAX_FILE_SIZE, data) == WholeFile::read;
}

bool COGLSBM::ReadMesh() {
    std::vector<uint8_t> data;
    ReadWhole(modelEntry, meshPath, data);
    const size_t size = data.size();
    const uint8_t* bytes = data.data();
    if (size < MESH_HEADER_SIZE || std::memcmp(bytes, "SBM ", 4) != 0 || Int32At(bytes + 4) != 1) {
        ReportErrorId(MSG_NOT_A_VALID_MESH);
        return false;
    }
    const int32_t groupCount = Int32At(bytes + 16);
    if (!Fits(MESH_HEADER_SIZE, int64_t(groupCount) * int64_t(GROUP_HEADER_SIZE), size)) {
        ReportErrorId(MSG_NOT_A_VALID_MESH);
        return false;
    }
    std::vector<std::unique_ptr<CSinGroup>> newGroups;
    for (int32_t g = 0; g < groupCount; g++) {
        const int64_t at = int64_t(MESH_HEADER_SIZE) + int64_t(GROUP_HEADER_SIZE) * g;
        const uint8_t* header = bytes + at;
        const int32_t commandCount = Int32At(header + 8);
        const int64_t start = at + Int32At(header + 12);
        if (commandCount < 0 || !Fits(start, int64_t(commandCount) * 4, size)) {
            ReportErrorId(MSG_NOT_A_VALID_MESH);
            return false;
        }
        auto group = std::make_unique<CSinGroup>();
        group->value = Int32At(header);
        group->commandCount = commandCount;
        group->commands.resize(static_cast<size_t>(commandCount));
        for (int32_t i = 0; i < commandCount; i++) {
            group->commands[static_cast<size_t>(i)] = Int32At(bytes + start + 4 * int64_t(i));
        }
        newGroups.push_back(std::move(group));
    }
    groups = std::move(newGroups);
    return true;
}

// An animation file that cannot be read whole is dropped, as a missing one is.
bool COGLSBM::ReadAnimations() {
    std::vector<std::unique_ptr<CModelAnimation>> kept;
    for (std::unique_ptr<CModelAnimation>& record : animations) {
        auto& animation = static_cast<CSinAnimation&>(*record);
        std::vector<uint8_t> data;
        if (ReadWhole(animation.entry, animation.animPath, data) && ParseAnimation(animation, std::move(data))) {
            kept.push_back(std::move(record));
        }
    }
    animations = std::move(kept);
    return true;
}

void COGLSBM::SelectAnimation(const std::string& animationName) {
    if (CModelAnimation* animation = FindAnimation(animationName)) {
        SetVisible(true);
        SetAnimation(animation);
        return;
    }
}

void COGLSBM::SetAnimation(CModelAnimation* animation) {
    currentAnimation = static_cast<CSinAnimation*>(animation);
    ResetAnimation();
}

void COGLSBM::StartAnimation() {
    if (currentAnimation != nullptr && currentAnimation->count > 1) {
        animating = true;
    }
}

void COGLSBM::LoadModel(CFile& file, int version, CModelResources& owner) {
    scaleFromRecord = true;
    COGLModel::LoadModel(file, version, owner);
    scaleFromRecord = false;
    SetScale(scale.x, scale.x, scale.x);
}

void COGLSBM::DrawMesh() {
    ResetBounds();
    const CSinAnimation* animation = currentAnimation;
    if (animation == nullptr) {
        return;
    }
    const int32_t count = static_cast<int32_t>(animation->frames.size());
    if (currentFrame < 0 || currentFrame >= count || nextFrame < 0 || nextFrame >= count) {
        return;
    }
    const CSinFrame& frameA = animation->frames[static_cast<size_t>(currentFrame)];
    const CSinFrame& frameB = animation->frames[static_cast<size_t>(nextFrame)];
    const float f = frameFraction;
    const int32_t vertexCount = animation->VertexCount();
    for (const std::unique_ptr<CSinGroup>& group : groups) {
        ResetBox(group->groupMin, group->groupMax);
        CMeshArrays& mesh = group->mesh;
        if (group->meshVertexCount != vertexCount) {
            BuildMeshArrays(*group, vertexCount);
        }
        for (size_t corner = 0; corner < mesh.CornerCount(); corner++) {
            const int32_t index = mesh.CornerVertex(corner);
            const uint8_t* vertexA = animation->Vertex(currentFrame, index);
            const CVector a = MeshPosition(frameA, vertexA);
            const CVector b = MeshPosition(frameB, animation->Vertex(nextFrame, index));
            const CVector point(a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f);
            const float* n = md2Normals[vertexA[3]];
            mesh.SetNormal(corner, n[1], -n[2], -n[0]);
            mesh.SetPosition(corner, point.x, point.y, point.z);
            Widen(group->groupMin, group->groupMax, point);
        }
        mesh.Draw();
        boundsMin = CVector(std::min(boundsMin.x, group->groupMin.x), std::min(boundsMin.y, group->groupMin.y),
                            std::min(boundsMin.z, group->groupMin.z));
        boundsMax = CVector(std::max(boundsMax.x, group->groupMax.x), std::max(boundsMax.y, group->groupMax.y),
                            std::max(boundsMax.z, group->groupMax.z));
    }
}

int32_t COGLSBM::VertexCount() const {
    return currentAnimation != nullptr ? currentAnimation->VertexCount() : 0;
}

int32_t COGLSBM::TriangleCount() const {
    // The triangles drawn: runs naming vertices the frames lack are not.
    const int32_t vertexCount = currentAnimation != nullptr ? VertexCount() : std::numeric_limits<int32_t>::max();
    int32_t triangles = 0;
    for (const std::unique_ptr<CSinGroup>& group : groups) {
        ForEachRun(group->commands, vertexCount, [&](const SinRun& run) {
            if (run.length > 2) {
                triangles += static_cast<int32_t>(run.length - 2);
            }
        });
    }
    return triangles;
}

void COGLSBM::FrameBounds(int32_t frame, CVector& min, CVector& max) const {
    min = max = CVector();
    const CSinAnimation* animation = currentAnimation;
    if (animation == nullptr || frame < 0 || frame >= static_cast<int32_t>(animation->frames.size())) {
        return;
    }
    const CSinFrame& frameData = animation->frames[static_cast<size_t>(frame)];
    bool first = true;
    for (const std::unique_ptr<CSinGroup>& group : groups) {
        ForEachRun(group->commands, animation->VertexCount(), [&](const SinRun& run) {
            for (size_t i = 0; i < run.length; i++) {
                const CVector p = MeshPosition(frameData, animation->Vertex(frame, run.Index(i)));
                if (first) {
                    min = max = p;
                    first = false;
                }
                Widen(min, max, p);
            }
        });
    }
}

void COGLSBM::CopyModel(const COGLSBM& source) {
    CopyFrom(source);
    folder = source.folder;
    path = source.path;
    pak = source.pak;
    resources = source.resources;
    Clear();
    for (COGLTexture2D* skin : source.skins) {
        if (resources != nullptr) {
            resources->AddTextureReference(skin);
        }
        skins.push_back(skin);
    }
    texture = source.texture;
    skinFiles = source.skinFiles;
    modelEntry = source.modelEntry;
    meshPath = source.meshPath;
    for (const std::unique_ptr<CSinGroup>& group : source.groups) {
        groups.push_back(std::make_unique<CSinGroup>(*group));
    }
    for (const std::unique_ptr<CModelAnimation>& record : source.animations) {
        const auto& animation = static_cast<const CSinAnimation&>(*record);
        animations.push_back(std::make_unique<CSinAnimation>(animation));
        const CSinAnimation* current = source.currentAnimation;
        if (currentAnimation == nullptr && current != nullptr && current->count == animation.count &&
            current->first == animation.first && current->name == animation.name) {
            currentAnimation = static_cast<CSinAnimation*>(animations.back().get());
        }
    }
    if (currentAnimation == nullptr && !animations.empty()) {
        currentAnimation = static_cast<CSinAnimation*>(animations.front().get());
    }
    yOffset = source.yOffset;
    frameStep = source.frameStep;
    framePosition = source.framePosition;
    currentFrame = source.currentFrame;
    nextFrame = source.nextFrame;
    frameFraction = source.frameFraction;
    loop = source.loop;
    reserved = source.reserved;
    interpolate = source.interpolate;
    flipNormals = source.flipNormals;
    loaded = source.loaded;
    boundsMin = source.boundsMin;
    boundsMax = source.boundsMax;
    dataLoaded = true;
}
