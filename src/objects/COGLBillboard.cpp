#include "objects/COGLBillboard.h"

#include <GL/gl.h>

#include "image/COGLTexture2D.h"

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

void COGLBillboard::CallListBlended(uint32_t list) const {
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glDisable(GL_COLOR_MATERIAL);
    if (texture == nullptr) {
        glCallList(list);
        glPopAttrib();
        return;
    }
    glAlphaFunc(GL_GREATER, 0.1f);
    glEnable(GL_ALPHA_TEST);
    // The picture is shown as it is, not modulated by the lighting.
    CallListTextured(list, GL_REPLACE);
    glPopAttrib();
}

void COGLBillboard::Draw(int flags) {
    if (!visible) {
        return;
    }
    PrepareLists();
    glPushMatrix();
    PlaceObject(0.0f);
    const uint32_t list = (flags & DRAW_WIRE) ? wireList : solidList;
    if (flags & DRAW_MATERIAL) {
        CallListBlended(list);
    } else {
        glCallList(list);
    }
    if (flags & DRAW_AXES) {
        DrawAxes();
    }
    glPopMatrix();
}
