#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "support/Bytes.h"

class CFile;

// An object record prefix with a distinct value in every field.
std::vector<uint8_t> SampleObjectPrefix();

float   FloatAt(const std::vector<uint8_t>& bytes, size_t offset);
int32_t IntAt(const std::vector<uint8_t>& bytes, size_t offset);

// What save writes to a fresh file.
std::vector<uint8_t> SavedBytes(const std::function<void(CFile&)>& save);
