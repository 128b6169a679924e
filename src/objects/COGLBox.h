#pragma once

#include "objects/COGLObject.h"
#include "objects/QuadricList.h"

// A cube from -1 to 1 on each axis, sized by the object's scale.
class COGLBox : public COGLObject {
public:
    COGLBox();

    const char* ClassName() const override { return "COGLBox"; }
    // The cube's own edges in white, drawn just in front of its faces.
    void DrawSelected(CGLState& gl) override;

    // Forgets the class's lists; called when their context is deleted.
    static void ResetLists();

protected:
    // The first box drawn builds the class's lists.
    void PrepareLists() override;

private:
    static SharedLists lists;
};
