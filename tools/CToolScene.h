#pragma once

#include <memory>
#include <string>
#include <vector>

#include "diag/LoadReport.h"
#include "platform/CGLState.h"
#include "platform/COffscreenContext.h"
#include "platform/CSettingsStore.h"
#include "scene/ModelScene.h"
#include "scene/SceneFile.h"

class COGLScene;
class COGLViewport3D;

// A scene loaded as the viewer loads it, with every error text kept; an
// offscreen OpenGL context of its own is made only to paint it. The tool
// never writes the viewer's settings or its log files.
class CToolScene {
public:
    CToolScene();
    ~CToolScene();
    CToolScene(const CToolScene&) = delete;
    CToolScene& operator=(const CToolScene&) = delete;

    // For painting: false, with the reason in error, when no OpenGL context
    // can be made.
    bool CreateContext(int width, int height, std::string& error);
    // A scene file, or a model file shown in a scene made for it with the
    // chosen animation and skin.
    SceneOpenResult Load(const std::string& scenePath, const ModelSceneChoice& choice = {});
    // Prints what the scene's loads have to tell, one line an entry on
    // standard error, and keeps the errors.
    void TakeReport();
    // One frame as the viewer paints its first: cleared to the background
    // colour, then the viewport with its camera, grid and axis switches.
    void Paint();

    COffscreenContext context;
    CSettingsStore    scratchSettings;   // grid and axis switches go nowhere
    std::unique_ptr<COGLViewport3D> viewport;
    CGLState                        glState;
    std::unique_ptr<COGLScene>      scene;
    std::string              path;
    SceneOpenResult          result = SceneOpenResult::aborted;
    // The texts of the entries not shown in a box alone, as "errors.txt"
    // would have them.
    std::vector<std::string> errors;
};

// The tool's way of telling a load report: one line an entry on standard
// error; the texts of the entries "errors.txt" would list go to errors.
void PrintLoadReport(const LoadReport& report, std::vector<std::string>* errors);

// Exit codes shared by the tool's commands.
enum ToolExit {
    EXIT_LOADED = 0,
    EXIT_INCOMPLETE = 1,
    EXIT_NOT_A_SCENE = 2,
    EXIT_USAGE = 64,
};
