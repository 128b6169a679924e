#include <algorithm>
#include <cstring>

#include "image/ImageDecoders.h"
#include "platform/LittleEndian.h"
#include "image/Palettes.h"
#include "image/SourcePicture.h"

namespace {

constexpr size_t PCX_HEADER_SIZE = 128;
constexpr size_t PCX_PALETTE_SIZE = 768;
// One run-length pair gives at most 63 indices.
constexpr int64_t PCX_MAX_INDICES_PER_BYTE = 32;

// Run-length data in scan lines of bytesPerLine indices, of which the first
// width are the picture's; the rest is the padding some writers add.
void DecodeRuns(const uint8_t* data, size_t size, int bytesPerLine, SourcePicture& out) {
    const int64_t total = int64_t(bytesPerLine) * out.height;
    int64_t produced = 0;
    size_t at = PCX_HEADER_SIZE;
    auto store = [&](uint8_t index) {
        const int64_t row = produced / bytesPerLine;
        const int64_t column = produced % bytesPerLine;
        if (column < out.width) {
            out.data[static_cast<size_t>(row * out.width + column)] = index;
        }
        produced++;
    };
    while (produced < total && at < size) {
        const uint8_t b = data[at++];
        if ((b & 0xC0) != 0xC0) {
            store(b);
            continue;
        }
        const int64_t run = std::min<int64_t>(b & 63, total - produced);
        const uint8_t value = U8At(data, size, at++);
        for (int64_t i = 0; i < run; i++) {
            store(value);
        }
    }
}

}  // namespace

bool DecodePcx(const uint8_t* data, size_t size, bool useDefaultPalette, SourcePicture& out) {
    if (size < PCX_HEADER_SIZE) {
        return false;
    }
    // Only 8-bit pictures in one plane carry indices; anything else would come
    // out as noise.
    const uint8_t bitsPerPixel = data[3];
    const uint8_t planes = data[65];
    if (bitsPerPixel != 8 || planes != 1) {
        return false;
    }
    const int width = static_cast<int16_t>(U16At(data, size, 8)) + 1;
    const int height = static_cast<int16_t>(U16At(data, size, 10)) + 1;
    if (!PictureSizeIsPlausible(width, height, size, PCX_MAX_INDICES_PER_BYTE)) {
        return false;
    }
    if (useDefaultPalette) {
        std::memcpy(out.palette, defaultPaletteTable, sizeof(PaletteTable));
    } else {
        if (size < PCX_HEADER_SIZE + PCX_PALETTE_SIZE) {
            return false;
        }
        ConvertPalette(out.palette, data + size - PCX_PALETTE_SIZE);
    }
    std::memcpy(out.keyColor, out.palette[255], 3);

    // Lines shorter than the picture cannot be honoured; take the stream as
    // rows of exactly width indices then.
    const int bytesPerLine = std::max<int>(U16At(data, size, 66), width);
    out.Allocate(width, height, 1);
    DecodeRuns(data, size, bytesPerLine, out);
    out.transparent = std::find(out.data.begin(), out.data.end(), 255) != out.data.end();
    return true;
}
