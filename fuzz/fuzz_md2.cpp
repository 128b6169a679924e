// MD2 files come from scenes and archives: any bytes must either load into a
// model that draws, animates and recomputes its normals within its data, or
// be refused with a message.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSetUp.h"
#include "models/COGLMD2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CFuzzRun run;

    COGLMD2 model;
    if (!model.ReadModel(data, size, false)) {
        return 0;
    }
    model.loaded = true;
    model.StartAnimation();
    for (int tick = 0; tick < 10; tick++) {
        model.Animate();
        model.Draw(DRAW_MATERIAL);
    }
    model.DrawSelected();
    model.TriangleCount();

    COGLMD2 copy;
    copy.CopyModel(model);
    copy.SelectAnimation(model.animations.front()->name);
    copy.Draw(DRAW_MATERIAL);

    COGLMD2 recomputed;
    if (!recomputed.ReadModel(data, size, true)) {
        __builtin_trap();  // the same bytes must read the same way
    }
    return 0;
}
