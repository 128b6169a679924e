#include <algorithm>
#include <cstring>

#include "image/ImageDecoders.h"
#include "platform/LittleEndian.h"
#include "image/Palettes.h"
#include "image/SourcePicture.h"

namespace {

constexpr size_t TGA_HEADER_SIZE = 18;
// A run-length packet of 1 + 3 bytes repeats a pixel up to 128 times.
constexpr int64_t TGA_RLE_PIXELS_PER_BYTE = 32;

struct TgaHeader {
    uint8_t  idLength;
    uint8_t  colorMapType;
    uint8_t  imageType;
    uint16_t colorMapLength;
    uint8_t  colorMapEntryBits;
    uint16_t width;
    uint16_t height;
    uint8_t  pixelBits;
    uint8_t  descriptor;
};

TgaHeader ReadHeader(const uint8_t* data, size_t size) {
    TgaHeader h;
    h.idLength = U8At(data, size, 0);
    h.colorMapType = U8At(data, size, 1);
    h.imageType = U8At(data, size, 2);
    h.colorMapLength = U16At(data, size, 5);
    h.colorMapEntryBits = U8At(data, size, 7);
    h.width = U16At(data, size, 12);
    h.height = U16At(data, size, 14);
    h.pixelBits = U8At(data, size, 16);
    h.descriptor = U8At(data, size, 17);
    return h;
}

// B, G, R (A) in the file to gamma-corrected R, G, B and untouched A.
void StoreTruePixel(const uint8_t* file, int bytesPerPixel, uint8_t* pixel) {
    pixel[0] = gammaTable[file[2]];
    pixel[1] = gammaTable[file[1]];
    pixel[2] = gammaTable[file[0]];
    pixel[3] = bytesPerPixel == 4 ? file[3] : 255;
}

// Pixels the file does not hold read as zero bytes.
void ReadUncompressed(const uint8_t* data, size_t size, size_t at, int bytesPerPixel, SourcePicture& out) {
    const size_t pixels = out.data.size() / 4;
    const size_t inFile = std::min(pixels, at < size ? (size - at) / bytesPerPixel : 0);
    for (size_t i = 0; i < inFile; i++) {
        StoreTruePixel(data + at + i * bytesPerPixel, bytesPerPixel, &out.data[4 * i]);
    }
    uint8_t file[4] = { 0, 0, 0, 0 };
    for (size_t i = inFile; i < pixels; i++) {
        CopyAt(data, size, at + i * bytesPerPixel, file, bytesPerPixel);
        StoreTruePixel(file, bytesPerPixel, &out.data[4 * i]);
    }
}

// Packets may run across row ends; decoding stops when the picture is full.
void ReadRunLength(const uint8_t* data, size_t size, size_t at, int bytesPerPixel, SourcePicture& out) {
    const size_t pixels = out.data.size() / 4;
    size_t filled = 0;
    uint8_t file[4] = { 0, 0, 0, 0 };
    while (filled < pixels && at < size) {
        const uint8_t packet = data[at++];
        const size_t count = std::min<size_t>((packet & 127) + 1, pixels - filled);
        if (packet & 128) {
            CopyAt(data, size, at, file, bytesPerPixel);
            at += bytesPerPixel;
            for (size_t i = 0; i < count; i++) {
                StoreTruePixel(file, bytesPerPixel, &out.data[4 * filled++]);
            }
        } else {
            for (size_t i = 0; i < count; i++) {
                CopyAt(data, size, at, file, bytesPerPixel);
                at += bytesPerPixel;
                StoreTruePixel(file, bytesPerPixel, &out.data[4 * filled++]);
            }
        }
    }
}

bool DecodeTrueColor(const TgaHeader& h, const uint8_t* data, size_t size, SourcePicture& out) {
    if (h.colorMapType != 0 || (h.pixelBits != 24 && h.pixelBits != 32)) {
        return false;
    }
    const bool runLength = h.imageType == 10;
    if (!PictureSizeIsPlausible(h.width, h.height, size, runLength ? TGA_RLE_PIXELS_PER_BYTE : 1)) {
        return false;
    }
    const int bytesPerPixel = h.pixelBits / 8;
    // Kept as R, G, B, A; the finishing step drops A unless the file has it.
    out.Allocate(h.width, h.height, 4);
    const size_t at = TGA_HEADER_SIZE + h.idLength;
    if (runLength) {
        ReadRunLength(data, size, at, bytesPerPixel, out);
    } else {
        ReadUncompressed(data, size, at, bytesPerPixel, out);
    }
    out.hasAlpha = bytesPerPixel == 4;
    out.transparent = out.hasAlpha;
    return true;
}

// Colour-map entries of 15 or 16 bits are 5-5-5 with blue lowest.
void ReadColorMapEntry(const uint8_t* data, size_t size, size_t at, int entryBits, uint8_t* entry) {
    if (entryBits == 15 || entryBits == 16) {
        const uint16_t packed = U16At(data, size, at);
        const auto expand = [](int five) { return static_cast<uint8_t>((five << 3) | (five >> 2)); };
        entry[0] = gammaTable[expand((packed >> 10) & 31)];
        entry[1] = gammaTable[expand((packed >> 5) & 31)];
        entry[2] = gammaTable[expand(packed & 31)];
        entry[3] = 255;
        return;
    }
    entry[0] = gammaTable[U8At(data, size, at + 2)];
    entry[1] = gammaTable[U8At(data, size, at + 1)];
    entry[2] = gammaTable[U8At(data, size, at)];
    entry[3] = entryBits == 32 ? U8At(data, size, at + 3) : 255;
}

bool DecodeColorMapped(const TgaHeader& h, const uint8_t* data, size_t size, SourcePicture& out) {
    const int entryBits = h.colorMapEntryBits;
    const bool knownEntry = entryBits == 15 || entryBits == 16 || entryBits == 24 || entryBits == 32;
    if (h.colorMapType != 1 || h.pixelBits != 8 || !knownEntry) {
        return false;
    }
    if (!PictureSizeIsPlausible(h.width, h.height, size, 1)) {
        return false;
    }
    const size_t entryBytes = static_cast<size_t>((entryBits + 7) / 8);
    size_t at = TGA_HEADER_SIZE + h.idLength;
    // Eight-bit indices reach 256 entries; a longer map is skipped past.
    for (int i = 0; i < h.colorMapLength; i++, at += entryBytes) {
        if (i < 256) {
            ReadColorMapEntry(data, size, at, entryBits, out.palette[i]);
        }
    }
    out.Allocate(h.width, h.height, 1);
    CopyAt(data, size, at, out.data.data(), out.data.size());
    return true;
}

}  // namespace

bool DecodeTga(const uint8_t* data, size_t size, SourcePicture& out) {
    if (size < TGA_HEADER_SIZE) {
        return false;
    }
    const TgaHeader h = ReadHeader(data, size);
    bool decoded = false;
    if (h.imageType == 2 || h.imageType == 10) {
        decoded = DecodeTrueColor(h, data, size, out);
    } else if (h.imageType == 1) {
        decoded = DecodeColorMapped(h, data, size, out);
    }
    // Rows run bottom-up unless the descriptor puts the origin at the top.
    out.bottomUp = (h.descriptor & 0x20) == 0;
    return decoded;
}
