// Forms runtime — gamepads: SDL's game controllers read as the keys they
// stand for, so that no window learns of them. SDL's own mapping database
// names the buttons of known pads; SDL_GAMECONTROLLERCONFIG (or a file named
// by SDL_GAMECONTROLLERCONFIG_FILE) names those of an unusual one.
//
//   D-pad, left stick           the arrows
//   A (south)                   Enter, then Space
//   X (west)                    N
//   Y (north)                   M
//   B (east), right shoulder    V
//   Start                       Enter
//   Back                        Esc
//
// A gives two keys because one thumb button must confirm on the menus
// (Enter) and throw the low pad in the play (Space); each window ignores
// the key it has no use for, and the second key goes only to the window
// that took the first (see DeliverKey), so an Enter that opens a message
// box is not followed by a Space that would close it.
//
// Buttons count by their place on the pad, not by their print: A is the
// south button on every make, so the three pads stay low, middle, high.
// A held button or direction repeats as a held key does; only the control
// pressed last repeats, as on a keyboard. A pad may come and go at any time
// and any number may be in use at once.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/clock.h"
#include "platform/forms_internal.h"

namespace forms {

namespace {

// How often a waiting loop wakes to read a plugged-in pad: SDL reads pads
// only when asked, and left to itself it would wake every millisecond.
constexpr uint64_t kReadIntervalUs = 10'000;
// With no pad in use, how often the system is asked for a new one: asking
// costs about as much as a tenth of a composed frame.
constexpr uint64_t kLookIntervalUs = 250'000;

// A held key's first repeat and the repeats after it (the desktop's usual
// delay and rate).
constexpr uint64_t kRepeatDelayUs = 500'000;
constexpr uint64_t kRepeatIntervalUs = 33'333;

// The left stick: a direction comes on at half tilt and goes off only back
// inside 0.3 of it, so a stick held near the edge does not chatter; a
// stick at rest that drifts a little stays inside.
constexpr int kStickOn = 16384;
constexpr int kStickOff = 9830;

// The keys a control stands for: one, or two in a row.
struct Keys {
    int16_t first = 0, second = 0;
};

struct ButtonKeys {
    SDL_GameControllerButton button;
    Keys keys;
};

constexpr ButtonKeys kButtonKeys[] = {
    {SDL_CONTROLLER_BUTTON_A, {vk::Return, vk::Space}},
    {SDL_CONTROLLER_BUTTON_X, {'N'}},
    {SDL_CONTROLLER_BUTTON_Y, {'M'}},
    {SDL_CONTROLLER_BUTTON_B, {'V'}},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, {'V'}},
    {SDL_CONTROLLER_BUTTON_START, {vk::Return}},
    {SDL_CONTROLLER_BUTTON_BACK, {vk::Escape}},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, {vk::Up}},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, {vk::Down}},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, {vk::Left}},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, {vk::Right}},
};

// The stick's two axes as controls of their own, beside the buttons.
constexpr int kStickXControl = SDL_CONTROLLER_BUTTON_MAX;
constexpr int kStickYControl = SDL_CONTROLLER_BUTTON_MAX + 1;

struct Pad {
    SDL_JoystickID id = -1;
    SDL_GameController* controller = nullptr;
    int stick_x = 0, stick_y = 0;  // -1, 0 or 1: the direction the stick gives
};

// The control that repeats while it is held.
struct Held {
    SDL_JoystickID pad = -1;
    int control = 0;
    Keys keys;
    uint64_t next_us = 0;
};

struct Gamepads {
    bool headless = false;
    std::vector<Pad> pads;
    std::optional<Held> held;
    uint64_t next_look_us = 0;
};

Gamepads& GP() {
    static Gamepads gamepads;
    return gamepads;
}

Pad* FindPad(SDL_JoystickID id) {
    for (Pad& p : GP().pads)
        if (p.id == id) return &p;
    return nullptr;
}

void QueueKeys(const Keys& keys) {
    TK().events.push_back(PendingEvent{PendingEvent::Kind::Key, keys.first, 0, 0});
    if (keys.second != 0) TK().events.push_back(PendingEvent{PendingEvent::Kind::Key, keys.second, 0, 0, true});
}

void Press(SDL_JoystickID pad, int control, Keys keys) {
    QueueKeys(keys);
    GP().held = Held{pad, control, keys, platform::clock::NowUs() + kRepeatDelayUs};
}

void Release(SDL_JoystickID pad, int control) {
    std::optional<Held>& held = GP().held;
    if (held && held->pad == pad && held->control == control) held.reset();
}

