// A model file opened on its own, as a file manager's thumbnailer does: any
// bytes either show in the scene made for them, which then animates and
// draws with its floor, lights and shadows, or are refused with a message.
// Whatever the bounds a forged model gives, the stage must not break.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "fuzz/FuzzSetUp.h"
#include "platform/CSettingsStore.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"
#include "view/COGLViewport3D.h"

namespace {

// One file per process, rewritten for every input; ".mdl" makes it a model
// whatever its bytes, the signature picks the reader.
const std::string& InputPath() {
    static const std::string path = [] {
        char pattern[] = "/tmp/orrin-fuzz-model-XXXXXX";
        const int descriptor = mkstemp(pattern);
        if (descriptor < 0) {
            std::abort();
        }
        close(descriptor);
        std::remove(pattern);
        return std::string(pattern) + ".mdl";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetUpFuzzing();
    FILE* file = std::fopen(InputPath().c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::abort();
    }
    static CSettingsStore settings("/dev/null/orrin-fuzz/TAV.ini");
    COGLViewport3D viewport(settings);
    viewport.width = 64;
    viewport.height = 64;
    COGLScene scene;
    if (OpenModelScene(InputPath(), scene, viewport) != SceneOpenResult::aborted) {
        for (int tick = 0; tick < 3; tick++) {
            scene.AnimateAll();
            viewport.Draw(scene);
        }
    }
    std::remove(InputPath().c_str());
    return 0;
}
