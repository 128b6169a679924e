// Object records come straight from scene files: any bytes must either load
// or throw the file exception, nothing else.
#include <cstddef>
#include <cstdint>

#include "objects/COGLObject.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFile file;
    if (!file.OpenMemory(data, size)) {
        return 0;
    }
    COGLObject object;
    try {
        object.Load(file, 6);
        object.RotateX(object.position.x);
        object.RotateY(object.scale.y);
    } catch (const CFileException&) {
    }
    return 0;
}
