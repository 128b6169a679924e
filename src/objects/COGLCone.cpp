#include "objects/COGLCone.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "objects/QuadricList.h"

SharedLists COGLCone::lists;

static void ConeShape(GLUquadric* quadric) {
    gluCylinder(quadric, 0.0, 0.5, 2.0, 20, 1);
    // Left in the current matrix on purpose: callers draw inside push/pop.
    glTranslatef(0.0f, 0.0f, 2.0f);
    gluDisk(quadric, 0.0, 0.5, 20, 1);
}

COGLCone::COGLCone() {
    name = "Cone";
    typeCode = 10;
    extents = CVector(0.5f, 0.5f, 1.0f);
}

void COGLCone::PrepareLists() {
    if (!lists.IsBuilt()) {
        lists = BuildQuadricLists(ConeShape);
    }
    UseLists(lists);
}

void COGLCone::ResetLists() {
    lists = SharedLists();
}
