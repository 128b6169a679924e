#include "tools/SceneJson.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "image/COGLTexture2D.h"
#include "models/COGLHLModel.h"
#include "models/COGLMDL.h"
#include "models/COGLSBM.h"
#include "models/COGLModel.h"
#include "models/COGLPlayer.h"
#include "models/COGLSprite.h"
#include "objects/COGLLight.h"
#include "objects/COGLObject.h"
#include "objects/COGLPlane.h"
#include "objects/COGLSpotLight.h"
#include "objects/COGLText.h"
#include "platform/Cp1252.h"
#include "platform/LittleEndian.h"
#include "scene/COGLScene.h"
#include "platform/CPakFile.h"
#include "tools/CToolScene.h"
#include "view/COGLViewport3D.h"

using nlohmann::ordered_json;

namespace {

// The shortest decimal that reads back as the same float, so that 0.1f is
// printed as 0.1 and compose gets the very same bits again.
double Tidy(float value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text - 1, value);
    *written.ptr = '\0';
    return std::strtod(text, nullptr);
}

ordered_json Floats(const float* values, int count) {
    ordered_json list = ordered_json::array();
    for (int i = 0; i < count; i++) {
        list.push_back(Tidy(values[i]));
    }
    return list;
}

ordered_json Vector(const CVector& v) {
    const float values[3] = { v.x, v.y, v.z };
    return Floats(values, 3);
}

std::string NameIn(const uint8_t* field, size_t size) {
    const char* text = reinterpret_cast<const char*>(field);
    return Cp1252ToUtf8(std::string(text, strnlen(text, size)));
}

// A Half-Life file's bones, sequences, attachments, hit boxes and bone
// controllers, as read; vectors in the file's axes.
void DescribeHLFile(const CHLModelData& data, ordered_json& out) {
    using namespace hl;
    ordered_json bones = ordered_json::array();
    for (int32_t b = 0; b < data.HeaderValue(H_BONE_COUNT); b++) {
        const uint8_t* bone = data.Header() + data.HeaderValue(H_BONES) + size_t(b) * BONE_SIZE;
        bones.push_back({ { "name", NameIn(bone, NAME_SIZE) }, { "parent", Int32At(bone + 32) } });
    }
    ordered_json sequences = ordered_json::array();
    for (int32_t i = 0; i < data.HeaderValue(H_SEQUENCE_COUNT); i++) {
        const uint8_t* sequence = data.Sequence(i);
        ordered_json events = ordered_json::array();
        for (const HLEvent& event : size_t(i) < data.events.size() ? data.events[size_t(i)] : std::vector<HLEvent>()) {
            events.push_back({ { "frame", event.frame }, { "event", event.event },
                               { "options", Cp1252ToUtf8(event.options) } });
        }
        sequences.push_back({ { "name", NameIn(sequence, NAME_SIZE) }, { "fps", Tidy(FloatAt(sequence + S_FPS)) },
                              { "flags", Int32At(sequence + S_FLAGS) },
                              { "frames", Int32At(sequence + S_FRAME_COUNT) }, { "events", events } });
    }
    ordered_json attachments = ordered_json::array();
    for (const HLAttachment& attachment : data.attachments) {
        attachments.push_back({ { "name", Cp1252ToUtf8(attachment.name) }, { "bone", attachment.bone },
                                { "origin", Vector(attachment.origin) } });
    }
    ordered_json hitBoxes = ordered_json::array();
    for (const HLHitBox& box : data.hitBoxes) {
        hitBoxes.push_back({ { "bone", box.bone }, { "group", box.group }, { "min", Vector(box.min) },
                             { "max", Vector(box.max) } });
    }
    ordered_json controllers = ordered_json::array();
    for (int32_t c = 0; c < data.HeaderValue(H_CONTROLLER_COUNT); c++) {
        const uint8_t* record = data.Header() + data.HeaderValue(H_CONTROLLERS) + size_t(c) * CONTROLLER_SIZE;
        controllers.push_back({ { "bone", Int32At(record) }, { "type", Int32At(record + C_TYPE) },
                                { "start", Tidy(FloatAt(record + C_START)) },
                                { "end", Tidy(FloatAt(record + C_END)) } });
    }
    out["skeleton"] = bones;
    out["sequences"] = sequences;
    out["attachments"] = attachments;
    out["hitBoxes"] = hitBoxes;
    out["boneControllers"] = controllers;
}

