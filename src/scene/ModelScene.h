#pragma once

#include <string>

#include "scene/SceneFile.h"

class COGLScene;
class CSceneView;

// What a scene made for one model file shows of it.
struct ModelSceneChoice {
    std::string animation;  // by name; empty for the model's first
    int         skin = 0;   // position in the model's skin list
};

// Whether path names a model or sprite file the viewer reads, by the
// signature it starts with, or an archive entry written "ARCHIVE.pak:entry".
bool IsModelPath(const std::string& path);

// Shows one model file as a scene: the model at the origin, sized to a
// standard height, on a floor sized to it, lit by two lights that cast soft
// shadows, with the view's camera framing it from above and to the side. The
// model wears the chosen skin and plays the chosen animation. Every problem
// is reported through ReportError; a file that is no model, an unknown
// animation or skin abort the load, missing skins leave it incomplete.
// Needs the OpenGL context current.
SceneOpenResult OpenModelScene(const std::string& path, COGLScene& scene, CSceneView& view,
                               const ModelSceneChoice& choice = {});

