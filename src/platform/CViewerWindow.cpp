#include "platform/CViewerWindow.h"

#include <SDL.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/CMessageBox.h"
#include "platform/DesktopMessageBox.h"
#include "platform/FileChooser.h"
#include "platform/ProgramIcon.h"

namespace {

std::vector<DisplayModeInfo> ListDisplayModes() {
    std::vector<DisplayModeInfo> modes;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; i++) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) == 0) {
            modes.push_back({ static_cast<int>(SDL_BITSPERPIXEL(mode.format)), mode.w, mode.h });
        } else {
            modes.push_back({ 0, 0, 0 });
        }
    }
    return modes;
}

ViewerKey KeyOf(SDL_Keycode code) {
    switch (code) {
    case SDLK_LCTRL:
    case SDLK_RCTRL:     return VK_CONTROL;
    case SDLK_ESCAPE:    return VK_ESCAPE;
    case SDLK_PAGEUP:    return VK_PAGE_UP;
    case SDLK_PAGEDOWN:  return VK_PAGE_DOWN;
    case SDLK_HOME:      return VK_HOME;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:  return VK_RETURN;
    case SDLK_LEFT:      return VK_LEFT;
    case SDLK_UP:        return VK_UP;
    case SDLK_RIGHT:     return VK_RIGHT;
    case SDLK_DOWN:      return VK_DOWN;
    // SDL names a key by what it types unshifted: "=" for the US "=/+" key,
    // "+" where a layout gives "+" a key of its own.
    case SDLK_KP_PLUS:
    case SDLK_PLUS:
    case SDLK_EQUALS:    return VK_PLUS;
    case SDLK_KP_MINUS:
    case SDLK_MINUS:     return VK_MINUS;
    case SDLK_F1:        return VK_F1;
    case SDLK_F2:        return VK_F2;
    case SDLK_F11:       return VK_F11;
    case SDLK_F12:       return VK_F12;
    default:             break;
    }
    return code >= SDLK_a && code <= SDLK_z ? VK_LETTER : VK_OTHER;
}

int ButtonsOf(uint32_t state) {
    int buttons = 0;
    if ((state & SDL_BUTTON_LMASK) != 0) {
        buttons |= 1;
    }
    if ((state & SDL_BUTTON_RMASK) != 0) {
        buttons |= 2;
    }
    return buttons;
}

int ButtonOf(uint8_t button) {
    if (button == SDL_BUTTON_LEFT) {
        return 1;
    }
    return button == SDL_BUTTON_RIGHT ? 2 : 0;
}

} // namespace

void CViewerWindow::Note(const std::string& line) {
    notes += line;
}

std::string CViewerWindow::TakeNotes() {
    return std::exchange(notes, {});
}

CViewerWindow::~CViewerWindow() {
    Destroy();
}

bool CViewerWindow::StartSdl() {
    if (sdlStarted) {
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
        Note(std::string("SDL_Init failed: ") + SDL_GetError() + "\n");
        return false;
    }
    sdlStarted = true;
    tickEventType = SDL_RegisterEvents(1);
    // A message box shown above the full-screen window takes the focus; the
    // window must stay up behind it rather than minimise.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    return true;
}

bool CViewerWindow::ChangeDisplayMode(int width, int height) {
    if (!StartSdl()) {
        return false;
    }
    SDL_DisplayMode desktop;
    const int desktopBits = SDL_GetDesktopDisplayMode(0, &desktop) == 0 ? SDL_BITSPERPIXEL(desktop.format) : 0;
    modeChoice = ChooseDisplayMode(ListDisplayModes(), width, height, desktopBits);
    modeChosen = true;
    if (modeChoice.way != DisplayModeChoice::SIXTEEN_BIT) {
        Note("ChangeDisplaySettings - Requested mode is not present.\n");
    }
    return modeChoice.way != DisplayModeChoice::COVER_SCREEN;
}

bool CViewerWindow::SwitchMode() {
    SDL_DisplayMode mode;
    return SDL_GetDisplayMode(0, modeChoice.modeIndex, &mode) == 0 && SDL_SetWindowDisplayMode(window, &mode) == 0 &&
           SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0;
}

