#include "view/COGLView.h"

#include <GL/gl.h>

#include "diag/CDiagnostics.h"
#include "objects/SharedListsReset.h"
#include "platform/CSettingsStore.h"
#include "scene/COGLScene.h"
#include "scene/SceneFile.h"
#include "view/COGLViewport3D.h"
#include "view/CShotFrame.h"

namespace {

// Wakes the loop now and then even without events, so a stuck tick count
// or an end-of-viewing request is never left waiting.
constexpr int eventWaitMs = 100;

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
    if (result != SceneOpenResult::aborted) {
        // The textures go to OpenGL now rather than in the first frame.
        scene->UploadTextures();
        window.MoveCursor(10, 10);
    }
    return result == SceneOpenResult::loaded;
}

void COGLView::Show() {
    window.Show();
    // Covering a screen that has no mode of the chosen size, the window
    // comes up at the screen's size; everything follows the real size.
    int shownWidth = width;
    int shownHeight = height;
    window.GetClientSize(shownWidth, shownHeight);
    OnSize(shownWidth, shownHeight);
    Paint();
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
        if (event.alt) {
            OnSysKeyDown(event.letter);
        } else {
            OnKeyDown(event.key);
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
}

void COGLView::OnKeyDown(ViewerKey key) {
    switch (key) {
    case VK_CONTROL:   ctrlDown = true; break;
    case VK_ESCAPE:
        if (timerRunning) {
            StopTimer();
        }
        endViewing = true;
        break;
    case VK_PAGE_UP:   ChangeTimerDelay(false); break;
    case VK_PAGE_DOWN: ChangeTimerDelay(true); break;
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
    case VK_F12:       TakeScreenShot(); break;
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
    Apply(navigation.MouseMove(x, y, buttons, viewport->camera, viewport->IsOrtho(), displayModeChanged));
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

void COGLView::ChangeTimerDelay(bool longer) {
    if (longer) {
        navigation.LengthenTimerDelay();
    } else {
        navigation.ShortenTimerDelay();
    }
    if (timerRunning) {
        StopTimer();
        StartTimer();
    } else if (helpShown) {
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
}

void COGLView::StopTimer() {
    window.StopTimer();
    timerRunning = false;
    LogLine("Redraw timer stopped after " + std::to_string(tickCount) + " ticks\n");
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

void COGLView::Paint(CShotFrame* capture) {
    paintPending = false;
    frameTimer.Start(false);
    glClearColor(scene->backgroundColour[0], scene->backgroundColour[1], scene->backgroundColour[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    viewport->Draw(*scene);
    if (helpShown) {
        help.Draw(*viewport, height);
    }
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

bool COGLView::GrabFrame(CShotFrame& frame) {
    const bool gridWasOn = viewport->gridOn;
    const bool axisWasOn = viewport->axisIndicatorOn;
    viewport->gridOn = false;
    viewport->axisIndicatorOn = false;
    Paint();
    Paint(&frame);
    viewport->gridOn = gridWasOn;
    viewport->axisIndicatorOn = axisWasOn;
    Invalidate();
    return frame.Width() == width && frame.Height() == height;
}

void COGLView::TakeScreenShot() {
    shots.TakeScreenShot([this](CShotFrame& frame) { return GrabFrame(frame); });
}
