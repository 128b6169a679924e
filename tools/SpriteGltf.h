#pragma once

#include <string>

#include "tools/ModelGltf.h"

class CGltfBuilder;
class COGLSprite;

// The one animation a sprite has: its frames in turn.
inline const char* const SPRITE_ANIMATION = "frames";

// A sprite as glTF: one quad of the sprite's half-sizes in its xy plane,
// facing +z and rolled as the viewer rolls it (glTF has no way to turn it
// towards the camera), under a node per frame wearing that frame's picture,
// all hidden (scaled to 0) but the shown one, and an animation showing them
// in turn as the viewer advances the frames. The material follows the
// sprite's render mode. Returns the sprite's node, or -1 with the refusal
// said in notes.
int AddSprite(CGltfBuilder& builder, const COGLSprite& sprite, const std::string& animation, ExportNotes& notes);
