#include "objects/SharedListsReset.h"

#include "objects/COGLBox.h"
#include "objects/COGLCone.h"
#include "objects/COGLCylinder.h"
#include "objects/COGLDisk.h"
#include "objects/COGLPlane.h"
#include "objects/COGLRod.h"
#include "objects/COGLSphere.h"

void ResetSharedLists() {
    COGLBox::ResetLists();
    COGLSphere::ResetLists();
    COGLCylinder::ResetLists();
    COGLRod::ResetLists();
    COGLCone::ResetLists();
    COGLPlane::ResetLists();
    COGLDisk::ResetLists();
}
