#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "diag/CDiagnostics.h"
#include "platform/CViewerWindow.h"
#include "support/TestFolder.h"

namespace {

// The window's event queue and timer without a display: SDL's dummy video
// driver, and no window created.
class ViewerWindowTimer : public ::testing::Test {
protected:
    void SetUp() override {
        previousFolder = Diagnostics().GetFolder();
        Diagnostics().SetFolder(logs.Path());
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        window.ChangeDisplayMode(640, 480);
    }
    void TearDown() override {
        window.Destroy();
        unsetenv("SDL_VIDEODRIVER");
        Diagnostics().SetFolder(previousFolder);
    }

    static void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    CTestFolder   logs;
    std::string   previousFolder;
    CViewerWindow window;
};

} // namespace

TEST_F(ViewerWindowTimer, TicksWaitingDuringASlowFrameArriveAsOneEvent) {
    ASSERT_TRUE(window.StartTimer(10));
    Sleep(200);
    ViewerEvent event;
    ASSERT_TRUE(window.PollEvent(event));
    EXPECT_EQ(event.type, ViewerEvent::TIMER_TICK);
    EXPECT_GE(event.ticks, 5);
    EXPECT_FALSE(window.PollEvent(event) && event.type == ViewerEvent::TIMER_TICK);
}

TEST_F(ViewerWindowTimer, NoTickArrivesAfterTheTimerStopped) {
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
