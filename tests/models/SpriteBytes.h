#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/Bytes.h"

// Sprite files laid out byte by byte for the sprite tests and the fuzz seeds.

// One frame of an indexed sprite: width x height texels of palette index fill.
struct IndexedFrame {
    int32_t width;
    int32_t height;
    uint8_t fill = 1;
};

// An "IDSP" sprite: the header, a palette whose entry i is colours[i] (grey
// 40 for the rest), then the frames.
inline std::string IndexedSprite(int32_t format, const std::vector<IndexedFrame>& frames,
                                 const std::vector<std::vector<uint8_t>>& colours, int32_t version = 2) {
    Bytes b;
    b.Text("IDSP").I32(version).I32(2).I32(format).F32(20.0f).I32(64).I32(64);
    b.I32(static_cast<int32_t>(frames.size())).F32(0.0f).I32(0).U16(256);
    for (size_t i = 0; i < 256; i++) {
        const std::vector<uint8_t> colour = i < colours.size() ? colours[i] : std::vector<uint8_t>(3, 40);
        b.U8(colour[0]).U8(colour[1]).U8(colour[2]);
    }
    for (const IndexedFrame& frame : frames) {
        b.I32(0).I32(-frame.width / 2).I32(frame.height / 2).I32(frame.width).I32(frame.height);
        b.Fill(static_cast<size_t>(frame.width) * frame.height, frame.fill);
    }
    return std::string(b.bytes.begin(), b.bytes.end());
}

// An "IDS2" sprite naming one picture per frame.
inline std::string Quake2Sprite(const std::vector<std::string>& pictures, int32_t size = 32, int32_t version = 2) {
    Bytes b;
    b.Text("IDS2").I32(version).I32(static_cast<int32_t>(pictures.size()));
    for (const std::string& picture : pictures) {
        b.I32(size).I32(size).I32(size / 2).I32(size / 2).Field(picture.c_str(), 64);
    }
    return std::string(b.bytes.begin(), b.bytes.end());
}

// An uncompressed 32-bit TGA, stored top row first; the left half of each
// row has alpha leftAlpha, the right half rightAlpha.
inline std::string TinyTga(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t leftAlpha = 255,
                           uint8_t rightAlpha = 255) {
    Bytes t;
    t.U8(0).U8(0).U8(2).Fill(5).U16(0).U16(0).U16(static_cast<uint16_t>(width)).U16(static_cast<uint16_t>(height));
    t.U8(32).U8(0x28);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            t.U8(b).U8(g).U8(r).U8(x < width / 2 ? leftAlpha : rightAlpha);
        }
    }
    return std::string(t.bytes.begin(), t.bytes.end());
}
