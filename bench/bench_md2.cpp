// One frame of a crowd: 100 instances of a real MD2 model drawn offscreen the
// way the viewer draws them (each instance's frames blended anew into vertex
// arrays), against the same triangles replayed from a display list. Each
// iteration draws 100 frames both ways; the counters give frames a second
// for each and their ratio (viewer / list, 1 = as fast).
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <chrono>
#include <functional>
#include <fstream>
#include <iterator>
#include <vector>

#include "diag/CDiagnostics.h"
#include "models/COGLMD2.h"
#include "platform/CMessageBox.h"
#include "platform/COffscreenContext.h"

namespace {

constexpr int INSTANCES = 100;
constexpr int FRAMES = 100;
constexpr int SIDE = 256;

std::vector<uint8_t> ReadModelFile() {
    std::ifstream in(ORRIN_TESTDATA "/md2/assimp/faerie.md2", std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void SetUpView() {
    glViewport(0, 0, SIDE, SIDE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 0.5, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 8.0, 20.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
}

// A 10 x 10 grid on the floor.
void PlaceInstance(int i) {
    glTranslatef(static_cast<float>(i % 10) * 2.0f - 9.0f, 0.0f, static_cast<float>(i / 10) * 2.0f - 9.0f);
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

void BM_Md2CrowdViewerVersusDisplayList(benchmark::State& state) {
    COffscreenContext context;
    if (!context.Create(SIDE, SIDE)) {
        state.SkipWithError("no offscreen OpenGL context");
        return;
    }
    CMessageBox::SetBackend(CMessageBox::discard);
    Diagnostics().SetFolder("");
    const std::vector<uint8_t> data = ReadModelFile();
    COGLMD2 model;
    if (!model.ReadModel(data.data(), data.size(), false)) {
        state.SkipWithError("the MD2 test data is missing");
        return;
    }
    model.loaded = true;
    model.StartAnimation();
    SetUpView();

    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    model.Draw(DRAW_MATERIAL);
    glEndList();

    double viewerSeconds = 0.0;
    double listSeconds = 0.0;
    for (auto _ : state) {
        viewerSeconds += SecondsFor([&] {
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
    state.counters["viewer_fps"] = frames / viewerSeconds;
    state.counters["list_fps"] = frames / listSeconds;
    state.counters["viewer_to_list"] = listSeconds / viewerSeconds;
    state.counters["triangles"] = model.TriangleCount();
}

}  // namespace

BENCHMARK(BM_Md2CrowdViewerVersusDisplayList)->Unit(benchmark::kMillisecond)->Iterations(3);
