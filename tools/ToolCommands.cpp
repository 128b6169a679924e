#include "tools/ToolCommands.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "image/COGLTexture2D.h"
#include "models/COGLHLModel.h"
#include "models/COGLModel.h"
#include "models/COGLPlayer.h"
#include "models/COGLSBM.h"
#include "models/COGLSprite.h"
#include "models/ModelFiles.h"
#include "platform/BufferedStream.h"
#include "platform/CPakFile.h"
#include "platform/WindowsPath.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"
#include "tools/CToolScene.h"
#include "tools/CommandLine.h"
#include "tools/SceneComposer.h"
#include "tools/SceneJson.h"

namespace {

// "[--json] FILE" in any order; false when anything else is there.
bool ParseJsonAndPath(int argc, char** argv, bool& asJson, std::string& path) {
    for (int i = 1; i < argc; i++) {
        const std::string argument = argv[i];
        if (argument == "--json") {
            asJson = true;
        } else if (path.empty() && (argument.empty() || argument[0] != '-')) {
            path = argument;
        } else {
            return false;
        }
    }
    return !path.empty();
}

const char* const infoUsage = "info [--json] SCENE";
const char* const composeUsage = "compose IN.json -o OUT.tvn";
const char* const checkUsage = "check SCENE";
const char* const modelUsage = "model [--json] FILE";

}  // namespace

int RunInfo(int argc, char** argv) {
    if (WantsHelp(argc, argv)) {
        std::printf("usage: tvntool %s\n\n"
                    "Loads the scene as the viewer does and prints what it holds.\n"
                    "Exit 0 when it loaded completely, 1 when files were missing or invalid,\n"
                    "2 when it is not a scene or cannot be read.\n",
                    infoUsage);
        return EXIT_LOADED;
    }
    bool asJson = false;
    std::string path;
    if (!ParseJsonAndPath(argc, argv, asJson, path)) {
        return Usage(infoUsage);
    }
    CToolScene loaded;
    if (loaded.Load(path) == SceneOpenResult::aborted) {
        return EXIT_NOT_A_SCENE;  // the loader has said why
    }
    const nlohmann::ordered_json description = DescribeScene(loaded);
    if (asJson) {
        std::cout << description.dump(2) << '\n';
    } else {
        std::cout << "file:     " << path << '\n'
                  << "version:  " << description["version"] << '\n'
                  << "loaded:   " << (loaded.result == SceneOpenResult::loaded ? "yes" : "no") << '\n'
                  << "paks:     " << description["paks"].size() << '\n'
                  << "textures: " << description["textures"].size() << '\n'
                  << "lights:   " << description["lights"].size() << '\n'
                  << "objects:  " << description["objects"].size() << '\n';
        for (const auto& object : description["objects"]) {
            std::cout << "  " << object["class"].get<std::string>() << " \"" << object["name"].get<std::string>()
                      << "\" at " << object["position"].dump() << '\n';
        }
        for (const auto& missing : description["missing"]) {
            std::cout << "missing:  " << missing.get<std::string>() << '\n';
        }
    }
    return Conclude(loaded);
}

int RunCompose(int argc, char** argv) {
    if (WantsHelp(argc, argv)) {
        std::printf("usage: tvntool %s\n\n"
                    "Writes a version-6 scene file from JSON shaped like the output of\n"
                    "'tvntool info --json'; fields left out take each class's defaults.\n"
                    "Exit 0 when written, 2 when the JSON cannot be used.\n",
                    composeUsage);
        return EXIT_LOADED;
    }
    std::string input, output;
    if (!ReadInputAndOutput(argc, argv, true, input, output) || input.empty() || output.empty()) {
        return Usage(composeUsage);
    }
    std::ifstream file(input);
    if (input != "-" && !file) {
        return Fail(EXIT_NOT_A_SCENE, "cannot read " + input);
    }
    const nlohmann::json description = nlohmann::json::parse(input == "-" ? std::cin : file, nullptr, false);
    if (description.is_discarded()) {
        return Fail(EXIT_NOT_A_SCENE, input + " is not JSON");
    }
    std::string error;
    if (!ComposeScene(description, output, error)) {
        return Fail(EXIT_NOT_A_SCENE, input + ": " + error);
    }
    return EXIT_LOADED;
}

