// One frame of a crowd: 100 instances of a real MD2 model (each instance's
// frames blended anew into vertex arrays), against a display list of the
// same triangles.
#include <fstream>
#include <iterator>
#include <vector>

#include "BenchSetUp.h"
#include "CrowdBench.h"
#include "models/COGLMD2.h"

namespace {

std::vector<uint8_t> ReadModelFile() {
    std::ifstream in(ORRIN_TESTDATA "/md2/assimp/faerie.md2", std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void BM_Md2CrowdViewerVersusDisplayList(benchmark::State& state) {
    COffscreenContext context;
    if (!StartOffscreen(state, context, crowd::SIDE, crowd::SIDE)) {
        return;
    }
    const std::vector<uint8_t> data = ReadModelFile();
    COGLMD2 model;
    if (!model.ReadModel(data.data(), data.size(), false)) {
        state.SkipWithError("the MD2 test data is missing");
        return;
    }
    model.loaded = true;
    model.StartAnimation();
    crowd::MeasureAgainstDisplayList(state, model, 100, true);
}

}  // namespace

BENCHMARK(BM_Md2CrowdViewerVersusDisplayList)->Unit(benchmark::kMillisecond)->Iterations(3);
