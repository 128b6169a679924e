#pragma once

#include "objects/COGLPlane.h"

// The square at height 6 over the floor, facing down (-y).
class COGLCeiling : public COGLPlane {
public:
    COGLCeiling();

    const char* ClassName() const override { return "COGLCeiling"; }
};
