#include "scene/ModelScene.h"

#include <sys/types.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "diag/CDiagnostics.h"
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

bool FileOpens(const std::string& path) {
    return StreamPtr(OpenStreamForReading(path)) != nullptr;
}

// "ARCHIVE.pak:entry/path", when path is not a file by itself.
bool SplitArchivePath(const std::string& path, ArchivePath& out) {
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(), ToLowerAscii);
    const size_t marker = lower.find(".pak:");
    if (marker == std::string::npos || FileOpens(path)) {
        return false;
    }
    out.archive = path.substr(0, marker + 4);
    out.entry = path.substr(marker + 5);
    return !out.entry.empty();
}

bool IsPlayerBody(const std::string& path) {
    const PathParts parts = SplitPath(path);
    return EqualsIgnoringAsciiCase(parts.name, "tris") && EqualsIgnoringAsciiCase(parts.extension, ".md2");
}

// A player folder's body is a player, which takes the folder's skins and weapons.
std::unique_ptr<COGLModel> ModelForFile(const std::string& path) {
    std::unique_ptr<COGLModel> model = CreateModelForFile(path);
    if (model && IsPlayerBody(path) && std::string(model->Kind()) == "MD2") {
        model = std::make_unique<COGLPlayer>();
    }
    return model;
}

// Some of the games' models store normals that point inward, which would
// show them unlit; made from the triangles, they point out.
void PrepareToLoad(COGLModel& model, COGLScene& scene) {
    model.resources = &scene;
    if (auto* md2 = dynamic_cast<COGLMD2*>(&model)) {
        md2->recomputeNormals = true;
    }
}

std::unique_ptr<COGLModel> LoadFromDisk(const std::string& path, COGLScene& scene) {
    if (!FileOpens(path)) {
        ReportError("Error opening " + path + "\r\n");
        return nullptr;
    }
    std::unique_ptr<COGLModel> model = ModelForFile(path);
    if (!model) {
        ReportError(path + " is not a model or sprite file this viewer reads.\r\n");
        return nullptr;
    }
    PrepareToLoad(*model, scene);
    model->LoadFrom(nullptr, path, nullptr);
    return model;
}

std::unique_ptr<COGLModel> LoadFromArchive(const ArchivePath& where, COGLScene& scene) {
    if (!FileOpens(where.archive)) {
        ReportError("Error opening " + where.archive + "\r\n");
        return nullptr;
    }
    CPakFile* archive = scene.GetPak(scene.FindOrOpenPak(where.archive));
    if (archive == nullptr) {
        return nullptr;  // the archive has said why
    }
    const CPakEntry* entry = archive->FindEntry(where.entry);
    std::vector<uint8_t> data;
    if (entry == nullptr || !archive->ReadEntry(*entry, data)) {
        ReportError(where.entry + " is not in " + where.archive + "\r\n");
        return nullptr;
    }
    std::unique_ptr<COGLModel> model = CreateModelForStart(data.data(), data.size());
    if (!model) {
        ReportError(where.entry + " in " + where.archive + " is not a model or sprite file this viewer reads.\r\n");
        return nullptr;
    }
    PrepareToLoad(*model, scene);
    model->LoadFromArchive(*archive, *entry);
    return model;
}

// Skins the file names that did not load, by file name.
std::vector<std::string> MissingSkins(const COGLModel& model) {
    std::vector<std::string> missing;
    // A sprite's pictures are its frames, and it loads only with all of them.
    if (dynamic_cast<const COGLSprite*>(&model) != nullptr) {
        return missing;
    }
    const std::vector<std::string> names = model.SkinNames();
    if (model.skins.size() >= names.size()) {
        return missing;
    }
    for (const std::string& name : names) {
        const PathParts wanted = SplitPath(name);
        const bool found = std::any_of(model.skins.begin(), model.skins.end(), [&](const COGLTexture2D* skin) {
            const PathParts have = SplitPath(skin->path);
            return EqualsIgnoringAsciiCase(have.name + have.extension, wanted.name + wanted.extension);
        });
        if (!found) {
            missing.push_back(name);
        }
    }
    return missing;
}

