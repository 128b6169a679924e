#include "support/GltfExport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tools/ToolCommands.h"

int Export(const std::string& input, const std::string& output) {
    std::string args[] = { "export", input, "-o", output };
    char* argv[] = { args[0].data(), args[1].data(), args[2].data(), args[3].data() };
    return RunExport(4, argv);
}

bool CanValidate() {
    return std::system("node --version >/dev/null 2>&1") == 0 && std::filesystem::exists(ORRIN_GLTF_VALIDATOR);
}

std::string ValidationErrors(const std::string& path) {
    const std::string command =
        "node '" ORRIN_VALIDATE_GLTF_SCRIPT "' '" ORRIN_GLTF_VALIDATOR "' '" + path + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) {
        output.append(chunk, n);
    }
    return pclose(pipe) == 0 ? "" : "validator: " + output;
}

bool ReadGltf(const std::string& path, tinygltf::Model& gltf, std::string& error) {
    tinygltf::TinyGLTF reader;
    reader.SetImageLoader([](tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*,
                             int, void*) { return true; },
                          nullptr);
    std::string warning;
    return path.ends_with(".glb") ? reader.LoadBinaryFromFile(&gltf, &error, &warning, path)
                                  : reader.LoadASCIIFromFile(&gltf, &error, &warning, path);
}

const float* FloatsOf(const tinygltf::Model& gltf, int accessorIndex) {
    const tinygltf::Accessor& accessor = gltf.accessors[static_cast<size_t>(accessorIndex)];
    const tinygltf::BufferView& view = gltf.bufferViews[static_cast<size_t>(accessor.bufferView)];
    return reinterpret_cast<const float*>(gltf.buffers[static_cast<size_t>(view.buffer)].data.data() +
                                          view.byteOffset + accessor.byteOffset);
}
