#include <algorithm>
#include <cstring>

#include "image/ImageDecoders.h"
#include "platform/LittleEndian.h"
#include "image/Palettes.h"
#include "image/SourcePicture.h"

namespace {

constexpr size_t TGA_HEADER_SIZE = 18;
// A run-length packet repeats one pixel value up to 128 times.
constexpr int64_t TGA_PIXELS_PER_RUN = 128;

enum {
    TGA_COLOR_MAPPED = 1,
    TGA_TRUE_COLOR = 2,
    TGA_GREY = 3,
    TGA_RUN_LENGTH = 8,
};

struct TgaHeader {
    uint8_t  idLength;
    uint8_t  colorMapType;
    uint8_t  imageType;
    uint16_t colorMapFirst;
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
    h.colorMapFirst = U16At(data, size, 3);
    h.colorMapLength = U16At(data, size, 5);
    h.colorMapEntryBits = U8At(data, size, 7);
    h.width = U16At(data, size, 12);
    h.height = U16At(data, size, 14);
    h.pixelBits = U8At(data, size, 16);
    h.descriptor = U8At(data, size, 17);
    return h;
}

uint8_t ExpandFiveBits(int five) {
    return static_cast<uint8_t>((five << 3) | (five >> 2));
}

// 15 and 16 bits are 5-5-5 with blue lowest and bit 15 an attribute.
void StoreFiveBitColor(uint16_t packed, uint8_t* rgb) {
    rgb[0] = gammaTable[ExpandFiveBits((packed >> 10) & 31)];
    rgb[1] = gammaTable[ExpandFiveBits((packed >> 5) & 31)];
    rgb[2] = gammaTable[ExpandFiveBits(packed & 31)];
}

// The pixel values as the file holds them, bytesPerPixel each, filling out.
// Packets may run across row ends; decoding stops when the picture is full.
void ExpandRuns(const uint8_t* data, size_t size, size_t at, size_t bytesPerPixel, uint8_t* out, size_t outBytes) {
    size_t filled = 0;
    while (filled < outBytes && at < size) {
        const uint8_t packet = data[at++];
        const size_t bytes = std::min<size_t>(((packet & 127) + 1) * bytesPerPixel, outBytes - filled);
        if (packet & 128) {
            CopyAt(data, size, at, out + filled, bytesPerPixel);
            at += bytesPerPixel;
            // The run so far, copied onto its own end, doubles it.
            for (size_t done = bytesPerPixel; done < bytes; done *= 2) {
                std::memcpy(out + filled + done, out + filled, std::min(done, bytes - done));
            }
        } else {
            CopyAt(data, size, at, out + filled, bytes);
            at += bytes;
        }
        filled += bytes;
    }
}

// File pixels of BYTES bytes, at the front of the buffer, become R, G, B, A
// in place. Back to front: a pixel's four bytes never cover file bytes still
// to be read.
template <int BYTES>
void ConvertTrueColor(bool attributeIsAlpha, SourcePicture& out) {
    uint8_t* data = out.data.data();
    for (size_t i = out.data.size() / 4; i-- > 0;) {
        const uint8_t* file = data + i * BYTES;
        uint8_t rgba[4];
        if (BYTES == 2) {
            const uint16_t packed = U16(file);
            StoreFiveBitColor(packed, rgba);
            rgba[3] = !attributeIsAlpha || (packed & 0x8000) ? 255 : 0;
        } else {
            rgba[0] = gammaTable[file[2]];
            rgba[1] = gammaTable[file[1]];
            rgba[2] = gammaTable[file[0]];
            rgba[3] = BYTES == 4 ? file[3] : 255;
        }
        std::memcpy(data + 4 * i, rgba, 4);
    }
}

int ColorMapEntryBytes(int entryBits) {
    switch (entryBits) {
        case 15:
        case 16: return 2;
        case 24: return 3;
        case 32: return 4;
        default: return 0;
    }
}

// Entries fill palette slots from the first-entry index on; eight-bit indices
// reach no further than slot 255.
void ReadColorMap(const TgaHeader& h, const uint8_t* data, size_t size, size_t at, SourcePicture& out) {
    const int entryBytes = ColorMapEntryBytes(h.colorMapEntryBits);
    const int count = std::min<int>(h.colorMapLength, std::max(256 - h.colorMapFirst, 0));
    for (int i = 0; i < count; i++, at += entryBytes) {
        uint8_t* entry = out.palette[h.colorMapFirst + i];
        if (entryBytes == 2) {
            StoreFiveBitColor(U16At(data, size, at), entry);
            entry[3] = 255;
            continue;
        }
        entry[0] = gammaTable[U8At(data, size, at + 2)];
        entry[1] = gammaTable[U8At(data, size, at + 1)];
        entry[2] = gammaTable[U8At(data, size, at)];
        entry[3] = entryBytes == 4 ? U8At(data, size, at + 3) : 255;
    }
}

// Grey levels are drawn as indices into a ramp.
void FillGreyPalette(PaletteTable palette) {
    for (int level = 0; level < 256; level++) {
        const uint8_t grey = gammaTable[level];
        palette[level][0] = grey;
        palette[level][1] = grey;
        palette[level][2] = grey;
        palette[level][3] = 255;
    }
}

bool HeaderIsReadable(const TgaHeader& h) {
    switch (h.imageType & ~TGA_RUN_LENGTH) {
        case TGA_COLOR_MAPPED:
            return h.colorMapType == 1 && h.pixelBits == 8 && ColorMapEntryBytes(h.colorMapEntryBits) != 0;
        case TGA_TRUE_COLOR:
            return h.colorMapType == 0 &&
                   (h.pixelBits == 15 || h.pixelBits == 16 || h.pixelBits == 24 || h.pixelBits == 32);
        case TGA_GREY:
            // Sixteen-bit grey has no agreed layout: some take it as grey and
            // alpha, others as 5-5-5 colour.
            return h.colorMapType == 0 && h.pixelBits == 8;
        default:
            return false;
    }
}

}  // namespace

