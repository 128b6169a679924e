#pragma once

#include <cstdint>

#include "models/CHLModelData.h"

// What posing, lighting and drawing a Half-Life model work in. Shared by all
// such models (one draws at a time, on the window's thread) and sized by the
// limits the reader enforces, so that drawing allocates nothing.
struct HLWorkAreas {
    float   boneTransform[HL_MAX_BONES][3][4];
    float   position[HL_MAX_BLENDS][HL_MAX_BONES][3];
    float   quaternion[HL_MAX_BLENDS][HL_MAX_BONES][4];
    float   vertex[HL_MAX_VERTICES][3];
    float   light[HL_MAX_VERTICES][3];
    float   boneLight[HL_MAX_BONES][3];
    int32_t chrome[HL_MAX_VERTICES][2];
    float   chromeUp[HL_MAX_BONES][3];
    float   chromeRight[HL_MAX_BONES][3];
    int32_t chromeAge[HL_MAX_BONES];
    int32_t drawCount;
    int32_t ambientLight;
    float   shadeLight;
    float   lightColour[3];
    float   lambert;
};

HLWorkAreas& HLWork();
