// Forms runtime — start-up: SDL's video, timer and event parts (audio is
// started on its own, so a machine without sound still shows windows), the
// fonts, and the desktop's size.
#include <cstring>
#include <string>

#include "platform/forms_fonts.h"
#include "platform/forms_internal.h"

namespace forms {

namespace {

// Windows, the play field's too, are painted through the desktop's plain
// framebuffer where the video driver has one (X11's shared-memory images;
// SDL's default would put it behind an OpenGL texture, several
// milliseconds a frame without a GPU). SDL's Wayland driver has none:
// there the window surface must be SDL's texture, and asking for the plain
// one leaves every window without a picture, which a Wayland compositor
// never maps. SDL decides once, at the first window surface, so this is
// set before any window exists; the environment's setting still wins.
void UsePlainFramebufferWhereThereIsOne(const char* driver) {
    for (const char* plain : {"x11", "dummy", "offscreen"})
        if (driver && std::strcmp(driver, plain) == 0)
            SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
}

// A Wayland output's scale: SDL gives the desktop in the compositor's units
// and the output's own pixels as its first mode.
int CompositorOutputScale(const char* driver) {
    if (!driver || std::strcmp(driver, "wayland") != 0) return 1;
    SDL_DisplayMode desktop, native;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0 || SDL_GetDisplayMode(0, 0, &native) != 0) return 1;
    if (desktop.w <= 0 || desktop.h <= 0 || native.w % desktop.w != 0) return 1;
    const int k = native.w / desktop.w;
    return k >= 1 && native.h == k * desktop.h ? k : 1;
}

}  // namespace

void Initialise(bool headless) {
    Toolkit& tk = TK();
    if (tk.initialised) return;
    if (headless) SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    // Closing one window is the program's business (Main may show the
    // same scene again), never an automatic quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
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
    WatchForLostDisplay();
    UsePlainFramebufferWhereThereIsOne(driver);
    // Wayland's compositor places every top-level window itself.
    tk.places_windows = !(driver && std::strcmp(driver, "wayland") == 0);
    // No input method: keys arrive as plain key presses.
    SDL_StopTextInput();
    tk.output_scale = CompositorOutputScale(driver);
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0)
        ApplyDesktop(mode.w * tk.output_scale, mode.h * tk.output_scale, DesktopScaleSettings(driver));
    else
        ApplyDesktop(tk.desktop_w_px, tk.desktop_h_px, DesktopScaleSettings(driver));
    fonts::Initialise();
    tk.headless = headless;
    tk.initialised = true;
}

bool IsHeadless() { return TK().headless; }

}  // namespace forms
