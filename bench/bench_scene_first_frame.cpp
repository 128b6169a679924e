// A big scene's way to its first picture, split as the viewer pays for it:
// the OpenGL context, the load (scene file, archives, models, skins,
// textures), and the first frame. The scene is composed once: 300 primitives
// and 100 animated copies of a real MD2 model, all naming the same skin, as
// scenes of crowds do. Then the demo scene redrawn frame after frame, as the
// viewer redraws it.
#include <benchmark/benchmark.h>

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

const std::string MODEL_FOLDER = ORRIN_TESTDATA "/md2/assimp";

std::string ComposeCrowdScene() {
    static const char* const PRIMITIVES[] = { "COGLBox", "COGLSphere", "COGLCylinder", "COGLCone", "COGLRod" };
    nlohmann::json objects = nlohmann::json::array();
    objects.push_back({ { "class", "COGLFloor" } });
    for (int i = 0; i < 300; i++) {
        objects.push_back({ { "class", PRIMITIVES[i % 5] },
                            { "position", { (i % 20) - 9.5, 0.5, (i / 20) - 7.0 } },
                            { "scale", { 0.3, 0.3, 0.3 } } });
    }
    for (int i = 0; i < 100; i++) {
        objects.push_back({ { "class", "COGLMD2" },
                            { "position", { (i % 10) * 2.0 - 9.0, 1.0, (i / 10) * 2.0 - 9.0 } },
                            { "scale", { 0.05, 0.05, 0.05 } },
                            { "model", { { "path", MODEL_FOLDER + "/faerie.md2" },
                                         { "skins", { MODEL_FOLDER + "/faerie2.bmp" } } } },
                            { "texture", MODEL_FOLDER + "/faerie2.bmp" } });
    }
    const nlohmann::json description = { { "camera", { { "distance", 30 } } }, { "objects", objects } };
    const std::string path = (std::filesystem::temp_directory_path() / "orrin_bench_crowd.tvn").string();
    std::string error;
    if (!ComposeScene(description, path, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return std::string();
    }
    return path;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_CrowdSceneFirstFrame(benchmark::State& state) {
    CMessageBox::SetBackend(CMessageBox::discard);
    Diagnostics().SetFolder("");
    if (!std::filesystem::exists(MODEL_FOLDER + "/faerie.md2")) {
        state.SkipWithError("the MD2 test data is missing");
        return;
    }
    const std::string path = ComposeCrowdScene();
    if (path.empty()) {
        state.SkipWithError("the crowd scene could not be composed");
        return;
    }
    double contextSeconds = 0.0, loadSeconds = 0.0, frameSeconds = 0.0, nextFrameSeconds = 0.0;
    for (auto _ : state) {
        CToolScene loaded;
        std::string error;
        auto start = std::chrono::steady_clock::now();
        if (!loaded.CreateContext(640, 480, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        contextSeconds += SecondsSince(start);
        start = std::chrono::steady_clock::now();
        if (loaded.Load(path) != SceneOpenResult::loaded) {
            state.SkipWithError("the crowd scene did not load whole");
            return;
        }
        loadSeconds += SecondsSince(start);
        start = std::chrono::steady_clock::now();
        loaded.Paint();
        loaded.context.ReadPixels(0, 0, 1, 1);  // waits for the frame to be finished
        frameSeconds += SecondsSince(start);
        // The same picture again: what a frame costs once nothing is left to set up.
        start = std::chrono::steady_clock::now();
        loaded.Paint();
        loaded.context.ReadPixels(0, 0, 1, 1);
        nextFrameSeconds += SecondsSince(start);
    }
    std::filesystem::remove(path);
    const double runs = static_cast<double>(state.iterations());
    state.counters["context_ms"] = 1000.0 * contextSeconds / runs;
    state.counters["load_ms"] = 1000.0 * loadSeconds / runs;
    state.counters["first_frame_ms"] = 1000.0 * frameSeconds / runs;
    state.counters["next_frame_ms"] = 1000.0 * nextFrameSeconds / runs;
}

// Lights, shadows on a stencil, transparency, text, a textured floor and an
// archive: each frame after the first costs only the drawing.
void BM_DemoSceneFrame(benchmark::State& state) {
    CMessageBox::SetBackend(CMessageBox::discard);
    Diagnostics().SetFolder("");
    CToolScene loaded;
    std::string error;
    if (!loaded.CreateContext(640, 480, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    if (loaded.Load(ORRIN_DEMO_SCENE) != SceneOpenResult::loaded) {
        state.SkipWithError("the demo scene did not load whole");
        return;
    }
    loaded.Paint();
    for (auto _ : state) {
        loaded.Paint();
        loaded.context.ReadPixels(0, 0, 1, 1);
    }
}

}  // namespace

BENCHMARK(BM_CrowdSceneFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(12);
BENCHMARK(BM_DemoSceneFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0);
