#include "models/COGLMDL.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

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

constexpr int MSG_NOT_A_VALID_MDL = 119;
constexpr size_t HEADER_SIZE = 84;
constexpr size_t FRAME_NAME_SIZE = 16;
// A frame's bounding box: two vertices of 4 bytes.
constexpr size_t FRAME_BOX_SIZE = 8;
constexpr size_t TITLE_LENGTH = 260;
// Far above any real model; a bigger file is refused before it is read.
constexpr uint64_t MAX_FILE_SIZE = 32u << 20;

enum HeaderOffset {
    H_MAGIC = 0, H_VERSION = 4, H_SCALE = 8, H_ORIGIN = 20, H_EYE = 36, H_SKIN_COUNT = 48, H_SKIN_WIDTH = 52,
    H_SKIN_HEIGHT = 56, H_VERTEX_COUNT = 60, H_TRIANGLE_COUNT = 64, H_FRAME_COUNT = 68,
};

// Walks the file front to back. A step that would pass the end of the data
// takes nothing and fails.
class CByteCursor {
public:
    CByteCursor(const uint8_t* bytes, size_t length) : data(bytes), size(length) {}

    // The next count bytes, stepped over; null when fewer are left.
    const uint8_t* Take(uint64_t count) {
        if (count > size - offset) {
            return nullptr;
        }
        const uint8_t* taken = data + offset;
        offset += static_cast<size_t>(count);
        return taken;
    }
    bool Int32(int32_t& value) {
        const uint8_t* field = Take(4);
        if (field == nullptr) {
            return false;
        }
        value = Int32At(field);
        return true;
    }

private:
    const uint8_t* data;
    size_t         size;
    size_t         offset = 0;
};

// What ReadModel takes from a file before the model is changed.
struct MdlContents {
    int32_t skinWidth = 0;
    int32_t skinHeight = 0;
    int32_t vertexCount = 0;
    std::vector<const uint8_t*> skinIndices;   // into the file's data
    std::vector<COGLMDL::TexturePoint> texturePoints;
    std::vector<COGLMDL::Triangle> triangles;
    std::vector<std::unique_ptr<CModelAnimation>> animations;
};

// Frames become animations as they are read: a frame whose group name
// differs from the open animation's opens a new one. A frame group closes
// the open animation before and after it, so it never shares one with the
// frames around it; within a group the names still decide.
class CAnimationBuilder {
public:
    explicit CAnimationBuilder(MdlContents& into) : contents(into) {}

    void AddFrame(const uint8_t* name, const uint8_t* vertices) {
        const char* text = reinterpret_cast<const char*>(name);
        const std::string group = GroupName(std::string(text, strnlen(text, FRAME_NAME_SIZE)));
        // The first frame opens an animation even when its name is empty.
        if (open == nullptr || open->name != group) {
            auto animation = std::make_unique<CMdlAnimation>(group, contents.vertexCount);
            open = animation.get();
            contents.animations.push_back(std::move(animation));
        }
        open->AddFrame(vertices);
    }
    void Close() { open = nullptr; }

private:
    MdlContents&   contents;
    CMdlAnimation* open = nullptr;
};

bool NormalsAreSound(const uint8_t* vertices, int32_t vertexCount) {
    for (int32_t i = 0; i < vertexCount; i++) {
        if (vertices[4 * i + 3] >= MD2_NORMAL_COUNT) {
            return false;
        }
    }
    return true;
}

// Bounding box, name and vertices of one frame.
bool ReadFrame(CByteCursor& file, CAnimationBuilder& frames, int32_t vertexCount) {
    const uint8_t* name = file.Take(FRAME_BOX_SIZE) != nullptr ? file.Take(FRAME_NAME_SIZE) : nullptr;
    const uint8_t* vertices = name != nullptr ? file.Take(4 * uint64_t(vertexCount)) : nullptr;
    if (vertices == nullptr || !NormalsAreSound(vertices, vertexCount)) {
        return false;
    }
    frames.AddFrame(name, vertices);
    return true;
}

// After its type: the frame count, the group's box and one time interval a
// frame, then the frames.
bool ReadFrameGroup(CByteCursor& file, CAnimationBuilder& frames, int32_t vertexCount) {
    int32_t count = 0;
    if (!file.Int32(count) || count < 0 || file.Take(FRAME_BOX_SIZE + 4 * uint64_t(count)) == nullptr) {
        return false;
    }
    frames.Close();
    for (int32_t i = 0; i < count; i++) {
        if (!ReadFrame(file, frames, vertexCount)) {
            return false;
        }
    }
    frames.Close();
    return true;
}

