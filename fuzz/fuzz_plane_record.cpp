// Plane records come straight from scene files: any bytes must either load
// or throw the file exception, and the plane must then draw and give its
// plane equation.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSetUp.h"
#include "objects/COGLPlane.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "platform/CGLState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CFuzzRun run;
    CFile file;
    if (!file.OpenMemory(data, size)) {
        return 0;
    }
    COGLPlane plane;
    try {
        plane.Load(file, 6);
    } catch (const CFileException&) {
        return 0;
    }
    CGLState gl;
    gl.Reset(GLS_DEPTH_TEST | GLS_DEPTH_WRITE | GLS_COLOR_WRITE);
    plane.Draw(gl, DRAW_MATERIAL);
    float equation[4];
    plane.GetPlaneEquation(equation);
    return 0;
}
