#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Lays out a file byte by byte, little-endian, for reader tests: what a
// reader is checked against is spelled out in the test, not made by our own
// writers.
class Bytes {
public:
    Bytes& Raw(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
        return *this;
    }
    Bytes& Text(const std::string& text) { return Raw(text.data(), text.size()); }
    Bytes& U8(uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    Bytes& Fill(size_t count, uint8_t v = 0) {
        bytes.insert(bytes.end(), count, v);
        return *this;
    }
    Bytes& U16(uint16_t v) { return U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(v >> 8)); }
    Bytes& I32(int32_t v) {
        const uint32_t u = static_cast<uint32_t>(v);
        return U16(static_cast<uint16_t>(u)).U16(static_cast<uint16_t>(u >> 16));
    }
    Bytes& U32(uint32_t v) { return I32(static_cast<int32_t>(v)); }
    Bytes& F32(float f) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        return U32(u);
    }
    // A fixed field: text, then NULs up to size.
    Bytes& Field(const char* text, size_t size) {
        std::vector<char> field(size, 0);
        std::strncpy(field.data(), text, size - 1);
        return Raw(field.data(), size);
    }
    // Overwrites bytes already laid out, for headers that name later offsets.
    Bytes& PutU32(size_t offset, uint32_t v) {
        for (int i = 0; i < 4; i++) {
            bytes[offset + i] = static_cast<uint8_t>(v >> (8 * i));
        }
        return *this;
    }
    Bytes& PutF32(size_t offset, float f) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        return PutU32(offset, u);
    }
    size_t Size() const { return bytes.size(); }

    std::vector<uint8_t> bytes;
};
