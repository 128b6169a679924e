#include "objects/COGLCylinder.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "objects/QuadricList.h"

SharedLists COGLCylinder::lists;

static void CylinderShape(GLUquadric* quadric) {
    gluCylinder(quadric, 0.1, 0.1, 2.0, 20, 1);
    glPushMatrix();
    glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
    gluDisk(quadric, 0.0, 0.1, 20, 1);
    glPopMatrix();
    // Left in the current matrix on purpose: callers draw inside push/pop.
    glTranslatef(0.0f, 0.0f, 2.0f);
    gluDisk(quadric, 0.0, 0.1, 20, 1);
}

COGLCylinder::COGLCylinder() {
    name = "Cylinder";
    typeCode = 9;
    extents = CVector(0.1f, 0.1f, 1.0f);
}

void COGLCylinder::PrepareLists() {
    if (!lists.IsBuilt()) {
        lists = BuildQuadricLists(CylinderShape);
    }
    UseLists(lists);
}

void COGLCylinder::ResetLists() {
    lists = SharedLists();
}

void COGLCylinder::Draw(CGLState& gl, int flags) {
    DrawPlaced(gl, flags, -scale.z);
}

void COGLCylinder::DrawForSelection() {
    DrawForSelectionPlaced(-scale.z);
}
