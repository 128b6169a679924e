#include "models/COGLMD2.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

#include "diag/CDiagnostics.h"
#include "image/COGLTexture2D.h"
#include "models/CModelResources.h"
#include "models/Md2Normals.h"
#include "platform/CFile.h"
#include "platform/CPakFile.h"
#include "platform/LittleEndian.h"
#include "platform/WindowsPath.h"

namespace {

constexpr int MSG_NOT_A_VALID_MD2 = 109;
constexpr size_t HEADER_SIZE = 68;
constexpr size_t SKIN_NAME_SIZE = 64;
constexpr size_t FRAME_NAME_OFFSET = 24;
constexpr size_t FRAME_NAME_SIZE = 16;
// Far above any real model (512 frames of 2048 vertices is about 4 MB); a
// bigger file is refused before it is read.
constexpr uint64_t MAX_FILE_SIZE = 32u << 20;

enum HeaderField {
    H_MAGIC, H_VERSION, H_SKIN_WIDTH, H_SKIN_HEIGHT, H_FRAME_SIZE, H_SKIN_COUNT, H_VERTEX_COUNT,
    H_TEXCOORD_COUNT, H_TRIANGLE_COUNT, H_COMMAND_COUNT, H_FRAME_COUNT, H_SKIN_OFFSET,
    H_TEXCOORD_OFFSET, H_TRIANGLE_OFFSET, H_FRAME_OFFSET, H_COMMAND_OFFSET, H_END_OFFSET,
};

float WordAsFloat(int32_t word) {
    float value;
    std::memcpy(&value, &word, 4);
    return value;
}

bool Fits(int64_t offset, int64_t length, size_t size) {
    return offset >= 0 && length >= 0 && offset + length <= static_cast<int64_t>(size);
}

size_t RunLength(int32_t count) {
    return count < 0 ? static_cast<size_t>(-static_cast<int64_t>(count)) : static_cast<size_t>(count);
}

// Every run must fit the list and name existing vertices, so that drawing
// and normal recomputation can walk it without further checks. A list that
// stops without its closing 0 ends where its words end.
bool CommandsAreSound(const std::vector<int32_t>& commands, int32_t vertexCount) {
    size_t word = 0;
    while (word < commands.size()) {
        const int32_t count = commands[word++];
        if (count == 0) {
            return true;
        }
        const size_t length = RunLength(count);
        if (length > (commands.size() - word) / 3) {
            return false;
        }
        for (size_t i = 0; i < length; i++) {
            const int32_t index = commands[word + 3 * i + 2];
            if (index < 0 || index >= vertexCount) {
                return false;
            }
        }
        word += 3 * length;
    }
    return true;
}

// One run of a checked command list: its vertices are three words each
// (s, t, vertex index) starting at words.
struct CommandRun {
    bool           fan;
    size_t         length;
    const int32_t* words;

