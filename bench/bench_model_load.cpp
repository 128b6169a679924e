// Loading every real model and sprite of the test data the whole way (header,
// every frame, every skin decoded and uploaded), each into a scene of its own
// as the viewer opens a model file, against two yardsticks timed in the same
// run: reading the same bytes into memory (the model file and every picture
// the load took from disk), and, where it reads the file, the Open Asset
// Import Library's import with its usual post-processing (which keeps one
// frame and decodes no skin it does not find inside the file).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#ifdef ORRIN_HAVE_ASSIMP
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#endif

#include "BenchSetUp.h"
#include "image/COGLTexture2D.h"
#include "models/COGLModel.h"
#include "models/ModelFiles.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"

namespace {

struct ModelFile {
    std::string              path;
    std::vector<std::string> readFiles;  // the model file and the pictures its load read
    bool                     assimpReads = false;
};

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Loads one model file into a scene; the time covers the load alone.
double LoadSeconds(const std::string& path, std::vector<std::string>* readFiles) {
    COGLScene scene;
    const Clock::time_point start = Clock::now();
    std::unique_ptr<COGLModel> model = LoadModelFile(path, scene);
    if (!model || !model->IsLoaded()) {
        return -1.0;
    }
    scene.UploadTextures();
    const double seconds = SecondsSince(start);
    if (readFiles != nullptr) {
        readFiles->push_back(path);
        for (size_t i = 0; i < scene.textureCache.Size(); i++) {
            const COGLTexture2D& texture = scene.textureCache.At(i);
            if (!texture.source.InArchive() && !texture.path.empty()) {
                readFiles->push_back(texture.path);
            }
        }
    }
    return seconds;
}

size_t ReadWhole(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return 0;
    }
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    std::vector<uint8_t> bytes(size > 0 ? static_cast<size_t>(size) : 0);
    const size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    benchmark::DoNotOptimize(bytes.data());
    benchmark::ClobberMemory();
    return read;
}

#ifdef ORRIN_HAVE_ASSIMP
constexpr unsigned ASSIMP_POST_PROCESSING =
    aiProcess_CalcTangentSpace | aiProcess_Triangulate | aiProcess_JoinIdenticalVertices | aiProcess_SortByPType;

bool AssimpImport(const std::string& path) {
    Assimp::Importer importer;
    return importer.ReadFile(path, ASSIMP_POST_PROCESSING) != nullptr;
}
#endif

std::vector<ModelFile> LoadableModels() {
    std::vector<ModelFile> files;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(ORRIN_TESTDATA, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (!it->is_regular_file() || ModelFileKindOf(it->path().string()) == nullptr) {
            continue;
        }
        ModelFile file;
        file.path = it->path().string();
        if (LoadSeconds(file.path, &file.readFiles) < 0.0) {
            continue;
        }
#ifdef ORRIN_HAVE_ASSIMP
        file.assimpReads = AssimpImport(file.path);
#endif
        files.push_back(std::move(file));
    }
    return files;
}

void BM_ModelLoadVersusRead(benchmark::State& state) {
    COffscreenContext context;
    if (!StartOffscreen(state, context, 64, 64)) {
        return;
    }
    const std::vector<ModelFile> files = LoadableModels();
    if (files.empty()) {
        state.SkipWithError("the model test data is missing");
        return;
    }

    double loadSeconds = 0.0, readSeconds = 0.0;
    double sharedLoadSeconds = 0.0, assimpSeconds = 0.0;
    size_t bytes = 0, assimpFiles = 0;
    for (auto _ : state) {
        bytes = 0;
        assimpFiles = 0;
        for (const ModelFile& file : files) {
            const double load = LoadSeconds(file.path, nullptr);
            loadSeconds += load;
            const Clock::time_point start = Clock::now();
            for (const std::string& read : file.readFiles) {
                bytes += ReadWhole(read);
            }
            readSeconds += SecondsSince(start);
#ifdef ORRIN_HAVE_ASSIMP
            if (file.assimpReads) {
                assimpFiles += 1;
                sharedLoadSeconds += load;
                const Clock::time_point importStart = Clock::now();
                benchmark::DoNotOptimize(AssimpImport(file.path));
                assimpSeconds += SecondsSince(importStart);
            }
#endif
        }
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["load_ms"] = 1000.0 * loadSeconds / runs;
    state.counters["read_ms"] = 1000.0 * readSeconds / runs;
    state.counters["load_to_read"] = loadSeconds / readSeconds;
    if (assimpFiles == 0) {
        return;  // built without the library, or it reads none of these files
    }
    state.counters["assimp_files"] = static_cast<double>(assimpFiles);
    state.counters["assimp_ms"] = 1000.0 * assimpSeconds / runs;
    state.counters["load_to_assimp"] = sharedLoadSeconds / assimpSeconds;
}

}  // namespace

BENCHMARK(BM_ModelLoadVersusRead)->Unit(benchmark::kMillisecond)->Iterations(5);
