#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

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
