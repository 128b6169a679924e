#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/CGLState.h"
#include "platform/CViewerWindow.h"
#include "view/CNavigation.h"
#include "view/COGLCamera3D.h"
#include "view/COverlayFont.h"
#include "view/COverlayPanel.h"
#include "view/CPerfTimer.h"
#include "view/CScreenShot.h"
#include "view/StatusLine.h"

class COGLModel;
class COGLScene;
class COGLViewport3D;
class CSettingsStore;
class CShotFrame;

// The full-screen window that shows one scene: it owns the window and its
// OpenGL context, the scene, the viewport (with its camera), the redraw
// timer, the overlays (key reference, status line, notice) and the frame
// timer. One is made per viewing: Create, OpenScene, Show, Run until the
// user leaves, then delete it. While it runs, a file dropped onto it or
// chosen with Ctrl-O takes the scene's place once it has loaded.
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
    using Clock = std::chrono::steady_clock;

    void HandleEvent(const ViewerEvent& event);
    void OnSize(int cx, int cy);
    void OnKeyDown(const ViewerEvent& event);
    void OnSysKeyDown(char letter);
    void OnButtonDown();
    void OnButtonUp();
    void OnMouseMove(int x, int y, int buttons);
    void OnWheel(int notches);
    void OnTimerTick(int ticks);
    void Nudge(int x, int y);
    void ChangeTimerDelay(bool longer);
    void ChangeSensitivity(bool higher);
    void Apply(const CNavigation::Response& response);
    void Invalidate() { paintPending = true; }
    void ResetCamera();
    void ToggleWindowed();
    void FollowWindow();
    void ChooseAndOpen();
    // Loads path aside and, unless the load was aborted, shows it instead
    // of the scene shown; the problems met are reported either way.
    void ReplaceScene(const std::string& path);
    void TakeLoadedScene(const std::string& path);
    void ShowNotice(const std::string& text, bool failed);
    // One frame; with capture, the picture is read back before the swap.
    void Paint(CShotFrame* capture = nullptr);
    void DrawOverlays();
    StatusFacts GatherStatus();
    COGLModel* ShownModel() const;
    bool GrabFrame(CShotFrame& frame);
    double Seconds() const;

    CSettingsStore&                 settings;
    CViewerWindow                   window;
    // What the window's context holds of the drawing state.
    CGLState                        glState;
    std::unique_ptr<COGLScene>      scene;
    std::unique_ptr<COGLViewport3D> viewport;
    CNavigation                     navigation;
    CPerfTimer                      frameTimer;
    CScreenShot                     shots;
    COverlayFont                    overlayFont;
    COverlayPanel                   help;
    COverlayPanel                   status;
    COverlayPanel                   notice;
    CFrameRate                      frameRate;
    // The camera as the scene gave it, for Home and R.
    COGLCamera3D                    storedCamera;
    std::string                     scenePath;
    bool                            modelFile = false;
    std::string                     noticeText;
    bool                            noticeFailed = false;
    Clock::time_point               noticeUntil;
    Clock::time_point               lastPaint;
    Clock::time_point               started = Clock::now();
    int                             width = 0;
    int                             height = 0;
    int                             tickCount = 0;
    bool                            displayModeChanged = false;
    bool                            helpShown = false;
    bool                            statusShown = false;
    bool                            timerRunning = false;
    bool                            ctrlDown = false;
    bool                            paintPending = false;
    // Frames for a shot leave the status line and the notice out.
    bool                            shooting = false;
    bool                            endViewing = false;
};