// Each frame's own type says whether it is a single frame or a group, so a
// file may mix the two, as the game reads them.
bool ReadFrames(CByteCursor& file, int32_t frameCount, MdlContents& contents) {
    CAnimationBuilder frames(contents);
    for (int32_t i = 0; i < frameCount; i++) {
        int32_t type = 0;
        if (!file.Int32(type)) {
            return false;
        }
        const bool read = type == 0 ? ReadFrame(file, frames, contents.vertexCount)
                                    : ReadFrameGroup(file, frames, contents.vertexCount);
        if (!read) {
            return false;
        }
    }
    return !contents.animations.empty();
}

// Skin groups are not supported.
bool ReadSkins(CByteCursor& file, int32_t skinCount, MdlContents& contents) {
    const uint64_t skinSize = uint64_t(contents.skinWidth) * uint64_t(contents.skinHeight);
    for (int32_t i = 0; i < skinCount; i++) {
        int32_t group = 0;
        if (!file.Int32(group) || group != 0) {
            return false;
        }
        const uint8_t* indices = file.Take(skinSize);
        if (indices == nullptr) {
            return false;
        }
        contents.skinIndices.push_back(indices);
    }
    return true;
}

bool ReadMesh(CByteCursor& file, int32_t triangleCount, MdlContents& contents) {
    const uint8_t* points = file.Take(12 * uint64_t(contents.vertexCount));
    if (points == nullptr) {
        return false;
    }
    for (int32_t i = 0; i < contents.vertexCount; i++, points += 12) {
        contents.texturePoints.push_back({ Int32At(points), Int32At(points + 4), Int32At(points + 8) });
    }
    const uint8_t* triangles = file.Take(16 * uint64_t(triangleCount));
    if (triangles == nullptr) {
        return false;
    }
    for (int32_t i = 0; i < triangleCount; i++, triangles += 16) {
        COGLMDL::Triangle triangle = { Int32At(triangles), { 0, 0, 0 } };
        for (int corner = 0; corner < 3; corner++) {
            const int32_t index = Int32At(triangles + 4 + 4 * corner);
            if (index < 0 || index >= contents.vertexCount) {
                return false;
            }
            triangle.vertices[corner] = index;
        }
        contents.triangles.push_back(triangle);
    }
    return true;
}

CVector VectorAt(const uint8_t* header, size_t offset) {
    return CVector(FloatAt(header + offset), FloatAt(header + offset + 4), FloatAt(header + offset + 8));
}

// Titles count from "skin  1"; a tenth skin ends in the character after '9'.
std::shared_ptr<COGLTexture2D> DecodeSkin(const uint8_t* indices, int32_t width, int32_t height, size_t number) {
    // Opened read-only, so the const_cast never leads to a write.
    StreamPtr stream(fmemopen(const_cast<uint8_t*>(indices), size_t(width) * size_t(height), "rb"));
    auto skin = std::make_shared<COGLTexture2D>();
    if (!stream || !skin->LoadIndexed(stream.get(), width, height)) {
        return nullptr;
    }
    skin->title = "skin   ";
    skin->title[6] = static_cast<char>('1' + number);
    return skin;
}

bool Refuse() {
    ReportErrorId(MSG_NOT_A_VALID_MDL);
    return false;
}

}  // namespace

COGLMDL::COGLMDL() {
    name = "MDL";
    typeCode = TYPE_CODE;
    scale = CVector(0.05f, 0.05f, 0.05f);
    SetDiffuse(1.0f, 1.0f, 1.0f, 1.0f);
}

COGLMDL::~COGLMDL() {
    // Before the embedded skins go: the scene is asked about every skin.
    ReleaseSkins();
}

void COGLMDL::LoadFromFile(const std::string& filePath) {
    std::vector<uint8_t> data;
    const WholeFile read = ReadWholeFile(filePath, MAX_FILE_SIZE, data);
    if (read == WholeFile::missing) {
        return;
    }
    path = filePath;
    const PathParts parts = SplitPath(filePath);
    folder = parts.drive + parts.folder;
    loaded = read == WholeFile::read ? ReadModel(data.data(), data.size()) : Refuse();
    Rename(filePath);
}

void COGLMDL::LoadFromArchive(CPakFile& archive, const CPakEntry& entry) {
    pak = &archive;
    std::vector<uint8_t> data;
    if (static_cast<uint64_t>(entry.length) > MAX_FILE_SIZE) {
        loaded = Refuse();
    } else if (!archive.ReadEntry(entry, data)) {
        loaded = false;
    } else {
        loaded = ReadModel(data.data(), data.size());
    }
    path = entry.name;
    Rename(entry.name);
}

void COGLMDL::Rename(const std::string& modelPath) {
    name = SplitPath(modelPath).name.substr(0, TITLE_LENGTH);
}

