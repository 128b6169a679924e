#include "objects/COGLBillboard.h"

#include <GL/gl.h>

#include "image/COGLTexture2D.h"
#include "platform/CGLState.h"

COGLBillboard::COGLBillboard() {
    name = "Billboard";
    typeCode = 16;
    SetScale(1.0f, 1.0f, 1.0f);
}

void COGLBillboard::ApplyRotation() {
    GLdouble modelview[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    for (int column = 0; column < 3; column++) {
        for (int row = 0; row < 3; row++) {
            modelview[4 * column + row] = (row == column) ? 1.0 : 0.0;
        }
    }
    glLoadMatrixd(modelview);
}

void COGLBillboard::CallListBlended(CGLState& gl, uint32_t list) const {
    const uint32_t bits = (gl.Baseline() | GLS_BLEND) & ~(GLS_BLEND_ADD | GLS_DEPTH_WRITE | GLS_COLOR_MATERIAL);
    if (texture == nullptr) {
        gl.Apply(bits);
        glCallList(list);
        return;
    }
    // The picture is shown as it is, not modulated by the lighting.
    CallListTextured(gl, (bits | GLS_ALPHA_TEST) & ~GLS_ALPHA_HALF, list, GL_REPLACE);
}

void COGLBillboard::Draw(CGLState& gl, int flags) {
    if (!IsVisible()) {
        return;
    }
    PrepareLists();
    glPushMatrix();
    PlaceObject(0.0f);
    const uint32_t list = (flags & DRAW_WIRE) ? wireList : solidList;
    if (flags & DRAW_MATERIAL) {
        CallListBlended(gl, list);
    } else {
        gl.Apply(gl.Baseline());
        glCallList(list);
    }
    if (flags & DRAW_AXES) {
        gl.Apply(gl.Baseline());
        DrawAxes();
    }
    glPopMatrix();
}
