// COGLScene::LoadScene and its steps: everything of a scene file after the
// version field, in the order the file holds it.
#include "scene/COGLScene.h"

#include <algorithm>

#include "image/COGLTexture2D.h"
#include "objects/COGLObject.h"
#include "objects/COGLPointLight.h"
#include "objects/COGLSpotLight.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "platform/CPakFile.h"
#include "platform/CSettingsStore.h"
#include "platform/RecordIO.h"
#include "platform/SettingsKeys.h"
#include "platform/WindowsPath.h"
#include "scene/CSceneView.h"
#include "scene/ObjectKinds.h"

namespace {

constexpr int MSG_VWEP_SKINS = 112;

constexpr size_t TEXTURE_RECORD_SIZE = 4 + 1 + PATH_FIELD_SIZE;
constexpr size_t HEADER_SIZE = 107 - 8;  // usesVWep to pakCount, after the version

// The fewest bytes one record of each list can take, to refuse counts the
// rest of the file cannot hold before anything is made for them.
constexpr uint64_t MIN_LIGHT_BYTES = 4 + 172;
constexpr uint64_t MIN_OBJECT_BYTES = 4;

// Far beyond any scene an editor made, and within what a scene can load and
// draw in seconds (a quarter of a million boxes took half a minute a frame
// and a gigabyte to describe).
constexpr int32_t MAX_LIGHTS = 4096;
constexpr int32_t MAX_OBJECTS = 16384;
constexpr int32_t MAX_TEXTURES = 16384;

uint64_t BytesLeft(const CFile& file) {
    const uint64_t length = file.GetLength();
    const uint64_t position = file.GetPosition();
    return length > position ? length - position : 0;
}

// A count the rest of the file cannot hold is a cut or forged file.
void CheckCount(const CFile& file, int32_t count, uint64_t minimumRecordBytes) {
    if (count > 0 && static_cast<uint64_t>(count) * minimumRecordBytes > BytesLeft(file)) {
        throw CFileException(CFileException::endOfFile, file.GetFilePath());
    }
}

void CheckCount(const CFile& file, int32_t count, uint64_t minimumRecordBytes, int32_t maximum) {
    if (count > maximum) {
        throw CFileException(CFileException::implausibleCount, file.GetFilePath());
    }
    CheckCount(file, count, minimumRecordBytes);
}

void LoadSharedSkin(COGLScene& scene, const char* name, CPakFile* pak, bool useDefaultPalette) {
    if (scene.FindOrLoadTexture(name, pak, "", useDefaultPalette, false) == nullptr) {
        scene.Report({ { MSG_VWEP_SKINS, {} } }, name);
    }
}

}  // namespace

// The scene-level fields between the version and the archive paths.
struct COGLScene::FileHeader {
    int32_t lightCount = 0;
    int32_t objectCount = 0;
    int32_t textureCount = 0;
    bool    wantShadows = false;
    int32_t lightSlots[MAX_SHADOW_LIGHTS] = {};
    int32_t planeSlots[MAX_SHADOW_PLANES] = {};
    int32_t pakCount = 0;
};

bool COGLScene::LoadScene(CFile& file, CSceneView& view, int version) {
    // A load begun by whoever read the file goes on; otherwise this is one.
    const bool ownLoad = !assets;
    if (ownLoad) {
        const PathParts sceneParts = SplitPath(file.GetFilePath());
        BeginLoad(sceneParts.drive + sceneParts.folder);
    }
    fileVersion = version;

    const FileHeader header = ReadFileHeader(file);
    ReadArchives(file, header.pakCount);
    ReadBackground(file);
    if (version >= 6) {
        view.LoadFieldOfView(file, version);
    }
    view.LoadCamera(file, version);
    ReadTextureTable(file, header.textureCount);
    ReadLights(file, header.lightCount, version);
    ReadObjects(file, header.objectCount, version);
    ResolveShadowSlots(header);

    const bool result = assets->Missing().empty();
    if (!result) {
        ReportMissingFiles(assets->Missing());
    }
    if (ownLoad) {
        EndLoad();
    }
    CompactPaks();
    return result;
}

