#include "models/COGLModel.h"

#include <GL/gl.h>

#include <algorithm>
#include <limits>

#include "image/COGLTexture2D.h"
#include "math/CMatrix.h"
#include "models/CModelResources.h"
#include "platform/CFile.h"
#include "platform/CGLState.h"
#include "platform/CPakFile.h"
#include "platform/RecordIO.h"
#include "platform/WindowsPath.h"

namespace {

// With skins from the model file counted but not written, the count does not
// tell how many records follow: it counts the embedded skins the writer
// managed to decode, and a model whose file is missing knows of none. A
// record starts with an option of 0 or 1 and a path that is not empty; the
// skin index after the last record (-1, or a position among fewer than 256
// skins) never starts that way.
bool SkinRecordFollows(CFile& file) {
    const uint64_t at = file.GetPosition();
    if (file.GetLength() < at + 2) {
        return false;
    }
    uint8_t start[2];
    file.Read(start, sizeof start);
    file.Seek(static_cast<int64_t>(at), CFile::begin);
    return start[0] <= 1 && start[1] != 0;
}

}  // namespace

void COGLModel::ResetAnimation() {
    framePosition = 0.0f;
    currentFrame = 0;
    nextFrame = 0;
    frameFraction = 0.0f;
}

COGLTexture2D* COGLModel::FindSkin(const std::string& skinPath) const {
    for (COGLTexture2D* skin : skins) {
        if (skin->path == skinPath) {
            return skin;
        }
    }
    return nullptr;
}

bool COGLModel::SelectFirstSkin() {
    if (skins.empty()) {
        return false;
    }
    SetTexture(skins.front());
    return true;
}

const CModelAnimation* COGLModel::FindAnimation(const std::string& animationName) const {
    for (const CModelAnimation* animation : animations) {
        if (animation->name == animationName) {
            return animation;
        }
    }
    return nullptr;
}

