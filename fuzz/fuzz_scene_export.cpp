// A scene file exported to glTF: whatever a scene that loads holds (forged
// sizes, colours, texts, lights, models), its export reads the triangles
// back within its caps and writes a document, never taking the tool down.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzSetUp.h"
#include "platform/CFile.h"
#include "platform/CSettingsStore.h"
#include "scene/COGLScene.h"
#include "scene/SceneFile.h"
#include "tools/CGltfBuilder.h"
#include "tools/ModelGltf.h"
#include "tools/SceneGltf.h"
#include "view/COGLViewport3D.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CFuzzRun run;
    static CSettingsStore settings("/dev/null/orrin-fuzz/TAV.ini");
    CFile file;
    if (!file.OpenMemory(data, size)) {
        return 0;
    }
    COGLViewport3D viewport(settings);
    COGLScene scene;
    ReadSceneFile(file, "fuzz.tvn", scene, viewport);
    CGltfBuilder builder;
    ExportNotes notes;
    AddSceneGltf(builder, scene, viewport, notes);
    std::string error;
    builder.Write(FuzzFolder() + "out.glb", error);
    return 0;
}
