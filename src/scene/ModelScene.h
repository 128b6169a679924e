#pragma once

#include <memory>
#include <string>

#include "scene/SceneFile.h"

class COGLModel;
class COGLScene;
class CSceneView;

// The model or sprite file path names (or an archive entry written
// "ARCHIVE.pak:entry"), read into scene as a scene reads its models, skins
// and all; null after telling why when there is none. The object is the
// file's kind's, a player for a player folder's body. The scene keeps what
// the model shares with it (skins, archives).
std::unique_ptr<COGLModel> LoadModelFile(const std::string& path, COGLScene& scene);

// The model file as the scene for it shows it, read in one load: the chosen
// animation (else the first), the chosen skin (else the first of the size
// the file gives), a player's first weapon, an MD2's normals turned outward
// when they point in. Null after telling why, an unknown animation or skin
// included.
std::unique_ptr<COGLModel> LoadChosenModel(const std::string& path, COGLScene& scene,
                                           const ModelSceneChoice& choice = {});

// Whether path names a model or sprite file the viewer reads, by the
// signature it starts with, or an archive entry written "ARCHIVE.pak:entry".
bool IsModelPath(const std::string& path);

// Shows one model file as a scene: the model at the origin, sized to a
// standard height, on a floor sized to it, lit by two lights that cast soft
// shadows, with the view's camera framing it from above and to the side. The
// model wears the chosen skin and plays the chosen animation. An MD2 is lit
// whichever way its file's normals point: they are made from its triangles.
// Every problem goes to the scene's load report; a file that is no model, an
// unknown animation or skin abort the load, missing skins leave it incomplete.
// Needs no OpenGL context.
SceneOpenResult OpenModelScene(const std::string& path, COGLScene& scene, CSceneView& view,
                               const ModelSceneChoice& choice = {});

