#include "models/CMdlData.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "image/COGLImage.h"
#include "models/Md2Normals.h"
#include "platform/LittleEndian.h"

namespace {

constexpr int MSG_NOT_A_VALID_MDL = 119;
constexpr size_t HEADER_SIZE = 84;
constexpr size_t FRAME_NAME_SIZE = 16;
// A frame's bounding box: two vertices of 4 bytes.
constexpr size_t FRAME_BOX_SIZE = 8;
// Each skin becomes a texture of the scene, however few its pixels: far more
// than the game takes (32) is no model.
constexpr int32_t MAX_SKINS = 256;
// Frames, single or in groups, far above the game's 256: each may open an
// animation.
constexpr int32_t MAX_FRAMES = 65536;

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

using MdlContents = CMdlData;

// Frames become animations as they are read: a frame whose group name
// differs from the open animation's opens a new one. A frame group closes
// the open animation before and after it, so it never shares one with the
// frames around it; within a group the names still decide.
class CAnimationBuilder {
public:
    explicit CAnimationBuilder(MdlContents& into) : contents(into) {}

    // False past MAX_FRAMES.
    bool AddFrame(const uint8_t* name, const uint8_t* vertices) {
        if (++frameCount > MAX_FRAMES) {
            return false;
        }
        const char* text = reinterpret_cast<const char*>(name);
        const std::string group = GroupName(std::string(text, strnlen(text, FRAME_NAME_SIZE)));
        // The first frame opens an animation even when its name is empty.
        if (open == nullptr || open->name != group) {
            auto animation = std::make_unique<CMdlAnimation>(group, contents.vertexCount);
            open = animation.get();
            contents.animations.push_back(std::move(animation));
        }
        open->AddFrame(vertices);
        return true;
    }
    void Close() { open = nullptr; }

private:
    MdlContents&   contents;
    CMdlAnimation* open = nullptr;
    int32_t        frameCount = 0;
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
    return frames.AddFrame(name, vertices);
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
bool ReadSkins(CByteCursor& file, int32_t skinCount, std::vector<const uint8_t*>& skinIndices,
               const MdlContents& contents) {
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
        skinIndices.push_back(indices);
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
        CMdlData::Triangle triangle = { Int32At(triangles), { 0, 0, 0 } };
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


void BuildMesh(CMdlData& mdl) {
    const float width = static_cast<float>(mdl.skinWidth);
    const float height = static_cast<float>(mdl.skinHeight);
    const float seamShift = static_cast<float>(mdl.skinWidth / 2);
    for (const CMdlData::Triangle& triangle : mdl.triangles) {
        uint32_t corners[3];
        for (int i = 0; i < 3; i++) {
            const int32_t index = triangle.vertices[i];
            const CMdlData::TexturePoint& texturePoint = mdl.texturePoints[static_cast<size_t>(index)];
            float s = static_cast<float>(texturePoint.s);
            // A back-facing triangle on the seam takes its texture from the
            // skin's right half, where the back of the model is painted.
            if (texturePoint.onSeam != 0 && triangle.facesFront == 0) {
                s += seamShift;
            }
            corners[i] = mdl.mesh.AddCorner(index, s / width, -(static_cast<float>(texturePoint.t) / height));
        }
        mdl.mesh.AddTriangle(corners[0], corners[1], corners[2]);
    }
    mdl.mesh.Finish();
}

ParsedModel Refuse() {
    ParsedModel refused;
    AddMessage(refused.messages, MSG_NOT_A_VALID_MDL);
    return refused;
}

}  // namespace

CVector CMdlData::Position(const uint8_t* vertex) const {
    return CVector(vertex[1] * fileScale.y + fileTranslate.y, vertex[2] * fileScale.z + fileTranslate.z,
                   vertex[0] * fileScale.x + fileTranslate.x);
}

int32_t CMdlData::FileFrameCount() const {
    int32_t frames = 0;
    for (const std::unique_ptr<CMdlAnimation>& animation : animations) {
        frames += animation->count;
    }
    return frames;
}

void CMdlData::FrameBounds(int32_t frame, CVector& min, CVector& max) const {
    min = max = CVector();
    const CMdlAnimation* holder = nullptr;
    for (const std::unique_ptr<CMdlAnimation>& animation : animations) {
        if (frame >= 0 && frame < animation->count) {
            holder = animation.get();
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
            const CVector p = Position(vertices + 4 * static_cast<size_t>(index));
            if (first) {
                min = max = p;
                first = false;
            }
            min = CVector(std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z));
            max = CVector(std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z));
        }
    }
}

ParsedModel ParseMdl(const std::vector<uint8_t>& bytes) {
    CByteCursor file(bytes.data(), bytes.size());
    const uint8_t* header = file.Take(HEADER_SIZE);
    if (header == nullptr || std::memcmp(header + H_MAGIC, "IDPO", 4) != 0 || Int32At(header + H_VERSION) != 6) {
        return Refuse();
    }
    auto parsed = std::make_shared<CMdlData>();
    CMdlData& mdl = *parsed;
    const int32_t skinCount = Int32At(header + H_SKIN_COUNT);
    mdl.skinWidth = Int32At(header + H_SKIN_WIDTH);
    mdl.skinHeight = Int32At(header + H_SKIN_HEIGHT);
    mdl.vertexCount = Int32At(header + H_VERTEX_COUNT);
    const int32_t triangleCount = Int32At(header + H_TRIANGLE_COUNT);
    // Texture points are divided by the skin's size, which must be there
    // even when the file holds no skin.
    if (skinCount < 0 || skinCount > MAX_SKINS || mdl.skinWidth < 1 || mdl.skinHeight < 1 || mdl.vertexCount < 0 || triangleCount < 0) {
        return Refuse();
    }
    std::vector<const uint8_t*> skinIndices;
    if (!ReadSkins(file, skinCount, skinIndices, mdl) || !ReadMesh(file, triangleCount, mdl) ||
        !ReadFrames(file, Int32At(header + H_FRAME_COUNT), mdl)) {
        return Refuse();
    }
    ParsedModel result;
    const size_t skinSize = size_t(mdl.skinWidth) * size_t(mdl.skinHeight);
    for (size_t i = 0; i < skinIndices.size(); i++) {
        // One that cannot be decoded is left out.
        auto skin = std::make_shared<COGLImage>();
        if (skin->DecodeIndexed(skinIndices[i], skinSize, mdl.skinWidth, mdl.skinHeight, result.messages)) {
            mdl.skins.push_back({ static_cast<int32_t>(i), std::move(skin) });
        }
    }
    mdl.skinCountInFile = skinCount;
    mdl.fileScale = VectorAt(header, H_SCALE);
    mdl.fileTranslate = VectorAt(header, H_ORIGIN) - VectorAt(header, H_EYE);
    mdl.triangleCount = triangleCount;
    BuildMesh(mdl);
    result.data = std::move(parsed);
    return result;
}
