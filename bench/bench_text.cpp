// Building the display lists of a 32-character text (font lookup, FreeType
// outlines cut into lines, GLU tessellation of the faces, walls, both lists
// compiled) against FreeType alone loading and walking the same 32 outlines
// with callbacks that do nothing. Each iteration does both PASSES times;
// build_to_decompose is the time of a build over the time of the walk.
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include "BenchSetUp.h"
#include "objects/COGLText.h"
#include "platform/FontFiles.h"

namespace {

constexpr int PASSES = 20;
const std::string sample = "Orrin draws TAV scenes in 3-D!!!";

double SecondsFor(const std::function<void()>& pass) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < PASSES; i++) {
        pass();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int CountMove(const FT_Vector*, void* user) { return ++*static_cast<int*>(user), 0; }
int CountLine(const FT_Vector*, void* user) { return ++*static_cast<int*>(user), 0; }
int CountConic(const FT_Vector*, const FT_Vector*, void* user) { return ++*static_cast<int*>(user), 0; }
int CountCubic(const FT_Vector*, const FT_Vector*, const FT_Vector*, void* user) { return ++*static_cast<int*>(user), 0; }

// What FreeType alone does for the text: open the face, load and walk each outline.
int DecomposeText(const OutlineFontFile& font, const std::string& text) {
    FT_Library library = nullptr;
    FT_Init_FreeType(&library);
    FT_Face face = nullptr;
    int segments = 0;
    if (FT_New_Face(library, font.path.c_str(), font.faceIndex, &face) == 0) {
        FT_Outline_Funcs funcs = { CountMove, CountLine, CountConic, CountCubic, 0, 0 };
        for (char c : text) {
            if (FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_NO_SCALE) == 0) {
                FT_Outline_Decompose(&face->glyph->outline, &funcs, &segments);
            }
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return segments;
}

void BM_TextBuildVersusDecompose(benchmark::State& state) {
    COffscreenContext context;
    if (!StartOffscreen(state, context, 64, 64)) {
        return;
    }
    OutlineFontFile font;
    if (!FindOutlineFont("Arial", false, font)) {
        state.SkipWithError("no outline font for Arial");
        return;
    }
    COGLText text;
    text.SetText(sample);
    text.Rebuild();
    if (text.count != 32) {
        state.SkipWithError("the sample is not 32 characters");
        return;
    }

    double buildSeconds = 0.0;
    double decomposeSeconds = 0.0;
    for (auto _ : state) {
        buildSeconds += SecondsFor([&] { text.Rebuild(); });
        decomposeSeconds += SecondsFor([&] { benchmark::DoNotOptimize(DecomposeText(font, sample)); });
    }
    const double passes = static_cast<double>(state.iterations()) * PASSES;
    state.counters["build_ms"] = buildSeconds / passes * 1e3;
    state.counters["decompose_ms"] = decomposeSeconds / passes * 1e3;
    state.counters["build_to_decompose"] = buildSeconds / decomposeSeconds;
}

}  // namespace

BENCHMARK(BM_TextBuildVersusDecompose)->Unit(benchmark::kMillisecond)->Iterations(5);
