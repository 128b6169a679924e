#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class CFile;

// Builds a record byte by byte, little-endian, independently of our writer.
class Bytes {
public:
    Bytes& Raw(const void* data, size_t size);
    Bytes& U8(uint8_t v);
    Bytes& I32(int32_t v);
    Bytes& F32(float f);
    // A 100-byte name field.
    Bytes& Name(const char* text);

    std::vector<uint8_t> bytes;
};

// An object record prefix with a distinct value in every field.
std::vector<uint8_t> SampleObjectPrefix();

float   FloatAt(const std::vector<uint8_t>& bytes, size_t offset);
int32_t IntAt(const std::vector<uint8_t>& bytes, size_t offset);

// What save writes to a fresh file.
std::vector<uint8_t> SavedBytes(const std::function<void(CFile&)>& save);