    float   S(size_t i) const { return WordAsFloat(words[3 * i]); }
    float   T(size_t i) const { return WordAsFloat(words[3 * i + 1]); }
    int32_t Index(size_t i) const { return words[3 * i + 2]; }
};

// Walks a list that CommandsAreSound accepted, up to its closing 0.
template <typename Visit>
void ForEachRun(const std::vector<int32_t>& commands, Visit visit) {
    size_t word = 0;
    while (word < commands.size()) {
        const int32_t count = commands[word++];
        if (count == 0) {
            return;
        }
        const CommandRun run = { count < 0, RunLength(count), commands.data() + word };
        visit(run);
        word += 3 * run.length;
    }
}

bool NormalsAreSound(const uint8_t* frames, int64_t framesLength, int32_t frameSize, int32_t vertexCount) {
    for (int64_t frame = 0; frame < framesLength; frame += frameSize) {
        const uint8_t* vertex = frames + frame + COGLMD2::FRAME_HEADER_SIZE;
        for (int32_t i = 0; i < vertexCount; i++, vertex += 4) {
            if (vertex[3] >= MD2_NORMAL_COUNT) {
                return false;
            }
        }
    }
    return true;
}

struct FrameTransform {
    float scale[3];
    float translate[3];
};

FrameTransform TransformOf(const uint8_t* frame) {
    FrameTransform transform;
    for (int axis = 0; axis < 3; axis++) {
        transform.scale[axis] = FloatAt(frame + 4 * axis);
        transform.translate[axis] = FloatAt(frame + 12 + 4 * axis);
    }
    return transform;
}

const uint8_t* VertexOf(const uint8_t* frame, int32_t index) {
    return frame + COGLMD2::FRAME_HEADER_SIZE + 4 * static_cast<size_t>(index);
}

// The mesh's x is the file's y, its y the negated file z, its z the negated file x.
CVector MeshPosition(const FrameTransform& transform, const uint8_t* vertex) {
    const float fileX = vertex[0] * transform.scale[0] + transform.translate[0];
    const float fileY = vertex[1] * transform.scale[1] + transform.translate[1];
    const float fileZ = vertex[2] * transform.scale[2] + transform.translate[2];
    return CVector(fileY, -fileZ, -fileX);
}

CVector TableNormal(int index) {
    const float* n = md2Normals[index];
    return CVector(n[1], -n[2], -n[0]);
}

std::string FrameName(const uint8_t* frame) {
    const char* text = reinterpret_cast<const char*>(frame + FRAME_NAME_OFFSET);
    return std::string(text, strnlen(text, FRAME_NAME_SIZE));
}

struct NormalSum {
    int     uses = 0;
    CVector sum;
};

struct RunVertex {
    int32_t index;
    CVector position;
};

void AddFace(std::vector<NormalSum>& sums, const RunVertex& a, const RunVertex& b, const RunVertex& c) {
    CVector face = Cross(a.position - b.position, c.position - b.position);
    face.Normalize();
    for (const RunVertex* corner : { &a, &b, &c }) {
        NormalSum& entry = sums[static_cast<size_t>(corner->index)];
        entry.sum += face;
        entry.uses++;
    }
}

uint8_t NearestTableNormal(const CVector& direction) {
    int   best = 0;
    float bestDot = -999999.0f;
    for (int k = 0; k < MD2_NORMAL_COUNT; k++) {
        const float dot = direction.Dot(TableNormal(k));
        if (dot > bestDot) {
            bestDot = dot;
            best = k;
        }
    }
    return static_cast<uint8_t>(best);
}

}  // namespace

COGLMD2::COGLMD2() {
    name = "md2";
    typeCode = TYPE_CODE;
    scale = CVector(0.05f, 0.05f, 0.05f);
    Rotate(CVector(1.0f, 0.0f, 0.0f), 180.0f);
    SetDiffuse(1.0f, 1.0f, 1.0f, 1.0f);
}

bool COGLMD2::Refuse() const {
    if (reportsInvalid) {
        ReportErrorId(MSG_NOT_A_VALID_MD2);
    }
    return false;
}

void COGLMD2::LoadFromFile(const std::string& filePath) {
    std::vector<uint8_t> data;
    const WholeFile read = ReadWholeFile(filePath, MAX_FILE_SIZE, data);
    if (read == WholeFile::missing) {
        return;
    }
    path = filePath;
    const PathParts parts = SplitPath(filePath);
    folder = parts.drive + parts.folder;
    loaded = read == WholeFile::read ? ReadModel(std::move(data), recomputeNormals) : Refuse();
    RenameFromPath(filePath);
}

void COGLMD2::LoadFromArchive(CPakFile& archive, const CPakEntry& entry) {
    pak = &archive;
    std::vector<uint8_t> data;
    if (static_cast<uint64_t>(entry.length) > MAX_FILE_SIZE) {
        loaded = Refuse();
    } else if (!archive.ReadEntry(entry, data)) {
        loaded = false;
    } else {
        loaded = ReadModel(std::move(data), recomputeNormals);
    }
    path = entry.name;
    RenameFromPath(entry.name);
}