int RunCheck(int argc, char** argv) {
    if (WantsHelp(argc, argv)) {
        std::printf("usage: tvntool %s\n\n"
                    "Lists every file the scene names, found or not, with the path looked at.\n"
                    "Exit 0 only when all are found and nothing was reported; 1 when files are missing\n"
                    "or invalid; 2 when it is not a scene.\n",
                    checkUsage);
        return EXIT_LOADED;
    }
    if (argc != 2 || argv[1][0] == '-') {
        return Usage(checkUsage);
    }
    CToolScene loaded;
    if (loaded.Load(argv[1]) == SceneOpenResult::aborted) {
        return EXIT_NOT_A_SCENE;
    }
    for (const FileLookup& lookup : loaded.scene->fileLookups) {
        std::printf("%-8s %s -> %s\n", lookup.found ? "found" : "MISSING", lookup.asked.c_str(), lookup.used.c_str());
    }
    // A player's weapons and flag are found by listing its folder and the
    // CTF archive, not by name.
    for (const std::unique_ptr<COGLObject>& object : loaded.scene->objects) {
        const auto* player = dynamic_cast<const COGLPlayer*>(object.get());
        if (player == nullptr) {
            continue;
        }
        for (const std::unique_ptr<COGLMD2>& weapon : player->weapons) {
            std::printf("%-8s %s -> %s\n", "weapon", weapon->name.c_str(), weapon->path.c_str());
        }
        if (player->flag != nullptr && player->flag->pak != nullptr) {
            std::printf("%-8s %s -> %s\n", "flag", player->flag->path.c_str(), player->flag->pak->GetPath().c_str());
        }
    }
    // A Half-Life model reads its texture and sequence-group files by the
    // model's own name; one that lacks any was reported and left out.
    for (const std::unique_ptr<COGLObject>& object : loaded.scene->objects) {
        if (const auto* hlModel = dynamic_cast<const COGLHLModel*>(object.get())) {
            for (const std::string& companion : hlModel->CompanionFiles()) {
                std::printf("%-8s %s -> %s\n", "needs", companion.c_str(),
                            hlModel->pak != nullptr ? hlModel->pak->GetPath().c_str() : companion.c_str());
            }
        }
    }
    // A sprite's frame pictures are found by the names inside its file.
    for (const std::unique_ptr<COGLObject>& object : loaded.scene->objects) {
        const auto* sprite = dynamic_cast<const COGLSprite*>(object.get());
        if (sprite == nullptr) {
            continue;
        }
        const std::vector<std::string> pictures = sprite->SkinNames();
        for (size_t i = 0; i < pictures.size() && i < sprite->frames.size(); i++) {
            const COGLTexture2D* frame = sprite->frames[i];
            const std::string where = frame->source.InArchive() ? frame->source.archive->GetPath() : frame->path;
            std::printf("%-8s %s -> %s\n", "frame", pictures[i].c_str(), where.c_str());
        }
    }
    // A SiN model's mesh, animations and skins are named by its definition.
    for (const std::unique_ptr<COGLObject>& object : loaded.scene->objects) {
        const auto* sin = dynamic_cast<const COGLSBM*>(object.get());
        if (sin == nullptr) {
            continue;
        }
        const std::string archive = sin->pak != nullptr ? sin->pak->GetPath() : "";
        const std::string& meshPath = sin->data->meshPath;
        std::printf("%-8s %s -> %s\n", "mesh", meshPath.c_str(), sin->pak != nullptr ? archive.c_str() : meshPath.c_str());
        for (const std::unique_ptr<CSinAnimation>& animation : sin->data->animations) {
            const std::string where = sin->pak != nullptr ? archive : animation->file;
            std::printf("%-8s %s -> %s\n", "anim", animation->name.c_str(), where.c_str());
        }
        for (const std::string& skinFile : sin->SkinNames()) {
            const COGLTexture2D* skin = sin->FindSkin(skinFile);
            const std::string where = skin == nullptr             ? "MISSING"
                                      : skin->source.InArchive() ? skin->source.archive->GetPath()
                                                                 : skin->path;
            std::printf("%-8s %s -> %s\n", "skin", skinFile.c_str(), where.c_str());
        }
    }
    return Conclude(loaded);
}