COGLScene::FileHeader COGLScene::ReadFileHeader(CFile& file) {
    uint8_t bytes[HEADER_SIZE];
    file.Read(bytes, sizeof bytes);
    CRecordReader in(bytes, sizeof bytes);
    FileHeader header;
    usesVWep = in.ReadBool();
    if (usesVWep) {
        PrepareVisibleWeapons();
    }
    in.ReadFloats(backgroundColour, 3);
    in.ReadFloats(ambient, 4);
    header.lightCount = in.ReadInt32();
    header.objectCount = in.ReadInt32();
    header.textureCount = in.ReadInt32();
    header.wantShadows = in.ReadBool();
    for (int32_t& slot : header.lightSlots) {
        slot = in.ReadInt32();
    }
    for (int32_t& slot : header.planeSlots) {
        slot = in.ReadInt32();
    }
    shadows.blend = in.ReadBool();
    shadows.alpha = in.ReadFloat();
    header.pakCount = in.ReadInt32();
    return header;
}

// Visible weapons and flags: their archives and skins, named by the editor's
// settings. The outcome does not change the load's result.
void COGLScene::PrepareVisibleWeapons() {
    const CSettingsStore& store = settings != nullptr ? *settings : AppSettings();
    vwepEnabled = store.Read(Setting::vwepEnabled) != 0;
    if (!vwepEnabled) {
        return;
    }
    const std::string vwepPath = store.Read(Setting::vwepPakFile);
    if (!vwepPath.empty()) {
        vwepPak = GetPak(FindOrOpenPak(vwepPath));
    }
    const std::string ctfPath = store.Read(Setting::ctfPakFile);
    if (!ctfPath.empty()) {
        ctfPak = GetPak(FindOrOpenPak(ctfPath));
    }
    if (vwepPak != nullptr) {
        LoadSharedSkin(*this, "models/weapons/g_blast/base.pcx", vwepPak, true);
        LoadSharedSkin(*this, "models/weapons/g_flareg/base.pcx", vwepPak, true);
    }
    if (ctfPak != nullptr) {
        LoadSharedSkin(*this, "players/male/flag1.pcx", ctfPak, false);
        LoadSharedSkin(*this, "players/male/flag2.pcx", ctfPak, false);
    }
}

void COGLScene::ReadArchives(CFile& file, int32_t count) {
    CheckCount(file, count, PATH_FIELD_SIZE);
    for (int32_t i = 0; i < count; i++) {
        const std::string path = ReadPathField(file);
        const AssetId archive = path.empty() ? AssetId() : assets->LocateNamed(path);
        if (!archive.IsValid()) {
            continue;
        }
        if (FindOrOpenPak(archive.path) < 0) {
            paks.push_back(nullptr);  // keeps later archives at their indices
        }
    }
}

void COGLScene::ReadBackground(CFile& file) {
    if (ReadByte(file) == 0) {
        return;
    }
    std::unique_ptr<COGLTexture2D> image = ReadTextureRecord(file);
    if (image && PrepareTexture(image.get())) {
        background = std::move(image);
        hasBackground = true;
    }
}

// The texture record: pakIndex, useDefaultPalette, path. Accepted when the
// file or the archive entry exists; the picture loads later.
std::unique_ptr<COGLTexture2D> COGLScene::ReadTextureRecord(CFile& file) {
    uint8_t record[TEXTURE_RECORD_SIZE];
    file.Read(record, sizeof record);
    CRecordReader in(record, sizeof record);
    const int32_t pakIndex = in.ReadInt32();
    const bool useDefaultPalette = in.ReadBool();
    std::string path = in.ReadPath(PATH_FIELD_SIZE);

    if (pakIndex < 0) {
        // A loose file's palette flag is read and not used.
        const AssetId picture = assets->LocateNamed(path);
        if (!picture.IsValid()) {
            return nullptr;
        }
        return std::make_unique<COGLTexture2D>(picture, false);
    }
    CPakFile* pak = GetPak(pakIndex);
    const AssetId entry = pak != nullptr ? assets->ResolveEntry(*pak, path) : AssetId();
    assets->NoteArchiveEntry(path, pak != nullptr ? pak->GetPath() : "", entry.IsValid());
    if (!entry.IsValid()) {
        return nullptr;
    }
    auto texture = std::make_unique<COGLTexture2D>(entry, useDefaultPalette);
    texture->path = path;
    return texture;
}

