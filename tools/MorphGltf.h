#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "tools/CGltfBuilder.h"

class COGLModel;
struct MorphModel;

// The materials a model's primitives wear: the skin it wears (else the
// first), and every skin as a variant (KHR_materials_variants).
struct MorphMaterials {
    int material = -1;
    std::vector<std::pair<int, int>> variants;   // variant, material
};

// A material of each skin of the model that has a picture, as its texture.
MorphMaterials AddSkinMaterials(CGltfBuilder& builder, const COGLModel& model);

// Whether a copy of the model wearing these materials made its mesh
// already: then the frames' positions are not needed.
bool HasMorphMesh(const CGltfBuilder& builder, const MorphModel& morph, const MorphMaterials& materials);

// A frame-animated model: one mesh whose base positions are frame 0 and
// whose morph targets are every frame (as offsets from frame 0), one
// animation per named animation driving the weights, placed as the viewer
// places the model (its orientation, scale and height offset) on a node of
// its own, which is returned. Triangles are wound counter-clockwise, as glTF
// wants. The morph model needs its positions unless HasMorphMesh. An
// animation named as one at shareFrom or later in the document
// drives this model's weights too (a player's body and weapon).
int AddMorphModel(CGltfBuilder& builder, const COGLModel& model, const MorphModel& morph,
                  const MorphMaterials& materials, size_t shareFrom);
