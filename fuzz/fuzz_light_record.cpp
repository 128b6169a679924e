// Light records come straight from scene files: any bytes must either load
// or throw the file exception, and the loaded light must apply and go away
// cleanly. The first byte picks the kind, as the type code before a light
// record does.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzz/FuzzSetUp.h"
#include "objects/COGLPointLight.h"
#include "objects/COGLSpotLight.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "platform/CGLState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CFuzzRun run;
    if (size < 1) {
        return 0;
    }
    CFile file;
    if (!file.OpenMemory(data + 1, size - 1)) {
        return 0;
    }
    std::unique_ptr<COGLLight> light;
    if (data[0] == 0) {
        light = std::make_unique<COGLPointLight>(0.0f, 1.0f, 3.0f);
    } else {
        light = std::make_unique<COGLSpotLight>(0.0f, 1.0f, 3.0f);
    }
    try {
        light->Load(file, 6);
        CGLState gl;
        gl.Reset(GLS_DEPTH_TEST | GLS_DEPTH_WRITE | GLS_COLOR_WRITE);
        light->Apply(gl);
    } catch (const CFileException&) {
    }
    return 0;
}
