#include "scene/SceneFile.h"

#include <memory>
#include <new>

#include "diag/CDiagnostics.h"
#include "image/COGLTexture2D.h"
#include "models/COGLMD2.h"
#include "objects/COGLObject.h"
#include "objects/COGLPointLight.h"
#include "objects/COGLSpotLight.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "platform/CSettingsStore.h"
#include "platform/RecordIO.h"
#include "platform/SettingsKeys.h"
#include "platform/StringTable.h"
#include "platform/WindowsPath.h"
#include "scene/CFileLocator.h"
#include "scene/COGLScene.h"
#include "scene/CPakFile.h"
#include "scene/ObjectFactory.h"
#include "view/COGLViewport3D.h"

namespace {

constexpr int MSG_VWEP_SKINS = 112;
constexpr int MSG_INCOMPATIBLE_VERSION = 115;
constexpr int MSG_NOT_A_TAV_FILE = 116;

constexpr size_t PATH_FIELD_SIZE = 260;
constexpr size_t TEXTURE_RECORD_SIZE = 4 + 1 + PATH_FIELD_SIZE;
constexpr size_t SCENE_HEADER_SIZE = 107 - 8;  // usesVWep to pakCount, after the version

// The fewest bytes one record of each list can take, to refuse counts the
// rest of the file cannot hold before anything is made for them.
constexpr uint64_t MIN_LIGHT_BYTES = 4 + 172;
constexpr uint64_t MIN_OBJECT_BYTES = 4;

// Text and the model kinds carry records whose length only their own readers
// know; until a reader exists the rest of the file cannot be followed.
bool HasUnreadableRecord(int32_t typeCode) {
    return typeCode == 7 || (typeCode >= 13 && typeCode <= 15) || typeCode == 17 || typeCode == 18;
}

std::string FormatMessage(int id, const std::string& argument) {
    std::string text = GetStringResource(id);
    const size_t marker = text.find("%1");
    if (marker != std::string::npos) {
        text.replace(marker, 2, argument);
    }
    return text + "\r\n";
}

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

std::string ReadPathField(CFile& file) {
    uint8_t field[PATH_FIELD_SIZE];
    file.Read(field, sizeof field);
    CRecordReader in(field, sizeof field);
    return in.ReadPath(PATH_FIELD_SIZE);
}

// The texture record: pakIndex, useDefaultPalette, path. Accepted when the
// file or the archive entry exists; the picture loads later.
std::unique_ptr<COGLTexture2D> ReadTextureRecord(CFile& file, COGLScene& scene) {
    uint8_t record[TEXTURE_RECORD_SIZE];
    file.Read(record, sizeof record);
    CRecordReader in(record, sizeof record);
    const int32_t pakIndex = in.ReadInt32();
    const bool useDefaultPalette = in.ReadBool();
    std::string path = in.ReadPath(PATH_FIELD_SIZE);

    auto texture = std::make_unique<COGLTexture2D>();
    if (pakIndex < 0) {
        // A loose file's palette flag is read and not used.
        if (!scene.Locator()->Locate(path) || !texture->SetSource(path, nullptr, false)) {
            return nullptr;
        }
        return texture;
    }
    CPakFile* pak = scene.GetPak(pakIndex);
    const bool inArchive = pak != nullptr && pak->FindEntry(path) != nullptr;
    scene.Locator()->NoteArchiveEntry(path, pak != nullptr ? pak->GetPath() : "", inArchive);
    if (!inArchive || !texture->SetSource(path, pak, useDefaultPalette)) {
        return nullptr;
    }
    return texture;
}

void LoadSharedSkin(COGLScene& scene, const char* name, CPakFile* pak, bool useDefaultPalette) {
    if (scene.FindOrLoadTexture(name, pak, "", useDefaultPalette, false) == nullptr) {
        ReportErrorId(MSG_VWEP_SKINS);
    }
}

// Visible weapons and flags: their archives and skins, named by the editor's
// settings. The outcome does not change the load's result.
void PrepareVisibleWeapons(COGLScene& scene) {
    CSettingsStore& settings = AppSettings();
    scene.vwepEnabled = settings.Read(Setting::vwepEnabled) != 0;
    if (!scene.vwepEnabled) {
        return;
    }
    const std::string vwepPath = settings.Read(Setting::vwepPakFile);
    if (!vwepPath.empty()) {
        scene.vwepPak = scene.GetPak(scene.FindOrOpenPak(vwepPath));
    }
    const std::string ctfPath = settings.Read(Setting::ctfPakFile);
    if (!ctfPath.empty()) {
        scene.ctfPak = scene.GetPak(scene.FindOrOpenPak(ctfPath));
    }
    if (scene.vwepPak != nullptr) {
        LoadSharedSkin(scene, "models/weapons/g_blast/base.pcx", scene.vwepPak, true);
        LoadSharedSkin(scene, "models/weapons/g_flareg/base.pcx", scene.vwepPak, true);
    }
    if (scene.ctfPak != nullptr) {
        LoadSharedSkin(scene, "players/male/flag1.pcx", scene.ctfPak, false);
        LoadSharedSkin(scene, "players/male/flag2.pcx", scene.ctfPak, false);
    }
}

SceneOpenResult AbortLoad(const std::string& path, const std::string& why) {
    LogLine("Scene file " + path + ": " + why + "\n");
    ReportError("An execption occured while loading the scene file.\r\n");
    return SceneOpenResult::aborted;
}

}  // namespace

