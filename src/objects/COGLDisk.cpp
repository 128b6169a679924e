#include "objects/COGLDisk.h"

#include <GL/glu.h>

SharedLists COGLDisk::lists;

static void DiskShape(GLUquadric* quadric) {
    gluDisk(quadric, 0.0, 1.0, 20, 1);
}

COGLDisk::COGLDisk() {
    name = "Disk";
    typeCode = 11;
    extents.z = 0.0f;
}

void COGLDisk::PrepareLists() {
    // The plane's lists first: a subdivided disk draws the plane's mesh.
    COGLPlane::PrepareLists();
    if (!lists.IsBuilt()) {
        lists = BuildQuadricLists(DiskShape);
    }
    UseLists(lists);
}

void COGLDisk::ResetLists() {
    lists = SharedLists();
}