void COGLScene::ReadTextureTable(CFile& file, int32_t count) {
    CheckCount(file, count, TEXTURE_RECORD_SIZE, MAX_TEXTURES);
    for (int32_t i = 0; i < count; i++) {
        if (std::unique_ptr<COGLTexture2D> texture = ReadTextureRecord(file)) {
            AddTexture(std::move(texture));
        }
    }
}

void COGLScene::ReadLights(CFile& file, int32_t count, int version) {
    CheckCount(file, count, MIN_LIGHT_BYTES, MAX_LIGHTS);
    for (int32_t i = 0; i < count; i++) {
        std::unique_ptr<COGLLight> light;
        if (ReadInt32(file) == 0) {
            light = std::make_unique<COGLPointLight>(0.0f, 1.0f, 3.0f);
        } else {
            light = std::make_unique<COGLSpotLight>(0.0f, 1.0f, 3.0f);
        }
        light->Load(file, version);
        AddLight(std::move(light));
    }
}

void COGLScene::ReadObjects(CFile& file, int32_t count, int version) {
    CheckCount(file, count, MIN_OBJECT_BYTES, MAX_OBJECTS);
    for (int32_t i = 0; i < count; i++) {
        const int32_t typeCode = ReadInt32(file);
        const ObjectKind* kind = FindObjectKind(typeCode);
        if (kind == nullptr) {
            continue;  // an unknown code is just its four bytes
        }
        std::unique_ptr<COGLObject> object = kind->create();
        if (kind->read(*object, file, version, *this)) {
            AddObject(std::move(object));
        }
    }
}

void COGLScene::ResolveShadowSlots(const FileHeader& header) {
    shadows.lightCount = 0;
    for (int slot = 0; slot < MAX_SHADOW_LIGHTS; slot++) {
        const int32_t index = header.lightSlots[slot];
        if (index >= 0 && static_cast<size_t>(index) < lights.size()) {
            shadows.lights[slot] = lights[static_cast<size_t>(index)].get();
            shadows.lightCount++;
        }
    }
    shadows.planeCount = 0;
    for (int slot = 0; slot < MAX_SHADOW_PLANES; slot++) {
        const int32_t index = header.planeSlots[slot];
        if (index >= 0 && static_cast<size_t>(index) < objects.size()) {
            shadows.planes[slot] = objects[static_cast<size_t>(index)].get();
            shadows.planeCount++;
        }
    }
    shadows.enabled = header.wantShadows && shadows.lights[0] != nullptr && shadows.planes[0] != nullptr;
}

void COGLScene::ReportMissingFiles(const std::vector<std::string>& missing) {
    // Each line is a message box in the viewer; tvntool check lists them all.
    constexpr size_t MAX_LISTED = 20;
    AddToReport("The following files could not be loaded:\r\n", {});
    for (size_t i = 0; i < missing.size() && i < MAX_LISTED; i++) {
        AddToReport("    " + missing[i] + "\r\n", missing[i]);
    }
    if (missing.size() > MAX_LISTED) {
        AddToReport("    and " + std::to_string(missing.size() - MAX_LISTED) + " more\r\n", {});
    }
}

// Archives that were not archives leave null slots while later indices are
// read; the first slot stays whatever it holds.
void COGLScene::CompactPaks() {
    if (paks.size() > 1) {
        paks.erase(std::remove(paks.begin() + 1, paks.end(), nullptr), paks.end());
    }
}
