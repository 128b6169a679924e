#pragma once

#include "objects/COGLPlane.h"
#include "objects/QuadricList.h"

// A flat disk of radius 1 in the plane's x-y plane, facing +z. Subdivided, it
// shows the plane's square mesh instead.
class COGLDisk : public COGLPlane {
public:
    COGLDisk();

    const char* ClassName() const override { return "COGLDisk"; }

    // Forgets the class's lists; called when their context is deleted.
    static void ResetLists();

protected:
    // The first one drawn builds the class's lists.
    void PrepareLists() override;

private:
    static SharedLists lists;
};
