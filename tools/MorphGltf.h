#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/TinyGltf.h"

class COGLModel;
struct MorphModel;

// The first skin, if any, as the material's base colour: PNG bytes, kept in
// the buffer, or a file the glTF names by uri.
struct MorphPicture {
    std::vector<uint8_t> png;
    std::string          uri;   // empty: the bytes go into the buffer
};

// glTF of a frame-animated model: one mesh whose base positions are frame 0
// and whose morph targets are every frame (as offsets from frame 0), one
// animation per named animation driving the weights, placed as the viewer
// places the model (its orientation, scale and height offset). Triangles are
// wound counter-clockwise, as glTF wants. Everything goes into one buffer.
tinygltf::Model BuildMorphGltf(const COGLModel& model, const MorphModel& morph, const MorphPicture& picture);
