#include "models/COGLMD2.h"

#include "models/CModelResources.h"
#include "platform/WindowsPath.h"

namespace {

// Far above any real model (512 frames of 2048 vertices is about 4 MB); a
// bigger file is refused before it is read.
constexpr uint64_t MAX_FILE_SIZE = 32u << 20;

}  // namespace

COGLMD2::COGLMD2() {
    name = "md2";
    typeCode = TYPE_CODE;
    scale = CVector(0.05f, 0.05f, 0.05f);
    Rotate(CVector(1.0f, 0.0f, 0.0f), 180.0f);
    SetDiffuse(1.0f, 1.0f, 1.0f, 1.0f);
}

bool COGLMD2::ReadAsset(const AssetId& id) {
    TakeSource(id);
    const bool recompute = recomputeNormals;
    const ParsedModel& parsed =
        ParseShared(TYPE_CODE * 2 + (recompute ? 1 : 0), MAX_FILE_SIZE,
                    [recompute](std::vector<uint8_t>&& bytes) { return ParseMd2(std::move(bytes), recompute); });
    if (reportsInvalid) {
        resources->Report(parsed.messages, path);
    }
    data = std::static_pointer_cast<const CMd2Data>(parsed.data);
    RenameFromPath(path);
    if (data == nullptr) {
        return false;
    }
    skins.clear();
    skinCountInFile = static_cast<int32_t>(data->skinNames.size());
    LoadSkins();
    animations.clear();
    for (const CModelAnimation& animation : data->animations) {
        animations.push_back(&animation);
    }
    SetAnimation(animations.back());
    yOffset = data->yOffset;
    dataLoaded = true;
    return true;
}

void COGLMD2::LoadSkins() {
    for (const std::string& skinName : data->skinNames) {
        AdoptSkin(resources->FindOrLoadTexture(skinName, pak, folder, false, searchAllPaks));
    }
}

std::vector<std::string> COGLMD2::SkinNames() const {
    return data != nullptr ? data->skinNames : std::vector<std::string>();
}

void COGLMD2::SkinSize(int32_t& width, int32_t& height) const {
    width = data != nullptr ? data->skinWidth : 0;
    height = data != nullptr ? data->skinHeight : 0;
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
    if (const CModelAnimation* animation = FindAnimation(animationName)) {
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

void COGLMD2::SetAnimation(const CModelAnimation* animation) {
    currentAnimation = animation;
    ResetAnimation();
}

void COGLMD2::StartAnimation() {
    if (GetFrameCount() > 1) {
        animating = true;
    }
}

void COGLMD2::DrawMesh() {
    ResetBounds();
    if (currentAnimation == nullptr || data == nullptr) {
        return;
    }
    const int64_t indexA = int64_t(currentAnimation->first) + currentFrame;
    const int64_t indexB = int64_t(currentAnimation->first) + nextFrame;
    if (indexA < 0 || indexA >= data->frameCount || indexB < 0 || indexB >= data->frameCount) {
        return;
    }
    const CMd2Frame frameA(data->Frame(static_cast<int32_t>(indexA)));
    const CMd2Frame frameB(data->Frame(static_cast<int32_t>(indexB)));
    const float sign = flipNormals ? -1.0f : 1.0f;
    const CMeshArrays& mesh = data->mesh;
    pose.Resize(mesh.CornerCount());
    for (size_t corner = 0; corner < mesh.CornerCount(); corner++) {
        const int32_t index = mesh.CornerVertex(corner);
        const CVector a = frameA.Position(index);
        const CVector b = frameB.Position(index);
        const CVector point(a.x + (b.x - a.x) * frameFraction, a.y + (b.y - a.y) * frameFraction,
                            a.z + (b.z - a.z) * frameFraction);
        const CVector normal = Md2TableNormal(frameA.NormalIndex(index));
        pose.SetNormal(corner, sign * normal.x, sign * normal.y, sign * normal.z);
        pose.SetPosition(corner, point.x, point.y, point.z);
        WidenBounds(point);
    }
    mesh.Draw(pose);
}

void COGLMD2::FrameBounds(int32_t frame, CVector& min, CVector& max) const {
    if (data == nullptr) {
        min = max = CVector();
        return;
    }
    data->FrameBounds(frame, min, max);
}
