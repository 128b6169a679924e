// A crowd of one model on a grid ten wide, drawn offscreen the way the
// viewer draws it (each instance animated and drawn anew), against the same
// triangles replayed from a display list. Each iteration draws 100 frames
// both ways; the counters give frames a second for each and their ratio
// (viewer / list, 1 = as fast).
#pragma once

#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <chrono>
#include <functional>

#include "models/COGLModel.h"
#include "platform/CGLState.h"

namespace crowd {

constexpr int FRAMES = 100;
constexpr int SIDE = 256;

// Models lit by OpenGL want its lighting; Half-Life models light themselves.
inline void SetUpView(bool openGLLighting) {
    glViewport(0, 0, SIDE, SIDE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 0.5, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 8.0, 20.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glEnable(GL_DEPTH_TEST);
    if (openGLLighting) {
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_NORMALIZE);
    }
}

inline double SecondsFor(CGLState& gl, const std::function<void()>& drawFrame) {
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < FRAMES; frame++) {
        gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawFrame();
        glFinish();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The model loaded, its animation started, in a current context of SIDE x SIDE.
inline void MeasureAgainstDisplayList(benchmark::State& state, COGLModel& model, int instances,
                                      bool openGLLighting) {
    SetUpView(openGLLighting);
    const int rows = (instances + 9) / 10;
    const auto drawCrowd = [&](const std::function<void()>& drawOne) {
        for (int i = 0; i < instances; i++) {
            glPushMatrix();
            glTranslatef(static_cast<float>(i % 10) * 2.0f - 9.0f, 0.0f,
                         static_cast<float>(i / 10) * 2.0f - static_cast<float>(rows - 1));
            drawOne();
            glPopMatrix();
        }
    };

    CGLState gl;
    gl.Adopt();
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    model.Draw(gl, DRAW_MATERIAL);
    glEndList();
    // Compiling the list changed nothing but what the list holds.
    gl.Adopt();

    double viewerSeconds = 0.0;
    double listSeconds = 0.0;
    for (auto _ : state) {
        viewerSeconds += SecondsFor(gl, [&] {
            model.Animate();
            drawCrowd([&] { model.Draw(gl, DRAW_MATERIAL); });
        });
        listSeconds += SecondsFor(gl, [&] { drawCrowd([&] { glCallList(list); }); });
    }
    glDeleteLists(list, 1);
    const double frames = static_cast<double>(state.iterations()) * FRAMES;
    state.counters["viewer_fps"] = frames / viewerSeconds;
    state.counters["list_fps"] = frames / listSeconds;
    state.counters["viewer_to_list"] = listSeconds / viewerSeconds;
    state.counters["triangles"] = model.TriangleCount();
}

}  // namespace crowd
