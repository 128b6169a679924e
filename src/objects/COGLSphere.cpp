#include "objects/COGLSphere.h"

#include <GL/glu.h>

#include "objects/QuadricList.h"

SharedLists COGLSphere::lists;

static void SphereShape(GLUquadric* quadric) {
    gluSphere(quadric, 1.0, 16, 16);
}

COGLSphere::COGLSphere() {
    name = "Sphere";
    typeCode = 3;
    extents = CVector(1.0f, 1.0f, 1.0f);
}

void COGLSphere::PrepareLists() {
    if (!lists.IsBuilt()) {
        lists = BuildQuadricLists(SphereShape);
    }
    UseLists(lists);
}

void COGLSphere::ResetLists() {
    lists = SharedLists();
}
