#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "models/COGLModel.h"
#include "models/COGLSprite.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"
#include "tools/CGltfBuilder.h"
#include "tools/CToolScene.h"
#include "tools/CommandLine.h"
#include "tools/ModelGltf.h"
#include "tools/SceneGltf.h"
#include "tools/ToolCommands.h"

namespace {

const char* const exportUsage = "export SCENE|MODEL [--animation NAME] -o OUT.glb|OUT.gltf";

// "--animation NAME" taken out of the arguments; false when NAME is missing.
bool TakeAnimation(int& argc, char** argv, std::string& animation) {
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--animation") != 0) {
            continue;
        }
        if (i + 1 >= argc || !animation.empty()) {
            return false;
        }
        animation = argv[i + 1];
        std::copy(argv + i + 2, argv + argc, argv + i);
        argc -= 2;
        i--;
    }
    return true;
}

// The scene file with everything in it, as the viewer shows it on opening.
int ExportScene(const std::string& input, const std::filesystem::path& output) {
    CToolScene loaded;
    std::string error;
    // The context only draws shapes to read their triangles back.
    if (!loaded.CreateContext(16, 16, error)) {
        return Fail(EXIT_NOT_A_SCENE, error);
    }
    if (loaded.Load(input) == SceneOpenResult::aborted) {
        return EXIT_NOT_A_SCENE;  // the loader has said why
    }
    CGltfBuilder builder;
    ExportNotes notes;
    AddSceneGltf(builder, *loaded.scene, *loaded.viewport, notes);
    loaded.TakeReport();
    if (!builder.Write(output, error)) {
        return Fail(EXIT_NOT_A_SCENE, error);
    }
    const int code = Conclude(loaded);
    for (const std::string& line : notes.leftOut) {
        Fail(EXIT_INCOMPLETE, line);
    }
    return notes.leftOut.empty() ? code : std::max<int>(code, EXIT_INCOMPLETE);
}

}  // namespace

int RunExport(int argc, char** argv) {
    if (WantsHelp(argc, argv)) {
        std::printf("usage: tvntool %s\n\n"
                    "Writes a scene or a model as glTF 2.0.\n"
                    "A scene: each object a node where the viewer places it (hidden ones too,\n"
                    "marked \"hidden\" in their extras), shapes and texts as the triangles the\n"
                    "viewer draws, one mesh a shape; models as below with every animation;\n"
                    "materials from the colours (shininess as roughness), pictures with\n"
                    "KHR_texture_transform; lights as KHR_lights_punctual, the camera, and the\n"
                    "background and ambient colours as the scene's extras. No shadows.\n"
                    "A model: MD2, players, MDL and SiN: the frames as morph targets, one\n"
                    "animation per named animation, every skin as a material variant (the\n"
                    "worn one the default); a player's weapon as a second mesh. Sprites: a\n"
                    "quad per frame wearing its picture, shown in turn by the animation\n"
                    "\"frames\", blended as the sprite's render mode says.\n"
                    "Half-Life: a mesh skinned to the bones, the default body and skin\n"
                    "family, one animation per sequence (sequence groups included).\n"
                    "--animation NAME keeps that animation alone.\n"
                    "OUT.gltf has OUT.bin and its pictures as OUT_N.png beside it.\n"
                    "Exit 0 when written, 1 when written without files the input names or\n"
                    "without objects it could not hold (each named), 2 when it is no scene or\n"
                    "model this command exports, or the file cannot be written.\n",
                    exportUsage);
        return EXIT_LOADED;
    }
    std::string animation, input, output;
    if (!TakeAnimation(argc, argv, animation) || !ReadInputAndOutput(argc, argv, false, input, output)) {
        return Usage(exportUsage);
    }
    const std::filesystem::path outputPath = output;
    if (input.empty() || (outputPath.extension() != ".glb" && outputPath.extension() != ".gltf")) {
        return Usage(exportUsage);
    }
    if (!IsModelPath(input)) {
        if (!animation.empty()) {
            return Fail(EXIT_USAGE, "--animation is for model files, and " + input + " is none");
        }
        return ExportScene(input, outputPath);
    }
    CToolScene loaded;
    std::unique_ptr<COGLModel> model = LoadChosenModel(input, *loaded.scene);
    loaded.TakeReport();
    if (!model) {
        return EXIT_NOT_A_SCENE;  // the loader has said why
    }
    CGltfBuilder builder;
    ExportNotes notes;
    const int root = AddModelGltf(builder, *model, animation, notes);
    if (root < 0) {
        return Fail(EXIT_NOT_A_SCENE, input + " " + notes.refusal);
    }
    // A sprite loads only with every frame picture, which it may find beside
    // itself rather than where its names say.
    const bool sprite = dynamic_cast<const COGLSprite*>(model.get()) != nullptr;
    bool complete = (sprite || NameFailedSkins(*model)) && loaded.errors.empty();
    for (const std::string& line : notes.leftOut) {
        complete = false;
        Fail(EXIT_INCOMPLETE, line);
    }
    builder.SetRoots({ root });
    std::string error;
    if (!builder.Write(outputPath, error)) {
        return Fail(EXIT_NOT_A_SCENE, error);
    }
    return complete ? EXIT_LOADED : EXIT_INCOMPLETE;
}
