#include "tools/ToolCommands.h"

#include <getopt.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cstring>
#include <memory>
#include <cstdio>
#include <fstream>
#include <iostream>
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
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"
#include "tools/CToolScene.h"
#include "view/CScreenShot.h"
#include "view/CShotFrame.h"
#include "tools/PngWriter.h"
#include "tools/SceneComposer.h"
#include "tools/SceneJson.h"
#include "tools/Thumbnail.h"
#include "view/COGLViewport3D.h"

namespace {

int Usage(const char* usage) {
    std::fprintf(stderr, "usage: tvntool %s\n", usage);
    return EXIT_USAGE;
}

bool WantsHelp(int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            return true;
        }
    }
    return false;
}

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "tvntool: %s\n", message.c_str());
    return code;
}

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

bool EndsWith(const std::string& text, const std::string& end) {
    if (text.size() < end.size()) {
        return false;
    }
    for (size_t i = 0; i < end.size(); i++) {
        const char a = static_cast<char>(std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])));
        if (a != end[i]) {
            return false;
        }
    }
    return true;
}

// BMP and JPEG go through the viewer's own screen-shot writers, at the
// quality of its "High" setting.
bool WriteShot(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height, bool bmp) {
    std::vector<uint8_t> rgb;
    rgb.reserve(rgba.size() / 4 * 3);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgb.insert(rgb.end(), rgba.begin() + static_cast<std::ptrdiff_t>(i), rgba.begin() + static_cast<std::ptrdiff_t>(i) + 3);
    }
    CShotFrame frame;
    frame.SetFromRgbRows(width, height, rgb.data());
    CScreenShot::Settings settings;
    settings.fileType = bmp ? CScreenShot::BMP : CScreenShot::JPEG;
    settings.jpegQuality = 2;
    FILE* file = CScreenShot::CreateShotFile(path);
    if (file == nullptr) {
        return false;
    }
    CScreenShot(settings).Write(frame, file);
    return std::fclose(file) == 0;
}

// Names on standard error each file the load looked for in vain that no
// report named (the viewer passes over an entry its archive lacks in
// silence), then gives the exit code: 2 when the load was aborted, 1 when
// anything was reported or missed, reports made while painting included,
// else 0.
int Conclude(const CToolScene& loaded) {
    if (loaded.result == SceneOpenResult::aborted) {
        return EXIT_NOT_A_SCENE;
    }
    bool allFound = true;
    for (const FileLookup& lookup : loaded.scene->fileLookups) {
        if (lookup.found) {
            continue;
        }
        allFound = false;
        const bool named = std::any_of(loaded.errors.begin(), loaded.errors.end(), [&](const std::string& text) {
            return text.find(lookup.asked) != std::string::npos;
        });
        if (!named) {
            std::fprintf(stderr, "tvntool: %s is missing from %s\n", lookup.asked.c_str(),
                         lookup.used.empty() ? "an archive that did not open" : lookup.used.c_str());
        }
    }
    const bool clean = loaded.result == SceneOpenResult::loaded && loaded.errors.empty() && allFound;
    return clean ? EXIT_LOADED : EXIT_INCOMPLETE;
}

const char* const infoUsage = "info [--json] SCENE";
const char* const renderUsage =
    "render SCENE|MODEL -o OUT.png|.bmp|.jpg [--size WxH] [--ticks N] [--grid] [--axis]\n"
    "       [--animation NAME] [--skin N] [--frames N [--every K]]";
const char* const composeUsage = "compose IN.json -o OUT.tvn";
const char* const checkUsage = "check SCENE";
const char* const modelUsage = "model [--json] FILE";
const char* const thumbnailUsage = "thumbnail IN OUT.png SIZE";
// A file manager waits for its thumbnailers; a file that would keep one busy
// longer than this gets no picture rather than a stuck process.
const unsigned THUMBNAIL_SECONDS = 10;

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
    std::string error;
    if (!loaded.CreateContext(64, 64, error)) {
        return Fail(EXIT_NOT_A_SCENE, error);
    }
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

// "out.png" numbered: "out000.png", "out001.png", ...
std::string NumberedName(const std::string& output, int index) {
    const size_t dot = output.find_last_of('.');
    const size_t slash = output.find_last_of('/');
    const size_t split = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : output.size();
    char number[16];
    std::snprintf(number, sizeof number, "%03d", index);
    return output.substr(0, split) + number + output.substr(split);
}

