#include "scene/ModelScene.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_set>
#include <vector>

#include "image/COGLImage.h"
#include "image/COGLTexture2D.h"
#include "models/COGLMD2.h"
#include "models/COGLModel.h"
#include "models/COGLPlayer.h"
#include "models/COGLSprite.h"
#include "models/ModelFiles.h"
#include "objects/COGLFloor.h"
#include "objects/COGLPointLight.h"
#include "platform/AsciiText.h"
#include "platform/BufferedStream.h"
#include "platform/CFile.h"
#include "platform/CPakFile.h"
#include "platform/RecordIO.h"
#include "platform/WindowsPath.h"
#include "scene/COGLScene.h"
#include "scene/CSceneView.h"

namespace {

// Every model is shown at this bounding radius, so that the camera and the
// floor fit the viewport's fixed depth range whatever units the file uses.
constexpr float SHOWN_RADIUS = 1.5f;
constexpr float FIELD_OF_VIEW = 45.0f;
// A little above and to the side, as one looks at a figure on a table.
constexpr float CAMERA_PITCH = 20.0f;
constexpr float CAMERA_TURN = 330.0f;

struct ArchivePath {
    std::string archive;
    std::string entry;
};

// "ARCHIVE.pak:entry/path", when path is not a file by itself.
bool SplitArchivePath(const std::string& path, ArchivePath& out) {
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(), ToLowerAscii);
    const size_t marker = lower.find(".pak:");
    if (marker == std::string::npos || IsRegularFile(path)) {
        return false;
    }
    out.archive = path.substr(0, marker + 4);
    out.entry = path.substr(marker + 5);
    return !out.entry.empty();
}

// Far above any real model or sprite file; a bigger one is refused unread.
constexpr uint64_t MAX_MODEL_FILE_SIZE = 64u << 20;

// The file's kind from its signature; the bytes read for it are kept for
// the model's own read, so that the file is read once.
const ModelFileKind* KindOf(CAssetSource& assets, const AssetId& id) {
    std::vector<uint8_t> bytes;
    assets.Read(id, MAX_MODEL_FILE_SIZE, bytes);
    const ModelFileKind* kind = FindModelFileKind(bytes.data(), bytes.size());
    assets.Hold(id, std::move(bytes));
    return kind;
}


std::unique_ptr<COGLModel> LoadFromDisk(const std::string& path, COGLScene& scene) {
    CAssetSource& assets = *scene.Assets();
    const AssetId id = assets.ResolveFile(path);
    if (!id.IsValid()) {
        scene.AddToReport("Error opening " + path + "\r\n", path);
        return nullptr;
    }
    const ModelFileKind* kind = KindOf(assets, id);
    if (kind == nullptr) {
        scene.AddToReport(path + " is not a model or sprite file this viewer reads.\r\n", path);
        return nullptr;
    }
    std::unique_ptr<COGLModel> model = CreateModelForFile(*kind, path, false);
    model->SetResources(&scene);
    model->LoadAsset(id);
    return model;
}

std::unique_ptr<COGLModel> LoadFromArchive(const ArchivePath& where, COGLScene& scene) {
    CAssetSource& assets = *scene.Assets();
    if (!assets.ResolveFile(where.archive).IsValid()) {
        scene.AddToReport("Error opening " + where.archive + "\r\n", where.archive);
        return nullptr;
    }
    CPakFile* archive = scene.GetPak(scene.FindOrOpenPak(where.archive));
    if (archive == nullptr) {
        return nullptr;  // the archive has said why
    }
    const AssetId id = assets.ResolveEntry(*archive, where.entry);
    if (!id.IsValid()) {
        scene.AddToReport(where.entry + " is not in " + where.archive + "\r\n", where.archive);
        return nullptr;
    }
    const ModelFileKind* kind = KindOf(assets, id);
    if (kind == nullptr) {
        scene.AddToReport(where.entry + " in " + where.archive + " is not a model or sprite file this viewer reads.\r\n",
                          where.entry);
        return nullptr;
    }
    std::unique_ptr<COGLModel> model = CreateModelForFile(*kind, where.entry, true);
    model->SetResources(&scene);
    model->LoadAsset(id);
    return model;
}

// Skins the file names that did not load, by file name.
// The file name of a path, folded to lower case.
std::string LowerFileName(const std::string& path) {
    const PathParts parts = SplitPath(path);
    std::string fileName = parts.name + parts.extension;
    std::transform(fileName.begin(), fileName.end(), fileName.begin(), ToLowerAscii);
    return fileName;
}

std::vector<std::string> MissingSkins(const COGLModel& model) {
    std::vector<std::string> missing;
    // A sprite's pictures are its frames, and it loads only with all of them.
    if (dynamic_cast<const COGLSprite*>(&model) != nullptr) {
        return missing;
    }
    const std::vector<std::string> names = model.SkinNames();
    if (model.Skins().size() >= names.size()) {
        return missing;
    }
    // A file may name thousands of skins: the held file names are gathered once.
    std::unordered_set<std::string> held;
    for (const COGLTexture2D* skin : model.Skins()) {
        held.insert(LowerFileName(skin->path));
    }
    for (const std::string& name : names) {
        if (held.count(LowerFileName(name)) == 0) {
            missing.push_back(name);
        }
    }
    return missing;
}

