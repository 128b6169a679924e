#include "tools/MorphModel.h"

#include "models/CMd2Data.h"
#include "models/CMdlData.h"
#include "models/CMeshArrays.h"
#include "models/COGLMD2.h"
#include "models/COGLMDL.h"
#include "models/COGLSBM.h"
#include "models/CSinData.h"
#include "models/Md2Normals.h"

namespace {

// Frames kept and written out of at most 16M numbers (64 MB): far more than
// any real model needs, while the export's copies of them stay well within
// the memory any input may take.
constexpr size_t MAX_MORPH_NUMBERS = size_t(16) << 20;

// Room for one more frame of vertexCount vertices; marks the model too
// large once there is none. Each frame's positions and normals are kept per
// vertex and written per corner, and every animation key weighs every frame: a frame is a key of
// its animation and of an MD2's "<all>", and each animation adds one, so the
// weights grow with three times the square of the frames.
bool RoomForFrame(MorphModel& morph, int32_t vertexCount) {
    size_t corners = 0;
    for (const CMeshArrays* part : morph.parts) {
        corners += part->CornerCount();
    }
    const size_t frames = static_cast<size_t>(morph.frameCount) + 1;
    const size_t perFrame = 6 * (corners + static_cast<size_t>(vertexCount));
    if (frames * perFrame + 3 * frames * frames > MAX_MORPH_NUMBERS) {
        morph.tooLarge = true;
    }
    return !morph.tooLarge;
}

// A normal of the table MDL and SiN files index, in the axes each draws it.
CVector TableNormal(uint8_t index, float sx, int x, float sy, int y, float sz, int z) {
    const float* n = md2Normals[index];
    return CVector(sx * n[x], sy * n[y], sz * n[z]);
}

void GatherMd2(const CMd2Data& data, bool flipNormals, MorphModel& morph) {
    morph.parts.push_back(&data.mesh);
    const float sign = flipNormals ? -1.0f : 1.0f;
    for (int32_t k = 0; k < data.frameCount && RoomForFrame(morph, data.VertexCount()); k++) {
        if (!morph.TakeFrame()) {
            continue;
        }
        const CMd2Frame frame(data.Frame(k));
        std::vector<CVector>& vertices = morph.frames.emplace_back();
        std::vector<CVector>& normals = morph.normals.emplace_back();
        for (int32_t v = 0; v < data.VertexCount(); v++) {
            vertices.push_back(frame.Position(v));
            const CVector n = Md2TableNormal(frame.NormalIndex(v));
            normals.emplace_back(sign * n.x, sign * n.y, sign * n.z);
        }
    }
    for (const CModelAnimation& animation : data.animations) {
        morph.clips.push_back({ animation.name, animation.first, animation.count });
    }
}

// Each animation holds its own frames: they follow one another.
void GatherMdl(const CMdlData& data, MorphModel& morph) {
    morph.parts.push_back(&data.mesh);
    for (const std::unique_ptr<CMdlAnimation>& animation : data.animations) {
        morph.clips.push_back({ animation->name, morph.frameCount, animation->count });
        for (int32_t f = 0; f < animation->count && RoomForFrame(morph, animation->vertexCount); f++) {
            if (!morph.TakeFrame()) {
                continue;
            }
            std::vector<CVector>& vertices = morph.frames.emplace_back();
            std::vector<CVector>& normals = morph.normals.emplace_back();
            for (int32_t v = 0; v < animation->vertexCount; v++) {
                const uint8_t* vertex = animation->Frame(f) + 4 * static_cast<size_t>(v);
                vertices.push_back(data.Position(vertex));
                normals.push_back(TableNormal(vertex[3], 1.0f, 1, 1.0f, 2, 1.0f, 0));
            }
        }
    }
}

// The mesh is made for the first animation's vertex count; animations of
// another count draw other triangles and are left out.
void GatherSin(const CSinData& data, MorphModel& morph) {
    if (data.animations.empty()) {
        return;
    }
    const int32_t vertexCount = data.animations.front()->VertexCount();
    for (const CSinGroup& group : data.groups) {
        if (const CMeshArrays* mesh = group.MeshFor(vertexCount)) {
            morph.parts.push_back(mesh);
        }
    }
    for (const std::unique_ptr<CSinAnimation>& animation : data.animations) {
        if (animation->VertexCount() != vertexCount) {
            morph.leftOut.push_back(animation->name);
            continue;
        }
        morph.clips.push_back({ animation->name, morph.frameCount, animation->count });
        for (int32_t f = 0; f < animation->count && RoomForFrame(morph, vertexCount); f++) {
            if (!morph.TakeFrame()) {
                continue;
            }
            std::vector<CVector>& vertices = morph.frames.emplace_back();
            std::vector<CVector>& normals = morph.normals.emplace_back();
            for (int32_t v = 0; v < vertexCount; v++) {
                vertices.push_back(animation->Position(f, v));
                normals.push_back(TableNormal(animation->Vertex(f, v)[3], 1.0f, 1, -1.0f, 2, -1.0f, 0));
            }
        }
    }
}

}  // namespace

bool GatherMorphModel(const COGLModel& model, bool withPositions, MorphModel& morph) {
    morph = MorphModel();
    morph.withPositions = withPositions;
    if (const auto* md2 = dynamic_cast<const COGLMD2*>(&model); md2 != nullptr && md2->data != nullptr) {
        morph.source = md2->data.get();
        GatherMd2(*md2->data, md2->flipNormals, morph);
    } else if (const auto* mdl = dynamic_cast<const COGLMDL*>(&model); mdl != nullptr && mdl->data != nullptr) {
        morph.source = mdl->data.get();
        GatherMdl(*mdl->data, morph);
    } else if (const auto* sin = dynamic_cast<const COGLSBM*>(&model); sin != nullptr && sin->data != nullptr) {
        morph.source = sin->data.get();
        GatherSin(*sin->data, morph);
    } else {
        return false;
    }
    return morph.frameCount > 0 && !morph.tooLarge;
}

bool MorphModel::KeepOnly(const std::string& name) {
    for (const Clip& clip : clips) {
        if (clip.name != name || clip.count <= 0 || int64_t(clip.first) + clip.count > frameCount) {
            continue;
        }
        if (withPositions) {
            const auto first = frames.begin() + clip.first;
            frames = std::vector<std::vector<CVector>>(first, first + clip.count);
            const auto firstNormals = normals.begin() + clip.first;
            normals = std::vector<std::vector<CVector>>(firstNormals, firstNormals + clip.count);
        }
        frameCount = clip.count;
        clips = { { name, 0, frameCount } };
        return true;
    }
    return false;
}

bool MorphModel::TakeFrame() {
    frameCount++;
    return withPositions;
}
