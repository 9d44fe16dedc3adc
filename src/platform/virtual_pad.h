// A gamepad made of software, for the scripted runner and the tests: SDL's
// virtual joystick, registered as a standard game controller, so that the
// toolkit reads it exactly as it reads a pad plugged into the machine
// (hot-plug events, SDL's mapping, the same button and axis events).
//
// Every change is read at once: it reaches the toolkit's queue of window
// events behind whatever came before it (keys posted with PostKey
// included), and a press followed by a release is a tap.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace forms::virtual_pad {

// The buttons of a standard pad, in SDL's order; A is the south face
// button, B the east, X the west, Y the north.
enum class Button {
    A, B, X, Y, Back, Guide, Start, LeftStick, RightStick, LeftShoulder, RightShoulder,
    DpadUp, DpadDown, DpadLeft, DpadRight,
};
// SDL's names of the buttons above, in the same order.
constexpr std::array<std::string_view, 15> kButtonNames = {
    "a",          "b",           "x",            "y",             "back",
    "guide",      "start",       "leftstick",    "rightstick",    "leftshoulder",
    "rightshoulder", "dpup",     "dpdown",       "dpleft",        "dpright",
};

enum class Stick { Left, Right };

// Plugs a new pad in; returns the number that names it (SDL's instance
// id). Throws forms::Error when SDL cannot make one.
int Plug();
// Pulls the pad out; its held buttons are let go as a real pad's are.
void Unplug(int pad);
// False once the pad has been pulled out (or for a number never given).
bool IsPlugged(int pad);
void SetButton(int pad, Button button, bool down);
// x and y from -1 (left, up) to 1 (right, down); 0, 0 is the rest.
void SetStick(int pad, Stick stick, double x, double y);

}  // namespace forms::virtual_pad