void CViewerWindow::TakeScreen(int width, int height) {
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (modeChoice.way != DisplayModeChoice::COVER_SCREEN) {
        if (SwitchMode()) {
            fullScreen = true;
            if (modeChoice.way == DisplayModeChoice::SIXTEEN_BIT) {
                Note("ChangeDisplaySettings Succeeded.\n");
            } else {
                SDL_DisplayMode mode;
                SDL_GetWindowDisplayMode(window, &mode);
                Note("Full screen: display mode changed to " + size + " at the desktop's " +
                     std::to_string(SDL_BITSPERPIXEL(mode.format)) + " bits per pixel.\n");
            }
            return;
        }
        Note("ChangeDisplaySettings Failed.\n");
    }
    // No mode to switch to: the window takes the whole screen as it is. The
    // size is for an X server without a window manager, the full-screen
    // state for a window manager to put it above its panels.
    SDL_Rect screen = { 0, 0, width, height };
    SDL_GetDisplayBounds(0, &screen);
    SDL_SetWindowSize(window, screen.w, screen.h);
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    Note("Full screen: no display mode of " + size + "; the window covers the " + std::to_string(screen.w) +
         " x " + std::to_string(screen.h) + " screen without a mode change.\n");
}

// The task bar and window switcher show it; SDL copies the pixels.
void CViewerWindow::SetIcon() {
    const int size = 64;
    std::vector<uint8_t> pixels = DrawProgramIcon(size);
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), size, size, 32, size * 4,
                                                           SDL_PIXELFORMAT_RGBA32);
    if (icon != nullptr) {
        SDL_SetWindowIcon(window, icon);
        SDL_FreeSurface(icon);
    }
}

bool CViewerWindow::Create(int width, int height) {
    if (!StartSdl()) {
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 6);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    // Blended shadows darken each pixel once by marking it in the stencil.
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    createdWidth = width;
    createdHeight = height;
    const uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
    window = SDL_CreateWindow("Test Window", 0, 0, width, height, flags);
    if (window == nullptr) {
        // A visual without stencil still shows the scene; shadows then blend as they always did.
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
        window = SDL_CreateWindow("Test Window", 0, 0, width, height, flags);
    }
    if (window == nullptr) {
        Note(std::string("SDL_CreateWindow failed: ") + SDL_GetError() + "\n");
        return false;
    }
    SetIcon();
    if (modeChosen) {
        TakeScreen(width, height);
    }
    glContext = SDL_GL_CreateContext(window);
    if (glContext == nullptr) {
        Note(std::string("SDL_GL_CreateContext failed: ") + SDL_GetError() + "\n");
        return false;
    }
    SDL_GL_MakeCurrent(window, glContext);
    SetMessageBoxParent(window);
    return true;
}

void CViewerWindow::Show() {
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
}

void CViewerWindow::RestoreDisplayMode() {
    if (window != nullptr && fullScreen) {
        SDL_SetWindowFullscreen(window, 0);
        fullScreen = false;
        Note("Full screen: display mode restored.\n");
    }
}

void CViewerWindow::SetWindowed(bool toWindow) {
    if (window == nullptr || toWindow == windowed) {
        return;
    }
    windowed = toWindow;
    if (windowed) {
        SDL_SetWindowFullscreen(window, 0);
        if (fullScreen) {
            fullScreen = false;
            Note("Full screen: display mode restored.\n");
        }
        SDL_SetWindowBordered(window, SDL_TRUE);
        SDL_SetWindowResizable(window, SDL_TRUE);
        SDL_SetWindowSize(window, createdWidth, createdHeight);
        SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        return;
    }
    SDL_SetWindowResizable(window, SDL_FALSE);
    SDL_SetWindowBordered(window, SDL_FALSE);
    SDL_SetWindowPosition(window, 0, 0);
    SDL_SetWindowSize(window, createdWidth, createdHeight);
    if (modeChosen) {
        TakeScreen(createdWidth, createdHeight);
    }
}

bool CViewerWindow::ChooseFileToOpen(const std::string& start, std::string& chosen) {
    CaptureMouse(false);
    const bool picked = ::ChooseFileToOpen(start, chosen);
    SDL_RaiseWindow(window);
    // The keys go back to the viewer even where no window manager hands
    // them on from the closed chooser.
    SDL_SetWindowInputFocus(window);
    return picked;
}

void CViewerWindow::Destroy() {
    StopTimer();
    CaptureMouse(false);
    if (glContext != nullptr) {
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(glContext);
        glContext = nullptr;
    }
    RestoreDisplayMode();
    if (window != nullptr) {
        SetMessageBoxParent(nullptr);
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    if (sdlStarted) {
        // Quitting the timer waits for its thread, so no callback outlives us.
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER);
        sdlStarted = false;
    }
}

void CViewerWindow::SwapBuffers() {
    SDL_GL_SwapWindow(window);
}

void CViewerWindow::GetClientSize(int& width, int& height) const {
    SDL_GetWindowSize(window, &width, &height);
}

void CViewerWindow::MoveCursor(int x, int y) {
    SDL_WarpMouseInWindow(window, x, y);
}

