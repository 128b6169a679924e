#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/Bytes.h"

class CFile;

// An object record prefix with a distinct value in every field.
std::vector<uint8_t> SampleObjectPrefix();

float   FloatAt(const std::vector<uint8_t>& bytes, size_t offset);
int32_t IntAt(const std::vector<uint8_t>& bytes, size_t offset);

// What save writes to a fresh file.
std::vector<uint8_t> SavedBytes(const std::function<void(CFile&)>& save);

// A text record: the sample prefix, then centred, offset (5, 6, 7),
// extrusion 0.25, the text NUL-padded to 32 bytes (32 characters fill it),
// the face name and the italic byte.
std::vector<uint8_t> SampleTextRecord(const std::string& text, const char* face, bool centred, bool italic);
