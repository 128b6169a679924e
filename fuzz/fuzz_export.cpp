// A model file exported to glTF: any bytes either load and come out as a
// document within the export's budget, or are refused with a message;
// whatever counts, frames and animations a forged model claims, the export
// reads only what the parsed model holds.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/FuzzSetUp.h"
#include "models/COGLModel.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"
#include "tools/CGltfBuilder.h"
#include "tools/ModelGltf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetUpReading();
    // ".mdl" makes it a model whatever its bytes; the signature picks the reader.
    const std::string path = WriteFuzzFile("model.mdl", data, size);
    COGLScene scene;
    const std::unique_ptr<COGLModel> model = LoadChosenModel(path, scene);
    if (model == nullptr) {
        return 0;
    }
    CGltfBuilder builder;
    ExportNotes notes;
    const int root = AddModelGltf(builder, *model, "", notes);
    if ((root < 0) == notes.refusal.empty()) {
        __builtin_trap();  // a refusal says why, and only a refusal does
    }
    if (root >= 0) {
        builder.SetRoots({ root });
        std::string error;
        builder.Write(FuzzFolder() + "out.glb", error);
    }
    return 0;
}
