// Forms runtime — a display lost for good. When the display server goes
// away (it crashed, the session ended, a remote display dropped) there is
// nothing left to show the windows on, whatever screen is up: the program
// ends at once with status 1 and one line on standard error.
//
// It ends without exit handlers or destructors. Xlib's own handler calls
// exit(), whose destructors of the global windows ask SDL to destroy them,
// and SDL then waits on the dead connection for an event that cannot come:
// the process spins for ever and only SIGKILL ends it. The program
// releases nothing at its end anyway.
//
// The runtime does not link a display library itself (SDL picks X11 or
// Wayland when it starts), so it finds what it needs in the libraries SDL
// has already loaded: under X11 the process-wide I/O error handler of
// libX11; under Wayland, where SDL reports a failed connection as a quit
// request, the connection's own error state in libwayland-client.
#include <SDL.h>
// SDL's window-manager header would include Xlib's headers for its X11
// member; only the Wayland member is read here, and its place in the
// header's fixed-size union does not depend on the X11 one.
#undef SDL_VIDEO_DRIVER_X11
#include <SDL_syswm.h>
#include <dlfcn.h>
#include <errno.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/forms_internal.h"

namespace forms {

namespace {

std::string g_x_display;  // the X display's name, for the message

[[noreturn]] void EndForLostDisplay(const std::string& what_broke) {
    std::fprintf(stderr, "%s: the display was lost (%s)\n", program_invocation_short_name, what_broke.c_str());
    std::fflush(nullptr);
    std::_Exit(1);
}

// Xlib calls this on a connection that has failed; it must not return
// (Xlib would call exit() then).
int OnXConnectionLost(void* /*display*/) {
    EndForLostDisplay("the connection to the X server " + g_x_display + " broke");
}

// A symbol of a library already in the process; nullptr when the library
// is not loaded or has no such symbol.
void* SymbolOfLoaded(const char* library, const char* symbol) {
    void* handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
    if (!handle) return nullptr;
    void* found = dlsym(handle, symbol);
    dlclose(handle);  // SDL keeps its own reference
    return found;
}

bool DriverIs(const char* name) {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, name) == 0;
}

}  // namespace

void WatchForLostDisplay() {
    if (!DriverIs("x11")) return;
    using IOErrorHandler = int (*)(void*);
    using SetIOErrorHandler = IOErrorHandler (*)(IOErrorHandler);
    auto set_handler = reinterpret_cast<SetIOErrorHandler>(SymbolOfLoaded("libX11.so.6", "XSetIOErrorHandler"));
    if (!set_handler) return;
    const char* name = SDL_getenv("DISPLAY");
    g_x_display = name ? name : "";
    set_handler(OnXConnectionLost);
}

void EndIfDisplayLost() {
    if (!DriverIs("wayland")) return;
    using GetError = int (*)(void*);
    auto get_error = reinterpret_cast<GetError>(SymbolOfLoaded("libwayland-client.so.0", "wl_display_get_error"));
    if (!get_error) return;
    for (Form* f : TK().forms) {
        SDL_Window* window = f->IsLoaded() ? f->impl().window : nullptr;
        if (!window) continue;
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND) continue;
        if (info.info.wl.display && get_error(info.info.wl.display) != 0)
            EndForLostDisplay("the connection to the Wayland compositor broke");
        return;  // one window tells for the whole connection
    }
}

}  // namespace forms