bool DecodeTga(const uint8_t* data, size_t size, SourcePicture& out) {
    if (size < TGA_HEADER_SIZE) {
        return false;
    }
    const TgaHeader h = ReadHeader(data, size);
    if (!HeaderIsReadable(h)) {
        return false;
    }
    const int kind = h.imageType & ~TGA_RUN_LENGTH;
    const bool runLength = (h.imageType & TGA_RUN_LENGTH) != 0;
    const size_t bytesPerPixel = (h.pixelBits + 7) / 8;
    const int64_t packetBytes = 1 + int64_t(bytesPerPixel);
    const int64_t pixelsPerByte = runLength ? (TGA_PIXELS_PER_RUN + packetBytes - 1) / packetBytes : 1;
    if (!PictureSizeIsPlausible(h.width, h.height, size, pixelsPerByte)) {
        return false;
    }
    size_t at = TGA_HEADER_SIZE + h.idLength;
    if (kind == TGA_COLOR_MAPPED) {
        ReadColorMap(h, data, size, at, out);
        at += size_t(h.colorMapLength) * ColorMapEntryBytes(h.colorMapEntryBits);
    }
    // Direct colour is kept as R, G, B, A; finishing drops A unless the file has it.
    out.Allocate(h.width, h.height, kind == TGA_TRUE_COLOR ? 4 : 1);
    const size_t fileBytes = size_t(h.width) * h.height * bytesPerPixel;
    if (runLength) {
        ExpandRuns(data, size, at, bytesPerPixel, out.data.data(), fileBytes);
    } else {
        CopyAt(data, size, at, out.data.data(), fileBytes);
    }
    // Rows run bottom-up unless the descriptor puts the origin at the top.
    out.bottomUp = (h.descriptor & 0x20) == 0;

    if (kind == TGA_COLOR_MAPPED) {
        // Slots outside the map hold no colour: such an index is a broken file.
        const int end = h.colorMapFirst + h.colorMapLength;
        return std::all_of(out.data.begin(), out.data.end(),
                           [&](uint8_t index) { return index >= h.colorMapFirst && index < end; });
    }
    if (kind == TGA_GREY) {
        FillGreyPalette(out.palette);
        return true;
    }
    // The descriptor's count of attribute bits says whether bit 15 is alpha.
    const bool attributeIsAlpha = h.pixelBits == 16 && (h.descriptor & 15) != 0;
    // One loop a pixel size: a pixel is too little work for a test on its size.
    if (bytesPerPixel == 2) {
        ConvertTrueColor<2>(attributeIsAlpha, out);
    } else if (bytesPerPixel == 3) {
        ConvertTrueColor<3>(attributeIsAlpha, out);
    } else {
        ConvertTrueColor<4>(attributeIsAlpha, out);
    }
    out.hasAlpha = bytesPerPixel == 4 || attributeIsAlpha;
    out.transparent = out.hasAlpha;
    return true;
}