void CViewerWindow::CaptureMouse(bool capture) {
    if (capture == captured) {
        return;
    }
    SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
    captured = capture;
}

bool CViewerWindow::WaitEvent(ViewerEvent& event, int timeoutMs) {
    SDL_Event sdlEvent;
    if (SDL_WaitEventTimeout(&sdlEvent, timeoutMs) != 0) {
        return Translate(&sdlEvent, event);
    }
    // A callback racing StopTimer can count a tick whose event was flushed;
    // without this the count would stay up and no tick event come again.
    event = ViewerEvent();
    if (timerId != 0 && ticksPending.load() > 0) {
        event.type = ViewerEvent::TIMER_TICK;
        event.ticks = ticksPending.exchange(0);
        return event.ticks > 0;
    }
    return false;
}

bool CViewerWindow::PollEvent(ViewerEvent& event) {
    SDL_Event sdlEvent;
    while (SDL_PollEvent(&sdlEvent) != 0) {
        if (Translate(&sdlEvent, event)) {
            return true;
        }
    }
    return false;
}

bool CViewerWindow::Translate(const void* source, ViewerEvent& event) {
    const SDL_Event& e = *static_cast<const SDL_Event*>(source);
    event = ViewerEvent();
    if (e.type == tickEventType) {
        // A callback that was running while the timer stopped may still post.
        if (timerId == 0) {
            return false;
        }
        event.type = ViewerEvent::TIMER_TICK;
        event.ticks = ticksPending.exchange(0);
        return event.ticks > 0;
    }
    switch (e.type) {
    case SDL_QUIT:
        event.type = ViewerEvent::QUIT;
        return true;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
            event.type = ViewerEvent::EXPOSE;
            return true;
        }
        if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            event.type = ViewerEvent::SIZE;
            event.x = e.window.data1;
            event.y = e.window.data2;
            return true;
        }
        return false;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        event.type = e.type == SDL_KEYDOWN ? ViewerEvent::KEY_DOWN : ViewerEvent::KEY_UP;
        event.key = KeyOf(e.key.keysym.sym);
        if (event.key == VK_LETTER) {
            event.letter = static_cast<char>('A' + (e.key.keysym.sym - SDLK_a));
        }
        event.alt = (e.key.keysym.mod & KMOD_ALT) != 0;
        event.ctrl = (e.key.keysym.mod & KMOD_CTRL) != 0;
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        event.type = e.type == SDL_MOUSEBUTTONDOWN ? ViewerEvent::BUTTON_DOWN : ViewerEvent::BUTTON_UP;
        event.button = ButtonOf(e.button.button);
        event.x = e.button.x;
        event.y = e.button.y;
        return event.button != 0;
    case SDL_MOUSEMOTION:
        event.type = ViewerEvent::MOUSE_MOVE;
        event.x = e.motion.x;
        event.y = e.motion.y;
        event.buttons = ButtonsOf(e.motion.state);
        return true;
    case SDL_MOUSEWHEEL:
        event.type = ViewerEvent::WHEEL;
        event.wheel = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        return event.wheel != 0;
    case SDL_DROPBEGIN:
    case SDL_DROPCOMPLETE:
        dropTaken = false;
        return false;
    case SDL_DROPFILE:
        // One scene at a time: the first file of a drop is opened.
        if (!dropTaken && e.drop.file != nullptr) {
            event.type = ViewerEvent::DROP_FILE;
            event.path = e.drop.file;
            dropTaken = true;
        }
        SDL_free(e.drop.file);
        return event.type == ViewerEvent::DROP_FILE;
    case SDL_DROPTEXT:
        SDL_free(e.drop.file);
        return false;
    default:
        return false;
    }
}

uint32_t CViewerWindow::TimerCallback(uint32_t interval, void* data) {
    auto* self = static_cast<CViewerWindow*>(data);
    if (self->ticksPending.fetch_add(1) == 0) {
        SDL_Event event;
        SDL_zero(event);
        event.type = self->tickEventType;
        SDL_PushEvent(&event);
    }
    return interval;
}

bool CViewerWindow::StartTimer(int delayMs) {
    StopTimer();
    if (!sdlStarted) {
        return false;
    }
    timerId = SDL_AddTimer(static_cast<uint32_t>(delayMs), TimerCallback, this);
    return timerId != 0;
}

void CViewerWindow::StopTimer() {
    if (timerId != 0) {
        SDL_RemoveTimer(timerId);
        timerId = 0;
    }
    DropPendingTicks();
}

void CViewerWindow::DropPendingTicks() {
    ticksPending = 0;
    if (tickEventType != 0 && sdlStarted) {
        SDL_FlushEvent(tickEventType);
    }
}