bool COGLScene::LoadScene(CFile& file, COGLViewport3D& viewport, int version) {
    const PathParts sceneParts = SplitPath(file.GetFilePath());
    locator = std::make_unique<CFileLocator>(sceneParts.drive + sceneParts.folder);
    fileVersion = version;
    bool result = true;

    uint8_t header[SCENE_HEADER_SIZE];
    file.Read(header, sizeof header);
    CRecordReader in(header, sizeof header);
    usesVWep = in.ReadBool();
    if (usesVWep) {
        PrepareVisibleWeapons(*this);
    }
    in.ReadFloats(backgroundColour, 3);
    in.ReadFloats(ambient, 4);
    const int32_t lightCount = in.ReadInt32();
    const int32_t objectCount = in.ReadInt32();
    const int32_t textureCount = in.ReadInt32();
    const bool wantShadows = in.ReadBool();
    int32_t lightSlots[MAX_SHADOW_LIGHTS];
    int32_t planeSlots[MAX_SHADOW_PLANES];
    for (int32_t& slot : lightSlots) {
        slot = in.ReadInt32();
    }
    for (int32_t& slot : planeSlots) {
        slot = in.ReadInt32();
    }
    shadowBlend = in.ReadBool();
    shadowAlpha = in.ReadFloat();
    const int32_t pakCount = in.ReadInt32();

    CheckCount(file, pakCount, PATH_FIELD_SIZE);
    for (int32_t i = 0; i < pakCount; i++) {
        std::string path = ReadPathField(file);
        if (path.empty() || !locator->Locate(path)) {
            continue;
        }
        if (FindOrOpenPak(path) < 0) {
            paks.push_back(nullptr);  // keeps later archives at their indices
        }
    }

    uint8_t hasBackgroundByte = 0;
    file.Read(&hasBackgroundByte, 1);
    if (hasBackgroundByte != 0) {
        std::unique_ptr<COGLTexture2D> image = ReadTextureRecord(file, *this);
        if (image && image->Prepare()) {
            ApplyTextureFilter(*image);
            background = std::move(image);
            hasBackground = true;
        }
    }
    if (version >= 6) {
        viewport.Load(file, version);
    }
    viewport.camera.Load(file, version);

    CheckCount(file, textureCount, TEXTURE_RECORD_SIZE);
    for (int32_t i = 0; i < textureCount; i++) {
        if (std::unique_ptr<COGLTexture2D> texture = ReadTextureRecord(file, *this)) {
            AddTexture(std::move(texture));
        }
    }

    CheckCount(file, lightCount, MIN_LIGHT_BYTES);
    for (int32_t i = 0; i < lightCount; i++) {
        uint8_t typeBytes[4];
        file.Read(typeBytes, 4);
        const int32_t lightType = CRecordReader(typeBytes, 4).ReadInt32();
        std::unique_ptr<COGLLight> light;
        if (lightType == 0) {
            light = std::make_unique<COGLPointLight>(0.0f, 1.0f, 3.0f);
        } else {
            light = std::make_unique<COGLSpotLight>(0.0f, 1.0f, 3.0f);
        }
        light->Load(file, version);
        AddLight(std::move(light));
    }

    CheckCount(file, objectCount, MIN_OBJECT_BYTES);
    for (int32_t i = 0; i < objectCount; i++) {
        uint8_t codeBytes[4];
        file.Read(codeBytes, 4);
        const int32_t typeCode = CRecordReader(codeBytes, 4).ReadInt32();
        if (HasUnreadableRecord(typeCode)) {
            ReportError("Objects of type " + std::to_string(typeCode) +
                        " cannot be shown yet; the rest of the scene was skipped.\r\n");
            result = false;
            break;
        }
        if (typeCode == COGLMD2::TYPE_CODE) {
            auto model = std::make_unique<COGLMD2>();
            model->LoadModel(file, version, *this);
            if (model->loaded) {
                AddObject(std::move(model));
            }
            continue;
        }
        std::unique_ptr<COGLObject> object = CreateSimpleObject(typeCode);
        if (!object) {
            continue;  // an unknown code is just its four bytes
        }
        const int textureIndex = object->Load(file, version);
        if (textureIndex != -1) {
            SetTextureFromTable(*object, textureIndex);
        }
        AddObject(std::move(object));
    }

    shadowLightCount = 0;
    for (int slot = 0; slot < MAX_SHADOW_LIGHTS; slot++) {
        if (lightSlots[slot] >= 0 && static_cast<size_t>(lightSlots[slot]) < lights.size()) {
            shadowLights[slot] = lights[static_cast<size_t>(lightSlots[slot])].get();
            shadowLightCount++;
        }
    }
    shadowPlaneCount = 0;
    for (int slot = 0; slot < MAX_SHADOW_PLANES; slot++) {
        if (planeSlots[slot] >= 0 && static_cast<size_t>(planeSlots[slot]) < objects.size()) {
            shadowPlanes[slot] = objects[static_cast<size_t>(planeSlots[slot])].get();
            shadowPlaneCount++;
        }
    }
    shadowsEnabled = wantShadows && shadowLights[0] != nullptr && shadowPlanes[0] != nullptr;

    if (!locator->Missing().empty()) {
        locator->ReportMissing();
        result = false;
    }
    fileLookups = locator->TakeLookups();
    locator.reset();
    for (size_t i = paks.size(); i-- > 1;) {
        if (!paks[i]) {
            paks.erase(paks.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    return result;
}

SceneOpenResult OpenSceneFile(const std::string& path, COGLScene& scene, COGLViewport3D& viewport) {
    CFile file;
    if (!file.Open(path, CFile::modeRead)) {
        ReportError("Error opening scene file\r\n");
        return SceneOpenResult::aborted;
    }
    return ReadSceneFile(file, path, scene, viewport);
}

SceneOpenResult ReadSceneFile(CFile& file, const std::string& path, COGLScene& scene, COGLViewport3D& viewport) {
    SceneOpenResult result = SceneOpenResult::aborted;
    try {
        uint8_t start[8] = {};
        // A file too short for the magic is no scene, not a damaged one.
        const bool hasMagic = file.GetLength() >= 4;
        if (hasMagic) {
            file.Read(start, 4);
        }
        if (!hasMagic || start[0] != 'T' || start[1] != 'A' || start[2] != 'V' || start[3] != '2') {
            ReportError(FormatMessage(MSG_NOT_A_TAV_FILE, path));
        } else {
            file.Read(start + 4, 4);
            const int32_t version = CRecordReader(start + 4, 4).ReadInt32();
            if (version < 5) {
                ReportError(FormatMessage(MSG_INCOMPATIBLE_VERSION, path));
            } else if (scene.LoadScene(file, viewport, version)) {
                result = SceneOpenResult::loaded;
            } else {
                result = SceneOpenResult::incomplete;
            }
        }
    } catch (const CFileException& e) {
        return AbortLoad(path, e.Describe());
    } catch (const std::bad_alloc&) {
        // A model or picture too big for this machine: the user keeps the
        // dialog and the rest of the program.
        return AbortLoad(path, "out of memory");
    }
    file.Close();
    scene.HideLightMarkers();
    scene.StartAnimations();
    return result;
}
