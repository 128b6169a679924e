#pragma once

#include <cstdint>
#include <vector>

#include "models/CHLModelData.h"

// What posing, lighting and drawing a Half-Life model work in, sized by the
// limits the reader enforces. One scene's Half-Life models share one set
// (one draws at a time, on the window's thread).
struct HLWorkAreas {
    HLWorkAreas();

    float   boneTransform[HL_MAX_BONES][3][4];
    float   position[HL_MAX_BLENDS][HL_MAX_BONES][3];
    float   quaternion[HL_MAX_BLENDS][HL_MAX_BONES][4];
    float   vertex[HL_MAX_VERTICES][3];
    float   light[HL_MAX_VERTICES][3];
    float   boneLight[HL_MAX_BONES][3];
    int32_t chrome[HL_MAX_VERTICES][2];
    float   chromeUp[HL_MAX_BONES][3];
    float   chromeRight[HL_MAX_BONES][3];
    int32_t chromeAge[HL_MAX_BONES] = {};
    int32_t drawCount = 0;
    int32_t ambientLight;
    float   shadeLight;
    float   lightColour[3];
    float   lambert;
    // The camera's right vector in model order (z, x, y), kept current by
    // the scene's viewer; the chrome effect turns with it.
    float   cameraRight[3] = { 0.0f, 0.0f, 0.0f };
    // One mesh's arrays as a draw fills them.
    std::vector<float> positions;
    std::vector<float> colours;
    std::vector<float> texCoords;
};
