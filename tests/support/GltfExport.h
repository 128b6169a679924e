#pragma once

#include <string>

#include "tools/TinyGltf.h"

// tvntool export as the command line runs it: "export INPUT -o OUTPUT".
int Export(const std::string& input, const std::string& output);
// Whether the Khronos validator can run here (node and the package
// scripts/setup installs).
bool CanValidate();
// What the validator says of the file's errors; empty when it has none.
std::string ValidationErrors(const std::string& path);
// The exported file read back, pictures left undecoded.
bool ReadGltf(const std::string& path, tinygltf::Model& gltf, std::string& error);
// The floats an accessor reads.
const float* FloatsOf(const tinygltf::Model& gltf, int accessorIndex);