bool COGLMDL::ReadModel(const uint8_t* data, size_t size) {
    CByteCursor file(data, size);
    const uint8_t* header = size <= MAX_FILE_SIZE ? file.Take(HEADER_SIZE) : nullptr;
    if (header == nullptr || std::memcmp(header + H_MAGIC, "IDPO", 4) != 0 || Int32At(header + H_VERSION) != 6) {
        return Refuse();
    }
    MdlContents contents;
    const int32_t skinCount = Int32At(header + H_SKIN_COUNT);
    contents.skinWidth = Int32At(header + H_SKIN_WIDTH);
    contents.skinHeight = Int32At(header + H_SKIN_HEIGHT);
    contents.vertexCount = Int32At(header + H_VERTEX_COUNT);
    const int32_t newTriangleCount = Int32At(header + H_TRIANGLE_COUNT);
    // Texture points are divided by the skin's size, which must be there
    // even when the file holds no skin.
    if (skinCount < 0 || contents.skinWidth < 1 || contents.skinHeight < 1 || contents.vertexCount < 0 ||
        newTriangleCount < 0) {
        return Refuse();
    }
    if (!ReadSkins(file, skinCount, contents) || !ReadMesh(file, newTriangleCount, contents) ||
        !ReadFrames(file, Int32At(header + H_FRAME_COUNT), contents)) {
        return Refuse();
    }

    ReleaseSkins();
    embeddedSkins.clear();
    for (size_t i = 0; i < contents.skinIndices.size(); i++) {
        // One that cannot be decoded is left out.
        if (auto skin = DecodeSkin(contents.skinIndices[i], contents.skinWidth, contents.skinHeight, i)) {
            skins.push_back(skin.get());
            embeddedSkins.push_back(std::move(skin));
        }
    }
    skinCountInFile = skinCount;
    skinWidth = contents.skinWidth;
    skinHeight = contents.skinHeight;
    fileScale = VectorAt(header, H_SCALE);
    fileTranslate = VectorAt(header, H_ORIGIN) - VectorAt(header, H_EYE);
    vertexCount = contents.vertexCount;
    triangleCount = newTriangleCount;
    texturePoints = std::move(contents.texturePoints);
    triangles = std::move(contents.triangles);
    BuildMeshArrays();
    animations = std::move(contents.animations);
    SetAnimation(animations.front().get());
    yOffset = 0.0f;
    dataLoaded = true;
    return true;
}

int32_t COGLMDL::FileFrameCount() const {
    int32_t frames = 0;
    for (const std::unique_ptr<CModelAnimation>& animation : animations) {
        frames += animation->count;
    }
    return frames;
}

void COGLMDL::SelectAnimation(const std::string& animationName) {
    if (CModelAnimation* animation = FindAnimation(animationName)) {
        SetVisible(true);
        SetAnimation(animation);
        return;
    }
    // Without the animation asked for the model is hidden, as an MD2 is.
    currentAnimation = nullptr;
    framePosition = 0.0f;
    SetVisible(false);
}

void COGLMDL::SetAnimation(CModelAnimation* animation) {
    // Only this model's own kind of animation holds frames to draw.
    currentAnimation = dynamic_cast<CMdlAnimation*>(animation);
    ResetAnimation();
}

int COGLMDL::GetFrameCount() const {
    return currentAnimation != nullptr ? currentAnimation->count : 0;
}

void COGLMDL::StartAnimation() {
    if (GetFrameCount() > 1) {
        animating = true;
    }
}

// The mesh's x is the file's y, its y the file's z, its z the file's x.
CVector COGLMDL::MeshPosition(const uint8_t* vertex) const {
    return CVector(vertex[1] * fileScale.y + fileTranslate.y, vertex[2] * fileScale.z + fileTranslate.z,
                   vertex[0] * fileScale.x + fileTranslate.x);
}

void COGLMDL::DrawMesh() {
    ResetBounds();
    if (currentAnimation == nullptr || currentFrame < 0 || currentFrame >= currentAnimation->count ||
        nextFrame < 0 || nextFrame >= currentAnimation->count) {
        return;
    }
    const uint8_t* frameA = currentAnimation->Frame(currentFrame);
    const uint8_t* frameB = currentAnimation->Frame(nextFrame);
    for (size_t corner = 0; corner < mesh.CornerCount(); corner++) {
        const int32_t index = mesh.CornerVertex(corner);
        const uint8_t* vertexA = frameA + 4 * static_cast<size_t>(index);
        const CVector a = MeshPosition(vertexA);
        const CVector b = MeshPosition(frameB + 4 * static_cast<size_t>(index));
        const CVector point(a.x + (b.x - a.x) * frameFraction, a.y + (b.y - a.y) * frameFraction,
                            a.z + (b.z - a.z) * frameFraction);
        const float* normal = md2Normals[vertexA[3]];
        mesh.SetNormal(corner, normal[1], normal[2], normal[0]);
        mesh.SetPosition(corner, point.x, point.y, point.z);
        WidenBounds(point);
    }
    mesh.Draw();
}

