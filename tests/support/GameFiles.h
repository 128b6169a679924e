#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/Bytes.h"

// Small game files the tests lay out byte by byte.

// A 2 x 2 PCX of one colour, grey unless told.
inline std::string TinyPcx(uint8_t r = 200, uint8_t g = 200, uint8_t b = 200) {
    Bytes pcx;
    pcx.U8(10).U8(5).U8(1).U8(8).U16(0).U16(0).U16(1).U16(1).Fill(65 - 12).U8(1).U16(2).Fill(128 - 68);
    pcx.U8(0xC4).U8(9);
    pcx.U8(0x0C).Fill(9 * 3, 200).U8(r).U8(g).U8(b).Fill(768 - 10 * 3, 200);
    return std::string(pcx.bytes.begin(), pcx.bytes.end());
}

inline std::string Text(const Bytes& bytes) {
    return std::string(bytes.bytes.begin(), bytes.bytes.end());
}

// A "PACK" archive holding the entries (name, data) in order.
inline std::string PakOf(const std::vector<std::pair<std::string, std::string>>& entries) {
    Bytes data, directory;
    uint32_t offset = 12;
    for (const auto& [name, bytes] : entries) {
        data.Text(bytes);
        directory.Field(name.c_str(), 56).U32(offset).U32(static_cast<uint32_t>(bytes.size()));
        offset += static_cast<uint32_t>(bytes.size());
    }
    Bytes pak;
    pak.Text("PACK").U32(offset).U32(static_cast<uint32_t>(directory.Size()));
    pak.Raw(data.bytes.data(), data.Size()).Raw(directory.bytes.data(), directory.Size());
    return Text(pak);
}
