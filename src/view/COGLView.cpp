#include "view/COGLView.h"

#include <GL/gl.h>

#include "diag/CDiagnostics.h"
#include "diag/LoadReport.h"
#include "models/COGLModel.h"
#include "objects/SharedListsReset.h"
#include "platform/CSettingsStore.h"
#include "scene/COGLScene.h"
#include "scene/ModelScene.h"
#include "scene/SceneFile.h"
#include "view/CLoadedView.h"
#include "view/COGLViewport3D.h"
#include "view/CShotFrame.h"
#include "view/KeyReference.h"

namespace {

// Wakes the loop now and then even without events, so a stuck tick count,
// an end-of-viewing request or a notice's end is never left waiting.
constexpr int eventWaitMs = 100;
constexpr auto noticeShown = std::chrono::seconds(2);
// A window manager answers a change of the window with a few events; the
// window is settled when none comes for a while.
constexpr int settleEvents = 20;
constexpr int settleMs = 50;
// The status line's frame rate is never older than this.
constexpr auto statusRefresh = std::chrono::seconds(1);

constexpr PanelColour keyColour { 0, 255, 0 };
constexpr PanelColour failureColour { 255, 176, 48 };

std::string FileName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

COGLView::COGLView(CSettingsStore& settings, CScreenShot::Settings shotSettings)
    : settings(settings),
      viewport(std::make_unique<COGLViewport3D>(settings)),
      navigation(static_cast<float>(settings.Read(Setting::mouseSensitivity)), settings.Read(Setting::timerDelay)),
      shots(std::move(shotSettings)) {}

COGLView::~COGLView() {
    frameTimer.Report(2);
    settings.Write(Setting::mouseSensitivity, static_cast<int>(navigation.GetSensitivity()));
    settings.Write(Setting::timerDelay, navigation.GetTimerDelay());
    if (timerRunning) {
        StopTimer();
    }
    viewport.reset();
    if (window.HasContext()) {
        help.DeleteTexture();
        status.DeleteTexture();
        notice.DeleteTexture();
        scene.reset();
        glDeleteLists(0, 999);
        CheckGLError("delete lists");
        ResetSharedLists();
    }
    window.Destroy();
    LogLine(window.TakeNotes());
}

bool COGLView::Create(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
    window.ChangeDisplayMode(width, height);
    const bool created = window.Create(width, height);
    LogLine(window.TakeNotes());
    if (!created) {
        return false;
    }
    displayModeChanged = window.IsDisplayModeChanged();
    scene = std::make_unique<COGLScene>();
    OnSize(width, height);
    return true;
}

bool COGLView::OpenScene(const std::string& path) {
    const SceneOpenResult result = OpenSceneFile(path, *scene, *viewport);
    TellLoadReport(scene->TakeLoadReport());
    if (result != SceneOpenResult::aborted) {
        // The textures go to OpenGL now rather than in the first frame.
        scene->UploadTextures();
        window.MoveCursor(10, 10);
    }
    scenePath = path;
    modelFile = IsModelPath(path);
    storedCamera = viewport->camera;
    return result == SceneOpenResult::loaded;
}

void COGLView::Show() {
    window.Show();
    FollowWindow();
    Paint();
}

// Covering a screen that has no mode of the chosen size, or in a window,
// the client size is not the one asked for; everything follows the real one.
void COGLView::FollowWindow() {
    displayModeChanged = window.IsDisplayModeChanged();
    LogLine(window.TakeNotes());
    int shownWidth = width;
    int shownHeight = height;
    window.GetClientSize(shownWidth, shownHeight);
    OnSize(shownWidth, shownHeight);
    Invalidate();
}

void COGLView::Run() {
    while (!endViewing) {
        ViewerEvent event;
        if (window.WaitEvent(event, eventWaitMs)) {
            HandleEvent(event);
        }
        while (!endViewing && window.PollEvent(event)) {
            HandleEvent(event);
        }
        if (Diagnostics().TakeEndViewingRequest()) {
            endViewing = true;
        }
        const Clock::time_point now = Clock::now();
        if (!noticeText.empty() && now >= noticeUntil) {
            noticeText.clear();
            Invalidate();
        }
        if (statusShown && now - lastPaint >= statusRefresh) {
            Invalidate();
        }
        if (paintPending && !endViewing) {
            Paint();
        }
    }
}

void COGLView::HandleEvent(const ViewerEvent& event) {
    switch (event.type) {
    case ViewerEvent::QUIT:        endViewing = true; break;
    case ViewerEvent::EXPOSE:      Invalidate(); break;
    case ViewerEvent::SIZE:        OnSize(event.x, event.y); break;
    case ViewerEvent::TIMER_TICK:  OnTimerTick(event.ticks); break;
    case ViewerEvent::KEY_DOWN:
        if (event.alt && event.key == VK_RETURN) {
            ToggleWindowed();
        } else if (event.alt) {
            OnSysKeyDown(event.letter);
        } else {
            OnKeyDown(event);
        }
        break;
    case ViewerEvent::KEY_UP:
        if (event.key == VK_CONTROL) {
            ctrlDown = false;
        }
        break;
    case ViewerEvent::BUTTON_DOWN: OnButtonDown(); break;
    case ViewerEvent::BUTTON_UP:   OnButtonUp(); break;
    case ViewerEvent::MOUSE_MOVE:  OnMouseMove(event.x, event.y, event.buttons); break;
    case ViewerEvent::WHEEL:       OnWheel(event.wheel); break;
    case ViewerEvent::DROP_FILE:   ReplaceScene(event.path); break;
    case ViewerEvent::NONE:        break;
    }
}

void COGLView::OnSize(int cx, int cy) {
    if (!navigation.SetSize(cx, cy)) {
        return;
    }
    width = cx;
    height = cy;
    viewport->x = 0;
    viewport->y = 0;
    viewport->width = cx;
    viewport->height = cy;
    Invalidate();
}

void COGLView::OnKeyDown(const ViewerEvent& event) {
    switch (event.key) {
    case VK_CONTROL:   ctrlDown = true; break;
    case VK_ESCAPE:
        if (timerRunning) {
            StopTimer();
        }
        endViewing = true;
        break;
    case VK_PAGE_UP:   ChangeTimerDelay(false); break;
    case VK_PAGE_DOWN: ChangeTimerDelay(true); break;
    case VK_HOME:      ResetCamera(); break;
    case VK_LEFT:      Nudge(navigation.centreX - 1, navigation.centreY); break;
    case VK_UP:        Nudge(navigation.centreX, navigation.centreY - 1); break;
    case VK_RIGHT:     Nudge(navigation.centreX + 1, navigation.centreY); break;
    case VK_DOWN:      Nudge(navigation.centreX, navigation.centreY + 1); break;
    case VK_PLUS:      ChangeSensitivity(true); break;
    case VK_MINUS:     ChangeSensitivity(false); break;
    case VK_F1:
        helpShown = !helpShown;
        Invalidate();
        break;
    case VK_F2:
        statusShown = !statusShown;
        Invalidate();
        break;
    case VK_F11:       ToggleWindowed(); break;
    case VK_F12:       TakeScreenShot(); break;
    case VK_LETTER:
        if (event.ctrl && event.letter == 'O') {
            ChooseAndOpen();
        } else if (!event.ctrl && event.letter == 'R') {
            ResetCamera();
        }
        break;
    default:           break;
    }
}

void COGLView::OnSysKeyDown(char letter) {
    switch (letter) {
    case 'A':
        if (timerRunning) {
            StopTimer();
        } else {
            StartTimer();
        }
        break;
    case 'G':
        viewport->gridOn = !viewport->gridOn;
        Invalidate();
        break;
    case 'I':
        statusShown = !statusShown;
        Invalidate();
        break;
    case 'M':
    case 'Q':
        viewport->axisIndicatorOn = !viewport->axisIndicatorOn;
        Invalidate();
        break;
    case 'O': navigation.mode = CNavigation::ORBIT; break;
    case 'P': navigation.mode = CNavigation::PAN; break;
    case 'Z': navigation.mode = CNavigation::ZOOM; break;
    default:  break;
    }
}

void COGLView::OnButtonDown() {
    Apply(navigation.BeginDrag());
    window.CaptureMouse(true);
}

void COGLView::OnButtonUp() {
    const CNavigation::Response response = navigation.EndDrag();
    window.MoveCursor(response.cursorX, response.cursorY);
    window.CaptureMouse(false);
    if (response.repaint) {
        Invalidate();
    }
}

void COGLView::OnMouseMove(int x, int y, int buttons) {
    // In a window the cursor is the desktop's: it is never held in the
    // window's upper left as it is over a screen the viewer only covers.
    const bool cursorFree = displayModeChanged || window.IsWindowed();
    Apply(navigation.MouseMove(x, y, buttons, viewport->camera, viewport->IsOrtho(), cursorFree));
}

void COGLView::OnWheel(int notches) {
    Apply(navigation.Wheel(notches, viewport->camera));
}

void COGLView::Nudge(int x, int y) {
    const int buttons = ctrlDown ? CNavigation::RIGHT_BUTTON : CNavigation::LEFT_BUTTON;
    OnButtonDown();
    OnMouseMove(x, y, buttons);
    navigation.dragging = false;
    OnButtonUp();
}

void COGLView::Apply(const CNavigation::Response& response) {
    if (response.moveCursor) {
        window.MoveCursor(response.cursorX, response.cursorY);
    }
    if (response.repaint) {
        Invalidate();
    }
}

void COGLView::ResetCamera() {
    viewport->camera = storedCamera;
    viewport->camera.dirty = true;
    Invalidate();
}

void COGLView::ToggleWindowed() {
    window.SetWindowed(!window.IsWindowed());
    FollowWindow();
}

// The chooser shows over the viewer's window, painted once the window
// manager has settled it, since nothing paints while the chooser is up.
void COGLView::ChooseAndOpen() {
    const bool wasWindowed = window.IsWindowed();
    window.SetWindowed(true);
    FollowWindow();
    ViewerEvent event;
    for (int i = 0; i < settleEvents && window.WaitEvent(event, settleMs); i++) {
        // Input meanwhile is dropped: it was meant for the chooser.
        if (event.type == ViewerEvent::SIZE || event.type == ViewerEvent::EXPOSE ||
            event.type == ViewerEvent::TIMER_TICK || event.type == ViewerEvent::QUIT) {
            HandleEvent(event);
        }
    }
    if (endViewing) {
        return;
    }
    Paint();
    std::string chosen;
    const bool picked = window.ChooseFileToOpen(scenePath, chosen);
    window.SetWindowed(wasWindowed);
    // The chooser had the keyboard when Control came up.
    ctrlDown = false;
    FollowWindow();
    if (picked) {
        ReplaceScene(chosen);
    }
}

void COGLView::ReplaceScene(const std::string& path) {
    auto loading = std::make_unique<COGLScene>();
    CLoadedView loaded;
    const SceneOpenResult result = OpenSceneFile(path, *loading, loaded);
    TellLoadReport(loading->TakeLoadReport());
    if (result == SceneOpenResult::aborted) {
        ShowNotice(FileName(path) + " not opened", true);
        return;
    }
    loading->UploadTextures();
    // The old scene's textures and lists go with the context current.
    scene = std::move(loading);
    viewport->camera = loaded.camera;
    viewport->fieldOfView = loaded.fieldOfView;
    TakeLoadedScene(path);
    if (result == SceneOpenResult::loaded) {
        ShowNotice("Opened " + FileName(path), false);
    } else {
        ShowNotice("Opened " + FileName(path) + ", not all its files", true);
    }
}

void COGLView::TakeLoadedScene(const std::string& path) {
    scenePath = path;
    modelFile = IsModelPath(path);
    storedCamera = viewport->camera;
    // As on the command line, a model file is there to be seen moving.
    if (modelFile && !timerRunning) {
        StartTimer();
    }
    Invalidate();
}

void COGLView::ShowNotice(const std::string& text, bool failed) {
    noticeText = text;
    noticeFailed = failed;
    noticeUntil = Clock::now() + noticeShown;
    Invalidate();
}

void COGLView::ChangeTimerDelay(bool longer) {
    if (longer) {
        navigation.LengthenTimerDelay();
    } else {
        navigation.ShortenTimerDelay();
    }
    if (timerRunning) {
        StopTimer();
        StartTimer();
    } else if (helpShown || statusShown) {
        Invalidate();
    }
}

void COGLView::ChangeSensitivity(bool higher) {
    if (higher) {
        navigation.RaiseSensitivity();
    } else {
        navigation.LowerSensitivity();
    }
    if (helpShown) {
        Invalidate();
    }
}

void COGLView::StartTimer() {
    timerRunning = window.StartTimer(navigation.GetTimerDelay());
    Invalidate();
}

void COGLView::StopTimer() {
    window.StopTimer();
    timerRunning = false;
    LogLine("Redraw timer stopped after " + std::to_string(tickCount) + " ticks\n");
    Invalidate();
}

void COGLView::OnTimerTick(int ticks) {
    // A tick posted just before the timer stopped must not animate.
    if (!timerRunning) {
        return;
    }
    tickCount += ticks;
    if (scene) {
        for (int i = 0; i < ticks; i++) {
            scene->AnimateAll();
        }
    }
    Invalidate();
}

double COGLView::Seconds() const {
    return std::chrono::duration<double>(Clock::now() - started).count();
}

void COGLView::Paint(CShotFrame* capture) {
    paintPending = false;
    lastPaint = Clock::now();
    frameRate.Frame(Seconds());
    frameTimer.Start(false);
    glClearColor(scene->backgroundColour[0], scene->backgroundColour[1], scene->backgroundColour[2], 1.0f);
    glState.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    viewport->Draw(*scene, glState);
    DrawOverlays();
    if (capture != nullptr) {
        glFinish();
        std::unique_ptr<uint8_t[]> rgb = AllocOrFail(static_cast<size_t>(width) * height * 3);
        if (rgb) {
            glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.get());
            glPopClientAttrib();
            capture->SetFromRgbRows(width, height, rgb.get());
        }
    }
    window.SwapBuffers();
    frameTimer.Stop();
    CheckGLState("After OnDraw");
}

