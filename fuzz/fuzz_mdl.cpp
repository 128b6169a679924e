// MDL files come from scenes and archives: any bytes must either load into a
// model that draws, animates and copies within its data, or be refused with
// a message.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSetUp.h"
#include "models/COGLMDL.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CFuzzRun run;

    COGLMDL model;
    if (!model.ReadModel(data, size)) {
        return 0;
    }
    model.loaded = true;
    model.SelectFirstSkin();
    // A few animations are enough to reach every kind of frame; all of them
    // would make a file of many one-frame animations slow to run.
    for (size_t i = 0; i < model.animations.size() && i < 3; i++) {
        model.SetAnimation(model.animations[i].get());
        model.StartAnimation();
        for (int tick = 0; tick < 10; tick++) {
            model.Animate();
            model.Draw(DRAW_MATERIAL);
        }
    }
    model.DrawSelected();
    CVector min, max;
    for (int32_t frame = -1; frame <= model.FileFrameCount(); frame++) {
        model.FrameBounds(frame, min, max);
    }

    COGLMDL copy;
    copy.CopyModel(model);
    copy.SelectAnimation(model.animations.back()->name);
    copy.Draw(DRAW_MATERIAL);
    return 0;
}
