#pragma once

// tinygltf as the tool uses it: pictures are neither decoded nor encoded by
// the library (ours go through the PNG writer, and a model read back keeps
// its picture bytes), and no file is opened by it. Everything that includes
// tinygltf includes it through here, so each sees the same declarations.
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#include <tiny_gltf.h>