// A player folder's pictures include its weapons' skins: the model's own
// skin is the first picture of the size its file gives. Else the first.
size_t ModelSkin(const COGLModel& model) {
    int32_t width = 0;
    int32_t height = 0;
    model.SkinSize(width, height);
    for (size_t i = 0; width > 0 && i < model.Skins().size(); i++) {
        const COGLImage* picture = model.Skins()[i]->image.get();
        if (picture != nullptr && picture->sourceWidth == width && picture->sourceHeight == height) {
            return i;
        }
    }
    return 0;
}


// Scales the model about the origin to the shown radius; its placed box after.
void FitModel(COGLModel& model, CVector& min, CVector& max) {
    model.PlacedBounds(min, max);
    const CVector size(max.x - min.x, max.y - min.y, max.z - min.z);
    const float radius = 0.5f * std::sqrt(size.x * size.x + size.y * size.y + size.z * size.z);
    // A model with no extent (nothing drawable yet) keeps its size.
    if (std::isfinite(radius) && radius > 1e-6f) {
        const float factor = SHOWN_RADIUS / radius;
        model.SetScaleX(model.scale.x * factor);
        model.SetScaleY(model.scale.y * factor);
        model.SetScaleZ(model.scale.z * factor);
        model.PlacedBounds(min, max);
    }
    if (!(std::isfinite(min.x) && std::isfinite(min.y) && std::isfinite(min.z) && std::isfinite(max.x) &&
          std::isfinite(max.y) && std::isfinite(max.z)) || radius <= 1e-6f) {
        min = CVector(-1.0f, 0.0f, -1.0f);
        max = CVector(1.0f, 2.0f, 1.0f);
    }
}

void AddLight(COGLScene& scene, const CVector& at, float brightness, bool specular) {
    auto light = std::make_unique<COGLPointLight>(at.x, at.y, at.z);
    const float tint[3] = { 1.0f, 0.96f, 0.9f };
    for (int i = 0; i < 3; i++) {
        light->diffuse[i] = brightness * tint[i];
        light->specular[i] = specular ? brightness : 0.0f;
    }
    scene.AddLight(std::move(light));
}

// The field of view and the camera go to the view as the records a scene
// file holds, so the view keeps its own way of reading them.
void AimCamera(CSceneView& view, const CVector& target, float radius) {
    const float halfAngle = FIELD_OF_VIEW * 0.5f * 3.14159265f / 180.0f;
    const float distance = radius / std::sin(halfAngle) * 1.05f;
    CRecordWriter out;
    out.WriteFloat(FIELD_OF_VIEW);
    const float camera[13] = { -target.x, -target.y, -target.z, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f,
                               distance,  0.0f,      CAMERA_PITCH, CAMERA_TURN };
    out.WriteFloats(camera, 13);
    CFile file;
    file.OpenMemory(out.Bytes().data(), out.Bytes().size());
    view.LoadFieldOfView(file, 6);
    view.LoadCamera(file, 6);
}

void BuildStage(COGLScene& scene, CSceneView& view, const CVector& min, const CVector& max) {
    const CVector centre((min.x + max.x) * 0.5f, (min.y + max.y) * 0.5f, (min.z + max.z) * 0.5f);
    const CVector size(max.x - min.x, max.y - min.y, max.z - min.z);
    const float radius = std::max(0.5f * std::sqrt(size.x * size.x + size.y * size.y + size.z * size.z), 0.1f);

    scene.backgroundColour[0] = 0.12f;
    scene.backgroundColour[1] = 0.14f;
    scene.backgroundColour[2] = 0.2f;
    const float ambient[4] = { 0.3f, 0.3f, 0.32f, 1.0f };
    std::copy(ambient, ambient + 4, scene.ambient);

    auto floor = std::make_unique<COGLFloor>();
    floor->SetPosition(centre.x, min.y, centre.z);
    floor->SetScale(radius * 2.0f, radius * 2.0f, 1.0f);
    floor->subdivided = true;
    floor->SetDiffuse(0.75f, 0.75f, 0.72f, 1.0f);
    floor->SetAmbient(0.6f, 0.6f, 0.6f, 1.0f);
    COGLObject* floorObject = floor.get();
    scene.objects.insert(scene.objects.begin(), std::move(floor));

    // A key light and a weaker fill, both high enough to throw the model's
    // shadow on the floor; two half-dark shadows overlap into a soft one.
    AddLight(scene, CVector(centre.x + 1.6f * radius, max.y + 2.5f * radius, centre.z + 2.0f * radius), 0.9f, true);
    AddLight(scene, CVector(centre.x - 1.8f * radius, max.y + 3.0f * radius, centre.z + 1.2f * radius), 0.4f, false);
    COGLScene::ShadowSetup shadows;
    shadows.lights[0] = scene.lights[0].get();
    shadows.lights[1] = scene.lights[1].get();
    shadows.lightCount = 2;
    shadows.planes[0] = floorObject;
    shadows.planeCount = 1;
    shadows.blend = true;
    shadows.alpha = 0.3f;
    shadows.enabled = true;
    scene.SetShadows(shadows);

    AimCamera(view, centre, radius);
}

