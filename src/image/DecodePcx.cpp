#include <algorithm>
#include <cstring>
#include <vector>

#include "image/ImageDecoders.h"
#include "platform/LittleEndian.h"
#include "image/Palettes.h"
#include "image/SourcePicture.h"

namespace {

constexpr size_t PCX_HEADER_SIZE = 128;
constexpr size_t PCX_PALETTE_SIZE = 768;
// One run-length pair gives at most 63 indices.
constexpr int64_t PCX_MAX_INDICES_PER_BYTE = 32;

// Run-length data in lines of bytesPerLine bytes, of which the first width are
// the picture's; the rest is the padding some writers add. A scan line holds
// one such line per plane.
void DecodeRuns(const uint8_t* data, size_t size, int bytesPerLine, int planes, SourcePicture& out) {
    const size_t width = static_cast<size_t>(out.width);
    const size_t lineBytes = static_cast<size_t>(bytesPerLine);
    uint8_t* row = out.data.data();
    size_t rowsLeft = static_cast<size_t>(out.height) * static_cast<size_t>(planes);
    size_t column = 0;
    // Runs may cross the end of a line; the index stream goes on in the next.
    auto store = [&](uint8_t index, size_t count) {
        while (count > 0 && rowsLeft > 0) {
            const size_t span = std::min(count, lineBytes - column);
            if (column < width) {
                std::memset(row + column, index, std::min(span, width - column));
            }
            column += span;
            count -= span;
            if (column == lineBytes) {
                column = 0;
                row += width;
                rowsLeft--;
            }
        }
    };
    size_t at = PCX_HEADER_SIZE;
    while (rowsLeft > 0 && at < size) {
        const uint8_t b = data[at++];
        if ((b & 0xC0) != 0xC0) {
            // Most bytes of a skin are single indices: no run to spread.
            if (column + 1 < lineBytes) {
                if (column < width) {
                    row[column] = b;
                }
                column++;
            } else {
                store(b, 1);
            }
            continue;
        }
        store(U8At(data, size, at++), b & 63);
    }
}

// Each row decoded as its red, green and blue planes becomes R, G, B pixels.
void InterleavePlanes(SourcePicture& out) {
    const size_t width = static_cast<size_t>(out.width);
    std::vector<uint8_t> planes(3 * width);
    for (uint8_t* row = out.data.data(); row < out.data.data() + out.data.size(); row += 3 * width) {
        std::memcpy(planes.data(), row, planes.size());
        for (size_t x = 0; x < width; x++) {
            row[3 * x] = gammaTable[planes[x]];
            row[3 * x + 1] = gammaTable[planes[width + x]];
            row[3 * x + 2] = gammaTable[planes[2 * width + x]];
        }
    }
}

}  // namespace

bool DecodePcx(const uint8_t* data, size_t size, bool useDefaultPalette, SourcePicture& out) {
    if (size < PCX_HEADER_SIZE) {
        return false;
    }
    // Eight-bit indices in one plane, or eight-bit red, green and blue planes;
    // anything else would come out as noise.
    const uint8_t bitsPerPixel = data[3];
    const uint8_t planes = data[65];
    if (bitsPerPixel != 8 || (planes != 1 && planes != 3)) {
        return false;
    }
    const int width = static_cast<int16_t>(U16At(data, size, 8)) + 1;
    const int height = static_cast<int16_t>(U16At(data, size, 10)) + 1;
    if (!PictureSizeIsPlausible(width, height, size, (PCX_MAX_INDICES_PER_BYTE + planes - 1) / planes)) {
        return false;
    }
    // Lines shorter than the picture cannot be honoured; take the stream as
    // rows of exactly width bytes a plane then.
    const int bytesPerLine = std::max<int>(U16At(data, size, 66), width);
    if (planes == 3) {
        // Direct colour: no palette, no key colour.
        out.Allocate(width, height, 3);
        DecodeRuns(data, size, bytesPerLine, planes, out);
        InterleavePlanes(out);
        return true;
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

    out.Allocate(width, height, 1);
    DecodeRuns(data, size, bytesPerLine, planes, out);
    out.transparent = std::find(out.data.begin(), out.data.end(), 255) != out.data.end();
    return true;
}
