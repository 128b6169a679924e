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

SDL_Event Key(SDL_Keycode code, uint16_t mod = KMOD_NONE) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = code;
    event.key.keysym.mod = mod;
    return event;
}

SDL_Event Wheel(int y, uint32_t direction) {
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = y;
    event.wheel.direction = direction;
    return event;
}

// SDL hands the dropped file's name over for its receiver to free.
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
// SDLK_PLUS; the US "=/+" key reports SDLK_EQUALS, shifted or not. A wheel
// turned away from the user counts up whichever way the system flips it.
// Of the files of one drop only the first is opened.
TEST_F(ViewerWindow, KeysWheelAndDropsInTheViewersTerms) {
    struct Case {
        SDL_Event   sdl;
        ViewerEvent::Type type;
        ViewerKey   key;
        bool        ctrl;
        int         wheel;
        const char* path;
    };
    const Case cases[] = {
        { Key(SDLK_PLUS), ViewerEvent::KEY_DOWN, VK_PLUS, false, 0, "" },
        { Key(SDLK_EQUALS), ViewerEvent::KEY_DOWN, VK_PLUS, false, 0, "" },
        { Key(SDLK_KP_PLUS), ViewerEvent::KEY_DOWN, VK_PLUS, false, 0, "" },
        { Key(SDLK_MINUS), ViewerEvent::KEY_DOWN, VK_MINUS, false, 0, "" },
        { Key(SDLK_KP_MINUS), ViewerEvent::KEY_DOWN, VK_MINUS, false, 0, "" },
        { Key(SDLK_HOME), ViewerEvent::KEY_DOWN, VK_HOME, false, 0, "" },
        { Key(SDLK_KP_ENTER, KMOD_LALT), ViewerEvent::KEY_DOWN, VK_RETURN, false, 0, "" },
        { Key(SDLK_F11), ViewerEvent::KEY_DOWN, VK_F11, false, 0, "" },
        { Key(SDLK_o, KMOD_RCTRL), ViewerEvent::KEY_DOWN, VK_LETTER, true, 0, "" },
        { Wheel(2, SDL_MOUSEWHEEL_NORMAL), ViewerEvent::WHEEL, VK_OTHER, false, 2, "" },
        { Wheel(1, SDL_MOUSEWHEEL_FLIPPED), ViewerEvent::WHEEL, VK_OTHER, false, -1, "" },
        { Drop(SDL_DROPBEGIN, nullptr), ViewerEvent::NONE, VK_OTHER, false, 0, "" },
        { Drop(SDL_DROPFILE, "/tmp/a b.tvn"), ViewerEvent::DROP_FILE, VK_OTHER, false, 0, "/tmp/a b.tvn" },
        { Drop(SDL_DROPFILE, "/tmp/second.tvn"), ViewerEvent::NONE, VK_OTHER, false, 0, "" },
        { Drop(SDL_DROPCOMPLETE, nullptr), ViewerEvent::NONE, VK_OTHER, false, 0, "" },
        { Drop(SDL_DROPFILE, "/tmp/next.md2"), ViewerEvent::DROP_FILE, VK_OTHER, false, 0, "/tmp/next.md2" },
    };
    for (const Case& c : cases) {
        SDL_Event pushed = c.sdl;
        ASSERT_EQ(SDL_PushEvent(&pushed), 1) << SDL_GetError();
    }
    // Nothing else is queued, so each case's event is the next one heard.
    ViewerEvent event;
    for (const Case& c : cases) {
        if (c.type == ViewerEvent::NONE) {
            continue;  // not heard
        }
        SCOPED_TRACE(static_cast<int>(c.type));
        ASSERT_TRUE(window.PollEvent(event));
        EXPECT_EQ(event.type, c.type);
        EXPECT_EQ(event.key, c.key);
        EXPECT_EQ(event.ctrl, c.ctrl);
        EXPECT_EQ(event.wheel, c.wheel);
        EXPECT_EQ(event.path, c.path);
    }
    EXPECT_FALSE(window.PollEvent(event));
}
