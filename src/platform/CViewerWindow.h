#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/DisplayModeSearch.h"
#include "platform/ViewerEvent.h"

struct SDL_Window;

// The viewer's full-screen window on SDL: display mode, a borderless window
// at the screen origin (or a window on the desktop), its double-buffered
// OpenGL context, the cursor, files dropped onto it, and the redraw timer. Everything runs on the thread that created it except the
// timer callback, which only counts a tick and posts one event for any
// number of ticks not yet taken, so slow frames never pile up the queue.
class CViewerWindow {
public:
    CViewerWindow() = default;
    ~CViewerWindow();
    CViewerWindow(const CViewerWindow&) = delete;
    CViewerWindow& operator=(const CViewerWindow&) = delete;

    // Chooses how the window (created next) takes the screen: width x height
    // at 16 bits per pixel, else at the desktop's depth, else covering the
    // screen at its own size without a mode change. Create notes which way
    // it went. False when the display has no mode of that size at all.
    bool ChangeDisplayMode(int width, int height);
    // The screen is in the window's own mode and must be given back.
    bool IsDisplayModeChanged() const { return fullScreen; }
    // Hidden until Show; the context (5-6-5 colour, 16-bit depth, stencil,
    // double buffered) is current on return. False, with the reason noted,
    // when the window or the context cannot be made. The window's real size
    // (GetClientSize) differs from the one asked for when it covers a screen
    // that has no mode of that size.
    bool Create(int width, int height);
    void Show();
    // Leaves full screen, which gives the desktop its own mode back.
    void RestoreDisplayMode();
    // A window of the size Create was given, on the desktop in its own mode,
    // with a border and resizable; or back to the full screen as Create took
    // it. Size events follow.
    void SetWindowed(bool windowed);
    bool IsWindowed() const { return windowed; }
    // The desktop's file chooser for a file to open (see FileChooser.h);
    // the keyboard comes back to the window after it. No chooser can be
    // relied on to show above a full-screen window (or in a changed display
    // mode): call it windowed. True with the chosen path.
    bool ChooseFileToOpen(const std::string& start, std::string& chosen);
    // Deletes the context (making none current first) and the window.
    void Destroy();

    bool HasContext() const { return glContext != nullptr; }
    void SwapBuffers();
    void GetClientSize(int& width, int& height) const;

    // Lines for the log about the display mode and the window, gathered
    // since the last call; the caller writes them where logs go.
    std::string TakeNotes();

    void MoveCursor(int x, int y);
    void CaptureMouse(bool capture);
    bool IsMouseCaptured() const { return captured; }

    // Waits for the next event; false when there is none within timeoutMs.
    bool WaitEvent(ViewerEvent& event, int timeoutMs);
    bool PollEvent(ViewerEvent& event);

    // Needs ChangeDisplayMode or Create to have run.
    bool StartTimer(int delayMs);
    // No callback runs any more once this returns; ticks already posted
    // are dropped.
    void StopTimer();
    bool IsTimerRunning() const { return timerId != 0; }

private:
    void            Note(const std::string& line);
    void            TakeScreen(int width, int height);
    bool            SwitchMode();
    bool            StartSdl();
    void            SetIcon();
    static uint32_t TimerCallback(uint32_t interval, void* window);
    bool            Translate(const void* sdlEvent, ViewerEvent& event);
    void            DropPendingTicks();

    bool                 sdlStarted = false;
    SDL_Window*          window = nullptr;
    void*                glContext = nullptr;
    bool                 fullScreen = false;
    bool                 modeChosen = false;
    DisplayModeChoice    modeChoice { DisplayModeChoice::COVER_SCREEN, -1 };
    bool                 windowed = false;
    int                  createdWidth = 0;
    int                  createdHeight = 0;
    bool                 dropTaken = false;
    bool                 captured = false;
    int                  timerId = 0;
    uint32_t             tickEventType = 0;
    std::atomic<int>     ticksPending { 0 };
    std::string          notes;
};
