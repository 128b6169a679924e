#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Little-endian fields of the file formats, in one place.

// Fields the caller has checked lie inside its data.
inline uint16_t U16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

inline int32_t Int32At(const uint8_t* bytes) {
    const uint32_t value =
        uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    int32_t result;
    std::memcpy(&result, &value, 4);
    return result;
}

inline float FloatAt(const uint8_t* bytes) {
    const int32_t bits = Int32At(bytes);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

// Field readers for picture headers: a field past the end of the data reads
// as zero, the way a short read leaves a zeroed header.

inline uint8_t U8At(const uint8_t* data, size_t size, size_t offset) {
    return offset < size ? data[offset] : 0;
}

inline uint16_t U16At(const uint8_t* data, size_t size, size_t offset) {
    return static_cast<uint16_t>(U8At(data, size, offset) | U8At(data, size, offset + 1) << 8);
}

inline uint32_t U32At(const uint8_t* data, size_t size, size_t offset) {
    return uint32_t(U16At(data, size, offset)) | uint32_t(U16At(data, size, offset + 2)) << 16;
}

// Copies count bytes from offset into out, zero where the data ends.
inline void CopyAt(const uint8_t* data, size_t size, size_t offset, uint8_t* out, size_t count) {
    const size_t available = offset < size ? std::min(count, size - offset) : 0;
    if (available > 0) {
        std::memcpy(out, data + offset, available);
    }
    std::memset(out + available, 0, count - available);
}