bool COGLMD2::ReadModel(const uint8_t* data, size_t size, bool recompute) {
    if (size > MAX_FILE_SIZE) {
        return Refuse();
    }
    return ReadModel(std::vector<uint8_t>(data, data + size), recompute);
}

bool COGLMD2::ReadModel(std::vector<uint8_t>&& file, bool recompute) {
    const uint8_t* data = file.data();
    const size_t size = file.size();
    if (size < HEADER_SIZE || size > MAX_FILE_SIZE) {
        return Refuse();
    }
    int32_t header[17];
    for (int i = 0; i < 17; i++) {
        header[i] = Int32At(data + 4 * i);
    }
    if (std::memcmp(data, "IDP2", 4) != 0 || header[H_VERSION] != 8) {
        return Refuse();
    }
    const int32_t newFrameSize = header[H_FRAME_SIZE];
    const int32_t newFrameCount = header[H_FRAME_COUNT];
    const int32_t skinCount = header[H_SKIN_COUNT];
    const int32_t newCommandCount = header[H_COMMAND_COUNT];
    if (newFrameSize < FRAME_HEADER_SIZE + 4 || newFrameCount < 1 || skinCount < 0 || newCommandCount < 0) {
        return Refuse();
    }
    const int64_t framesLength = int64_t(newFrameSize) * newFrameCount;
    if (!Fits(header[H_SKIN_OFFSET], int64_t(skinCount) * int64_t(SKIN_NAME_SIZE), size) ||
        !Fits(header[H_COMMAND_OFFSET], int64_t(newCommandCount) * 4, size) ||
        !Fits(header[H_FRAME_OFFSET], framesLength, size)) {
        return Refuse();
    }
    const int32_t vertexCount = (newFrameSize - FRAME_HEADER_SIZE) / 4;

    std::vector<int32_t> newCommands(static_cast<size_t>(newCommandCount));
    const uint8_t* commandBytes = data + header[H_COMMAND_OFFSET];
    for (size_t i = 0; i < newCommands.size(); i++) {
        newCommands[i] = Int32At(commandBytes + 4 * i);
    }
    if (!CommandsAreSound(newCommands, vertexCount) ||
        !NormalsAreSound(data + header[H_FRAME_OFFSET], framesLength, newFrameSize, vertexCount)) {
        return Refuse();
    }

    std::vector<std::string> names;
    for (int32_t i = 0; i < skinCount; i++) {
        const char* field = reinterpret_cast<const char*>(data + header[H_SKIN_OFFSET]) + SKIN_NAME_SIZE * i;
        names.emplace_back(field, strnlen(field, SKIN_NAME_SIZE));
    }

    ReleaseSkins();
    skinCountInFile = skinCount;
    skinNames = names;
    LoadSkins(names);
    commandCount = newCommandCount;
    commands = std::move(newCommands);
    frameSize = newFrameSize;
    frameCount = newFrameCount;
    frameOffset = static_cast<size_t>(header[H_FRAME_OFFSET]);
    skinWidth = header[H_SKIN_WIDTH];
    skinHeight = header[H_SKIN_HEIGHT];
    fileBytes = std::move(file);
    BuildAnimations();
    BuildMeshArrays();
    // With the mesh axes and the half turn about x, the lowest point of
    // frame 0 then sits at the object's origin height.
    yOffset = FloatAt(Frame(0) + 20);
    if (recompute) {
        RecomputeNormals();
    }
    dataLoaded = true;
    return true;
}

void COGLMD2::LoadSkins(const std::vector<std::string>& names) {
    if (resources == nullptr) {
        return;
    }
    for (const std::string& skinName : names) {
        AdoptSkin(resources->FindOrLoadTexture(skinName, pak, folder, false, searchAllPaks));
    }
}

void COGLMD2::BuildAnimations() {
    animations.clear();
    currentAnimation = nullptr;
    std::string openName = GroupName(FrameName(Frame(0)));
    int32_t first = 0;
    for (int32_t i = 1; i < frameCount; i++) {
        std::string group = GroupName(FrameName(Frame(i)));
        if (group != openName) {
            animations.push_back(std::make_unique<CModelAnimation>(openName, first, i - first));
            openName = std::move(group);
            first = i;
        }
    }
    animations.push_back(std::make_unique<CModelAnimation>(openName, first, frameCount - first));
    if (animations.size() > 1) {
        animations.push_back(std::make_unique<CModelAnimation>("<all>", 0, frameCount));
    }
    SetAnimation(animations.back().get());
}

