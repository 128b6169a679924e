#include "models/COGLMDL.h"

#include <GL/gl.h>

#include "image/COGLTexture2D.h"
#include "models/CModelResources.h"
#include "models/Md2Normals.h"
#include "platform/WindowsPath.h"

namespace {

constexpr size_t TITLE_LENGTH = 260;
// Far above any real model; a bigger file is refused before it is read.
constexpr uint64_t MAX_FILE_SIZE = 32u << 20;

// Titles count from "skin  1"; a tenth skin ends in the character after '9'.
std::string SkinTitle(int32_t number) {
    std::string title = "skin   ";
    title[6] = static_cast<char>('1' + number);
    return title;
}

}  // namespace

COGLMDL::COGLMDL() {
    name = "MDL";
    typeCode = TYPE_CODE;
    scale = CVector(0.05f, 0.05f, 0.05f);
    SetDiffuse(1.0f, 1.0f, 1.0f, 1.0f);
}

bool COGLMDL::ReadAsset(const AssetId& id) {
    TakeSource(id);
    const ParsedModel& parsed =
        ParseShared(TYPE_CODE, MAX_FILE_SIZE, [](std::vector<uint8_t>&& bytes) { return ParseMdl(bytes); });
    resources->Report(parsed.messages, path);
    data = std::static_pointer_cast<const CMdlData>(parsed.data);
    Rename(path);
    if (data == nullptr) {
        return false;
    }
    skins.clear();
    for (const CMdlData::Skin& skin : data->skins) {
        skins.push_back(resources->ShareTexture(source, skin.number, skin.picture, SkinTitle(skin.number)));
    }
    skinCountInFile = data->skinCountInFile;
    animations.clear();
    for (const std::unique_ptr<CMdlAnimation>& animation : data->animations) {
        animations.push_back(animation.get());
    }
    SetAnimation(animations.front());
    yOffset = 0.0f;
    dataLoaded = true;
    return true;
}

void COGLMDL::SkinSize(int32_t& width, int32_t& height) const {
    width = data != nullptr ? data->skinWidth : 0;
    height = data != nullptr ? data->skinHeight : 0;
}

void COGLMDL::Rename(const std::string& modelPath) {
    name = SplitPath(modelPath).name.substr(0, TITLE_LENGTH);
}

void COGLMDL::SelectAnimation(const std::string& animationName) {
    if (const CModelAnimation* animation = FindAnimation(animationName)) {
        SetVisible(true);
        SetAnimation(animation);
        return;
    }
    // Without the animation asked for the model is hidden, as an MD2 is.
    currentAnimation = nullptr;
    framePosition = 0.0f;
    SetVisible(false);
}

void COGLMDL::SetAnimation(const CModelAnimation* animation) {
    // Only this model's own kind of animation holds frames to draw.
    currentAnimation = dynamic_cast<const CMdlAnimation*>(animation);
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

void COGLMDL::DrawMesh() {
    ResetBounds();
    if (currentAnimation == nullptr || currentFrame < 0 || currentFrame >= currentAnimation->count ||
        nextFrame < 0 || nextFrame >= currentAnimation->count) {
        return;
    }
    const uint8_t* frameA = currentAnimation->Frame(currentFrame);
    const uint8_t* frameB = currentAnimation->Frame(nextFrame);
    const CMeshArrays& mesh = data->mesh;
    pose.Resize(mesh.CornerCount());
    for (size_t corner = 0; corner < mesh.CornerCount(); corner++) {
        const int32_t index = mesh.CornerVertex(corner);
        const uint8_t* vertexA = frameA + 4 * static_cast<size_t>(index);
        const CVector a = data->Position(vertexA);
        const CVector b = data->Position(frameB + 4 * static_cast<size_t>(index));
        const CVector point(a.x + (b.x - a.x) * frameFraction, a.y + (b.y - a.y) * frameFraction,
                            a.z + (b.z - a.z) * frameFraction);
        const float* normal = md2Normals[vertexA[3]];
        pose.SetNormal(corner, normal[1], normal[2], normal[0]);
        pose.SetPosition(corner, point.x, point.y, point.z);
        WidenBounds(point);
    }
    mesh.Draw(pose);
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
    if (data == nullptr) {
        min = max = CVector();
        return;
    }
    data->FrameBounds(frame, min, max);
}
