// A crowd of 50 instances of a real Half-Life model drawn offscreen the way
// the viewer draws them (skeleton posed, vertices transformed and lit on
// every draw, each mesh one triangle list from vertex arrays), against the
// same posed triangles replayed from a display list. Each iteration draws 100
// frames both ways; the counters give frames a second for each and their
// ratio (posed / list, 1 = as fast).
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <chrono>
#include <filesystem>
#include <functional>

#include "diag/CDiagnostics.h"
#include "models/COGLHLModel.h"
#include "platform/CMessageBox.h"
#include "platform/COffscreenContext.h"
#include "scene/COGLScene.h"

namespace {

constexpr int INSTANCES = 50;
constexpr int FRAMES = 100;
constexpr int SIDE = 256;
const char* const MODEL = ORRIN_TESTDATA "/hlmdl/sven-lowdef/bmt/barney/barney.mdl";

void SetUpView() {
    glViewport(0, 0, SIDE, SIDE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 0.5, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 8.0, 20.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glEnable(GL_DEPTH_TEST);
}

// A 10 x 5 grid on the floor.
void PlaceInstance(int i) {
    glTranslatef(static_cast<float>(i % 10) * 2.0f - 9.0f, 0.0f, static_cast<float>(i / 10) * 2.0f - 4.0f);
}

double SecondsFor(const std::function<void()>& drawFrame) {
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < FRAMES; frame++) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawFrame();
        glFinish();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_HlCrowdPosedVersusDisplayList(benchmark::State& state) {
    COffscreenContext context;
    if (!context.Create(SIDE, SIDE)) {
        state.SkipWithError("no offscreen OpenGL context");
        return;
    }
    CMessageBox::SetBackend(CMessageBox::discard);
    Diagnostics().SetFolder("");
    if (!std::filesystem::exists(MODEL)) {
        state.SkipWithError("the Half-Life test data is missing");
        return;
    }
    COGLScene scene;
    COGLHLModel model;
    model.resources = &scene;
    model.LoadFromFile(MODEL);
    if (!model.loaded) {
        state.SkipWithError("the Half-Life model did not load");
        return;
    }
    model.SetAnimation(model.FindAnimation("walk"));
    model.StartAnimation();
    SetUpView();

    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    model.Draw(DRAW_MATERIAL);
    glEndList();

    double posedSeconds = 0.0;
    double listSeconds = 0.0;
    for (auto _ : state) {
        posedSeconds += SecondsFor([&] {
            model.Animate();
            for (int i = 0; i < INSTANCES; i++) {
                glPushMatrix();
                PlaceInstance(i);
                model.Draw(DRAW_MATERIAL);
                glPopMatrix();
            }
        });
        listSeconds += SecondsFor([&] {
            for (int i = 0; i < INSTANCES; i++) {
                glPushMatrix();
                PlaceInstance(i);
                glCallList(list);
                glPopMatrix();
            }
        });
    }
    glDeleteLists(list, 1);
    const double frames = static_cast<double>(state.iterations()) * FRAMES;
    state.counters["posed_fps"] = frames / posedSeconds;
    state.counters["list_fps"] = frames / listSeconds;
    state.counters["posed_to_list"] = listSeconds / posedSeconds;
    state.counters["triangles"] = model.TriangleCount();
}

}  // namespace

BENCHMARK(BM_HlCrowdPosedVersusDisplayList)->Unit(benchmark::kMillisecond)->Iterations(3);
