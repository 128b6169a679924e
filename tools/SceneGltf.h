#pragma once

class CGltfBuilder;
class COGLScene;
class COGLViewport3D;
struct ExportNotes;

// The scene as builder's one glTF scene: every object a node placed as the
// viewer places it, hidden ones too with "hidden" in their extras; shapes
// and texts as the triangles the viewer draws them with, one mesh a shape
// however many objects show it; models as AddModelGltf makes them; lights
// as KHR_lights_punctual, the view's camera, and the background and ambient
// colours in the scene's extras. Needs the OpenGL context current. What
// had to be left out is said in notes.leftOut.
void AddSceneGltf(CGltfBuilder& builder, COGLScene& scene, const COGLViewport3D& view, ExportNotes& notes);
