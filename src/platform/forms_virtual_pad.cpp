// Forms runtime — the virtual gamepad of scripted runs and tests: SDL's
// virtual joystick of the game-controller type, for which SDL makes the
// standard mapping itself (buttons in its own order, then the six axes).
#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "platform/forms_internal.h"
#include "platform/virtual_pad.h"

namespace forms::virtual_pad {

namespace {

std::map<int, SDL_Joystick*>& Plugged() {
    static std::map<int, SDL_Joystick*> pads;
    return pads;
}

SDL_Joystick* JoystickOf(int pad) {
    auto it = Plugged().find(pad);
    return it == Plugged().end() ? nullptr : it->second;
}

int DeviceIndexOf(int pad) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == pad) return i;
    return -1;
}

Sint16 AxisValue(double v) {
    return static_cast<Sint16>(std::lround(std::clamp(v, -1.0, 1.0) * SDL_JOYSTICK_AXIS_MAX));
}

// SDL reads a pad's state when it updates its joysticks, which its event
// polling does only once per round of polls; updating here turns the change
// into events at once (a release right after a press is a tap), and pumping
// puts them in the toolkit's queue in order with the keys posted around it.
void ReadNow() {
    SDL_JoystickUpdate();
    PumpSdl();
}

}  // namespace

int Plug() {
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER))
        throw Error("no virtual gamepad: the toolkit has not started SDL's game controllers");
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = static_cast<Uint16>(kButtonNames.size());
    desc.name = "Roof Rider virtual pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0) throw Error(std::string("no virtual gamepad: ") + SDL_GetError());
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    if (!joystick) {
        const std::string why = SDL_GetError();
        SDL_JoystickDetachVirtual(index);
        throw Error("no virtual gamepad: " + why);
    }
    // Triggers rest at the bottom of their range, as a real pad's do.
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_JOYSTICK_AXIS_MIN);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, SDL_JOYSTICK_AXIS_MIN);
    const int pad = SDL_JoystickInstanceID(joystick);
    Plugged()[pad] = joystick;
    ReadNow();
    return pad;
}

void Unplug(int pad) {
    SDL_Joystick* joystick = JoystickOf(pad);
    if (!joystick) return;
    Plugged().erase(pad);
    SDL_JoystickClose(joystick);
    if (const int index = DeviceIndexOf(pad); index >= 0) SDL_JoystickDetachVirtual(index);
    ReadNow();
}

bool IsPlugged(int pad) { return JoystickOf(pad) != nullptr; }

void SetButton(int pad, Button button, bool down) {
    SDL_Joystick* joystick = JoystickOf(pad);
    if (!joystick) return;
    SDL_JoystickSetVirtualButton(joystick, static_cast<int>(button), down ? SDL_PRESSED : SDL_RELEASED);
    ReadNow();
}

void SetStick(int pad, Stick stick, double x, double y) {
    SDL_Joystick* joystick = JoystickOf(pad);
    if (!joystick) return;
    const int across = stick == Stick::Left ? SDL_CONTROLLER_AXIS_LEFTX : SDL_CONTROLLER_AXIS_RIGHTX;
    const int down = stick == Stick::Left ? SDL_CONTROLLER_AXIS_LEFTY : SDL_CONTROLLER_AXIS_RIGHTY;
    SDL_JoystickSetVirtualAxis(joystick, across, AxisValue(x));
    SDL_JoystickSetVirtualAxis(joystick, down, AxisValue(y));
    ReadNow();
}

}  // namespace forms::virtual_pad
