#include "models/CMd2Data.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "models/Md2Normals.h"
#include "platform/LittleEndian.h"

namespace {

constexpr int MSG_NOT_A_VALID_MD2 = 109;
constexpr size_t HEADER_SIZE = 68;
constexpr size_t SKIN_NAME_SIZE = 64;
constexpr size_t FRAME_NAME_OFFSET = 24;
constexpr size_t FRAME_NAME_SIZE = 16;
// Far above real models (the game takes 512 frames and 32 skins): each frame
// may open an animation, and each skin name is looked up and kept.
constexpr int32_t MAX_FRAMES = 65536;
constexpr int32_t MAX_SKINS = 65536;
// Recomputed normals walk the command list once a frame: a model whose
// frames times corners pass this (512 frames of 8,192 corners, far above a
// real weapon's) keeps the normals its file stores.
constexpr int64_t MAX_RECOMPUTED_CORNERS = int64_t(1) << 22;

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

int64_t CornerCount(const std::vector<int32_t>& commands) {
    int64_t corners = 0;
    ForEachRun(commands, [&](const CommandRun& run) { corners += static_cast<int64_t>(run.length); });
    return corners;
}

bool NormalsAreSound(const uint8_t* frames, int64_t framesLength, int32_t frameSize, int32_t vertexCount) {
    for (int64_t frame = 0; frame < framesLength; frame += frameSize) {
        const uint8_t* vertex = frames + frame + CMd2Data::FRAME_HEADER_SIZE;
        for (int32_t i = 0; i < vertexCount; i++, vertex += 4) {
            if (vertex[3] >= MD2_NORMAL_COUNT) {
                return false;
            }
        }
    }
    return true;
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
        const float dot = direction.Dot(Md2TableNormal(k));
        if (dot > bestDot) {
            bestDot = dot;
            best = k;
        }
    }
    return static_cast<uint8_t>(best);
}

// For each vertex, the faces that use it, wound as the mesh draws them.
std::vector<NormalSum> FaceNormalSums(const CMd2Data& data, const uint8_t* frame) {
    std::vector<NormalSum> sums(static_cast<size_t>(data.VertexCount()));
    const CMd2Frame positions(frame);
    std::vector<RunVertex> corners;
    ForEachRun(data.commands, [&](const CommandRun& run) {
        corners.clear();
        for (size_t i = 0; i < run.length; i++) {
            corners.push_back({ run.Index(i), positions.Position(run.Index(i)) });
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
    return sums;
}

// Each vertex takes the table normal nearest the average of the faces that
// use it; vertices no face uses keep theirs.
void RecomputeFrameNormals(const CMd2Data& data, uint8_t* frame) {
    const std::vector<NormalSum> sums = FaceNormalSums(data, frame);
    for (size_t v = 0; v < sums.size(); v++) {
        if (sums[v].uses == 0) {
            continue;
        }
        CVector average = sums[v].sum;
        average *= 1.0f / static_cast<float>(sums[v].uses);
        average.Normalize();
        frame[CMd2Data::FRAME_HEADER_SIZE + 4 * v + 3] = NearestTableNormal(average);
    }
}

// Whether the stored normals of a frame point, taken together, against the
// faces around their vertices.
bool NormalsFaceInward(const CMd2Data& data, const uint8_t* frame) {
    const std::vector<NormalSum> sums = FaceNormalSums(data, frame);
    const CMd2Frame stored(frame);
    float agreement = 0.0f;
    for (size_t v = 0; v < sums.size(); v++) {
        if (sums[v].uses > 0) {
            agreement += sums[v].sum.Dot(Md2TableNormal(stored.NormalIndex(static_cast<int32_t>(v))));
        }
    }
    return agreement < 0.0f;
}

void BuildAnimations(CMd2Data& data) {
    std::string openName = GroupName(FrameName(data.Frame(0)));
    int32_t first = 0;
    for (int32_t i = 1; i < data.frameCount; i++) {
        std::string group = GroupName(FrameName(data.Frame(i)));
        if (group != openName) {
            data.animations.emplace_back(openName, first, i - first);
            openName = std::move(group);
            first = i;
        }
    }
    data.animations.emplace_back(openName, first, data.frameCount - first);
    if (data.animations.size() > 1) {
        data.animations.emplace_back("<all>", 0, data.frameCount);
    }
}

void BuildMesh(CMd2Data& data) {
    std::vector<uint32_t> runCorners;
    ForEachRun(data.commands, [&](const CommandRun& run) {
        runCorners.clear();
        for (size_t i = 0; i < run.length; i++) {
            runCorners.push_back(data.mesh.AddCorner(run.Index(i), run.S(i), -run.T(i)));
        }
        data.mesh.AddRun(run.fan, runCorners.data(), runCorners.size());
    });
    data.mesh.Finish();
}

ParsedModel Refuse() {
    ParsedModel refused;
    AddMessage(refused.messages, MSG_NOT_A_VALID_MD2);
    return refused;
}

}  // namespace

CMd2Frame::CMd2Frame(const uint8_t* frameBytes) : bytes(frameBytes) {
    for (int axis = 0; axis < 3; axis++) {
        scale[axis] = FloatAt(frameBytes + 4 * axis);
        translate[axis] = FloatAt(frameBytes + 12 + 4 * axis);
    }
}

CVector Md2TableNormal(int index) {
    const float* n = md2Normals[index];
    return CVector(n[1], -n[2], -n[0]);
}

int32_t CMd2Data::TriangleCount() const {
    int32_t triangles = 0;
    ForEachRun(commands, [&](const CommandRun& run) {
        if (run.length > 2) {
            triangles += static_cast<int32_t>(run.length - 2);
        }
    });
    return triangles;
}

void CMd2Data::FrameBounds(int32_t frame, CVector& min, CVector& max) const {
    min = max = CVector();
    if (frame < 0 || frame >= frameCount) {
        return;
    }
    const CMd2Frame positions(Frame(frame));
    bool first = true;
    ForEachRun(commands, [&](const CommandRun& run) {
        for (size_t i = 0; i < run.length; i++) {
            const CVector p = positions.Position(run.Index(i));
            if (first) {
                min = max = p;
                first = false;
            }
            min = CVector(std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z));
            max = CVector(std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z));
        }
    });
}

