// Scenes of 1, 10, 100 and 1,000 copies of one model, loaded whole as
// `tvntool info` loads them (scene file, model files, skins decoded; no
// OpenGL): the time of each size against one copy's, both timed in the same
// run, and the peak memory of a process that loads the scene once.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "diag/CDiagnostics.h"
#include "platform/CMessageBox.h"
#include "tools/CToolScene.h"
#include "tools/SceneComposer.h"

namespace {

struct CopiedModel {
    const char* name;
    const char* className;
    std::string path;
};

const CopiedModel MD2 = { "md2", "COGLMD2", ORRIN_TESTDATA "/md2/didux-quake/models/items/quaddama/tris.md2" };
const CopiedModel HALF_LIFE = { "hl", "COGLHLModel", ORRIN_TESTDATA "/hlmdl/sven-lowdef/bmt/barney/barney.mdl" };

std::string ComposeCopies(const CopiedModel& model, int copies) {
    nlohmann::json objects = nlohmann::json::array();
    for (int i = 0; i < copies; i++) {
        objects.push_back({ { "class", model.className },
                            { "position", { (i % 40) * 2.0, 0.0, (i / 40) * 2.0 } },
                            { "model", { { "path", model.path } } } });
    }
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("orrin_bench_" + std::string(model.name) + "_" + std::to_string(copies) + ".tvn"))
                                 .string();
    std::string error;
    if (!ComposeScene({ { "objects", objects } }, path, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return std::string();
    }
    return path;
}

// The load alone: making the empty scene and deleting the loaded one are
// the same whatever the scene holds.
double LoadSeconds(const std::string& path) {
    CToolScene loaded;
    const auto start = std::chrono::steady_clock::now();
    const SceneOpenResult result = loaded.Load(path);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result == SceneOpenResult::loaded ? seconds : -1.0;
}

// The most memory a fresh process holds while it loads the scene once, in MB.
double PeakMegabytes(const std::string& path) {
    int channel[2];
    if (pipe(channel) != 0) {
        return -1.0;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        LoadSeconds(path);
        rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        const long kilobytes = usage.ru_maxrss;
        const ssize_t written = write(channel[1], &kilobytes, sizeof kilobytes);
        _exit(written == sizeof kilobytes ? 0 : 1);
    }
    close(channel[1]);
    long kilobytes = -1;
    const bool read = child > 0 && ::read(channel[0], &kilobytes, sizeof kilobytes) == sizeof kilobytes;
    close(channel[0]);
    if (child > 0) {
        waitpid(child, nullptr, 0);
    }
    return read ? double(kilobytes) / 1024.0 : -1.0;
}

void BM_SceneCopies(benchmark::State& state, const CopiedModel& model) {
    CMessageBox::SetBackend(CMessageBox::discard);
    Diagnostics().SetFolder("");
    if (!std::filesystem::exists(model.path)) {
        state.SkipWithError("the test data is missing");
        return;
    }
    const int copies = static_cast<int>(state.range(0));
    const std::string one = ComposeCopies(model, 1);
    const std::string many = ComposeCopies(model, copies);
    if (one.empty() || many.empty()) {
        state.SkipWithError("the scene could not be composed");
        return;
    }
    double manySeconds = 0.0, oneSeconds = 0.0;
    for (auto _ : state) {
        const double m = LoadSeconds(many);
        const double o = LoadSeconds(one);
        if (m < 0.0 || o < 0.0) {
            state.SkipWithError("the scene did not load whole");
            return;
        }
        manySeconds += m;
        oneSeconds += o;
    }
    state.counters["load_ms"] = 1000.0 * manySeconds / double(state.iterations());
    state.counters["to_one_copy"] = manySeconds / oneSeconds;
    state.counters["peak_mb"] = PeakMegabytes(many);
    std::filesystem::remove(one);
    std::filesystem::remove(many);
}

}  // namespace

BENCHMARK_CAPTURE(BM_SceneCopies, md2, MD2)->Arg(1)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SceneCopies, half_life, HALF_LIFE)->Arg(1)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