int RunModel(int argc, char** argv) {
    if (WantsHelp(argc, argv)) {
        std::printf("usage: tvntool %s\n\n"
                    "Loads one model file as a scene would and prints what info prints for a\n"
                    "model, with its kind, vertices, triangles and the bounds of frame 0.\n"
                    "Exit 0 when it loaded, 1 when its skins are missing or invalid, 2 when it\n"
                    "is not a model file the viewer reads or is invalid.\n",
                    modelUsage);
        return EXIT_LOADED;
    }
    bool asJson = false;
    std::string path;
    if (!ParseJsonAndPath(argc, argv, asJson, path)) {
        return Usage(modelUsage);
    }
    CToolScene loaded;
    std::unique_ptr<COGLModel> model = LoadModelFile(path, *loaded.scene);
    loaded.TakeReport();
    if (!model || !model->IsLoaded()) {
        return EXIT_NOT_A_SCENE;  // the loader has said why
    }
    const auto* sprite = dynamic_cast<const COGLSprite*>(model.get());
    nlohmann::ordered_json description = sprite != nullptr ? DescribeSprite(*sprite) : DescribeModel(*model);
    if (sprite != nullptr) {
        nlohmann::ordered_json frames = nlohmann::ordered_json::array();
        for (const COGLSprite::FrameInfo& frame : sprite->frameInfo) {
            frames.push_back({ { "width", frame.width }, { "height", frame.height }, { "title", frame.title } });
        }
        description["frames"] = frames;
    }
    CVector min, max;
    model->FrameBounds(0, min, max);
    description["kind"] = model->Kind();
    description["class"] = model->ClassName();
    description["vertices"] = model->VertexCount();
    description["triangles"] = model->TriangleCount();
    description["skinNames"] = model->SkinNames();
    description["bounds"] = { { "min", { min.x, min.y, min.z } }, { "max", { max.x, max.y, max.z } } };
    description["errors"] = loaded.errors;
    RecordTextsToUtf8(description);
    if (asJson) {
        std::cout << description.dump(2) << '\n';
    } else {
        std::cout << "file:       " << path << '\n'
                  << "kind:       " << model->Kind() << '\n'
                  << "frames:     " << description["frameCount"] << '\n'
                  << "vertices:   " << description["vertices"] << " a frame\n"
                  << "triangles:  " << description["triangles"] << '\n';
        if (description.contains("mesh")) {
            std::cout << "mesh:       " << description["mesh"].get<std::string>() << '\n'
                      << "groups:     " << description["groups"] << '\n';
        }
        for (const auto& animation : description["animations"]) {
            std::cout << "animation:  " << animation["name"].get<std::string>() << " frames "
                      << animation["first"] << " + " << animation["count"] << '\n';
        }
        for (const auto& skin : description["skinNames"]) {
            std::cout << "skin:       " << skin.get<std::string>() << '\n';
        }
        if (sprite != nullptr) {
            std::cout << "renderMode: " << sprite->blendMode << '\n';
            for (const COGLSprite::FrameInfo& frame : sprite->frameInfo) {
                std::cout << "frame:      " << frame.width << " x " << frame.height << " " << frame.title << '\n';
            }
        }
    }
    // A sprite loads only with every frame picture.
    if (sprite != nullptr) {
        return loaded.errors.empty() ? EXIT_LOADED : EXIT_INCOMPLETE;
    }
    return NameFailedSkins(*model) && loaded.errors.empty() ? EXIT_LOADED : EXIT_INCOMPLETE;
}

