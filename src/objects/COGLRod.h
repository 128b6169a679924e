#pragma once

#include "objects/COGLCylinder.h"
#include "objects/QuadricList.h"

// A cylinder without end caps.
class COGLRod : public COGLCylinder {
public:
    COGLRod();

    const char* ClassName() const override { return "COGLRod"; }

    static void ResetLists();

protected:
    // The first one drawn builds the class's lists.
    void PrepareLists() override;

private:
    static SharedLists lists;
};
