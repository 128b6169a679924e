// One frame of a crowd: 100 instances of a real MD2 model (each instance's
// frames blended anew into vertex arrays), against a display list of the
// same triangles.
#include "BenchSetUp.h"
#include "CrowdBench.h"
#include "models/COGLMD2.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"

namespace {

void BM_Md2CrowdViewerVersusDisplayList(benchmark::State& state) {
    COffscreenContext context;
    if (!StartOffscreen(state, context, crowd::SIDE, crowd::SIDE)) {
        return;
    }
    COGLScene scene;
    const std::unique_ptr<COGLModel> model = LoadModelFile(ORRIN_TESTDATA "/md2/assimp/faerie.md2", scene);
    if (!model || !model->IsLoaded()) {
        state.SkipWithError("the MD2 test data is missing");
        return;
    }
    model->StartAnimation();
    crowd::MeasureAgainstDisplayList(state, *model, 100, true);
}

}  // namespace

BENCHMARK(BM_Md2CrowdViewerVersusDisplayList)->Unit(benchmark::kMillisecond)->Iterations(3);
