#include "tools/CToolScene.h"

#include <GL/gl.h>

#include "diag/CDiagnostics.h"
#include "image/Palettes.h"
#include "platform/CMessageBox.h"
#include "platform/SettingsKeys.h"
#include "objects/SharedListsReset.h"
#include "scene/COGLScene.h"
#include "view/COGLViewport3D.h"

// A settings file that cannot be written: the viewport stores its switches on
// the way out, and the tool must leave the user's settings alone.
static const char* const unwritableSettings = "/dev/null/orrin-tool/TAV.ini";

CToolScene::CToolScene() : scratchSettings(unwritableSettings) {
    // Pictures come out as bright as the viewer shows them.
    ApplyGamma(static_cast<float>(AppSettings().Read(Setting::gamma)) * 0.01f);
    FindDefaultPalette();
    Diagnostics().SetFolder("");
    viewport = std::make_unique<COGLViewport3D>(scratchSettings);
    scene = std::make_unique<COGLScene>();
}

CToolScene::~CToolScene() {
    scene.reset();
    viewport.reset();
    ResetSharedLists();
    context.Destroy();
}

bool CToolScene::CreateContext(int width, int height, std::string& error) {
    if (!context.Create(width, height)) {
        error = "cannot create an offscreen OpenGL context: " + context.GetError();
        return false;
    }
    viewport->width = width;
    viewport->height = height;
    return true;
}

SceneOpenResult CToolScene::Load(const std::string& scenePath, const ModelSceneChoice& choice) {
    path = scenePath;
    result = OpenSceneFile(scenePath, *scene, *viewport, choice);
    TakeReport();
    return result;
}

void CToolScene::TakeReport() {
    PrintLoadReport(scene->TakeLoadReport(), &errors);
}

void CToolScene::Paint() {
    scene->UploadTextures();
    const float* colour = scene->backgroundColour;
    glClearColor(colour[0], colour[1], colour[2], 1.0f);
    glState.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    viewport->Draw(*scene, glState);
    glFinish();
}

void PrintLoadReport(const LoadReport& report, std::vector<std::string>* errors) {
    for (const LoadReportEntry& entry : report) {
        // Tests set the boxes to stay quiet; the tool sets standard error.
        CMessageBox::Show(entry.text);
        if (!entry.boxOnly && errors != nullptr) {
            errors->push_back(entry.text);
        }
    }
}
