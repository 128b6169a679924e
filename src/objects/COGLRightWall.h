#pragma once

#include "objects/COGLPlane.h"

// The square standing at x = 3, 3 units high at its centre, facing -x.
class COGLRightWall : public COGLPlane {
public:
    COGLRightWall();

    const char* ClassName() const override { return "COGLRightWall"; }
};
