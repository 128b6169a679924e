#pragma once

#include <cstdint>
#include <vector>

#include "support/Bytes.h"

// Picture files laid out byte by byte for the decoder tests.

// An 8-bit PCX header with the given maximum coordinates.
inline Bytes PcxHeader(int16_t xmax, int16_t ymax, uint16_t bytesPerLine, uint8_t planes = 1) {
    Bytes b;
    b.U8(10).U8(5).U8(1).U8(8);  // maker, version, run-length, 8 bits
    b.U16(0).U16(0).U16(static_cast<uint16_t>(xmax)).U16(static_cast<uint16_t>(ymax));
    b.Fill(65 - b.Size()).U8(planes).U16(bytesPerLine);
    return b.Fill(128 - b.Size());
}

// Ends the pixel bytes with a palette whose entry i is (i, 255 - i, i / 2).
inline Bytes& PcxPalette(Bytes& b) {
    b.U8(0x0C);
    for (int i = 0; i < 256; i++) {
        b.U8(static_cast<uint8_t>(i)).U8(static_cast<uint8_t>(255 - i)).U8(static_cast<uint8_t>(i / 2));
    }
    return b;
}

// A colour map is declared when its entries have a size.
inline Bytes TgaHeader(uint8_t type, uint16_t width, uint16_t height, uint8_t bits, uint8_t descriptor = 0,
                       uint16_t mapFirst = 0, uint16_t mapLength = 0, uint8_t mapBits = 0) {
    Bytes b;
    b.U8(0).U8(mapBits != 0 ? 1 : 0).U8(type).U16(mapFirst).U16(mapLength).U8(mapBits);
    return b.U16(0).U16(0).U16(width).U16(height).U8(bits).U8(descriptor);
}

inline Bytes BmpFile(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                     const std::vector<uint32_t>& palette, const std::vector<uint8_t>& pixels) {
    Bytes b;
    const uint32_t pixelOffset = 14 + 40 + 4 * static_cast<uint32_t>(palette.size());
    b.Text("BM").U32(pixelOffset + static_cast<uint32_t>(pixels.size())).U32(0).U32(pixelOffset);
    b.U32(40).I32(width).I32(height).U16(1).U16(bits).U32(compression).U32(0).U32(0).U32(0);
    b.U32(static_cast<uint32_t>(palette.size())).U32(0);
    for (uint32_t entry : palette) {
        b.U32(entry);  // 0x00RRGGBB lays out as B, G, R, 0
    }
    return b.Raw(pixels.data(), pixels.size());
}
