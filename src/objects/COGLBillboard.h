#pragma once

#include "objects/COGLPlane.h"

// A square that always faces the viewer, whatever its orientation says. With
// the material flag it is blended by its texture's alpha, and texels of
// alpha 0.1 or less are left out entirely: cut-out pictures such as trees.
class COGLBillboard : public COGLPlane {
public:
    COGLBillboard();

    const char* ClassName() const override { return "COGLBillboard"; }
    // Always the square, never the mesh; no material is applied and the
    // texture replaces the colour, blended without depth writes.
    void Draw(CGLState& gl, int flags) override;
    // Clears the rotation out of the modelview matrix, keeping the
    // translation: the square then lies in the screen plane.
    void ApplyRotation() override;
    // The square, subdivided or not.
    void DrawSolid() override { COGLObject::DrawSolid(); }

private:
    void CallListBlended(CGLState& gl, uint32_t list) const;
};
