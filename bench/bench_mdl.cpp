// Reading every real MDL in the test data the whole way (header, skins
// decoded through the Quake palette into textures, texture points,
// triangles, every frame into its animation) against going over the same
// bytes in memory without decoding them (one copy of each file, as the
// reader's own buffer is filled). Each iteration does both PASSES times;
// read_to_copy is the time of a read over the time of a copy.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "diag/CDiagnostics.h"
#include "models/COGLMDL.h"
#include "platform/CMessageBox.h"
#include "platform/COffscreenContext.h"

namespace {

constexpr int PASSES = 20;

// The files a model reads: invalid ones are left out.
std::vector<std::vector<uint8_t>> ReadableModels() {
    std::vector<std::vector<uint8_t>> files;
    std::error_code error;
    const std::filesystem::path root = std::filesystem::path(ORRIN_TESTDATA) / "mdl";
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->path().extension() != ".mdl") {
            continue;
        }
        std::ifstream in(it->path(), std::ios::binary);
        std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        COGLMDL model;
        if (model.ReadModel(data.data(), data.size())) {
            files.push_back(std::move(data));
        }
    }
    return files;
}

double SecondsFor(const std::function<void()>& pass) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < PASSES; i++) {
        pass();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_MdlReadVersusCopy(benchmark::State& state) {
    COffscreenContext context;
    if (!context.Create(64, 64)) {
        state.SkipWithError("no offscreen OpenGL context");
        return;
    }
    CMessageBox::SetBackend(CMessageBox::discard);
    Diagnostics().SetFolder("");
    const std::vector<std::vector<uint8_t>> files = ReadableModels();
    if (files.empty()) {
        state.SkipWithError("the MDL test data is missing");
        return;
    }
    size_t bytes = 0;
    for (const std::vector<uint8_t>& file : files) {
        bytes += file.size();
    }

    double readSeconds = 0.0;
    double copySeconds = 0.0;
    for (auto _ : state) {
        readSeconds += SecondsFor([&] {
            for (const std::vector<uint8_t>& file : files) {
                COGLMDL model;
                benchmark::DoNotOptimize(model.ReadModel(file.data(), file.size()));
            }
        });
        copySeconds += SecondsFor([&] {
            for (const std::vector<uint8_t>& file : files) {
                std::vector<uint8_t> copy(file);
                benchmark::DoNotOptimize(copy.data());
                benchmark::ClobberMemory();
            }
        });
    }
    const double passes = static_cast<double>(state.iterations()) * PASSES;
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["read_ms"] = readSeconds / passes * 1e3;
    state.counters["copy_ms"] = copySeconds / passes * 1e3;
    state.counters["read_to_copy"] = readSeconds / copySeconds;
}

}  // namespace

BENCHMARK(BM_MdlReadVersusCopy)->Unit(benchmark::kMillisecond)->Iterations(5);
