#include "models/COGLSBM.h"

#include <algorithm>
#include <limits>

#include "image/COGLTexture2D.h"
#include "models/CModelResources.h"
#include "models/Md2Normals.h"
#include "platform/WindowsPath.h"

namespace {

// Far above any real definition; a bigger file is not read.
constexpr uint64_t MAX_FILE_SIZE = 32u << 20;

}  // namespace

COGLSBM::COGLSBM() {
    name = "SBM";
    typeCode = TYPE_CODE;
    scale = CVector(0.05f, 0.05f, 0.05f);
    Rotate(CVector(1.0f, 0.0f, 0.0f), 180.0f);
    SetDiffuse(1.0f, 1.0f, 1.0f, 1.0f);
}

bool COGLSBM::ReadAsset(const AssetId& id) {
    TakeSource(id);
    name = SplitPath(path).name;
    skins.clear();
    animations.clear();
    currentAnimation = nullptr;
    CAssetSource& assets = *resources->Assets();
    const std::string definitionFolder = folder;
    CPakFile* archive = pak;
    const ParsedModel& parsed = ParseShared(TYPE_CODE, MAX_FILE_SIZE, [&](std::vector<uint8_t>&& bytes) {
        return ParseSin(bytes, definitionFolder, archive, assets);
    });
    data = std::static_pointer_cast<const CSinData>(parsed.data);
    // The skins are taken as the definition names them, before whatever
    // else it lacks is told.
    if (data->definition) {
        folder = data->folder;
        for (const CSinData::Skin& skin : data->skins) {
            AdoptSkin(resources->FindOrLoadTexture(skin.path, pak, "", false, false));
        }
        if (data->hasScale && !scaleFromRecord) {
            SetScale(data->scale, data->scale, data->scale);
        }
    }
    resources->Report(parsed.messages, path);
    if (!data->usable) {
        return false;
    }
    for (const std::unique_ptr<CSinAnimation>& animation : data->animations) {
        animations.push_back(animation.get());
    }
    poses.resize(data->groups.size());
    SelectFirstSkin();
    if (!animations.empty()) {
        SetAnimation(animations.front());
    }
    dataLoaded = true;
    return true;
}

std::vector<std::string> COGLSBM::SkinNames() const {
    return data != nullptr ? data->skinFiles : std::vector<std::string>();
}

void COGLSBM::SelectAnimation(const std::string& animationName) {
    if (const CModelAnimation* animation = FindAnimation(animationName)) {
        SetVisible(true);
        SetAnimation(animation);
        return;
    }
}

void COGLSBM::SetAnimation(const CModelAnimation* animation) {
    currentAnimation = static_cast<const CSinAnimation*>(animation);
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
    if (animation == nullptr || data == nullptr) {
        return;
    }
    const int32_t count = animation->count;
    if (currentFrame < 0 || currentFrame >= count || nextFrame < 0 || nextFrame >= count) {
        return;
    }
    const float f = frameFraction;
    for (size_t g = 0; g < data->groups.size(); g++) {
        const CMeshArrays* mesh = data->groups[g].MeshFor(animation->VertexCount());
        if (mesh == nullptr) {
            continue;
        }
        CMeshPose& pose = poses[g];
        pose.Resize(mesh->CornerCount());
        for (size_t corner = 0; corner < mesh->CornerCount(); corner++) {
            const int32_t index = mesh->CornerVertex(corner);
            const CVector a = animation->Position(currentFrame, index);
            const CVector b = animation->Position(nextFrame, index);
            const CVector point(a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f);
            const float* n = md2Normals[animation->Vertex(currentFrame, index)[3]];
            pose.SetNormal(corner, n[1], -n[2], -n[0]);
            pose.SetPosition(corner, point.x, point.y, point.z);
            WidenBounds(point);
        }
        mesh->Draw(pose);
    }
}

int32_t COGLSBM::VertexCount() const {
    return currentAnimation != nullptr ? currentAnimation->VertexCount() : 0;
}

int32_t COGLSBM::TriangleCount() const {
    if (data == nullptr) {
        return 0;
    }
    // The triangles drawn: runs naming vertices the frames lack are not.
    return data->TriangleCount(currentAnimation != nullptr ? VertexCount() : std::numeric_limits<int32_t>::max());
}

void COGLSBM::FrameBounds(int32_t frame, CVector& min, CVector& max) const {
    min = max = CVector();
    const CSinAnimation* animation = currentAnimation;
    if (animation == nullptr || frame < 0 || frame >= animation->count) {
        return;
    }
    bool first = true;
    for (const CSinGroup& group : data->groups) {
        const CMeshArrays* mesh = group.MeshFor(animation->VertexCount());
        for (size_t corner = 0; mesh != nullptr && corner < mesh->CornerCount(); corner++) {
            const CVector p = animation->Position(frame, mesh->CornerVertex(corner));
            if (first) {
                min = max = p;
                first = false;
            }
            min = CVector(std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z));
            max = CVector(std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z));
        }
    }
}
