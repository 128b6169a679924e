#pragma once

#include <string>

class CFile;
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

enum class SceneOpenResult {
    loaded,       // everything the scene names was found and read
    incomplete,   // read to the end, but files were missing or invalid (reported)
    aborted,      // not a scene, unreadable, or cut short (reported)
};

// Opens a ".tvn" file (a model or sprite file instead is shown in a scene
// made for it with the choice, see OpenModelScene), checks its magic and
// version and reads it into scene, with the camera and field of view going
// to view. After a load that was not aborted the light markers are hidden
// and every object's animation started, as the viewer shows a scene. Every
// problem goes to the scene's load report. Needs no OpenGL context.
SceneOpenResult OpenSceneFile(const std::string& path, COGLScene& scene, CSceneView& view,
                              const ModelSceneChoice& choice = {});
// The same for a file already open; path is what messages name.
SceneOpenResult ReadSceneFile(CFile& file, const std::string& path, COGLScene& scene, CSceneView& view);
