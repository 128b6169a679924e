#include "scene/SceneFile.h"

#include <new>

#include "diag/CDiagnostics.h"
#include "platform/CAssetSource.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "platform/RecordIO.h"
#include "platform/StringTable.h"
#include "scene/COGLScene.h"
#include "platform/WindowsPath.h"
#include "scene/ModelScene.h"

namespace {

constexpr int MSG_INCOMPATIBLE_VERSION = 115;
// A scene of far more objects than any editor made; a larger file is refused unread.
constexpr uint64_t MAX_SCENE_FILE_SIZE = 64u << 20;
constexpr int MSG_NOT_A_TAV_FILE = 116;

std::string FormatMessage(int id, const std::string& argument) {
    std::string text = GetStringResource(id);
    const size_t marker = text.find("%1");
    if (marker != std::string::npos) {
        text.replace(marker, 2, argument);
    }
    return text + "\r\n";
}

SceneOpenResult AbortLoad(COGLScene& scene, const std::string& path, const std::string& why) {
    LogLine("Scene file " + path + ": " + why + "\n");
    scene.AddToReport("An execption occured while loading the scene file.\r\n", path);
    return SceneOpenResult::aborted;
}

}  // namespace

SceneOpenResult OpenSceneFile(const std::string& path, COGLScene& scene, CSceneView& view,
                              const ModelSceneChoice& choice) {
    if (IsModelPath(path)) {
        return OpenModelScene(path, scene, view, choice);
    }
    const PathParts parts = SplitPath(path);
    scene.BeginLoad(parts.drive + parts.folder);
    CAssetSource& assets = *scene.Assets();
    std::vector<uint8_t> bytes;
    const AssetRead read = assets.Read(assets.ResolveFile(path), MAX_SCENE_FILE_SIZE, bytes);
    SceneOpenResult result = SceneOpenResult::aborted;
    if (read == AssetRead::missing) {
        scene.AddToReport("Error opening scene file: " + path + "\r\n", path);
    } else if (read == AssetRead::tooLarge) {
        result = AbortLoad(scene, path, "larger than any scene file");
    } else {
        CFile file;
        file.OpenMemory(bytes.data(), bytes.size(), path);
        result = ReadSceneFile(file, path, scene, view);
    }
    scene.EndLoad();
    return result;
}

SceneOpenResult ReadSceneFile(CFile& file, const std::string& path, COGLScene& scene, CSceneView& view) {
    SceneOpenResult result = SceneOpenResult::aborted;
    try {
        uint8_t start[8] = {};
        // A file too short for the magic is no scene, not a damaged one.
        const bool hasMagic = file.GetLength() >= 4;
        if (hasMagic) {
            file.Read(start, 4);
        }
        if (!hasMagic || start[0] != 'T' || start[1] != 'A' || start[2] != 'V' || start[3] != '2') {
            scene.AddToReport(FormatMessage(MSG_NOT_A_TAV_FILE, path), path);
        } else {
            file.Read(start + 4, 4);
            const int32_t version = CRecordReader(start + 4, 4).ReadInt32();
            if (version < 5) {
                scene.AddToReport(FormatMessage(MSG_INCOMPATIBLE_VERSION, path), path);
            } else if (scene.LoadScene(file, view, version)) {
                result = SceneOpenResult::loaded;
            } else {
                result = SceneOpenResult::incomplete;
            }
        }
    } catch (const CFileException& e) {
        return AbortLoad(scene, path, e.Describe());
    } catch (const std::bad_alloc&) {
        // A model or picture too big for this machine: the user keeps the
        // dialog and the rest of the program.
        return AbortLoad(scene, path, "out of memory");
    }
    file.Close();
    scene.HideLightMarkers();
    scene.StartAnimations();
    return result;
}
