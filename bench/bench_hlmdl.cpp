// A crowd of 50 instances of a real Half-Life model (skeleton posed, vertices
// transformed and lit on every draw, each mesh one triangle list from vertex
// arrays), against a display list of the same posed triangles.
#include <filesystem>

#include "BenchSetUp.h"
#include "CrowdBench.h"
#include "models/COGLHLModel.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"

namespace {

const char* const MODEL = ORRIN_TESTDATA "/hlmdl/sven-lowdef/bmt/barney/barney.mdl";

void BM_HlCrowdViewerVersusDisplayList(benchmark::State& state) {
    COffscreenContext context;
    if (!StartOffscreen(state, context, crowd::SIDE, crowd::SIDE)) {
        return;
    }
    if (!std::filesystem::exists(MODEL)) {
        state.SkipWithError("the Half-Life test data is missing");
        return;
    }
    COGLScene scene;
    const std::unique_ptr<COGLModel> model = LoadModelFile(MODEL, scene);
    if (!model || !model->IsLoaded()) {
        state.SkipWithError("the Half-Life model did not load");
        return;
    }
    model->SetAnimation(model->FindAnimation("walk"));
    model->StartAnimation();
    crowd::MeasureAgainstDisplayList(state, *model, 50, false);
}

}  // namespace

BENCHMARK(BM_HlCrowdViewerVersusDisplayList)->Unit(benchmark::kMillisecond)->Iterations(3);
