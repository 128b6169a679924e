// Picture files come from scenes, archives and model folders: any bytes
// must decode or be refused, within the memory the file could describe.
#include <cstddef>
#include <cstdint>

#include "image/ImageDecoders.h"
#include "image/Palettes.h"
#include "image/SourcePicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool tablesReady = (ApplyGamma(0.7f), LoadDefaultPaletteFrom(""), true);
    (void)tablesReady;
    SourcePicture picture;
    DecodeWal(data, size, picture);
    if (!picture.data.empty()) {
        uint8_t rgba[4];
        picture.ColorAt(picture.width - 1, picture.height - 1, rgba);
    }
    return 0;
}
