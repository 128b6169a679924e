#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/ViewerEvent.h"

struct SDL_Window;

// The viewer's full-screen window on SDL: display mode, a borderless window
// at the screen origin, its double-buffered OpenGL context, the cursor, and
// the redraw timer. Everything runs on the thread that created it except the
// timer callback, which only counts a tick and posts one event for any
// number of ticks not yet taken, so slow frames never pile up the queue.
class CViewerWindow {
public:
    CViewerWindow() = default;
    ~CViewerWindow();
    CViewerWindow(const CViewerWindow&) = delete;
    CViewerWindow& operator=(const CViewerWindow&) = delete;

    // Looks for width x height at 16 bits per pixel and, when found, makes
    // the window (created next) take the screen in that mode; Create notes
    // whether the change succeeded. False when the mode is not there.
    bool ChangeDisplayMode(int width, int height);
    // The screen is in the window's own mode and must be given back.
    bool IsDisplayModeChanged() const { return fullScreen; }
    // Hidden until Show; the context (5-6-5 colour, 16-bit depth, double
    // buffered) is current on return. False, with the reason noted, when
    // the window or the context cannot be made.
    bool Create(int width, int height);
    void Show();
    // Leaves full screen, which gives the desktop its own mode back.
    void RestoreDisplayMode();
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
    bool            StartSdl();
    void            SetIcon();
    static uint32_t TimerCallback(uint32_t interval, void* window);
    bool            Translate(const void* sdlEvent, ViewerEvent& event);
    void            DropPendingTicks();

    bool                 sdlStarted = false;
    SDL_Window*          window = nullptr;
    void*                glContext = nullptr;
    bool                 fullScreen = false;
    int                  modeIndex = -1;
    bool                 captured = false;
    int                  timerId = 0;
    uint32_t             tickEventType = 0;
    std::atomic<int>     ticksPending { 0 };
    std::string          notes;
};
