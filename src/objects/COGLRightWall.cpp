#include "objects/COGLRightWall.h"

COGLRightWall::COGLRightWall() {
    name = "Right Wall";
    typeCode = 4;
    Rotate(CVector(0.0f, 1.0f, 0.0f), 90.0f);
    SetPosition(3.0f, 3.0f, 0.0f);
}