bool ApplyModelChoice(const std::string& path, const ModelSceneChoice& choice, COGLModel& model, COGLScene& scene) {
    const CModelAnimation* animation = nullptr;
    if (!choice.animation.empty()) {
        animation = model.FindAnimation(choice.animation);
        if (animation == nullptr) {
            scene.AddToReport(path + " has no animation \"" + choice.animation + "\".\r\n", path);
            return false;
        }
    } else if (!model.animations.empty()) {
        animation = model.animations.front();
    }
    if (animation != nullptr) {
        model.SetAnimation(animation);
    }
    const bool chosen = choice.skin != ModelSceneChoice::MODEL_SKIN;
    if (chosen && (choice.skin < 0 || (choice.skin > 0 && static_cast<size_t>(choice.skin) >= model.Skins().size()))) {
        scene.AddToReport(path + " has " + std::to_string(model.Skins().size()) + " skins; there is no skin " +
                              std::to_string(choice.skin) + ".\r\n",
                          path);
        return false;
    }
    if (!model.Skins().empty()) {
        model.SetTexture(model.Skins()[chosen ? static_cast<size_t>(choice.skin) : ModelSkin(model)]);
    }
    if (auto* player = dynamic_cast<COGLPlayer*>(&model); player != nullptr && !player->weapons.empty()) {
        player->SetWeapon(player->weapons.front().get());
    }
    // Some of the games' models store their normals inward, which would show
    // them unlit: turned, they point out. The body's own only; an attached
    // weapon's are made from its mesh.
    if (auto* md2 = dynamic_cast<COGLMD2*>(&model); md2 != nullptr && md2->data != nullptr) {
        md2->flipNormals = md2->data->normalsFaceInward;
    }
    return true;
}

}  // namespace

bool IsModelPath(const std::string& path) {
    ArchivePath where;
    // Named as one: told it is not one rather than that it is no scene.
    if (SplitArchivePath(path, where) || HasModelExtension(path)) {
        return true;
    }
    // A scene is named as one; any other name is told by its signature.
    return !EqualsIgnoringAsciiCase(SplitPath(path).extension, ".tvn") && ModelFileKindOf(path) != nullptr;
}

namespace {

SceneOpenResult LoadModelScene(const std::string& path, COGLScene& scene, CSceneView& view,
                               const ModelSceneChoice& choice) {
    std::unique_ptr<COGLModel> model = LoadChosenModel(path, scene, choice);
    if (!model) {
        return SceneOpenResult::aborted;
    }
    const std::vector<std::string> missing = MissingSkins(*model);
    model->SetPosition(0.0f, 0.0f, 0.0f);
    CVector min, max;
    FitModel(*model, min, max);
    scene.AddObject(std::move(model));
    BuildStage(scene, view, min, max);
    scene.HideLightMarkers();
    scene.StartAnimations();
    if (!missing.empty()) {
        scene.ReportMissingFiles(missing);
        return SceneOpenResult::incomplete;
    }
    return SceneOpenResult::loaded;
}

// Begins a load of scene for the file at path unless one is in progress,
// and ends the load it began.
class CModelFileLoad {
public:
    CModelFileLoad(COGLScene& loading, const std::string& path) : scene(loading), own(loading.Assets() == nullptr) {
        if (own) {
            const PathParts parts = SplitPath(path);
            scene.BeginLoad(parts.drive + parts.folder);
        }
    }
    ~CModelFileLoad() {
        if (own) {
            scene.EndLoad();
        }
    }
    CModelFileLoad(const CModelFileLoad&) = delete;
    CModelFileLoad& operator=(const CModelFileLoad&) = delete;

private:
    COGLScene& scene;
    bool       own;
};

}  // namespace

std::unique_ptr<COGLModel> LoadModelFile(const std::string& path, COGLScene& scene) {
    const CModelFileLoad load(scene, path);
    ArchivePath where;
    return SplitArchivePath(path, where) ? LoadFromArchive(where, scene) : LoadFromDisk(path, scene);
}

std::unique_ptr<COGLModel> LoadChosenModel(const std::string& path, COGLScene& scene,
                                           const ModelSceneChoice& choice) {
    const CModelFileLoad load(scene, path);
    std::unique_ptr<COGLModel> model = LoadModelFile(path, scene);
    if (!model || !model->IsLoaded() || !ApplyModelChoice(path, choice, *model, scene)) {
        return nullptr;
    }
    return model;
}

SceneOpenResult OpenModelScene(const std::string& path, COGLScene& scene, CSceneView& view,
                               const ModelSceneChoice& choice) {
    const CModelFileLoad load(scene, path);
    return LoadModelScene(path, scene, view, choice);
}