ordered_json TexturePath(const COGLTexture2D* texture) {
    return texture != nullptr ? ordered_json(texture->path) : ordered_json(nullptr);
}

ordered_json Camera(const COGLCamera3D& camera) {
    const float angles[3] = { camera.angleZ, camera.angleX, camera.angleY };
    return {
        { "center", Vector(camera.center) },
        { "eye", Vector(camera.eye) },
        { "up", Vector(camera.up) },
        { "distance", Tidy(camera.distance) },
        { "angles", Floats(angles, 3) },
    };
}

template <typename T>
int IndexIn(const std::vector<std::unique_ptr<T>>& list, const T* item) {
    for (size_t i = 0; i < list.size(); i++) {
        if (list[i].get() == item) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

ordered_json Shadows(const COGLScene& scene) {
    ordered_json lights = ordered_json::array();
    for (const COGLLight* light : scene.Shadows().lights) {
        if (light != nullptr) {
            lights.push_back(IndexIn(scene.lights, light));
        }
    }
    ordered_json planes = ordered_json::array();
    for (const COGLObject* plane : scene.Shadows().planes) {
        if (plane != nullptr) {
            planes.push_back(IndexIn(scene.objects, plane));
        }
    }
    return {
        { "enabled", scene.Shadows().enabled },
        { "blend", scene.Shadows().blend },
        { "alpha", Tidy(scene.Shadows().alpha) },
        { "lights", lights },
        { "planes", planes },
    };
}

}  // namespace

void RecordTextsToUtf8(ordered_json& description) {
    if (description.is_string()) {
        description = RecordTextToUtf8(description.get_ref<const std::string&>());
        return;
    }
    if (!description.is_structured()) {
        return;  // a number, a flag or null iterates as itself
    }
    for (ordered_json& element : description) {
        RecordTextsToUtf8(element);
    }
}

ordered_json DescribeLight(const COGLLight& light) {
    const auto* spot = dynamic_cast<const COGLSpotLight*>(&light);
    ordered_json out = {
        { "type", spot != nullptr ? "spot" : "point" },
        { "name", light.name },
        { "position", Vector(light.Marker().position) },
        { "w", Tidy(light.w) },
        { "enabled", light.enabled != 0 },
        { "ambient", Floats(light.ambient, 4) },
        { "diffuse", Floats(light.diffuse, 4) },
        { "specular", Floats(light.specular, 4) },
    };
    if (spot != nullptr) {
        const CQuaternion& q = light.Marker().orientation;
        const float orientation[4] = { q.x, q.y, q.z, q.w };
        const float attenuation[3] = { spot->constantAttenuation, spot->linearAttenuation,
                                       spot->quadraticAttenuation };
        out["direction"] = Floats(spot->direction, 3);
        out["orientation"] = Floats(orientation, 4);
        out["cutoff"] = Tidy(spot->cutoff);
        out["exponent"] = Tidy(spot->exponent);
        out["attenuation"] = Floats(attenuation, 3);
    }
    return out;
}

ordered_json DescribeModel(const COGLModel& model) {
    ordered_json animations = ordered_json::array();
    for (const CModelAnimation* animation : model.animations) {
        animations.push_back({ { "name", animation->name }, { "first", animation->first }, { "count", animation->count } });
    }
    ordered_json skins = ordered_json::array();
    for (const COGLTexture2D* skin : model.Skins()) {
        skins.push_back(skin != nullptr ? ordered_json(skin->path) : ordered_json(nullptr));
    }
    const CModelAnimation* current = model.GetAnimation();
    const CModelResources* owner = model.Resources();
    const int pak = owner != nullptr && model.pak != nullptr ? owner->IndexOfPak(model.pak) : -1;
    ordered_json out = {
        { "path", model.path },
        { "pak", pak >= 0 ? ordered_json(pak) : ordered_json(nullptr) },
        { "frameCount", model.GetFrameCount() },
        { "animations", animations },
        { "currentAnimation", current != nullptr ? ordered_json(current->name) : ordered_json(nullptr) },
        { "framePosition", Tidy(model.framePosition) },
        { "currentFrame", model.CurrentFrame() },
        { "nextFrame", model.NextFrame() },
        { "frameFraction", Tidy(model.FrameFraction()) },
        { "frameStep", Tidy(model.frameStep) },
        { "loop", model.loop },
        { "interpolate", model.interpolate },
        { "flipNormals", model.flipNormals },
        { "yOffset", Tidy(model.yOffset) },
        { "skins", skins },
    };
    // An MDL holds its skins (those without a path) and counts frames per
    // animation; the file's frames are told here.
    if (const auto* mdl = dynamic_cast<const COGLMDL*>(&model)) {
        out["frameCount"] = mdl->FileFrameCount();
        int32_t skinWidth = 0;
        int32_t skinHeight = 0;
        mdl->SkinSize(skinWidth, skinHeight);
        out["skinWidth"] = skinWidth;
        out["skinHeight"] = skinHeight;
        out["skinCountInFile"] = mdl->skinCountInFile;
    }
    // A Half-Life model's records stand for sequences, which count their
    // frames in the file.
    if (const auto* hlModel = dynamic_cast<const COGLHLModel*>(&model)) {
        for (size_t i = 0; i < model.animations.size(); i++) {
            out["animations"][i]["count"] = hlModel->SequenceFrameCount(model.animations[i]->first);
        }
        ordered_json parts = ordered_json::array();
        for (const COGLHLModel::BodyPartInfo& part : hlModel->BodyParts()) {
            parts.push_back({ { "name", part.name }, { "models", part.models } });
        }
        out["bones"] = hlModel->HeaderCount(hl::H_BONE_COUNT);
        out["bodyParts"] = parts;
        out["skinFamilies"] = hlModel->SkinFamilyCount();
        out["skins"] = hlModel->SkinNames();  // the texture names, not the cache's file-qualified keys
        out["controllers"] = hlModel->HeaderCount(hl::H_CONTROLLER_COUNT);
        out["sequenceGroups"] = hlModel->HeaderCount(hl::H_GROUP_COUNT);
        if (hlModel->data != nullptr) {
            DescribeHLFile(*hlModel->data, out);
        }
    }
    if (const auto* sin = dynamic_cast<const COGLSBM*>(&model); sin != nullptr && sin->data != nullptr) {
        out["mesh"] = sin->data->meshPath;
        out["groups"] = sin->data->groups.size();
    }
    return out;
}

ordered_json DescribeSprite(const COGLSprite& sprite) {
    ordered_json frames = ordered_json::array();
    if (sprite.kind == KIND_SPR) {
        for (const COGLSprite::FrameInfo& frame : sprite.frameInfo) {
            frames.push_back(frame.title);
        }
    } else {
        frames = sprite.SkinNames();
    }
    const CModelResources* owner = sprite.Resources();
    const int pak = owner != nullptr && sprite.pak != nullptr ? owner->IndexOfPak(sprite.pak) : -1;
    return {
        { "path", sprite.path },
        { "pak", pak >= 0 ? ordered_json(pak) : ordered_json(nullptr) },
        { "frameStep", Tidy(sprite.frameStep) },
        { "framePosition", Tidy(sprite.framePosition) },
        { "currentFrame", sprite.CurrentFrame() },
        { "roll", Tidy(sprite.roll) },
        { "renderMode", sprite.blendMode },
        { "frameCount", sprite.frameCount },
        { "frames", frames },
    };
}

ordered_json DescribeObject(const COGLObject& object, const COGLScene& /*scene*/) {
    const float orientation[4] = { object.orientation.x, object.orientation.y, object.orientation.z,
                                   object.orientation.w };
    ordered_json out = {
        { "class", object.ClassName() },
        { "typeCode", object.typeCode },
        { "name", object.name },
        { "position", Vector(object.position) },
        { "scale", Vector(object.scale) },
        { "orientation", Floats(orientation, 4) },
        { "visible", object.IsVisible() },
        { "transparent", object.transparent },
        { "animating", object.animating },
        { "texture", TexturePath(object.Texture()) },
        { "ambient", Floats(object.ambient, 4) },
        { "diffuse", Floats(object.diffuse, 4) },
        { "specular", Floats(object.specular, 4) },
        { "emission", Floats(object.emission, 4) },
        { "shininess", Tidy(object.shininess) },
        { "textureRotation", Vector(object.textureRotation) },
        { "textureScale", Vector(object.textureScale) },
        { "textureTranslation", Vector(object.textureTranslation) },
        { "textureMode", object.textureMode },
    };
    if (const auto* plane = dynamic_cast<const COGLPlane*>(&object)) {
        out["subdivided"] = plane->subdivided;
    }
    if (const auto* text = dynamic_cast<const COGLText*>(&object)) {
        out["text"] = Cp1252ToUtf8(text->text);
        out["font"] = Cp1252ToUtf8(text->font.faceName);
        out["italic"] = text->font.italic;
        out["extrusion"] = Tidy(text->extrusion);
        out["centred"] = text->centred;
        out["offset"] = Vector(text->offset);
    }
    if (const auto* sprite = dynamic_cast<const COGLSprite*>(&object)) {
        out["model"] = DescribeSprite(*sprite);
    } else if (const auto* model = dynamic_cast<const COGLModel*>(&object)) {
        out["model"] = DescribeModel(*model);
    }
    if (const auto* player = dynamic_cast<const COGLPlayer*>(&object)) {
        ordered_json& model = out["model"];
        ordered_json weapons = ordered_json::array();
        for (const std::unique_ptr<COGLMD2>& weapon : player->weapons) {
            weapons.push_back(weapon->name);
        }
        model["weapons"] = weapons;
        model["weaponIndex"] = player->SavedWeaponIndex();
        model["flagShown"] = player->SavedFlagShown();
        model["flagSkin"] = player->SavedFlagShown() ? ordered_json(player->SavedFlag1() ? "flag1" : "flag2")
                                                     : ordered_json(nullptr);
    }
    return out;
}

ordered_json DescribeScene(const CToolScene& loaded) {
    const COGLScene& scene = *loaded.scene;
    ordered_json paks = ordered_json::array();
    for (const std::unique_ptr<CPakFile>& pak : scene.paks) {
        paks.push_back(pak ? ordered_json(pak->GetPath()) : ordered_json(nullptr));
    }
    ordered_json textures = ordered_json::array();
    for (const std::unique_ptr<COGLTexture2D>& texture : scene.textures) {
        const int pak = scene.IndexOfPak(texture->source.archive);
        textures.push_back({ { "path", texture->path }, { "pak", pak >= 0 ? ordered_json(pak) : ordered_json(nullptr) } });
    }
    ordered_json lights = ordered_json::array();
    for (const std::unique_ptr<COGLLight>& light : scene.lights) {
        lights.push_back(DescribeLight(*light));
    }
    ordered_json objects = ordered_json::array();
    for (const std::unique_ptr<COGLObject>& object : scene.objects) {
        objects.push_back(DescribeObject(*object, scene));
    }
    ordered_json missing = ordered_json::array();
    for (const FileLookup& lookup : scene.fileLookups) {
        if (!lookup.found) {
            missing.push_back(lookup.asked);
        }
    }
    ordered_json description = {
        { "file", loaded.path },
        { "version", scene.fileVersion },
        { "loaded", loaded.result == SceneOpenResult::loaded },
        { "background", Floats(scene.backgroundColour, 3) },
        { "ambient", Floats(scene.ambient, 4) },
        { "fieldOfView", Tidy(loaded.viewport->fieldOfView) },
        { "camera", Camera(loaded.viewport->camera) },
        { "usesVWep", scene.usesVWep },
        { "paks", paks },
        { "textures", textures },
        { "backgroundImage", TexturePath(scene.background.get()) },
        { "shadows", Shadows(scene) },
        { "lights", lights },
        { "objects", objects },
        { "errors", loaded.errors },
        { "missing", missing },
    };
    RecordTextsToUtf8(description);
    return description;
}
