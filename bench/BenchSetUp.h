#pragma once

#include <benchmark/benchmark.h>

#include "diag/CDiagnostics.h"
#include "platform/CMessageBox.h"
#include "platform/COffscreenContext.h"

// Makes the benchmark's offscreen context current and keeps message boxes
// and the error file out of the timings; false (the benchmark skipped) when
// there is no context.
inline bool StartOffscreen(benchmark::State& state, COffscreenContext& context, int width, int height) {
    if (!context.Create(width, height)) {
        state.SkipWithError("no offscreen OpenGL context");
        return false;
    }
    CMessageBox::SetBackend(CMessageBox::discard);
    Diagnostics().SetFolder("");
    return true;
}
