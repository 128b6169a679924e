#pragma once

#include "objects/COGLObject.h"
#include "objects/QuadricList.h"

// A closed cylinder of radius 0.1 and height 2 along its own z axis. The
// shape is built from z = 0 to z = 2 and drawn shifted by -scale z, so it is
// centred on the object's position like every other object. Rod and cone
// share this placement.
class COGLCylinder : public COGLObject {
public:
    COGLCylinder();

    const char* ClassName() const override { return "COGLCylinder"; }
    void Draw(CGLState& gl, int flags) override;
    void DrawForSelection() override;

    // Forgets the class's lists; called when their context is deleted.
    static void ResetLists();

protected:
    // The first one drawn builds the class's lists.
    void PrepareLists() override;

private:
    static SharedLists lists;
};
