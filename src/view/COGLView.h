#pragma once

#include <memory>
#include <string>

#include "platform/CViewerWindow.h"
#include "view/CHelpOverlay.h"
#include "view/CNavigation.h"
#include "view/CPerfTimer.h"
#include "view/CScreenShot.h"

class COGLScene;
class COGLViewport3D;
class CSettingsStore;
class CShotFrame;

// The full-screen window that shows one scene: it owns the window and its
// OpenGL context, the scene, the viewport (with its camera), the redraw
// timer, the help overlay and the frame timer. One is made per viewing:
// Create, OpenScene, Show, Run until the user leaves, then delete it.
class COGLView {
public:
    // Reads the mouse sensitivity and timer delay from settings, which must
    // outlive the view; screen shots go where shotSettings say.
    COGLView(CSettingsStore& settings, CScreenShot::Settings shotSettings);
    // Logs the frame-time report, stores the sensitivity and timer delay,
    // and takes everything down with the context current, display mode last.
    ~COGLView();
    COGLView(const COGLView&) = delete;
    COGLView& operator=(const COGLView&) = delete;

    // The display mode, the window (hidden) and its context, an empty scene.
    // False when there is no window or context; delete the view then.
    bool Create(int width, int height);
    // True when the scene and everything it names loaded.
    bool OpenScene(const std::string& path);
    void Show();
    // Handles events and paints until Escape, a close request or a fatal error.
    void Run();

    void StartTimer();
    void StopTimer();
    void TakeScreenShot();

private:
    void HandleEvent(const ViewerEvent& event);
    void OnSize(int cx, int cy);
    void OnKeyDown(ViewerKey key);
    void OnSysKeyDown(char letter);
    void OnButtonDown();
    void OnButtonUp();
    void OnMouseMove(int x, int y, int buttons);
    void OnTimerTick(int ticks);
    void Nudge(int x, int y);
    void ChangeTimerDelay(bool longer);
    void ChangeSensitivity(bool higher);
    void Apply(const CNavigation::Response& response);
    void Invalidate() { paintPending = true; }
    // One frame; with capture, the picture is read back before the swap.
    void Paint(CShotFrame* capture = nullptr);
    bool GrabFrame(CShotFrame& frame);

    CSettingsStore&                 settings;
    CViewerWindow                   window;
    std::unique_ptr<COGLScene>      scene;
    std::unique_ptr<COGLViewport3D> viewport;
    CNavigation                     navigation;
    CPerfTimer                      frameTimer;
    CScreenShot                     shots;
    CHelpOverlay                    help;
    int                             width = 0;
    int                             height = 0;
    int                             tickCount = 0;
    bool                            displayModeChanged = false;
    bool                            helpShown = false;
    bool                            timerRunning = false;
    bool                            ctrlDown = false;
    bool                            paintPending = false;
    bool                            endViewing = false;
};