// Only the first 55 characters are examined, as the editor did.
void COGLMD2::RenameFromPath(const std::string& modelPath) {
    const std::string examined = modelPath.substr(0, 55);
    size_t end = examined.find_last_of("/\\");
    while (end != std::string::npos && end > 0) {
        const size_t start = examined.find_last_of("/\\", end - 1);
        if (start == std::string::npos) {
            return;
        }
        const std::string folderName = examined.substr(start + 1, end - start - 1);
        if (folderName != "medium") {
            name = folderName;
            return;
        }
        end = start;
    }
}

void COGLMD2::SelectAnimation(const std::string& animationName) {
    if (CModelAnimation* animation = FindAnimation(animationName)) {
        SetVisible(true);
        SetAnimation(animation);
        return;
    }
    // Without the animation asked for the model is hidden: a player's
    // weapon that lacks it must not show.
    currentAnimation = nullptr;
    framePosition = 0.0f;
    SetVisible(false);
}

void COGLMD2::SetAnimation(CModelAnimation* animation) {
    currentAnimation = animation;
    ResetAnimation();
}

void COGLMD2::StartAnimation() {
    if (frameCount > 1) {
        animating = true;
    }
}

void COGLMD2::DrawMesh() {
    ResetBounds();
    if (currentAnimation == nullptr) {
        return;
    }
    const int64_t indexA = int64_t(currentAnimation->first) + currentFrame;
    const int64_t indexB = int64_t(currentAnimation->first) + nextFrame;
    if (indexA < 0 || indexA >= frameCount || indexB < 0 || indexB >= frameCount) {
        return;
    }
    const uint8_t* frameA = Frame(static_cast<int32_t>(indexA));
    const uint8_t* frameB = Frame(static_cast<int32_t>(indexB));
    const FrameTransform transformA = TransformOf(frameA);
    const FrameTransform transformB = TransformOf(frameB);
    const float sign = flipNormals ? -1.0f : 1.0f;

    for (size_t corner = 0; corner < mesh.CornerCount(); corner++) {
        const int32_t index = mesh.CornerVertex(corner);
        const uint8_t* vertexA = VertexOf(frameA, index);
        const CVector a = MeshPosition(transformA, vertexA);
        const CVector b = MeshPosition(transformB, VertexOf(frameB, index));
        const CVector point(a.x + (b.x - a.x) * frameFraction, a.y + (b.y - a.y) * frameFraction,
                            a.z + (b.z - a.z) * frameFraction);
        const CVector normal = TableNormal(vertexA[3]);
        mesh.SetNormal(corner, sign * normal.x, sign * normal.y, sign * normal.z);
        mesh.SetPosition(corner, point.x, point.y, point.z);
        WidenBounds(point);
    }
    mesh.Draw();
}

void COGLMD2::BuildMeshArrays() {
    mesh.Clear();
    std::vector<uint32_t> runCorners;
    ForEachRun(commands, [&](const CommandRun& run) {
        runCorners.clear();
        for (size_t i = 0; i < run.length; i++) {
            runCorners.push_back(mesh.AddCorner(run.Index(i), run.S(i), -run.T(i)));
        }
        mesh.AddRun(run.fan, runCorners.data(), runCorners.size());
    });
}

int32_t COGLMD2::TriangleCount() const {
    int32_t triangles = 0;
    ForEachRun(commands, [&](const CommandRun& run) {
        if (run.length > 2) {
            triangles += static_cast<int32_t>(run.length - 2);
        }
    });
    return triangles;
}

