#pragma once

#include <string>

#include "scene/SceneFile.h"

class COGLScene;
class CSceneView;

// What a scene made for one model file shows of it.
struct ModelSceneChoice {
    std::string animation;  // by name; empty for the model's first
    // Position in the model's skin list; MODEL_SKIN for the first skin of
    // the size the model's file gives (a player folder also holds its
    // weapons' skins), else the first.
    static constexpr int MODEL_SKIN = -1;
    int         skin = MODEL_SKIN;
};

// Whether path names a model or sprite file the viewer reads, by the
// signature it starts with, or an archive entry written "ARCHIVE.pak:entry".
bool IsModelPath(const std::string& path);

// Shows one model file as a scene: the model at the origin, sized to a
// standard height, on a floor sized to it, lit by two lights that cast soft
// shadows, with the view's camera framing it from above and to the side. The
// model wears the chosen skin and plays the chosen animation. An MD2 is lit
// whichever way its file's normals point: they are made from its triangles.
// Every problem is reported through ReportError; a file that is no model, an
// unknown animation or skin abort the load, missing skins leave it incomplete.
// Needs the OpenGL context current.
SceneOpenResult OpenModelScene(const std::string& path, COGLScene& scene, CSceneView& view,
                               const ModelSceneChoice& choice = {});

