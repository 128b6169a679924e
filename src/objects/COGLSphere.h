#pragma once

#include "objects/COGLObject.h"
#include "objects/QuadricList.h"

// A sphere of radius 1, sized by the object's scale.
class COGLSphere : public COGLObject {
public:
    COGLSphere();

    const char* ClassName() const override { return "COGLSphere"; }

    // Forgets the class's lists; called when their context is deleted.
    static void ResetLists();

protected:
    // The first one drawn builds the class's lists.
    void PrepareLists() override;

private:
    static SharedLists lists;
};
