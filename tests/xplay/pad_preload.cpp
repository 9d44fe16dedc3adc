// A gamepad for the real program under Xvfb, for scripts/xplay.sh --pad
// only (never installed): loaded with LD_PRELOAD, it plugs SDL's virtual
// game controller into the running program and moves it by the lines
// written to the FIFO named by ROOFRIDER_PAD_FIFO. The program itself is
// the shipped one: it reads this pad exactly as a pad plugged into the
// machine (a virtual joystick made by another process would be invisible
// to it, and this machine has no /dev/uinput).
//
// Lines: "tap BUTTON", "down BUTTON", "up BUTTON" (SDL's button names:
// a, b, x, y, back, start, dpup ...), "stick X Y" (the left stick, -1 to
// 1), "unplug", "plug".
//
// The hook is SDL_PollEvent, which the toolkit calls in every pass: each
// call first applies what the FIFO holds, updating SDL's joysticks after
// every change so that a press and its release are both seen.
#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

struct PadHelper {
    bool started = false;
    int fifo = -1;
    std::string pending;  // bytes read but not yet a whole line
    SDL_Joystick* joystick = nullptr;
    int instance = -1;
};

PadHelper& Helper() {
    static PadHelper helper;
    return helper;
}

void Say(const std::string& text) { std::fprintf(stderr, "pad helper: %s\n", text.c_str()); }

void Plug() {
    PadHelper& h = Helper();
    if (h.joystick) return;
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
    desc.name = "xplay virtual pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0 || !(h.joystick = SDL_JoystickOpen(index))) {
        Say(std::string("cannot plug a pad in: ") + SDL_GetError());
        return;
    }
    h.instance = SDL_JoystickInstanceID(h.joystick);
    SDL_JoystickSetVirtualAxis(h.joystick, SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_JOYSTICK_AXIS_MIN);
    SDL_JoystickSetVirtualAxis(h.joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, SDL_JOYSTICK_AXIS_MIN);
    Say("plugged in");
}

void Unplug() {
    PadHelper& h = Helper();
    if (!h.joystick) return;
    SDL_JoystickClose(h.joystick);
    h.joystick = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == h.instance) SDL_JoystickDetachVirtual(i);
    Say("pulled out");
}

Sint16 Tilt(double v) { return static_cast<Sint16>(std::lround(std::fmax(-1, std::fmin(1, v)) * SDL_JOYSTICK_AXIS_MAX)); }

void Apply(const std::string& line) {
    PadHelper& h = Helper();
    std::istringstream in(line);
    std::string verb, arg;
    in >> verb;
    if (verb == "plug") return Plug();
    if (verb == "unplug") return Unplug();
    if (!h.joystick) return Say("no pad plugged in for '" + line + "'");
    if (verb == "stick") {
        double x = 0, y = 0;
        if (!(in >> x >> y)) return Say("bad line '" + line + "'");
        SDL_JoystickSetVirtualAxis(h.joystick, SDL_CONTROLLER_AXIS_LEFTX, Tilt(x));
        SDL_JoystickSetVirtualAxis(h.joystick, SDL_CONTROLLER_AXIS_LEFTY, Tilt(y));
        SDL_JoystickUpdate();
        return Say(line);
    }
    in >> arg;
    const SDL_GameControllerButton b = SDL_GameControllerGetButtonFromString(arg.c_str());
    if ((verb != "tap" && verb != "down" && verb != "up") || b == SDL_CONTROLLER_BUTTON_INVALID ||
        b > SDL_CONTROLLER_BUTTON_DPAD_RIGHT)
        return Say("bad line '" + line + "'");
    if (verb == "tap" || verb == "down") SDL_JoystickSetVirtualButton(h.joystick, b, SDL_PRESSED);
    SDL_JoystickUpdate();
    if (verb == "tap" || verb == "up") SDL_JoystickSetVirtualButton(h.joystick, b, SDL_RELEASED);
    SDL_JoystickUpdate();
    Say(line);
}

void ReadFifo() {
    PadHelper& h = Helper();
    if (h.fifo < 0) {
        const char* path = std::getenv("ROOFRIDER_PAD_FIFO");
        if (!path || (h.fifo = open(path, O_RDONLY | O_NONBLOCK)) < 0) return;
    }
    char buffer[256];
    ssize_t n;
    while ((n = read(h.fifo, buffer, sizeof buffer)) > 0) h.pending.append(buffer, static_cast<size_t>(n));
    for (size_t nl; (nl = h.pending.find('\n')) != std::string::npos;) {
        const std::string line = h.pending.substr(0, nl);
        h.pending.erase(0, nl + 1);
        if (!line.empty()) Apply(line);
    }
}

}  // namespace

extern "C" int SDL_PollEvent(SDL_Event* event) {
    using PollEvent = int (*)(SDL_Event*);
    static const auto real = reinterpret_cast<PollEvent>(dlsym(RTLD_NEXT, "SDL_PollEvent"));
    PadHelper& h = Helper();
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER)) {
        if (!h.started) Plug();  // once, as the program starts
        h.started = true;
        ReadFifo();
    }
    return real(event);
}
