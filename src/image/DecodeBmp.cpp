#include <algorithm>
#include <cstring>

#include "image/ImageDecoders.h"
#include "platform/LittleEndian.h"
#include "image/SourcePicture.h"

namespace {

constexpr size_t FILE_HEADER_SIZE = 14;
enum { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

struct BmpInfo {
    int64_t  width = 0;
    int64_t  height = 0;          // positive; topDown tells the order
    bool     topDown = false;
    int      bitsPerPixel = 0;
    uint32_t compression = BI_RGB;
    uint32_t colorsUsed = 0;
    size_t   paletteOffset = 0;
    int      paletteEntryBytes = 4;
    uint32_t masks[4] = { 0, 0, 0, 0 };   // R, G, B, A for bit fields
};

bool ReadInfo(const uint8_t* data, size_t size, BmpInfo& info) {
    if (size < FILE_HEADER_SIZE + 12 || data[0] != 'B' || data[1] != 'M') {
        return false;
    }
    const uint32_t headerSize = U32At(data, size, 14);
    if (headerSize == 12) {  // the old OS/2 core header
        info.width = U16At(data, size, 18);
        info.height = U16At(data, size, 20);
        info.bitsPerPixel = U16At(data, size, 24);
        info.paletteEntryBytes = 3;
    } else if (headerSize >= 40) {
        info.width = static_cast<int32_t>(U32At(data, size, 18));
        const int32_t height = static_cast<int32_t>(U32At(data, size, 22));
        info.topDown = height < 0;
        info.height = info.topDown ? -int64_t(height) : height;
        info.bitsPerPixel = U16At(data, size, 28);
        info.compression = U32At(data, size, 30);
        info.colorsUsed = U32At(data, size, 46);
        for (int i = 0; i < 4; i++) {
            info.masks[i] = U32At(data, size, 54 + 4 * i);
        }
        if (headerSize < 56) {
            info.masks[3] = 0;
        }
    } else {
        return false;
    }
    info.paletteOffset = FILE_HEADER_SIZE + headerSize;
    if (headerSize == 40 && info.compression == BI_BITFIELDS) {
        info.paletteOffset += 12;  // the three masks follow the short header
    }
    return true;
}

bool IsSupported(const BmpInfo& info) {
    switch (info.compression) {
    case BI_RGB:
        return info.bitsPerPixel == 1 || info.bitsPerPixel == 4 || info.bitsPerPixel == 8 ||
               info.bitsPerPixel == 16 || info.bitsPerPixel == 24 || info.bitsPerPixel == 32;
    case BI_RLE8:
        return info.bitsPerPixel == 8 && !info.topDown;
    case BI_RLE4:
        return info.bitsPerPixel == 4 && !info.topDown;
    case BI_BITFIELDS:
        return info.bitsPerPixel == 16 || info.bitsPerPixel == 32;
    }
    return false;
}

void ReadPalette(const uint8_t* data, size_t size, const BmpInfo& info, SourcePicture& out) {
    const uint32_t maxColors = 1u << info.bitsPerPixel;
    const uint32_t colors = info.colorsUsed == 0 || info.colorsUsed > maxColors ? maxColors : info.colorsUsed;
    for (uint32_t i = 0; i < colors; i++) {
        const size_t at = info.paletteOffset + size_t(i) * info.paletteEntryBytes;
        out.palette[i][0] = U8At(data, size, at + 2);
        out.palette[i][1] = U8At(data, size, at + 1);
        out.palette[i][2] = U8At(data, size, at);
        out.palette[i][3] = 0;
    }
}

void ReadIndexedRows(const uint8_t* data, size_t size, size_t at, const BmpInfo& info, SourcePicture& out) {
    const size_t stride = ((size_t(info.width) * info.bitsPerPixel + 31) / 32) * 4;
    const int perByte = 8 / info.bitsPerPixel;
    const int mask = (1 << info.bitsPerPixel) - 1;
    for (int y = 0; y < out.height; y++) {
        uint8_t* row = &out.data[size_t(y) * out.width];
        const size_t rowStart = at + size_t(y) * stride;
        for (int x = 0; x < out.width; x++) {
            const uint8_t byte = U8At(data, size, rowStart + size_t(x / perByte));
            const int shift = 8 - info.bitsPerPixel * (x % perByte + 1);
            row[x] = static_cast<uint8_t>((byte >> shift) & mask);
        }
    }
}

// One colour field of a pixel: where it lies and its largest value.
struct ColorField {
    uint32_t mask = 0;
    int      shift = 0;
    uint32_t maximum = 1;