void COGLMDL::BuildMeshArrays() {
    mesh.Clear();
    const float width = static_cast<float>(skinWidth);
    const float height = static_cast<float>(skinHeight);
    const float seamShift = static_cast<float>(skinWidth / 2);
    for (const Triangle& triangle : triangles) {
        uint32_t corners[3];
        for (int i = 0; i < 3; i++) {
            const int32_t index = triangle.vertices[i];
            const TexturePoint& texturePoint = texturePoints[static_cast<size_t>(index)];
            float s = static_cast<float>(texturePoint.s);
            // A back-facing triangle on the seam takes its texture from the
            // skin's right half, where the back of the model is painted.
            if (texturePoint.onSeam != 0 && triangle.facesFront == 0) {
                s += seamShift;
            }
            corners[i] = mesh.AddCorner(index, s / width, -(static_cast<float>(texturePoint.t) / height));
        }
        mesh.AddTriangle(corners[0], corners[1], corners[2]);
    }
}

void COGLMDL::DrawAxes() {
    const float tick = 5.0f;
    const CVector& low = boundsMin;
    const CVector& high = boundsMax;
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(high.x, low.y, 0.0f);
    glVertex3f(high.x + tick, low.y, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, low.y, 0.0f);
    glVertex3f(0.0f, low.y - tick, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, low.y, low.z);
    glVertex3f(0.0f, low.y, low.z - tick);
    glEnd();
}

void COGLMDL::FrameBounds(int32_t frame, CVector& min, CVector& max) const {
    min = max = CVector();
    const CMdlAnimation* holder = nullptr;
    for (const std::unique_ptr<CModelAnimation>& animation : animations) {
        if (frame >= 0 && frame < animation->count) {
            holder = static_cast<const CMdlAnimation*>(animation.get());
            break;
        }
        frame -= animation->count;
    }
    if (holder == nullptr) {
        return;
    }
    const uint8_t* vertices = holder->Frame(frame);
    bool first = true;
    for (const Triangle& triangle : triangles) {
        for (const int32_t index : triangle.vertices) {
            const CVector p = MeshPosition(vertices + 4 * static_cast<size_t>(index));
            if (first) {
                min = max = p;
                first = false;
            }
            min = CVector(std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z));
            max = CVector(std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z));
        }
    }
}

void COGLMDL::CopyModel(const COGLMDL& source) {
    CopyFrom(source);
    ReleaseSkins();
    embeddedSkins = source.embeddedSkins;
    resources = source.resources;
    for (COGLTexture2D* skin : source.skins) {
        const bool embedded = std::any_of(embeddedSkins.begin(), embeddedSkins.end(),
                                          [&](const auto& own) { return own.get() == skin; });
        if (!embedded && resources != nullptr) {
            resources->AddTextureReference(skin);
        }
        skins.push_back(skin);
    }
    texture = source.texture;
    framePosition = source.framePosition;
    currentFrame = source.currentFrame;
    nextFrame = source.nextFrame;
    frameFraction = source.frameFraction;
    flipNormals = source.flipNormals;
    folder = source.folder;
    path = source.path;
    skinCountInFile = source.skinCountInFile;
    loaded = source.loaded;
    boundsMin = source.boundsMin;
    boundsMax = source.boundsMax;
    fileScale = source.fileScale;
    fileTranslate = source.fileTranslate;
    skinWidth = source.skinWidth;
    skinHeight = source.skinHeight;
    vertexCount = source.vertexCount;
    triangleCount = source.triangleCount;
    texturePoints = source.texturePoints;
    triangles = source.triangles;
    mesh = source.mesh;
    yOffset = source.yOffset;
    frameStep = source.frameStep;
    loop = source.loop;
    interpolate = source.interpolate;
    pak = source.pak;

    animations.clear();
    currentAnimation = nullptr;
    for (const std::unique_ptr<CModelAnimation>& animation : source.animations) {
        auto duplicate = std::make_unique<CMdlAnimation>(static_cast<const CMdlAnimation&>(*animation));
        const CModelAnimation* current = source.currentAnimation;
        if (currentAnimation == nullptr && current != nullptr && current->name == animation->name &&
            current->first == animation->first && current->count == animation->count) {
            currentAnimation = duplicate.get();
        }
        animations.push_back(std::move(duplicate));
    }
    if (currentAnimation == nullptr && !animations.empty()) {
        currentAnimation = static_cast<CMdlAnimation*>(animations.front().get());
    }
    dataLoaded = source.dataLoaded;
}
