// The camera record comes straight from a scene file: any bytes must either
// load or throw the file exception, and the camera must then apply, orbit,
// pan and zoom without hanging, whatever numbers it holds.
#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSetUp.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "view/COGLCamera3D.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CFuzzRun run;
    CFile file;
    if (!file.OpenMemory(data, size)) {
        return 0;
    }
    COGLCamera3D camera;
    try {
        camera.Load(file, 6);
    } catch (const CFileException&) {
        return 0;
    }
    glLoadIdentity();
    camera.Apply();
    camera.OrbitX(10.0f);
    camera.OrbitY(-10.0f);
    camera.OrbitZ(370.0f);
    camera.MoveRight(1.0f);
    camera.Zoom(-1.0f);
    glLoadIdentity();
    camera.Apply();
    return 0;
}