int RunRender(int argc, char** argv) {
    if (WantsHelp(argc, argv)) {
        std::printf("usage: tvntool %s\n\n"
                    "Renders offscreen the first frame the viewer would paint, after N redraw-timer\n"
                    "ticks (default 0), at WxH pixels (default 640x480), and writes it as PNG, BMP\n"
                    "or JPEG by the name's ending. A model or sprite file (or ARCHIVE.pak:entry)\n"
                    "is shown as the viewer shows it, in a scene made for it, wearing skin N\n"
                    "(default 0) and playing the named animation (default its first).\n"
                    "With --frames N, writes N pictures OUT000, OUT001, ... K ticks apart\n"
                    "(--every K, default 1).\n"
                    "Exit codes as for info; nothing is written when the scene fails to load.\n",
                    renderUsage);
        return EXIT_LOADED;
    }
    static const option options[] = {
        { "output", required_argument, nullptr, 'o' },    { "size", required_argument, nullptr, 's' },
        { "ticks", required_argument, nullptr, 't' },     { "grid", no_argument, nullptr, 'g' },
        { "axis", no_argument, nullptr, 'a' },            { "animation", required_argument, nullptr, 'n' },
        { "skin", required_argument, nullptr, 'k' },      { "frames", required_argument, nullptr, 'f' },
        { "every", required_argument, nullptr, 'e' },     { nullptr, 0, nullptr, 0 },
    };
    std::string output;
    int width = 640, height = 480, ticks = 0, frames = 1, every = 1;
    bool grid = false, axis = false, numbered = false, modelOptions = false;
    ModelSceneChoice choice;
    optind = 1;
    opterr = 0;
    const auto count = [](const char* text, int least, int& value) {
        char end = 0;
        return std::sscanf(text, "%d%c", &value, &end) == 1 && value >= least && value <= 1000000;
    };
    for (int option; (option = getopt_long(argc, argv, "o:", options, nullptr)) != -1;) {
        switch (option) {
        case 'o': output = optarg; break;
        case 's':
            if (std::sscanf(optarg, "%dx%d", &width, &height) != 2 || width < 1 || height < 1 || width > 8192 ||
                height > 8192) {
                return Fail(EXIT_USAGE, std::string("--size wants WIDTHxHEIGHT from 1x1 to 8192x8192, not ") + optarg);
            }
            break;
        case 't':
            if (!count(optarg, 0, ticks)) {
                return Fail(EXIT_USAGE, std::string("--ticks wants a count of 0 or more, not ") + optarg);
            }
            break;
        case 'f':
            if (!count(optarg, 1, frames)) {
                return Fail(EXIT_USAGE, std::string("--frames wants a count of 1 or more, not ") + optarg);
            }
            numbered = true;
            break;
        case 'e':
            if (!count(optarg, 1, every)) {
                return Fail(EXIT_USAGE, std::string("--every wants a count of 1 or more, not ") + optarg);
            }
            break;
        case 'n': choice.animation = optarg; modelOptions = true; break;
        case 'k':
            if (!count(optarg, 0, choice.skin)) {
                return Fail(EXIT_USAGE, std::string("--skin wants a skin number from 0, not ") + optarg);
            }
            modelOptions = true;
            break;
        case 'g': grid = true; break;
        case 'a': axis = true; break;
        default: return Usage(renderUsage);
        }
    }
    if (optind != argc - 1 || output.empty()) {
        return Usage(renderUsage);
    }
    const bool png = EndsWith(output, ".png");
    const bool bmp = EndsWith(output, ".bmp");
    const bool jpeg = EndsWith(output, ".jpg") || EndsWith(output, ".jpeg");
    if (!png && !bmp && !jpeg) {
        return Fail(EXIT_USAGE, "the picture's name must end in .png, .bmp or .jpg: " + output);
    }
    const std::string input = argv[optind];
    if (modelOptions && !IsModelPath(input)) {
        return Fail(EXIT_USAGE, "--animation and --skin are for model files, and " + input + " is none");
    }
    CToolScene loaded;
    std::string error;
    if (!loaded.CreateContext(width, height, error)) {
        return Fail(EXIT_NOT_A_SCENE, error);
    }
    if (loaded.Load(input, choice) == SceneOpenResult::aborted) {
        return EXIT_NOT_A_SCENE;  // the loader has said why
    }
    loaded.viewport->gridOn = grid;
    loaded.viewport->axisIndicatorOn = axis;
    for (int i = 0; i < ticks; i++) {
        loaded.scene->AnimateAll();
    }
    const auto start = std::chrono::steady_clock::now();
    bool progressShown = false;
    for (int frame = 0; frame < frames; frame++) {
        for (int i = 0; frame > 0 && i < every; i++) {
            loaded.scene->AnimateAll();
        }
        loaded.Paint();
        const std::vector<uint8_t> rgba = loaded.context.ReadPixels(0, 0, width, height);
        const std::string name = numbered ? NumberedName(output, frame) : output;
        if (!(png ? WritePng(name, rgba, width, height) : WriteShot(name, rgba, width, height, bmp))) {
            if (progressShown) {
                std::fputc('\n', stderr);
            }
            return Fail(EXIT_NOT_A_SCENE, "cannot write " + name);
        }
        // One line, rewritten in place, once the run has taken a second.
        if (numbered && (progressShown || std::chrono::steady_clock::now() - start > std::chrono::seconds(1))) {
            std::fprintf(stderr, "\rtvntool: %d of %d pictures written", frame + 1, frames);
            progressShown = true;
        }
    }
    if (progressShown) {
        std::fputc('\n', stderr);
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
    for (int i = 1; i < argc; i++) {
        const std::string argument = argv[i];
        if (argument == "-o" && i + 1 < argc) {
            output = argv[++i];
        } else if (input.empty() && (argument == "-" || argument.empty() || argument[0] != '-')) {
            input = argument;
        } else {
            return Usage(composeUsage);
        }
    }
    if (input.empty() || output.empty()) {
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
    CToolScene context;
    std::string error;
    if (!context.CreateContext(64, 64, error)) {
        return Fail(EXIT_NOT_A_SCENE, error);
    }
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
    std::string error;
    if (!loaded.CreateContext(64, 64, error)) {
        return Fail(EXIT_NOT_A_SCENE, error);
    }
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
            const std::string where = frame->archive != nullptr ? frame->archive->GetPath() : frame->path;
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
        const std::string meshWhere = sin->modelEntry != nullptr ? archive : sin->meshPath;
        std::printf("%-8s %s -> %s\n", "mesh", sin->meshPath.c_str(), meshWhere.c_str());
        for (const std::unique_ptr<CModelAnimation>& record : sin->animations) {
            const auto& animation = static_cast<const CSinAnimation&>(*record);
            const std::string where = animation.entry != nullptr ? archive : animation.animPath;
            std::printf("%-8s %s -> %s\n", "anim", animation.name.c_str(), where.c_str());
        }
        for (const std::string& skinFile : sin->SkinNames()) {
            const COGLTexture2D* skin = sin->FindSkin(skinFile);
            const std::string where = skin == nullptr ? "MISSING" : skin->archive != nullptr ? skin->archive->GetPath() : skin->path;
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
    std::string error;
    if (!loaded.CreateContext(64, 64, error)) {
        return Fail(EXIT_NOT_A_SCENE, error);
    }
    std::unique_ptr<COGLModel> model = CreateModelForFile(path);
    if (!model) {
        const char* kind = ModelKindOfFile(path);
        return Fail(EXIT_NOT_A_SCENE, kind != nullptr ? path + " is a " + kind + " model, a kind not supported yet"
                                                      : path + " is not a model file the viewer reads");
    }
    model->resources = loaded.scene.get();
    model->LoadFromFile(path);
    if (!model->loaded) {
        return EXIT_NOT_A_SCENE;
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
            std::cout << "renderMode: " << sprite->renderMode << '\n';
            for (const COGLSprite::FrameInfo& frame : sprite->frameInfo) {
                std::cout << "frame:      " << frame.width << " x " << frame.height << " " << frame.title << '\n';
            }
        }
    }
    // A sprite loads only with every frame picture.
    if (sprite != nullptr) {
        return loaded.errors.empty() ? EXIT_LOADED : EXIT_INCOMPLETE;
    }
    // Skins a model file holds itself (MDL) come without names.
    const bool allSkins = static_cast<size_t>(std::count_if(model->skins.begin(), model->skins.end(),
                                                            [](const COGLTexture2D* s) { return s != nullptr; })) >=
                          model->SkinNames().size();
    return allSkins && loaded.errors.empty() ? EXIT_LOADED : EXIT_INCOMPLETE;
}

int RunThumbnail(int argc, char** argv) {
    if (WantsHelp(argc, argv)) {
        std::printf("usage: tvntool %s\n\n"
                    "Writes a PNG of at most SIZE x SIZE pixels (%d to %d) of a scene, or of a\n"
                    "model or sprite file in the scene the viewer makes for it, for file managers.\n"
                    "Gives up after %u seconds. Exit 0 when written, 2 when the file is no scene\n"
                    "or model, or the picture cannot be written.\n",
                    thumbnailUsage, MIN_THUMBNAIL_SIZE, MAX_THUMBNAIL_SIZE, THUMBNAIL_SECONDS);
        return EXIT_LOADED;
    }
    int size = 0;
    char end = 0;
    if (argc != 4 || argv[1][0] == '-' || argv[2][0] == '-' || std::sscanf(argv[3], "%d%c", &size, &end) != 1) {
        return Usage(thumbnailUsage);
    }
    if (size < MIN_THUMBNAIL_SIZE || size > MAX_THUMBNAIL_SIZE) {
        return Fail(EXIT_USAGE, "the size must be from " + std::to_string(MIN_THUMBNAIL_SIZE) + " to " +
                                    std::to_string(MAX_THUMBNAIL_SIZE) + ", not " + argv[3]);
    }
    alarm(THUMBNAIL_SECONDS);
    Thumbnail picture;
    std::string error;
    if (!MakeThumbnail(argv[1], size, picture, error)) {
        return Fail(EXIT_NOT_A_SCENE, error);
    }
    // Written aside and renamed, so that no reader ever sees half a picture.
    const std::string output = argv[2];
    const std::string partial = output + ".part";
    if (!WritePng(partial, picture.rgba, picture.width, picture.height) ||
        std::rename(partial.c_str(), output.c_str()) != 0) {
        std::remove(partial.c_str());
        return Fail(EXIT_NOT_A_SCENE, "cannot write " + output);
    }
    return EXIT_LOADED;
}
