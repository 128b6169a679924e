#include <algorithm>
#include <cstring>

#include "image/ImageDecoders.h"
#include "platform/LittleEndian.h"
#include "image/Palettes.h"
#include "image/SourcePicture.h"

namespace {

// Reads the first mip level: offset1 - offset0 indices from offset0, at most
// the picture's, the rest zero. False when the level starts past the data.
bool ReadMipLevel(const uint8_t* data, size_t size, uint32_t offset0, uint32_t offset1, SourcePicture& out) {
    if (offset0 >= size) {
        return false;
    }
    const size_t wanted = offset1 > offset0 ? offset1 - offset0 : 0;
    const size_t count = std::min({ wanted, out.data.size(), size - offset0 });
    std::memcpy(out.data.data(), data + offset0, count);
    return true;
}

bool Contains(const SourcePicture& picture, uint8_t index) {
    return std::find(picture.data.begin(), picture.data.end(), index) != picture.data.end();
}

}  // namespace

bool DecodeWal(const uint8_t* data, size_t size, SourcePicture& out) {
    const uint32_t width = U32At(data, size, 32);
    const uint32_t height = U32At(data, size, 36);
    if (!PictureSizeIsPlausible(width, height, size, 1)) {
        return false;
    }
    std::memcpy(out.palette, quake2PaletteTable, sizeof(PaletteTable));
    std::memcpy(out.keyColor, out.palette[255], 3);
    out.Allocate(static_cast<int>(width), static_cast<int>(height), 1);
    if (!ReadMipLevel(data, size, U32At(data, size, 40), U32At(data, size, 44), out)) {
        return false;
    }
    out.transparent = Contains(out, 255);
    return true;
}

bool DecodeSwl(const uint8_t* data, size_t size, SourcePicture& out) {
    constexpr size_t SWL_HEADER_SIZE = 1236;
    constexpr size_t SWL_PALETTE = 72;
    if (size < SWL_HEADER_SIZE) {
        return false;
    }
    const uint32_t width = U32At(data, size, 64);
    const uint32_t height = U32At(data, size, 68);
    if (!PictureSizeIsPlausible(width, height, size, 1)) {
        return false;
    }
    for (int i = 0; i < 256; i++) {
        const uint8_t* entry = data + SWL_PALETTE + 4 * i;
        out.palette[i][0] = gammaTable[entry[0]];
        out.palette[i][1] = gammaTable[entry[1]];
        out.palette[i][2] = gammaTable[entry[2]];
        out.palette[i][3] = entry[3];
    }
    out.Allocate(static_cast<int>(width), static_cast<int>(height), 1);
    if (!ReadMipLevel(data, size, U32At(data, size, 1100), U32At(data, size, 1104), out)) {
        return false;
    }
    // SiN marks see-through texels with index 63.
    if (Contains(out, 63)) {
        out.transparent = true;
        std::memcpy(out.keyColor, out.palette[63], 3);
    }
    return true;
}