    explicit ColorField(uint32_t fieldMask) : mask(fieldMask) {
        if (mask == 0) {
            return;
        }
        while (((mask >> shift) & 1) == 0) {
            shift++;
        }
        maximum = mask >> shift;
    }
    // The field's value scaled to 0..255.
    uint8_t Extract(uint32_t pixel) const {
        return static_cast<uint8_t>(uint64_t((pixel & mask) >> shift) * 255 / maximum);
    }
};

void ReadDirectRows(const uint8_t* data, size_t size, size_t at, const BmpInfo& info, SourcePicture& out) {
    const int bytesPerPixel = info.bitsPerPixel / 8;
    const size_t stride = ((size_t(info.width) * info.bitsPerPixel + 31) / 32) * 4;
    uint32_t masks[3] = { info.masks[0], info.masks[1], info.masks[2] };
    if (info.compression == BI_RGB) {
        if (info.bitsPerPixel == 16) {
            masks[0] = 0x7C00; masks[1] = 0x03E0; masks[2] = 0x001F;
        } else {
            masks[0] = 0xFF0000; masks[1] = 0x00FF00; masks[2] = 0x0000FF;
        }
    }
    const ColorField fields[3] = { ColorField(masks[0]), ColorField(masks[1]), ColorField(masks[2]) };
    for (int y = 0; y < out.height; y++) {
        uint8_t* row = &out.data[size_t(y) * out.width * 3];
        const size_t rowStart = at + size_t(y) * stride;
        for (int x = 0; x < out.width; x++) {
            const size_t p = rowStart + size_t(x) * bytesPerPixel;
            const uint32_t pixel = bytesPerPixel == 2 ? U16At(data, size, p)
                                   : bytesPerPixel == 3 ? U32At(data, size, p) & 0xFFFFFF
                                                        : U32At(data, size, p);
            for (int c = 0; c < 3; c++) {
                row[3 * x + c] = fields[c].Extract(pixel);
            }
        }
    }
}

// Run-length rows, bottom-up; pixels the runs skip keep index 0.
void ReadRunLengthRows(const uint8_t* data, size_t size, size_t at, const BmpInfo& info, SourcePicture& out) {
    const bool fourBit = info.compression == BI_RLE4;
    int64_t x = 0, y = 0;
    auto store = [&](uint8_t index) {
        if (x < out.width && y < out.height) {
            out.data[size_t(y) * out.width + size_t(x)] = index;
        }
        x++;
    };
    while (at + 1 < size && y < out.height) {
        const uint8_t count = data[at];
        const uint8_t value = data[at + 1];
        at += 2;
        if (count > 0) {
            // Runs past the row's end store nothing: a stream of them must
            // cost no more than the row.
            const int stored = static_cast<int>(std::clamp<int64_t>(out.width - x, 0, count));
            for (int i = 0; i < stored; i++) {
                store(fourBit ? ((i & 1) ? value & 15 : value >> 4) : value);
            }
            x += count - stored;
        } else if (value == 0) {
            x = 0;
            y++;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            x += U8At(data, size, at);
            y += U8At(data, size, at + 1);
            at += 2;
        } else {
            const size_t bytes = fourBit ? (value + 1) / 2 : value;
            for (int i = 0; i < value; i++) {
                const uint8_t byte = U8At(data, size, at + size_t(fourBit ? i / 2 : i));
                store(fourBit ? ((i & 1) ? byte & 15 : byte >> 4) : byte);
            }
            at += (bytes + 1) & ~size_t(1);  // absolute runs end on a word boundary
        }
    }
}

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, SourcePicture& out) {
    BmpInfo info;
    if (!ReadInfo(data, size, info) || !IsSupported(info)) {
        return false;
    }
    const bool runLength = info.compression == BI_RLE8 || info.compression == BI_RLE4;
    const int64_t pixelsPerByte = runLength ? 128 : info.bitsPerPixel < 8 ? 8 / info.bitsPerPixel : 1;
    if (!PictureSizeIsPlausible(info.width, info.height, size, pixelsPerByte)) {
        return false;
    }
    const size_t pixelOffset = U32At(data, size, 10);
    const int width = static_cast<int>(info.width);
    const int height = static_cast<int>(info.height);
    if (info.bitsPerPixel <= 8) {
        out.Allocate(width, height, 1);
        ReadPalette(data, size, info, out);
        if (runLength) {
            ReadRunLengthRows(data, size, pixelOffset, info, out);
        } else {
            ReadIndexedRows(data, size, pixelOffset, info, out);
        }
    } else {
        out.Allocate(width, height, 3);
        ReadDirectRows(data, size, pixelOffset, info, out);
    }
    out.bottomUp = !info.topDown;
    return true;
}
