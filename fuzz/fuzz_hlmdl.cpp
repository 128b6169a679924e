// Half-Life model files come from scenes and archives with companions beside
// them: any bytes must either load into a model whose settings, counts,
// poses and draws (lit, chrome, every frame up to the last) stay within its
// files and the work areas, or be refused with a report. The one harness
// that draws: posing and lighting are where the file's offsets are followed. The first byte
// chooses the files: 0 the model alone; otherwise a 4-byte length follows
// and the bytes after the model become its texture file (1) or its first
// sequence-group file (2).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/FuzzSetUp.h"
#include "models/COGLHLModel.h"
#include "objects/COGLPointLight.h"
#include "platform/CGLState.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CFuzzRun run;
    if (size < 1) {
        return 0;
    }
    const uint8_t mode = data[0] % 3;
    data++;
    size--;
    size_t modelSize = size;
    if (mode != 0) {
        if (size < 4) {
            return 0;
        }
        uint32_t length = 0;
        std::memcpy(&length, data, 4);
        data += 4;
        size -= 4;
        modelSize = length < size ? length : size;
    }
    std::remove((FuzzFolder() + "mT.mdl").c_str());
    std::remove((FuzzFolder() + "m01.mdl").c_str());
    const std::string model = WriteFuzzFile("m.mdl", data, modelSize);
    if (mode != 0) {
        WriteFuzzFile(mode == 1 ? "mT.mdl" : "m01.mdl", data + modelSize, size - modelSize);
    }

    COGLScene scene;
    scene.AddLight(std::make_unique<COGLPointLight>(1.0f, 2.0f, 3.0f));
    CGLState gl;
    gl.Reset(GLS_DEPTH_TEST | GLS_DEPTH_WRITE | GLS_COLOR_WRITE | GLS_CULL | GLS_LIGHTING);
    scene.Render(gl, 0, CVector(0.0f, 0.0f, 8.0f), CVector(0.0f, 1.0f, 0.0f));
    const std::unique_ptr<COGLModel> loaded = LoadModelFile(model, scene);
    auto* hl = dynamic_cast<COGLHLModel*>(loaded.get());
    if (hl == nullptr || !hl->IsLoaded()) {
        return 0;
    }
    const CHLModelData& file = *hl->data;
    CHLPose& pose = hl->pose;
    for (size_t i = 0; i < hl->animations.size() && i < 3; i++) {
        hl->SetAnimation(hl->animations[i]);
        hl->GetFrameCount();
        for (int32_t slot = -1; slot <= 4; slot++) {
            pose.SetControllerValue(file, slot, 370.0f);
            pose.SetBlendValue(file, slot, -20.0f);
        }
        pose.SetMouthValue(file, 1e30f);
        hl->Draw(gl, DRAW_MATERIAL);
        pose.blending[0] = 200;
        pose.blending[1] = 40;
        pose.controller[0] = 255;
        SetUpHLBones(file, pose, scene.HLWork());
        // The last frame and past it: the runs end there.
        pose.frame = static_cast<float>(hl->GetFrameCount()) - 0.5f;
        hl->Draw(gl, 0);
        pose.frame = 1e9f;
        pose.bodyNumber = 7;
        pose.skinNumber = 1;
        hl->Draw(gl, DRAW_MATERIAL);
        pose.bodyNumber = pose.skinNumber = 0;
        hl->loop = i == 1;
        hl->StartAnimation();
        for (int tick = 0; tick < 3; tick++) {
            hl->Animate();
            hl->Draw(gl, DRAW_MATERIAL);
        }
        hl->DrawSelected(gl);
    }
    CVector min, max;
    hl->FrameBounds(0, min, max);
    hl->VertexCount();
    hl->TriangleCount();
    hl->SkinNames();
    hl->BodyParts();
    hl->CompanionFiles();
    return 0;
}
