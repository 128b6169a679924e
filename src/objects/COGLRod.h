#pragma once

#include "objects/COGLCylinder.h"
#include "objects/QuadricList.h"

// A cylinder without end caps.
class COGLRod : public COGLCylinder {
public:
    COGLRod();

    const char* ClassName() const override { return "COGLRod"; }

    static void ResetLists();

private:
    static SharedLists lists;
};
