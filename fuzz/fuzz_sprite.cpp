// Sprite files come from scenes and archives: any bytes, of any of the three
// kinds, must either load into a sprite that draws and animates within its
// frames, or be refused with a message. Frame pictures are looked up through
// a scene as in the viewer.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSetUp.h"
#include "models/COGLSprite.h"
#include "scene/COGLScene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CFuzzRun run;

    COGLScene scene;
    COGLSprite sprite;
    sprite.resources = &scene;
    if (!sprite.ReadSprite(data, size)) {
        return 0;
    }
    if (sprite.frameCount < 1 || sprite.texture != sprite.frames[0]) {
        __builtin_trap();
    }
    sprite.frameStep = 0.75f;
    for (int tick = 0; tick < 10; tick++) {
        sprite.Animate();
        sprite.Draw(DRAW_MATERIAL | DRAW_AXES);
    }
    sprite.DrawSelected();
    sprite.DrawForSelection();
    return 0;
}
