// A model file opened on its own, as a file manager's thumbnailer does: any
// bytes either load into the scene made for them, which then animates, or
// are refused with a message. Whatever the bounds a forged model gives, the
// stage must not break.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzSetUp.h"
#include "platform/CSettingsStore.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"
#include "view/COGLViewport3D.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetUpReading();
    // ".mdl" makes it a model whatever its bytes; the signature picks the reader.
    const std::string path = WriteFuzzFile("model.mdl", data, size);
    static CSettingsStore settings("/dev/null/orrin-fuzz/TAV.ini");
    COGLViewport3D viewport(settings);
    viewport.width = 64;
    viewport.height = 64;
    COGLScene scene;
    if (OpenModelScene(path, scene, viewport) != SceneOpenResult::aborted) {
        for (int tick = 0; tick < 3; tick++) {
            scene.AnimateAll();
        }
    }
    return 0;
}
