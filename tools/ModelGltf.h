#pragma once

#include <string>
#include <vector>

class CGltfBuilder;
class COGLModel;

// What exporting a model came to besides its nodes: what was written
// without (exit 1, a line each), or why nothing was written (exit 2).
struct ExportNotes {
    std::vector<std::string> leftOut;
    std::string              refusal;
};

// The model as glTF nodes, meshes, materials and animations in builder,
// placed as the viewer places it; when animation is not empty, that one
// animation alone. Returns the model's root node, or -1 with the refusal
// said in notes.
int AddModelGltf(CGltfBuilder& builder, const COGLModel& model, const std::string& animation, ExportNotes& notes);
