#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes RGBA pixels, rows bottom first as OpenGL reads them back, as an
// 8-bit RGB PNG file, exactly at path and complete or not at all (see
// COutputFile). False when the file cannot be written.
bool WritePng(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height);
