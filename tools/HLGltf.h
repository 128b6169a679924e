#pragma once

#include <string>

class CGltfBuilder;
class COGLHLModel;
struct ExportNotes;

// A Half-Life model as a skinned glTF mesh: its bones as joints at their
// rest pose, the chosen sub-model of each body part in the chosen skin
// family bound to them, one animation per sequence (or the one named) keyed
// at every frame and interpolated as the viewer blends between frames. The
// skinned node is the returned root; under it the model's placement, the
// lift onto its sequence's box and the turn from the file's axes to the
// viewer's. -1 with the refusal said in notes when it has no data, no such
// animation or more frames than an export holds.
int AddHLModel(CGltfBuilder& builder, const COGLHLModel& model, const std::string& animation, ExportNotes& notes);
