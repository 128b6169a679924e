#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "image/COGLImage.h"
#include "image/COGLTexture2D.h"
#include "image/PngWriter.h"
#include "models/COGLModel.h"
#include "platform/COutputFile.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"
#include "tools/CToolScene.h"
#include "tools/CommandLine.h"
#include "tools/MorphGltf.h"
#include "tools/MorphModel.h"
#include "tools/ToolCommands.h"

namespace {

const char* const exportUsage = "export MODEL -o OUT.glb|OUT.gltf";

// The model's first skin as PNG bytes; none when it has no picture.
std::vector<uint8_t> FirstSkinPng(const COGLModel& model) {
    std::vector<uint8_t> png;
    if (model.Skins().empty() || model.Skins().front() == nullptr || !model.Skins().front()->HasPicture()) {
        return png;
    }
    const COGLImage& image = *model.Skins().front()->image;
    const int channels = image.transparent ? 4 : 3;
    PngRows rows;
    rows.pixels = image.pixels.data();
    rows.width = image.width;
    rows.height = image.height;
    rows.stride = static_cast<size_t>(image.width) * static_cast<size_t>(channels);
    rows.hasFourthByte = channels == 4;
    if (image.pixels.size() < rows.stride * static_cast<size_t>(image.height) || !EncodePng(rows, png)) {
        png.clear();
    }
    return png;
}

bool WriteBytes(const std::filesystem::path& path, const void* bytes, size_t size) {
    COutputFile file;
    const bool written = file.Create(path.string()) && std::fwrite(bytes, 1, size, file.Stream()) == size &&
                         file.Commit();
    if (!written) {
        Fail(EXIT_NOT_A_SCENE, "cannot write " + path.string() + ": " + file.GetError());
    }
    return written;
}

// OUT.glb holds everything; OUT.gltf names OUT.bin and the picture beside it.
bool WriteGltf(const tinygltf::Model& gltf, const std::filesystem::path& output, const MorphPicture& picture) {
    tinygltf::TinyGLTF writer;
    std::ostringstream text;
    if (output.extension() == ".glb") {
        writer.WriteGltfSceneToStream(&gltf, text, false, true);
        const std::string bytes = text.str();
        return WriteBytes(output, bytes.data(), bytes.size());
    }
    // tinygltf keeps a text file's buffer inside it; it goes beside it instead.
    const std::string bufferName = output.stem().string() + ".bin";
    const std::vector<unsigned char>& buffer = gltf.buffers[0].data;
    writer.WriteGltfSceneToStream(&gltf, text, true, false);
    nlohmann::ordered_json json = nlohmann::ordered_json::parse(text.str());
    json["buffers"][0] = { { "byteLength", buffer.size() }, { "uri", bufferName } };
    const std::string document = json.dump(2) + "\n";
    return WriteBytes(output.parent_path() / bufferName, buffer.data(), buffer.size()) &&
           (picture.uri.empty() || WriteBytes(output.parent_path() / picture.uri, picture.png.data(), picture.png.size())) &&
           WriteBytes(output, document.data(), document.size());
}

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
    MorphPicture picture;
    picture.png = FirstSkinPng(*model);
    if (!binary && !picture.png.empty()) {
        picture.uri = outputPath.stem().string() + ".png";
    }
    if (!WriteGltf(BuildMorphGltf(*model, morph, picture), outputPath, picture)) {
        return EXIT_NOT_A_SCENE;
    }
    return complete ? EXIT_LOADED : EXIT_INCOMPLETE;
}
