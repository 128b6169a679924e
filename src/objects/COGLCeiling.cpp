#include "objects/COGLCeiling.h"

COGLCeiling::COGLCeiling() {
    name = "Ceiling";
    typeCode = 6;
    Rotate(CVector(1.0f, 0.0f, 0.0f), -90.0f);
    SetPosition(0.0f, 6.0f, 0.0f);
}
