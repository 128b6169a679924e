#include "objects/COGLRod.h"

#include <GL/glu.h>

#include "objects/QuadricList.h"

SharedLists COGLRod::lists;

static void RodShape(GLUquadric* quadric) {
    gluCylinder(quadric, 0.1, 0.1, 2.0, 20, 1);
}

COGLRod::COGLRod() {
    name = "Rod";
    typeCode = 8;
    extents = CVector(0.1f, 0.1f, 1.0f);
}

void COGLRod::PrepareLists() {
    if (!lists.IsBuilt()) {
        lists = BuildQuadricLists(RodShape);
    }
    UseLists(lists);
}

void COGLRod::ResetLists() {
    lists = SharedLists();
}
