#pragma once

#include "objects/COGLCylinder.h"
#include "objects/QuadricList.h"

// A cone with its apex at -scale z and its capped base, radius 0.5, at +scale z.
class COGLCone : public COGLCylinder {
public:
    COGLCone();

    const char* ClassName() const override { return "COGLCone"; }

    static void ResetLists();

protected:
    // The first one drawn builds the class's lists.
    void PrepareLists() override;

private:
    static SharedLists lists;
};
