#pragma once

#include "tools/GltfTurn.h"

class CGltfBuilder;
class COGLCamera3D;
class COGLLight;
class COGLViewport3D;

// How the view's camera is turned in the world: what a node needs to look
// as the viewer does, down its -z with y up.
GltfTurn CameraTurn(const COGLCamera3D& camera);
// A node holding the view's perspective camera.
int AddCameraNode(CGltfBuilder& builder, const COGLViewport3D& view);
// A node holding the light as KHR_lights_punctual: point, spot, or
// directional when its w is 0.
int AddLightNode(CGltfBuilder& builder, const COGLLight& light);
