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

} // namespace

TEST_F(ViewerWindow, TicksWaitingDuringASlowFrameArriveAsOneEvent) {
    ASSERT_TRUE(window.StartTimer(10));
    Sleep(200);
    ViewerEvent event;
    ASSERT_TRUE(window.PollEvent(event));
    EXPECT_EQ(event.type, ViewerEvent::TIMER_TICK);
    EXPECT_GE(event.ticks, 5);
    EXPECT_FALSE(window.PollEvent(event) && event.type == ViewerEvent::TIMER_TICK);
}

TEST_F(ViewerWindow, NoTickArrivesAfterTheTimerStopped) {
    ASSERT_TRUE(window.StartTimer(10));
    Sleep(50);
    window.StopTimer();
    EXPECT_FALSE(window.IsTimerRunning());
    Sleep(50);
    ViewerEvent event;
    while (window.PollEvent(event)) {
        EXPECT_NE(event.type, ViewerEvent::TIMER_TICK);
    }
    EXPECT_FALSE(window.WaitEvent(event, 50));
}

// A layout with a key of its own for "+" (German, for one) reports
// SDLK_PLUS; the US "=/+" key reports SDLK_EQUALS, shifted or not.
TEST_F(ViewerWindow, PlusAndMinusFromTheKeypadAndTheMainKeyboard) {
    struct Case { SDL_Keycode code; ViewerKey key; };
    const Case cases[] = {
        { SDLK_PLUS, VK_PLUS },   { SDLK_EQUALS, VK_PLUS },   { SDLK_KP_PLUS, VK_PLUS },
        { SDLK_MINUS, VK_MINUS }, { SDLK_KP_MINUS, VK_MINUS },
    };
    for (const Case& c : cases) {
        SDL_Event pressed;
        SDL_zero(pressed);
        pressed.type = SDL_KEYDOWN;
        pressed.key.keysym.sym = c.code;
        ASSERT_EQ(SDL_PushEvent(&pressed), 1) << SDL_GetError();
        ViewerEvent event;
        ASSERT_TRUE(window.WaitEvent(event, 1000));
        EXPECT_EQ(event.type, ViewerEvent::KEY_DOWN);
        EXPECT_EQ(event.key, c.key) << SDL_GetKeyName(c.code);
    }
}
