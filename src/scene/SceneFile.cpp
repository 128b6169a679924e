#include "scene/SceneFile.h"

#include <new>

#include "diag/CDiagnostics.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "platform/RecordIO.h"
#include "platform/StringTable.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"

namespace {

constexpr int MSG_INCOMPATIBLE_VERSION = 115;
constexpr int MSG_NOT_A_TAV_FILE = 116;

std::string FormatMessage(int id, const std::string& argument) {
    std::string text = GetStringResource(id);
    const size_t marker = text.find("%1");
    if (marker != std::string::npos) {
        text.replace(marker, 2, argument);
    }
    return text + "\r\n";
}

SceneOpenResult AbortLoad(const std::string& path, const std::string& why) {
    LogLine("Scene file " + path + ": " + why + "\n");
    ReportError("An execption occured while loading the scene file.\r\n");
    return SceneOpenResult::aborted;
}

}  // namespace

SceneOpenResult OpenSceneFile(const std::string& path, COGLScene& scene, CSceneView& view) {
    if (IsModelPath(path)) {
        return OpenModelScene(path, scene, view);
    }
    CFile file;
    if (!file.Open(path, CFile::modeRead)) {
        ReportError("Error opening scene file: " + path + "\r\n");
        return SceneOpenResult::aborted;
    }
    return ReadSceneFile(file, path, scene, view);
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
            ReportError(FormatMessage(MSG_NOT_A_TAV_FILE, path));
        } else {
            file.Read(start + 4, 4);
            const int32_t version = CRecordReader(start + 4, 4).ReadInt32();
            if (version < 5) {
                ReportError(FormatMessage(MSG_INCOMPATIBLE_VERSION, path));
            } else if (scene.LoadScene(file, view, version)) {
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
