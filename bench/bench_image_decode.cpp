// Decoding 256 x 256 pictures into finished texture buffers, per format, and
// the JPEG path against the JPEG library's own decode of the same file. Items
// are pixels, so items_per_second / 1e6 is megapixels a second.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "image/COGLImage.h"
#include "image/Palettes.h"
#include "support/TestJpeg.h"

namespace {

constexpr int SIDE = 256;

std::vector<uint8_t> MakePcx() {
    std::vector<uint8_t> file(128, 0);
    file[0] = 10; file[1] = 5; file[2] = 1; file[3] = 8;
    file[8] = SIDE - 1; file[10] = SIDE - 1; file[65] = 1; file[66] = SIDE & 0xFF; file[67] = SIDE >> 8;
    for (int y = 0; y < SIDE; y++) {
        for (int x = 0; x < SIDE; x += 4) {  // runs of four, as real skins have
            file.push_back(0xC4);
            file.push_back(static_cast<uint8_t>((x / 4 + y) % 250));
        }
    }
    file.push_back(0x0C);
    for (int i = 0; i < 768; i++) {
        file.push_back(static_cast<uint8_t>(i));
    }
    return file;
}

std::vector<uint8_t> MakeTga() {
    std::vector<uint8_t> file(18, 0);
    file[2] = 2; file[12] = 0; file[13] = 1; file[14] = 0; file[15] = 1; file[16] = 24;
    for (int i = 0; i < SIDE * SIDE; i++) {
        file.push_back(static_cast<uint8_t>(i));
        file.push_back(static_cast<uint8_t>(i >> 8));
        file.push_back(static_cast<uint8_t>(i * 3));
    }
    return file;
}

std::vector<uint8_t> MakeJpeg() {
    return EncodeTestJpeg(SIDE, SIDE, 3);
}

// The whole decoding of an archive entry's bytes: decode, gamma, fit.
void DecodeThroughImage(benchmark::State& state, const std::vector<uint8_t>& file, const char* entryName) {
    ApplyGamma(0.8f);
    LoadMessages messages;
    for (auto _ : state) {
        COGLImage image;
        const bool loaded = image.DecodeEntry(entryName, file, true, false, messages);
        benchmark::DoNotOptimize(loaded);
        benchmark::DoNotOptimize(image.pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * SIDE * SIDE);
}

void BM_Pcx(benchmark::State& state) {
    DecodeThroughImage(state, MakePcx(), "skin.pcx");
}

void BM_Tga(benchmark::State& state) {
    DecodeThroughImage(state, MakeTga(), "skin.tga");
}

// Our whole JPEG path (read, decode, gamma, fit) against the library's bare
// decode, interleaved in one run; path_to_library is their time ratio (1 =
// no cost above the library). The argument is the gamma in tenths.
void BM_JpegPathVersusLibrary(benchmark::State& state) {
    ApplyGamma(static_cast<float>(state.range(0)) / 10.0f);
    const std::vector<uint8_t> file = MakeJpeg();
    std::vector<uint8_t> pixels(SIDE * SIDE * 3);
    LoadMessages messages;
    constexpr int ROUNDS = 20;
    double pathSeconds = 0.0;
    double librarySeconds = 0.0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < ROUNDS; i++) {
            COGLImage image;
            const bool loaded = image.DecodeEntry("skin.jpg", file, true, false, messages);
            benchmark::DoNotOptimize(loaded);
            benchmark::DoNotOptimize(image.pixels.data());
        }
        pathSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        start = std::chrono::steady_clock::now();
        for (int i = 0; i < ROUNDS; i++) {
            DecodeWithJpegLibrary(file, pixels);
            benchmark::DoNotOptimize(pixels.data());
        }
        librarySeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    ApplyGamma(1.0f);
    state.counters["path_to_library"] = pathSeconds / librarySeconds;
    state.SetItemsProcessed(state.iterations() * ROUNDS * 2 * SIDE * SIDE);
}

}  // namespace

BENCHMARK(BM_Pcx);
BENCHMARK(BM_Tga);
BENCHMARK(BM_JpegPathVersusLibrary)->Arg(8)->Arg(10);
