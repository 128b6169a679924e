#include <filesystem>
#include <memory>
#include <string>

#include "models/COGLModel.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"
#include "tools/CGltfBuilder.h"
#include "tools/CToolScene.h"
#include "tools/CommandLine.h"
#include "tools/MorphGltf.h"
#include "tools/MorphModel.h"
#include "tools/ToolCommands.h"

namespace {

const char* const exportUsage = "export MODEL [--animation NAME] -o OUT.glb|OUT.gltf";

}  // namespace

int RunExport(int argc, char** argv) {
    if (WantsHelp(argc, argv)) {
        std::printf("usage: tvntool %s\n\n"
                    "Writes a frame-animated model (MD2, a player's body, MDL, SiN) as glTF 2.0:\n"
                    "frames as morph targets, one animation per named animation, the first\n"
                    "skin as its texture. OUT.gltf has OUT.bin and OUT.png beside it.\n"
                    "Exit 0 when written, 1 when written without files the model names\n"
                    "(each named), 2 when it is not a model this command exports.\n",
                    exportUsage);
        return EXIT_LOADED;
    }
    std::string input, output;
    if (!ReadInputAndOutput(argc, argv, false, input, output)) {
        return Usage(exportUsage);
    }
    const std::filesystem::path outputPath = output;
    const bool binary = outputPath.extension() == ".glb";
    if (input.empty() || (!binary && outputPath.extension() != ".gltf")) {
        return Usage(exportUsage);
    }
    CToolScene loaded;
    std::unique_ptr<COGLModel> model = LoadModelFile(input, *loaded.scene);
    loaded.TakeReport();
    if (!model || !model->IsLoaded()) {
        return EXIT_NOT_A_SCENE;  // the loader has said why
    }
    MorphModel morph;
    if (!GatherMorphModel(*model, morph)) {
        if (morph.tooLarge) {
            return Fail(EXIT_NOT_A_SCENE, input + " has more frames than an export can hold");
        }
        return Fail(EXIT_NOT_A_SCENE, input + " is a " + model->Kind() + "; export takes MD2, MDL and SiN models");
    }
    bool complete = NameFailedSkins(*model) && loaded.errors.empty();
    for (const std::string& name : morph.leftOut) {
        complete = false;
        Fail(EXIT_INCOMPLETE, "the animation " + name + " has another vertex count than the first and is left out");
    }
    CGltfBuilder builder;
    builder.SetRoots({ AddMorphModel(builder, *model, morph, AddSkinMaterials(builder, *model)) });
    std::string error;
    if (!builder.Write(outputPath, error)) {
        return Fail(EXIT_NOT_A_SCENE, error);
    }
    return complete ? EXIT_LOADED : EXIT_INCOMPLETE;
}
