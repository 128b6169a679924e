// Scene files are the program's main input: any bytes must load, load in
// part, or be refused with a message, and never take the program down.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSetUp.h"
#include "platform/CFile.h"
#include "platform/CSettingsStore.h"
#include "scene/COGLScene.h"
#include "scene/SceneFile.h"
#include "view/COGLViewport3D.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetUpReading();
    // A settings file that cannot be written: the viewport stores its
    // switches on the way out.
    static CSettingsStore settings("/dev/null/orrin-fuzz/TAV.ini");

    CFile file;
    if (!file.OpenMemory(data, size)) {
        return 0;
    }
    COGLViewport3D viewport(settings);
    COGLScene scene;
    ReadSceneFile(file, "fuzz.tvn", scene, viewport);
    return 0;
}