// Whether a skin's picture has this size in its file. The texture's was
// fitted to a power of two, so the picture is read again as it is; one that
// did not load before (and was reported then) is not.
bool PictureHasSize(const COGLTexture2D& skin, int width, int height) {
    if (skin.textureName == 0) {
        return false;
    }
    COGLImage picture;
    if (skin.archive == nullptr) {
        picture.LoadFromFile(skin.path, false, skin.useDefaultPalette);
    } else if (const CPakEntry* entry = skin.archive->FindEntry(skin.path)) {
        if (FILE* stream = skin.archive->AcquireFile()) {
            // The stream is shared: put it back where the other holders left it.
            const off_t position = ftello(stream);
            picture.LoadFromArchive(stream, entry->name, static_cast<uint32_t>(entry->offset),
                                    static_cast<uint32_t>(entry->length), false, skin.useDefaultPalette);
            fseeko(stream, position, SEEK_SET);
            skin.archive->ReleaseFile(stream);
        }
    }
    return !picture.pixels.empty() && picture.width == width && picture.height == height;
}

// A player folder's pictures include its weapons' skins: the model's own are
// the first of the size its file gives. Else the first.
size_t ModelSkin(const COGLModel& model) {
    const auto* md2 = dynamic_cast<const COGLMD2*>(&model);
    for (size_t i = 0; md2 != nullptr && i < model.skins.size(); i++) {
        if (PictureHasSize(*model.skins[i], md2->skinWidth, md2->skinHeight)) {
            return i;
        }
    }
    return 0;
}

bool ApplyChoice(const std::string& path, const ModelSceneChoice& choice, COGLModel& model) {
    CModelAnimation* animation = nullptr;
    if (!choice.animation.empty()) {
        animation = model.FindAnimation(choice.animation);
        if (animation == nullptr) {
            ReportError(path + " has no animation \"" + choice.animation + "\".\r\n");
            return false;
        }
    } else if (!model.animations.empty()) {
        animation = model.animations.front().get();
    }
    if (animation != nullptr) {
        model.SetAnimation(animation);
    }
    const bool chosen = choice.skin != ModelSceneChoice::MODEL_SKIN;
    if (chosen && (choice.skin < 0 || (choice.skin > 0 && static_cast<size_t>(choice.skin) >= model.skins.size()))) {
        ReportError(path + " has " + std::to_string(model.skins.size()) + " skins; there is no skin " +
                    std::to_string(choice.skin) + ".\r\n");
        return false;
    }
    if (!model.skins.empty()) {
        model.SetTexture(model.skins[chosen ? static_cast<size_t>(choice.skin) : ModelSkin(model)]);
    }
    if (auto* player = dynamic_cast<COGLPlayer*>(&model); player != nullptr && !player->weapons.empty()) {
        player->SetWeapon(player->weapons.front().get());
    }
    return true;
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
    scene.shadowLights[0] = scene.lights[0].get();
    scene.shadowLights[1] = scene.lights[1].get();
    scene.shadowLightCount = 2;
    scene.shadowPlanes[0] = floorObject;
    scene.shadowPlaneCount = 1;
    scene.shadowBlend = true;
    scene.shadowAlpha = 0.3f;
    scene.shadowsEnabled = true;

    AimCamera(view, centre, radius);
}

}  // namespace

bool IsModelPath(const std::string& path) {
    ArchivePath where;
    if (SplitArchivePath(path, where) || ModelKindOfFile(path) != nullptr) {
        return true;
    }
    // Named as one: told it is not one rather than that it is no scene.
    const std::string extension = SplitPath(path).extension;
    for (const char* known : { ".md2", ".mdl", ".def", ".sp2", ".spr" }) {
        if (EqualsIgnoringAsciiCase(extension, known)) {
            return true;
        }
    }
    return false;
}

SceneOpenResult OpenModelScene(const std::string& path, COGLScene& scene, CSceneView& view,
                               const ModelSceneChoice& choice) {
    ArchivePath where;
    std::unique_ptr<COGLModel> model = SplitArchivePath(path, where) ? LoadFromArchive(where, scene)
                                                                      : LoadFromDisk(path, scene);
    if (!model || !model->loaded || !ApplyChoice(path, choice, *model)) {
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
        ReportError("The following files could not be loaded:\r\n");
        for (const std::string& name : missing) {
            ReportError("    " + name + "\r\n");
        }
        return SceneOpenResult::incomplete;
    }
    return SceneOpenResult::loaded;
}
