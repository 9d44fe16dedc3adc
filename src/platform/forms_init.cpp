// Forms runtime — start-up: SDL's video, timer and event parts (audio is
// started on its own, so a machine without sound still shows windows), the
// fonts (their configuration read beside the display connection), and the
// desktop's size.
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/forms_fonts.h"
#include "platform/forms_internal.h"

namespace forms {
namespace {

// X's input method reads the locale's whole table of compose sequences
// (half a megabyte of text, some 60 million instructions) when SDL opens
// the display. The game reads no text, only keys, which arrive without
// it: unless the user names a table of their own, it gets an empty one.
void SkipComposeTable() {
    if (!SDL_getenv("XCOMPOSEFILE")) setenv("XCOMPOSEFILE", "/dev/null", 0);
}

}  // namespace

void Initialise(bool headless) {
    Toolkit& tk = TK();
    if (tk.initialised) return;
    if (headless) SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    // Closing one window is the program's business (Main may show the
    // same scene again), never an automatic quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // Windows are painted through their plain framebuffer; the display
    // layer asks the same for the play field.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    SkipComposeTable();  // before any other thread reads the environment
    // The fonts' configuration is read meanwhile (fonts::Initialise below
    // waits for it): the display connection mostly waits for the server.
    fonts::StartLoading();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0)
        throw Error(std::string("no display to show the windows on (") + SDL_GetError() +
                    "); start the game on a desktop, or run the scripted runner headless");
    // Without a desktop SDL falls back to a driver that shows nothing, and
    // the game would run unseen, waiting for keys that cannot come. Such a
    // driver is used only when SDL_VIDEODRIVER names it alone.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (!headless && driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
        !(asked && std::strcmp(asked, driver) == 0)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
        throw Error(std::string("no display to show the windows on (no desktop was found; only SDL's \"") +
                    driver + "\" driver, which shows nothing); start the game on a desktop, or run the "
                    "scripted runner headless");
    }
    // No input method: keys arrive as plain key presses.
    SDL_StopTextInput();
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
        tk.screen_w_px = mode.w;
        tk.screen_h_px = mode.h;
    }
    fonts::Initialise();
    tk.headless = headless;
    tk.initialised = true;
}

bool IsHeadless() { return TK().headless; }

float ScreenWidth() { return static_cast<float>(TK().screen_w_px * kTwipsPerPixel); }
float ScreenHeight() { return static_cast<float>(TK().screen_h_px * kTwipsPerPixel); }

}  // namespace forms