// The key reference top left, the status line bottom left, the notice top
// right, all at a size that follows the window's height. A shot keeps the
// key reference only.
void COGLView::DrawOverlays() {
    const int textSize = OverlayTextSize(height);
    const int margin = textSize;
    const int roomWidth = width - 2 * margin;
    const int roomHeight = height - 2 * margin;
    if (helpShown) {
        help.SetText(overlayFont, KeyReferenceLines(navigation.GetTimerDelay(), navigation.GetSensitivity()),
                     textSize, 6, roomWidth, roomHeight, keyColour);
        help.Draw(glState, *viewport, margin, margin, height);
    }
    if (shooting) {
        return;
    }
    if (statusShown) {
        status.SetText(overlayFont, { StatusText(GatherStatus()) }, textSize, 6, roomWidth, roomHeight, keyColour);
        status.Draw(glState, *viewport, margin, height - margin - status.Height(), height);
    }
    if (!noticeText.empty()) {
        notice.SetText(overlayFont, { noticeText }, textSize, 6, roomWidth, roomHeight,
                       noticeFailed ? failureColour : keyColour);
        notice.Draw(glState, *viewport, width - margin - notice.Width(), margin, height);
    }
}

// A scene made for a model file holds one model, and the floor and lights
// it stands among; drawing sorts the objects.
COGLModel* COGLView::ShownModel() const {
    if (!modelFile) {
        return nullptr;
    }
    for (const std::unique_ptr<COGLObject>& object : scene->objects) {
        if (auto* model = dynamic_cast<COGLModel*>(object.get())) {
            return model;
        }
    }
    return nullptr;
}

