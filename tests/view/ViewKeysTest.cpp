#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <filesystem>
#include <string>
#include <vector>

#include "models/Md2Bytes.h"
#include "platform/COffscreenContext.h"
#include "platform/CSettingsStore.h"
#include "support/ScopedEnv.h"
#include "support/TestFolder.h"
#include "support/VirtualDisplay.h"
#include "view/COGLView.h"

namespace {

SDL_Event Key(SDL_Keycode code, uint32_t type = SDL_KEYDOWN, uint16_t mod = KMOD_NONE) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = code;
    event.key.keysym.mod = mod;
    return event;
}

}  // namespace

// The keys as the viewer takes them, on the tests' own X server: a wall on
// its floor, shot with F12 after each row's keys, shows where the camera
// went. A row either gives the shot of an earlier row again or turned the view.
TEST(ViewKeys, ArrowsTurnBothWaysControlUpEndsRightDragsAndAltZZooms) {
    const char* display = VirtualDisplay();
    if (display == nullptr) {
        GTEST_SKIP() << "Xvfb is not installed or did not start";
    }
    // An offscreen context leaves its EGL display up, which keeps the GL driver
    // loaded past the window's end: the leak checker can then still name the
    // driver its own leftovers come from.
    COffscreenContext().Create(8, 8);
    CScopedEnv displayEnv("DISPLAY", display);
    CTestFolder folder;
    CSettingsStore settings(folder.Path("TAV.ini"));
    settings.Write(Setting::mouseSensitivity, 10);
    CScreenShot::Settings shots { folder.Path("shots"), "shot", CScreenShot::BMP };
    std::filesystem::create_directory(shots.folder);
    Md2Layout wall;
    wall.frames = { Wall("stand1", -20.0f, 40, 0) };
    wall.Run(4).Vertex(0, 0, 0).Vertex(0, 0, 1).Vertex(0, 0, 2).Vertex(0, 0, 3).End();
    const struct { std::vector<SDL_Event> keys; int sameAs; } rows[] = {
        { {}, -1 },
        { { Key(SDLK_LEFT) }, -1 },
        { { Key(SDLK_RIGHT) }, 0 },
        { { Key(SDLK_LCTRL), Key(SDLK_LCTRL, SDL_KEYUP), Key(SDLK_LEFT) }, 1 },
        { { Key(SDLK_z, SDL_KEYDOWN, KMOD_LALT), Key(SDLK_UP) }, 3 },  // a zoom drag goes by across only
    };
    {
        COGLView view(settings, shots);
        ASSERT_TRUE(view.Create(640, 480));
        ASSERT_TRUE(view.OpenScene(folder.Write("wall.md2", Text(wall.Write()))));
        view.Show();
        for (const auto& row : rows) {
            for (SDL_Event event : row.keys) {
                ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
            }
            SDL_Event f12 = Key(SDLK_F12);
            ASSERT_EQ(SDL_PushEvent(&f12), 1) << SDL_GetError();
        }
        SDL_Event escape = Key(SDLK_ESCAPE);
        ASSERT_EQ(SDL_PushEvent(&escape), 1) << SDL_GetError();  // or Run would wait for ever
        view.Run();
    }
    const auto shot = [&](int n) { return CTestFolder::Read(shots.folder + "/shot00" + std::to_string(n) + ".bmp"); };
    for (int n = 1; n < 5; n++) {
        SCOPED_TRACE(n);
        ASSERT_FALSE(shot(n).empty());
        EXPECT_EQ(shot(n) == shot(rows[n].sameAs < 0 ? n - 1 : rows[n].sameAs), rows[n].sameAs >= 0);
    }
}