int COGLModel::AnimationIndex() const {
    const CModelAnimation* current = GetAnimation();
    for (size_t i = 0; i < animations.size(); i++) {
        if (animations[i] == current) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool COGLModel::AdoptSkin(COGLTexture2D* skin) {
    if (skin == nullptr) {
        return false;
    }
    if (resources != nullptr) {
        resources->PrepareTexture(skin);
    }
    skins.push_back(skin);
    return true;
}

void COGLModel::SetFrames(int32_t current, int32_t next, float fraction) {
    currentFrame = current;
    nextFrame = next;
    frameFraction = fraction;
}

void COGLModel::DropNamedSkins() {
    std::erase_if(skins, [](const COGLTexture2D* skin) { return !skin->path.empty(); });
}

void COGLModel::SetTexture(COGLTexture2D* newTexture) {
    // Kept even when its picture failed: drawn untextured, still the chosen
    // skin when the model is saved.
    texture = newTexture;
}

void COGLModel::TakeSource(const AssetId& id) {
    source = id;
    path = id.path;
    if (id.InArchive()) {
        pak = id.archive;
        folder.clear();
        return;
    }
    pak = nullptr;
    const PathParts parts = SplitPath(id.path);
    folder = parts.drive + parts.folder;
}

const ParsedModel& COGLModel::ParseShared(int32_t variant, uint64_t sizeLimit,
                                          const std::function<ParsedModel(std::vector<uint8_t>&&)>& parse) {
    CModelResources& owner = *resources;
    return owner.Models().FindOrParse({ source, variant }, [&] {
        std::vector<uint8_t> bytes;
        CAssetSource* assets = owner.Assets();
        const AssetRead read = assets != nullptr ? assets->Read(source, sizeLimit, bytes) : AssetRead::missing;
        // A file too big to be one of ours is parsed as an empty one: it is
        // refused with the kind's own message.
        if (read != AssetRead::read) {
            bytes.clear();
        }
        return parse(std::move(bytes));
    });
}

void COGLModel::Animate() {
    const CModelAnimation* animation = GetAnimation();
    if (animation == nullptr || animation->count <= 0) {
        return;
    }
    const int32_t count = animation->count;
    framePosition += frameStep;
    // A step or position from a forged record must not reach a frame
    // outside the animation.
    if (!(framePosition >= 0.0f)) {
        framePosition = 0.0f;
    }
    if (framePosition >= static_cast<float>(count)) {
        if (loop) {
            framePosition = 0.0f;  // the part of the step past the end is dropped
        } else {
            animating = false;
            ResetAnimation();
        }
    }
    currentFrame = static_cast<int32_t>(framePosition);
    if (!interpolate) {
        nextFrame = currentFrame;
        frameFraction = 0.0f;
        return;
    }
    nextFrame = currentFrame + 1;
    if (nextFrame >= count) {
        // The last frame stays one tick; the next tick wraps or stops.
        framePosition += 1.0f;
        nextFrame = currentFrame;
    }
    frameFraction = framePosition - static_cast<float>(currentFrame);
}

void COGLModel::PlacedBounds(CVector& min, CVector& max) const {
    CVector low, high;
    FrameBounds(0, low, high);
    CMatrix rotation;
    orientation.ToMatrix(rotation);
    const float largest = std::numeric_limits<float>::max();
    min = CVector(largest, largest, largest);
    max = CVector(-largest, -largest, -largest);
    for (int corner = 0; corner < 8; corner++) {
        const CVector local((corner & 1) != 0 ? high.x : low.x, ((corner & 2) != 0 ? high.y : low.y) + yOffset,
                            (corner & 4) != 0 ? high.z : low.z);
        CVector placed;
        rotation.TransformVector(CVector(local.x * scale.x, local.y * scale.y, local.z * scale.z), placed);
        placed = CVector(placed.x + position.x, placed.y + position.y, placed.z + position.z);
        min = CVector(std::min(min.x, placed.x), std::min(min.y, placed.y), std::min(min.z, placed.z));
        max = CVector(std::max(max.x, placed.x), std::max(max.y, placed.y), std::max(max.z, placed.z));
    }
}

void COGLModel::ResetBounds() {
    const float largest = std::numeric_limits<float>::max();
    boundsMin = CVector(largest, largest, largest);
    boundsMax = CVector(-largest, -largest, -largest);
}

void COGLModel::WidenBounds(const CVector& point) {
    boundsMin.x = std::min(boundsMin.x, point.x);
    boundsMin.y = std::min(boundsMin.y, point.y);
    boundsMin.z = std::min(boundsMin.z, point.z);
    boundsMax.x = std::max(boundsMax.x, point.x);
    boundsMax.y = std::max(boundsMax.y, point.y);
    boundsMax.z = std::max(boundsMax.z, point.z);
}

void COGLModel::PlaceModel() {
    glTranslatef(position.x, position.y, position.z);
    ApplyRotation();
    glScalef(scale.x, scale.y, scale.z);
    glTranslatef(0.0f, yOffset, 0.0f);
}

void COGLModel::Draw(CGLState& gl, int flags) {
    if (!IsVisible()) {
        return;
    }
    // Model meshes wind their front faces clockwise.
    const uint32_t bits = DrawBits(gl) | GLS_FRONT_CW;
    glPushMatrix();
    PlaceModel();
    if ((flags & DRAW_MATERIAL) != 0) {
        ApplyMaterial();
    }
    if ((flags & DRAW_MATERIAL) != 0 && texture != nullptr && texture->Upload()) {
        gl.Apply(bits | GLS_TEXTURE_2D);
        BindTexture(gl, textureMode);
    } else {
        gl.Apply(bits);
    }
    DrawMesh();
    glPopMatrix();
}

void COGLModel::DrawForSelection() {
    if (SelectionName() & HIDDEN_BIT) {
        return;
    }
    glLoadName(SelectionName());
    glPushMatrix();
    PlaceModel();
    DrawMesh();
    glPopMatrix();
}

void COGLModel::DrawSelected(CGLState& gl) {
    if (!IsVisible()) {
        return;
    }
    BeginHighlight(gl);
    PlaceModel();
    DrawBoxOutline(boundsMin, boundsMax);
    DrawAxes();
    EndHighlight();
}

void COGLModel::DrawAxes() {
    const float tick = 5.0f;
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(boundsMax.x, boundsMax.y, 0.0f);
    glVertex3f(boundsMax.x + tick, boundsMax.y, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, boundsMin.y, 0.0f);
    glVertex3f(0.0f, boundsMin.y - tick, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, boundsMax.y, boundsMin.z);
    glVertex3f(0.0f, boundsMax.y, boundsMin.z - tick);
    glEnd();
}

bool COGLModel::LoadFrom(CPakFile* archive, const std::string& modelPath, bool locate) {
    // Files are read only while their scene loads.
    if (resources == nullptr || resources->Assets() == nullptr) {
        return false;
    }
    CAssetSource& assets = *resources->Assets();
    AssetId id;
    if (archive != nullptr) {
        id = assets.ResolveEntry(*archive, modelPath);
    } else {
        id = locate ? assets.LocateNamed(modelPath) : assets.ResolveFile(modelPath);
    }
    if (!id.IsValid()) {
        return false;
    }
    LoadAsset(id);
    return true;
}

bool COGLModel::LoadAsset(const AssetId& id) {
    loaded = ReadAsset(id);
    return loaded;
}

void COGLModel::LoadModel(CFile& file, int version, CModelResources& owner) {
    resources = &owner;
    Load(file, version);
    const std::string recordName = name;

    const std::string modelPath = ReadPathField(file);
    const int32_t pakIndex = ReadInt32(file);
    if (pakIndex < 0) {
        LoadFrom(nullptr, modelPath, true);
    } else if (CPakFile* archive = owner.GetPak(pakIndex)) {
        LoadFrom(archive, modelPath, false);
    }

    const int32_t animationIndex = ReadInt32(file);
    if (animationIndex >= 0 && static_cast<size_t>(animationIndex) < animations.size()) {
        SetAnimation(animations[static_cast<size_t>(animationIndex)]);
    }
    frameStep = ReadFloat(file);
    framePosition = ReadFloat(file);
    currentFrame = ReadInt32(file);
    nextFrame = ReadInt32(file);
    frameFraction = ReadFloat(file);
    loop = ReadByte(file) != 0;
    reserved = ReadByte(file);
    const ModelRecordLayout layout = RecordLayout();
    if (!layout.interpolateFromVersion6 || version >= 6) {
        interpolate = ReadByte(file) != 0;
    }
    KeepAnimationStateInRange();

    ReadSkinRecords(file, owner);
    const int32_t skinIndex = ReadInt32(file);
    if (skinIndex >= 0 && static_cast<size_t>(skinIndex) < skins.size()) {
        SetTexture(skins[static_cast<size_t>(skinIndex)]);
    }
    if (layout.hasFlipNormals) {
        flipNormals = ReadByte(file) != 0;
    }
    name = recordName;
}

// The frame numbers in a record are drawn as they are; ones outside the
// current animation would read frames the model does not have.
void COGLModel::KeepAnimationStateInRange() {
    const CModelAnimation* animation = GetAnimation();
    const int32_t count = animation != nullptr ? animation->count : 0;
    if (currentFrame < 0 || currentFrame >= count || nextFrame < 0 || nextFrame >= count) {
        ResetAnimation();
    }
}

void COGLModel::ReadSkinRecords(CFile& file, CModelResources& owner) {
    const int32_t skinCount = ReadInt32(file);
    const bool embeddedSkins = RecordLayout().embeddedSkins;
    for (int32_t i = 0; i < skinCount; i++) {
        if (embeddedSkins && !SkinRecordFollows(file)) {
            break;
        }
        const bool useDefaultPalette = ReadByte(file) != 0;
        std::string skinPath = ReadPathField(file);
        if (FindSkin(skinPath) != nullptr) {
            continue;
        }
        const AssetId located = owner.Assets()->LocateNamed(skinPath);
        if (!located.IsValid()) {
            continue;
        }
        skinPath = located.path;
        COGLTexture2D* skin = owner.FindOrLoadTexture(skinPath, pak, "", useDefaultPalette, SearchesAllPaks());
        if (skin == nullptr && pak != nullptr) {
            skin = owner.FindOrLoadTexture(skinPath, nullptr, "", useDefaultPalette, SearchesAllPaks());
        }
        AdoptSkin(skin);
    }
}

void COGLModel::Save(CFile& file, int textureIndex) const {
    CRecordWriter out;
    WritePrefix(out, textureIndex);
    out.WriteName(path, PATH_FIELD_SIZE);
    out.WriteInt32(resources != nullptr && pak != nullptr ? resources->IndexOfPak(pak) : -1);
    out.WriteInt32(AnimationIndex());
    out.WriteFloat(frameStep);
    out.WriteFloat(framePosition);
    out.WriteInt32(currentFrame);
    out.WriteInt32(nextFrame);
    out.WriteFloat(frameFraction);
    out.WriteBool(loop);
    out.WriteByte(reserved);
    out.WriteBool(interpolate);
    out.WriteInt32(static_cast<int32_t>(skins.size()));
    const bool embeddedSkins = RecordLayout().embeddedSkins;
    int32_t skinIndex = -1;
    for (size_t i = 0; i < skins.size(); i++) {
        if (skins[i] == texture && skinIndex < 0) {
            skinIndex = static_cast<int32_t>(i);
        }
        if (embeddedSkins && skins[i]->path.empty()) {
            continue;
        }
        out.WriteBool(skins[i]->useDefaultPalette);
        out.WriteName(skins[i]->path, PATH_FIELD_SIZE);
    }
    out.WriteInt32(skinIndex);
    if (RecordLayout().hasFlipNormals) {
        out.WriteBool(flipNormals);
    }
    file.Write(out.Bytes().data(), out.Bytes().size());
}
