#pragma once

#include "objects/COGLCylinder.h"
#include "objects/QuadricList.h"

// A cone with its apex at -scale z and its capped base, radius 0.5, at +scale z.
class COGLCone : public COGLCylinder {
public:
    COGLCone();

    const char* ClassName() const override { return "COGLCone"; }

    static void ResetLists();

private:
    static SharedLists lists;
};
