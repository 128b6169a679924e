#pragma once

#include "math/CMatrix.h"

// Projects geometry onto the plane a*x + b*y + c*z + d = 0 from a light at
// (x, y, z, w), w = 0 for a directional light. The float matrix s is what the
// scene multiplies in with glMultMatrixf to draw flat shadows.
class CShadowMatrix : public CMatrix {
public:
    CShadowMatrix(const float light[4], const float plane[4]);

    float s[16];
};
