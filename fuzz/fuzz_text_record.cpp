// Text records come straight from scene files: any bytes must either load
// or throw the file exception, and the text must then draw, pick and
// highlight whatever its characters, font name and numbers are.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSetUp.h"
#include "objects/COGLText.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "platform/CGLState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CFuzzRun run;
    CFile file;
    if (!file.OpenMemory(data, size)) {
        return 0;
    }
    COGLText text;
    try {
        text.Load(file, 6);
    } catch (const CFileException&) {
        return 0;
    }
    CGLState gl;
    gl.Reset(GLS_DEPTH_TEST | GLS_DEPTH_WRITE | GLS_COLOR_WRITE);
    text.Draw(gl, DRAW_MATERIAL | DRAW_AXES);
    text.Draw(gl, DRAW_WIRE);
    text.DrawForSelection();
    text.DrawSelected(gl);
    return 0;
}
