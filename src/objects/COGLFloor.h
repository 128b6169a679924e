#pragma once

#include "objects/COGLPlane.h"

// The square turned to lie in the x-z plane at the origin, facing up (+y).
class COGLFloor : public COGLPlane {
public:
    COGLFloor();

    const char* ClassName() const override { return "COGLFloor"; }
};
