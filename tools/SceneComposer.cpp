#include "tools/SceneComposer.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "models/COGLModel.h"
#include "objects/COGLObject.h"
#include "objects/COGLPlane.h"
#include "objects/COGLPointLight.h"
#include "objects/COGLSpotLight.h"
#include "objects/COGLText.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "platform/CMessageBox.h"
#include "platform/COutputFile.h"
#include "platform/Cp1252.h"
#include "platform/RecordIO.h"
#include "platform/StringTable.h"
#include "scene/ObjectKinds.h"
#include "tools/FieldReader.h"
#include "tools/ModelComposer.h"
#include "view/COGLCamera3D.h"

using nlohmann::json;

namespace {

constexpr int MSG_TEXT_TOO_LONG = 110;

void WriteInt(CFile& file, int32_t value) {
    CRecordWriter out;
    out.WriteInt32(value);
    file.Write(out.Bytes().data(), 4);
}

void WriteTextureRecord(CFile& file, int32_t pakIndex, bool useDefaultPalette, const std::string& path) {
    CRecordWriter out;
    out.WriteInt32(pakIndex);
    out.WriteBool(useDefaultPalette);
    out.WriteName(path, PATH_FIELD_SIZE);
    file.Write(out.Bytes().data(), out.Bytes().size());
}

struct TextureEntry {
    std::string path;
    int32_t     pak = -1;
    bool        useDefaultPalette = false;
};

std::vector<TextureEntry> ReadTextures(FieldReader& in, const json& description) {
    std::vector<TextureEntry> textures;
    for (const json& node : in.List(description, "textures")) {
        TextureEntry entry;
        in.String(node, "path", entry.path);
        in.Int(node, "pak", entry.pak);
        in.Bool(node, "useDefaultPalette", entry.useDefaultPalette);
        textures.push_back(entry);
    }
    return textures;
}

int TextureIndex(FieldReader& in, const json& node, const std::vector<TextureEntry>& textures) {
    std::string path;
    in.String(node, "texture", path);
    if (path.empty()) {
        return -1;
    }
    for (size_t i = 0; i < textures.size(); i++) {
        if (textures[i].path == path) {
            return static_cast<int>(i);
        }
    }
    in.Fail("texture " + path + " is not in the texture list");
    return -1;
}

std::unique_ptr<COGLLight> MakeLight(FieldReader& in, const json& node) {
    std::string type = "point";
    in.String(node, "type", type);
    CVector position(0.0f, 1.0f, 3.0f);
    in.Vector(node, "position", position);
    std::unique_ptr<COGLLight> light;
    if (type == "point") {
        light = std::make_unique<COGLPointLight>(position.x, position.y, position.z);
    } else if (type == "spot") {
        auto spot = std::make_unique<COGLSpotLight>(position.x, position.y, position.z);
        float orientation[4] = { 0.0f, 0.0f, 0.0f, 1.0f };
        in.Floats(node, "orientation", orientation, 4);
        spot->Marker().orientation = CQuaternion(orientation[0], orientation[1], orientation[2], orientation[3]);
        in.Float(node, "cutoff", spot->cutoff);
        in.Float(node, "exponent", spot->exponent);
        float attenuation[3] = { spot->constantAttenuation, spot->linearAttenuation, spot->quadraticAttenuation };
        in.Floats(node, "attenuation", attenuation, 3);
        spot->constantAttenuation = attenuation[0];
        spot->linearAttenuation = attenuation[1];
        spot->quadraticAttenuation = attenuation[2];
        light = std::move(spot);
    } else {
        in.Fail("unknown light type \"" + type + "\"");
        return nullptr;
    }
    in.String(node, "name", light->name);
    in.Float(node, "w", light->w);
    bool enabled = true;
    in.Bool(node, "enabled", enabled);
    light->enabled = enabled ? 1 : 0;
    in.Floats(node, "ambient", light->ambient, 4);
    in.Floats(node, "diffuse", light->diffuse, 4);
    in.Floats(node, "specular", light->specular, 4);
    return light;
}

// Strings in JSON are UTF-8; the record holds Windows-1252.
void ReadCp1252(FieldReader& in, const json& node, const char* key, std::string& out) {
    std::string utf8;
    in.String(node, key, utf8);
    if (in.Field(node, key) != nullptr && !Utf8ToCp1252(utf8, out)) {
        in.Fail(std::string(key) + " holds characters Windows-1252 does not have");
    }
}

// Built like the editor builds it, the scale already set; an offset given
// is stored as given (a loaded scene computes its own).
void ReadText(FieldReader& in, const json& node, COGLText& text) {
    std::string words = text.text, face = text.font.faceName;
    ReadCp1252(in, node, "text", words);
    ReadCp1252(in, node, "font", face);
    in.Bool(node, "italic", text.font.italic);
    in.Float(node, "extrusion", text.extrusion);
    in.Bool(node, "centred", text.centred);
    if (!text.SetText(words)) {
        CMessageBox::Show(GetStringResource(MSG_TEXT_TOO_LONG));
    }
    text.SetFont(face, text.extrusion, text.font.italic);
    in.Vector(node, "offset", text.offset);
}

std::unique_ptr<COGLObject> CreateObject(FieldReader& in, const json& node, CModelComposer& models) {
    std::string className;
    in.String(node, "class", className);
    const ObjectKind* kind = FindObjectKind(className);
    if (kind == nullptr) {
        in.Fail("unknown object class \"" + className + "\"");
        return nullptr;
    }
    std::unique_ptr<COGLObject> object = kind->create();
    if (auto* model = dynamic_cast<COGLModel*>(object.get())) {
        // Read first: loading the model file names the object after its folder.
        models.ReadModel(in, node, *model);
    }
    return object;
}

std::unique_ptr<COGLObject> MakeObject(FieldReader& in, const json& node, CModelComposer& models) {
    std::unique_ptr<COGLObject> object = CreateObject(in, node, models);
    if (!object) {
        return nullptr;
    }
    in.String(node, "name", object->name);
    CVector position = object->position, scale = object->scale;
    in.Vector(node, "position", position);
    in.Vector(node, "scale", scale);
    object->SetPosition(position.x, position.y, position.z);
    object->SetScale(scale.x, scale.y, scale.z);
    const CQuaternion& made = object->orientation;  // walls and floors come turned
    float orientation[4] = { made.x, made.y, made.z, made.w };
    in.Floats(node, "orientation", orientation, 4);
    object->orientation = CQuaternion(orientation[0], orientation[1], orientation[2], orientation[3]);
    // Through the setters where there are any: a model passes them on to
    // what it carries.
    bool visible = object->IsVisible(), transparent = object->transparent;
    in.Bool(node, "visible", visible);
    in.Bool(node, "transparent", transparent);
    object->SetVisible(visible);
    object->SetTransparent(transparent);
    in.Bool(node, "animating", object->animating);
    float colour[4];
    const struct { const char* key; const float* current; void (COGLObject::*set)(float, float, float, float); } materials[] = {
        { "ambient", object->ambient, &COGLObject::SetAmbient },
        { "diffuse", object->diffuse, &COGLObject::SetDiffuse },
        { "specular", object->specular, &COGLObject::SetSpecular },
        { "emission", object->emission, &COGLObject::SetEmission },
    };
    for (const auto& material : materials) {
        std::copy(material.current, material.current + 4, colour);
        in.Floats(node, material.key, colour, 4);
        ((*object).*material.set)(colour[0], colour[1], colour[2], colour[3]);
    }
    float shininess = object->shininess;
    in.Float(node, "shininess", shininess);
    object->SetShininess(shininess);
    in.Vector(node, "textureRotation", object->textureRotation);
    in.Vector(node, "textureScale", object->textureScale);
    in.Vector(node, "textureTranslation", object->textureTranslation);
    int32_t textureMode = object->textureMode;
    in.Int(node, "textureMode", textureMode);
    object->SetTextureMode(textureMode);
    if (auto* plane = dynamic_cast<COGLPlane*>(object.get())) {
        in.Bool(node, "subdivided", plane->subdivided);
    }
    if (auto* text = dynamic_cast<COGLText*>(object.get())) {
        ReadText(in, node, *text);
    }
    return object;
}

std::vector<int32_t> ReadSlots(FieldReader& in, const json& shadows, const char* key, size_t slots) {
    std::vector<int32_t> indices;
    for (const json& index : in.List(shadows, key)) {
        if (!index.is_number_integer()) {
            in.Fail(std::string("shadows.") + key + " must list whole numbers");
            break;
        }
        indices.push_back(index.get<int32_t>());
    }
    if (indices.size() > slots) {
        in.Fail(std::string("shadows.") + key + " has more than " + std::to_string(slots) + " entries");
    }
    indices.resize(slots, -1);
    return indices;
}

// Everything the file will hold, read and built before a byte is written.
struct Composition {
    float   background[3] = { 0.0f, 0.0f, 0.0f };
    float   ambient[4] = { 0.2f, 0.2f, 0.2f, 1.0f };
    bool    usesVWep = false;
    bool    shadowsEnabled = false;
    bool    shadowBlend = false;
    float   shadowAlpha = 1.0f;
    std::vector<int32_t> shadowLights;
    std::vector<int32_t> shadowPlanes;
    std::vector<std::string> paks;
    std::string backgroundImage;
    float   fieldOfView = 45.0f;
    COGLCamera3D camera;
    std::vector<TextureEntry> textures;
    std::vector<std::unique_ptr<COGLLight>> lights;
    std::unique_ptr<CModelComposer> models;  // outlives the objects
    std::vector<std::unique_ptr<COGLObject>> objects;
    std::vector<int> textureIndices;
};

void ReadComposition(FieldReader& in, const json& description, const std::string& outPath, Composition& out) {
    in.Floats(description, "background", out.background, 3);
    in.Floats(description, "ambient", out.ambient, 4);
    in.Bool(description, "usesVWep", out.usesVWep);
    const json* shadowsNode = in.Field(description, "shadows");
    const json shadows = shadowsNode != nullptr ? *shadowsNode : json::object();
    in.Bool(shadows, "enabled", out.shadowsEnabled);
    in.Bool(shadows, "blend", out.shadowBlend);
    in.Float(shadows, "alpha", out.shadowAlpha);
    out.shadowLights = ReadSlots(in, shadows, "lights", 8);
    out.shadowPlanes = ReadSlots(in, shadows, "planes", 4);
    for (const json& pak : in.List(description, "paks")) {
        out.paks.push_back(pak.is_string() ? pak.get<std::string>() : "");
    }
    in.String(description, "backgroundImage", out.backgroundImage);
    in.Float(description, "fieldOfView", out.fieldOfView);
    if (const json* node = in.Field(description, "camera")) {
        COGLCamera3D& camera = out.camera;
        in.Vector(*node, "center", camera.center);
        in.Vector(*node, "eye", camera.eye);
        in.Vector(*node, "up", camera.up);
        in.Float(*node, "distance", camera.distance);
        float angles[3] = { camera.angleZ, camera.angleX, camera.angleY };
        in.Floats(*node, "angles", angles, 3);
        camera.angleZ = angles[0];
        camera.angleX = angles[1];
        camera.angleY = angles[2];
    }
    out.textures = ReadTextures(in, description);
    for (const json& node : in.List(description, "lights")) {
        if (std::unique_ptr<COGLLight> light = MakeLight(in, node)) {
            out.lights.push_back(std::move(light));
        }
    }
    out.models = std::make_unique<CModelComposer>(out.paks, outPath);
    for (const json& node : in.List(description, "objects")) {
        if (std::unique_ptr<COGLObject> object = MakeObject(in, node, *out.models)) {
            // A model's texture is one of its skins, which its record lists.
            const bool isModel = dynamic_cast<COGLModel*>(object.get()) != nullptr;
            out.textureIndices.push_back(isModel ? -1 : TextureIndex(in, node, out.textures));
            out.objects.push_back(std::move(object));
        }
    }
}

void WriteComposition(const Composition& scene, CFile& file) {
    CRecordWriter header;
    for (char c : { 'T', 'A', 'V', '2' }) {
        header.WriteByte(static_cast<uint8_t>(c));
    }
    header.WriteInt32(6);
    header.WriteBool(scene.usesVWep);
    header.WriteFloats(scene.background, 3);
    header.WriteFloats(scene.ambient, 4);
    header.WriteInt32(static_cast<int32_t>(scene.lights.size()));
    header.WriteInt32(static_cast<int32_t>(scene.objects.size()));
    header.WriteInt32(static_cast<int32_t>(scene.textures.size()));
    header.WriteBool(scene.shadowsEnabled);
    for (int32_t slot : scene.shadowLights) {
        header.WriteInt32(slot);
    }
    for (int32_t slot : scene.shadowPlanes) {
        header.WriteInt32(slot);
    }
    header.WriteBool(scene.shadowBlend);
    header.WriteFloat(scene.shadowAlpha);
    header.WriteInt32(static_cast<int32_t>(scene.paks.size()));
    for (const std::string& pak : scene.paks) {
        header.WriteName(pak, PATH_FIELD_SIZE);
    }
    header.WriteBool(!scene.backgroundImage.empty());
    file.Write(header.Bytes().data(), header.Bytes().size());
    if (!scene.backgroundImage.empty()) {
        WriteTextureRecord(file, -1, false, scene.backgroundImage);
    }
    CRecordWriter fieldOfView;
    fieldOfView.WriteFloat(scene.fieldOfView);
    file.Write(fieldOfView.Bytes().data(), 4);
    scene.camera.Save(file);

    for (const TextureEntry& texture : scene.textures) {
        WriteTextureRecord(file, texture.pak, texture.useDefaultPalette, texture.path);
    }
    for (const std::unique_ptr<COGLLight>& light : scene.lights) {
        WriteInt(file, dynamic_cast<COGLSpotLight*>(light.get()) != nullptr ? 1 : 0);
        light->Save(file);
    }
    for (size_t i = 0; i < scene.objects.size(); i++) {
        WriteInt(file, scene.objects[i]->typeCode);
        scene.objects[i]->Save(file, scene.textureIndices[i]);
    }
}

}  // namespace

bool ComposeScene(const json& description, const std::string& outPath, std::string& error) {
    FieldReader in;
    Composition scene;
    if (!description.is_object()) {
        in.Fail("the description must be a JSON object");
    } else {
        ReadComposition(in, description, outPath, scene);
    }
    if (!in.error.empty()) {
        error = in.error;
        return false;
    }
    COutputFile output;
    CFile file;
    if (!output.Create(outPath) || !file.Open(output)) {
        error = "cannot write " + outPath + ": " + output.GetError();
        return false;
    }
    try {
        WriteComposition(scene, file);
    } catch (const CFileException&) {
        error = "cannot write " + outPath;
        return false;
    }
    file.Close();
    if (!output.Commit()) {
        error = "cannot write " + outPath + ": " + output.GetError();
        return false;
    }
    return true;
}