StatusFacts COGLView::GatherStatus() {
    StatusFacts facts;
    facts.framesPerSecond = frameRate.PerSecond(Seconds());
    facts.animating = timerRunning;
    facts.timerDelayMs = navigation.GetTimerDelay();
    facts.objects = scene->objects.size();
    if (const COGLModel* model = ShownModel()) {
        facts.modelFile = true;
        const CModelAnimation* animation = model->GetAnimation();
        facts.animation = animation != nullptr ? animation->name : "";
        facts.frame = model->CurrentFrame();
        // Half-Life sequences count their frames elsewhere; an MD2 counts its file's.
        facts.frameCount = animation != nullptr && animation->count > 0 ? animation->count : model->GetFrameCount();
    }
    return facts;
}

bool COGLView::GrabFrame(CShotFrame& frame) {
    const bool gridWasOn = viewport->gridOn;
    const bool axisWasOn = viewport->axisIndicatorOn;
    viewport->gridOn = false;
    viewport->axisIndicatorOn = false;
    shooting = true;
    Paint();
    Paint(&frame);
    shooting = false;
    viewport->gridOn = gridWasOn;
    viewport->axisIndicatorOn = axisWasOn;
    Invalidate();
    return frame.Width() == width && frame.Height() == height;
}

void COGLView::TakeScreenShot() {
    const CScreenShot::Outcome outcome = shots.TakeScreenShot([this](CShotFrame& frame) { return GrabFrame(frame); });
    if (outcome.failure.empty()) {
        ShowNotice("Saved " + FileName(outcome.path), false);
    } else {
        ShowNotice(FileName(outcome.path) + " not written: " + outcome.failure, true);
    }
}
