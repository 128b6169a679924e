// SiN models come from scenes and archives as three files: a definition, a
// mesh and animations. One input holds all three: a 16-bit length of the
// definition, a 16-bit length of the mesh, the definition, the mesh, and the
// rest as the animation file. Written beside each other where the definition
// finds them, any bytes must either load into a model that animates and
// measures itself within its data, or be refused with a message.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzSetUp.h"
#include "models/COGLModel.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetUpReading();
    if (size < 4) {
        return 0;
    }
    const size_t rest = size - 4;
    const size_t defLength = std::min<size_t>(rest, data[0] | data[1] << 8);
    const size_t meshLength = std::min<size_t>(rest - defLength, data[2] | data[3] << 8);
    const uint8_t* def = data + 4;
    const std::string definition = WriteFuzzFile("m.def", def, defLength);
    WriteFuzzFile("m.sbm", def + defLength, meshLength);
    WriteFuzzFile("a.sam", def + defLength + meshLength, rest - defLength - meshLength);

    COGLScene scene;
    const std::unique_ptr<COGLModel> model = LoadModelFile(definition, scene);
    if (!model || !model->IsLoaded()) {
        return 0;
    }
    model->StartAnimation();
    for (int tick = 0; tick < 6; tick++) {
        model->Animate();
    }
    model->TriangleCount();
    CVector min, max;
    for (int32_t frame = -1; frame < model->GetFrameCount() + 1 && frame < 4; frame++) {
        model->FrameBounds(frame, min, max);
    }
    model->PlacedBounds(min, max);
    if (!model->animations.empty()) {
        model->SelectAnimation(model->animations.back()->name);
        model->FrameBounds(0, min, max);
    }
    return 0;
}