ParsedModel ParseMd2(std::vector<uint8_t>&& file, bool recomputeNormals) {
    const uint8_t* data = file.data();
    const size_t size = file.size();
    if (size < HEADER_SIZE) {
        return Refuse();
    }
    int32_t header[17];
    for (int i = 0; i < 17; i++) {
        header[i] = Int32At(data + 4 * i);
    }
    if (std::memcmp(data, "IDP2", 4) != 0 || header[H_VERSION] != 8) {
        return Refuse();
    }
    const int32_t frameSize = header[H_FRAME_SIZE];
    const int32_t frameCount = header[H_FRAME_COUNT];
    const int32_t skinCount = header[H_SKIN_COUNT];
    const int32_t commandCount = header[H_COMMAND_COUNT];
    if (frameSize < CMd2Data::FRAME_HEADER_SIZE + 4 || frameCount < 1 || frameCount > MAX_FRAMES || skinCount < 0 ||
        skinCount > MAX_SKINS || commandCount < 0) {
        return Refuse();
    }
    const int64_t framesLength = int64_t(frameSize) * frameCount;
    if (!Fits(header[H_SKIN_OFFSET], int64_t(skinCount) * int64_t(SKIN_NAME_SIZE), size) ||
        !Fits(header[H_COMMAND_OFFSET], int64_t(commandCount) * 4, size) ||
        !Fits(header[H_FRAME_OFFSET], framesLength, size)) {
        return Refuse();
    }

    auto parsed = std::make_shared<CMd2Data>();
    CMd2Data& md2 = *parsed;
    md2.frameSize = frameSize;
    md2.frameCount = frameCount;
    md2.frameOffset = static_cast<size_t>(header[H_FRAME_OFFSET]);
    md2.skinWidth = header[H_SKIN_WIDTH];
    md2.skinHeight = header[H_SKIN_HEIGHT];
    md2.commands.resize(static_cast<size_t>(commandCount));
    const uint8_t* commandBytes = data + header[H_COMMAND_OFFSET];
    for (size_t i = 0; i < md2.commands.size(); i++) {
        md2.commands[i] = Int32At(commandBytes + 4 * i);
    }
    if (!CommandsAreSound(md2.commands, md2.VertexCount()) ||
        !NormalsAreSound(data + md2.frameOffset, framesLength, frameSize, md2.VertexCount())) {
        return Refuse();
    }
    for (int32_t i = 0; i < skinCount; i++) {
        const char* field = reinterpret_cast<const char*>(data + header[H_SKIN_OFFSET]) + SKIN_NAME_SIZE * i;
        md2.skinNames.emplace_back(field, strnlen(field, SKIN_NAME_SIZE));
    }
    md2.fileBytes = std::move(file);
    BuildAnimations(md2);
    BuildMesh(md2);
    // With the mesh axes and the half turn about x, the lowest point of
    // frame 0 then sits at the object's origin height.
    md2.yOffset = FloatAt(md2.Frame(0) + 20);
    if (recomputeNormals && int64_t(frameCount) * CornerCount(md2.commands) <= MAX_RECOMPUTED_CORNERS) {
        for (int32_t i = 0; i < frameCount; i++) {
            RecomputeFrameNormals(md2, md2.fileBytes.data() + md2.frameOffset + static_cast<size_t>(i) * frameSize);
        }
    } else {
        md2.normalsFaceInward = NormalsFaceInward(md2, md2.Frame(0));
    }
    return { std::move(parsed), {} };
}