void COGLMD2::FrameBounds(int32_t frame, CVector& min, CVector& max) const {
    min = max = CVector();
    if (frame < 0 || frame >= frameCount) {
        return;
    }
    const uint8_t* frameData = Frame(frame);
    const FrameTransform transform = TransformOf(frameData);
    bool first = true;
    ForEachRun(commands, [&](const CommandRun& run) {
        for (size_t i = 0; i < run.length; i++) {
            const CVector p = MeshPosition(transform, VertexOf(frameData, run.Index(i)));
            if (first) {
                min = max = p;
                first = false;
            }
            min = CVector(std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z));
            max = CVector(std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z));
        }
    });
}

void COGLMD2::RecomputeNormals() {
    for (int32_t i = 0; i < frameCount; i++) {
        RecomputeFrameNormals(fileBytes.data() + frameOffset + static_cast<size_t>(i) * frameSize);
    }
}

// Each vertex takes the table normal nearest the average of the faces that
// use it; vertices no face uses keep theirs.
void COGLMD2::RecomputeFrameNormals(uint8_t* frame) {
    std::vector<NormalSum> sums(static_cast<size_t>(VertexCount()));
    const FrameTransform transform = TransformOf(frame);
    std::vector<RunVertex> corners;
    ForEachRun(commands, [&](const CommandRun& run) {
        corners.clear();
        for (size_t i = 0; i < run.length; i++) {
            corners.push_back({ run.Index(i), MeshPosition(transform, VertexOf(frame, run.Index(i))) });
        }
        for (size_t m = 2; m < run.length; m++) {
            if (run.fan) {
                AddFace(sums, corners[0], corners[m - 1], corners[m]);
            } else if (m % 2 == 0) {
                // Every other strip triangle is wound the other way round.
                AddFace(sums, corners[m - 2], corners[m - 1], corners[m]);
            } else {
                AddFace(sums, corners[m - 2], corners[m], corners[m - 1]);
            }
        }
    });
    for (size_t v = 0; v < sums.size(); v++) {
        if (sums[v].uses == 0) {
            continue;
        }
        CVector average = sums[v].sum;
        average *= 1.0f / static_cast<float>(sums[v].uses);
        average.Normalize();
        frame[COGLMD2::FRAME_HEADER_SIZE + 4 * v + 3] = NearestTableNormal(average);
    }
}

void COGLMD2::CopyModel(const COGLMD2& source) {
    CopyFrom(source);
    folder = source.folder;
    path = source.path;
    pak = source.pak;
    resources = source.resources;
    if (!source.dataLoaded) {
        return;
    }
    ReleaseSkins();
    for (COGLTexture2D* skin : source.skins) {
        resources->AddTextureReference(skin);
        skins.push_back(skin);
    }
    texture = source.texture;
    yOffset = source.yOffset;
    currentFrame = source.currentFrame;
    nextFrame = source.nextFrame;
    frameFraction = source.frameFraction;
    flipNormals = source.flipNormals;
    skinCountInFile = source.skinCountInFile;
    skinNames = source.skinNames;
    commandCount = source.commandCount;
    commands = source.commands;
    mesh = source.mesh;
    fileBytes = source.fileBytes;
    frameOffset = source.frameOffset;
    frameSize = source.frameSize;
    frameCount = source.frameCount;
    skinWidth = source.skinWidth;
    skinHeight = source.skinHeight;
    loaded = source.loaded;
    boundsMin = source.boundsMin;
    boundsMax = source.boundsMax;
    animations.clear();
    currentAnimation = nullptr;
    for (const std::unique_ptr<CModelAnimation>& animation : source.animations) {
        animations.push_back(std::make_unique<CModelAnimation>(animation->name, animation->first, animation->count));
        const CModelAnimation* current = source.currentAnimation;
        if (current != nullptr && current->name == animation->name && current->first == animation->first &&
            current->count == animation->count && currentAnimation == nullptr) {
            currentAnimation = animations.back().get();
        }
    }
    if (currentAnimation == nullptr && !animations.empty()) {
        currentAnimation = animations.front().get();
    }
    frameStep = source.frameStep;
    framePosition = source.framePosition;
    loop = source.loop;
    interpolate = source.interpolate;
    dataLoaded = true;
}
