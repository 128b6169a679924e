#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/CViewerWindow.h"

namespace {

// The window's event queue and timer without a display: SDL's dummy video
// driver, and no window created.
class ViewerWindow : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        window.ChangeDisplayMode(640, 480);
    }
    void TearDown() override {
        window.Destroy();
        unsetenv("SDL_VIDEODRIVER");
    }

    static void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    CViewerWindow window;
};

// SDL hands a dropped file's name over for its receiver to free.
SDL_Event Drop(uint32_t type, const char* file) {
    SDL_Event event{};
    event.type = type;
    event.drop.file = file != nullptr ? SDL_strdup(file) : nullptr;
    return event;
}
} // namespace

// Ticks waiting during a slow frame arrive as one event; none after the
// timer stopped.
TEST_F(ViewerWindow, TicksWaitingDuringASlowFrameArriveAsOneEvent) {
    ASSERT_TRUE(window.StartTimer(10));
    Sleep(200);
    ViewerEvent event;
    ASSERT_TRUE(window.PollEvent(event));
    EXPECT_EQ(event.type, ViewerEvent::TIMER_TICK);
    EXPECT_GE(event.ticks, 5);
    EXPECT_FALSE(window.PollEvent(event) && event.type == ViewerEvent::TIMER_TICK);

    Sleep(50);
    window.StopTimer();
    EXPECT_FALSE(window.IsTimerRunning());
    Sleep(50);
    while (window.PollEvent(event)) {
        EXPECT_NE(event.type, ViewerEvent::TIMER_TICK);
    }
    EXPECT_FALSE(window.WaitEvent(event, 50));
}

// A layout with a key of its own for "+" (German, for one) reports
// SDLK_PLUS; the US "=/+" key reports SDLK_EQUALS. A wheel turned away from
// the user counts up whichever way the system flips it. Of the files of one
// drop only the first is opened.
TEST_F(ViewerWindow, KeysWheelAndDropsInTheViewersTerms) {
    const std::pair<SDL_Keycode, ViewerKey> keys[] = { { SDLK_PLUS, VK_PLUS },   { SDLK_EQUALS, VK_PLUS },
                                                       { SDLK_KP_PLUS, VK_PLUS }, { SDLK_MINUS, VK_MINUS },
                                                       { SDLK_KP_MINUS, VK_MINUS } };
    for (const auto& [code, key] : keys) {
        SDL_Event pushed{};
        pushed.type = SDL_KEYDOWN;
        pushed.key.keysym.sym = code;
        ASSERT_EQ(SDL_PushEvent(&pushed), 1) << SDL_GetError();
    }
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 1;
    wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    ASSERT_EQ(SDL_PushEvent(&wheel), 1);
    for (SDL_Event drop : { Drop(SDL_DROPBEGIN, nullptr), Drop(SDL_DROPFILE, "/tmp/a b.tvn"),
                            Drop(SDL_DROPFILE, "/tmp/second.tvn"), Drop(SDL_DROPCOMPLETE, nullptr),
                            Drop(SDL_DROPFILE, "/tmp/next.md2") }) {
        ASSERT_EQ(SDL_PushEvent(&drop), 1);
    }
    // Nothing else is queued, so each event heard is the next one pushed.
    ViewerEvent event;
    for (const auto& [code, key] : keys) {
        ASSERT_TRUE(window.PollEvent(event)) << code;
        EXPECT_EQ(event.type, ViewerEvent::KEY_DOWN);
        EXPECT_EQ(event.key, key) << code;
    }
    ASSERT_TRUE(window.PollEvent(event));
    EXPECT_EQ(event.type, ViewerEvent::WHEEL);
    EXPECT_EQ(event.wheel, -1);
    for (const char* path : { "/tmp/a b.tvn", "/tmp/next.md2" }) {
        ASSERT_TRUE(window.PollEvent(event));
        EXPECT_EQ(event.type, ViewerEvent::DROP_FILE);
        EXPECT_EQ(event.path, path);
    }
    EXPECT_FALSE(window.PollEvent(event));
}
