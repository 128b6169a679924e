#include "objects/COGLFloor.h"

COGLFloor::COGLFloor() {
    name = "Floor";
    typeCode = 1;
    Rotate(CVector(1.0f, 0.0f, 0.0f), 90.0f);
}