void OnButton(const Pad& pad, Uint8 button, bool down) {
    for (const ButtonKeys& b : kButtonKeys) {
        if (b.button != button) continue;
        if (down)
            Press(pad.id, button, b.keys);
        else
            Release(pad.id, button);
        return;
    }
}

// The direction an axis gives now (-1, 0, 1), from the one it gave before.
int StickDirection(int before, int value) {
    if (before < 0 && value < -kStickOff) return -1;
    if (before > 0 && value > kStickOff) return 1;
    if (value <= -kStickOn) return -1;
    if (value >= kStickOn) return 1;
    return 0;
}

void OnStick(Pad& pad, Uint8 axis, Sint16 value) {
    const bool across = axis == SDL_CONTROLLER_AXIS_LEFTX;
    if (!across && axis != SDL_CONTROLLER_AXIS_LEFTY) return;
    int& direction = across ? pad.stick_x : pad.stick_y;
    const int now = StickDirection(direction, value);
    if (now == direction) return;
    const int control = across ? kStickXControl : kStickYControl;
    if (direction != 0) Release(pad.id, control);
    direction = now;
    if (now == 0) return;
    const int16_t arrow = across ? (now < 0 ? vk::Left : vk::Right) : (now < 0 ? vk::Up : vk::Down);
    Press(pad.id, control, Keys{arrow});
}

void Open(int device_index) {
    // Without a desktop only the virtual pads of scripts and tests are
    // read: a pad in someone's hands must not change a scripted run.
    if (GP().headless && !SDL_JoystickIsVirtual(device_index)) return;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device_index);
    if (id < 0 || FindPad(id)) return;
    SDL_GameController* controller = SDL_GameControllerOpen(device_index);
    if (!controller) return;  // unreadable: the keyboard still plays
    GP().pads.push_back(Pad{id, controller});
}

void Close(SDL_JoystickID id) {
    Gamepads& gp = GP();
    auto it = std::find_if(gp.pads.begin(), gp.pads.end(), [id](const Pad& p) { return p.id == id; });
    if (it == gp.pads.end()) return;
    if (gp.held && gp.held->pad == id) gp.held.reset();
    SDL_GameControllerClose(it->controller);
    gp.pads.erase(it);
}

}  // namespace

void StartGamepads(bool headless) {
    GP().headless = headless;
    SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
    // The passes read the pads (ReadGamepads); SDL's own reading at every
    // poll would turn each wait of the menus into a busy millisecond loop.
    SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
    // Headless windows never get the focus that pads' events wait for.
    if (headless) SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // Pads already plugged in arrive as events, as later ones do.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        std::fprintf(stderr, "roofrider: gamepads cannot be read (%s); the keyboard plays\n", SDL_GetError());
}

void ReadGamepads() {
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER)) return;
    const uint64_t now = platform::clock::NowUs();
    if (GP().pads.empty() && now < GP().next_look_us) return;
    GP().next_look_us = now + kLookIntervalUs;
    SDL_JoystickUpdate();
}

std::optional<uint64_t> NextGamepadReadUs(uint64_t now_us) {
    if (GP().pads.empty()) return std::nullopt;
    return now_us + kReadIntervalUs;
}

bool OnGamepadEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED:
            Open(e.cdevice.which);
            return true;
        case SDL_CONTROLLERDEVICEREMOVED:
            Close(e.cdevice.which);
            return true;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            if (const Pad* pad = FindPad(e.cbutton.which))
                OnButton(*pad, e.cbutton.button, e.type == SDL_CONTROLLERBUTTONDOWN);
            return true;
        case SDL_CONTROLLERAXISMOTION:
            if (Pad* pad = FindPad(e.caxis.which)) OnStick(*pad, e.caxis.axis, e.caxis.value);
            return true;
        default:
            return false;
    }
}

void QueueGamepadRepeats(uint64_t now_us) {
    std::optional<Held>& held = GP().held;
    if (!held || held->next_us > now_us) return;
    QueueKeys(held->keys);
    // One repeat however late the pass: a held key never comes in a burst.
    held->next_us += kRepeatIntervalUs;
    if (held->next_us <= now_us) held->next_us = now_us + kRepeatIntervalUs;
}

std::optional<uint64_t> NextGamepadRepeatUs() {
    const std::optional<Held>& held = GP().held;
    if (!held) return std::nullopt;
    return held->next_us;
}

}  // namespace forms
