// The runner's script: which key is pressed when.
//
// One event a line; `#` starts a comment that runs to the end of the line;
// blank lines are ignored.
//
//   at MS KEY       press KEY at virtual millisecond MS of the run
//   frame N KEY     press KEY after the play loop's N-th pass (from 1), so
//                   that the loop's own window events deliver it
//   on WINDOW MS KEY
//                   press KEY MS milliseconds after the window named WINDOW
//                   (Title, Hyouka, Ending, MsgBox ...) first comes to the
//                   top, whenever that is (the screens after the play come
//                   at a time the script cannot know in advance)
//
// KEY is Return, Escape, Space, Left, Up, Right, Down, Shift or a single
// letter; names are matched without regard to case. In place of a key a
// line may use the runner's virtual gamepad (plugged in at the start of a
// script that uses it):
//
//   pad:BUTTON          press and let go (a, b, x, y, back, guide, start,
//                       leftstick, rightstick, leftshoulder, rightshoulder,
//                       dpup, dpdown, dpleft, dpright: SDL's names)
//   pad:BUTTON:down     press and hold; pad:BUTTON:up lets go
//   stick:left:X,Y      the stick to X, Y (-1 to 1, up to three decimals;
//                       -1 is left or up); it stays there. stick:right too
//   pad:unplug          pull the pad out; pad:plug plugs a new one in
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace demo {

enum class Trigger {
    AtMs,       // `at MS KEY`
    AfterPass,  // `frame N KEY`
    OnWindow,   // `on WINDOW MS KEY`
};

// What a line does to the virtual gamepad.
struct PadAction {
    enum class Kind { None, Tap, Press, Release, Stick, Plug, Unplug };
    Kind kind = Kind::None;
    int button = 0;        // Tap, Press, Release: forms::virtual_pad::Button
    bool right_stick = false;
    int x = 0, y = 0;      // Stick: thousandths of the full tilt, -1000 to 1000
    bool operator==(const PadAction&) const = default;
};

struct ScriptEvent {
    Trigger trigger = Trigger::AtMs;
    uint64_t when = 0;  // milliseconds, or the pass number
    int16_t key = 0;    // Windows virtual-key code; 0 for a pad's line
    int line = 0;       // where it was written (1-based)
    std::string window;  // OnWindow: the window's name
    PadAction pad{};    // when the line uses the gamepad
};

struct Script {
    // In the order written; a time or pass written twice keeps that order.
    std::vector<ScriptEvent> events;
};

struct ScriptParse {
    bool ok = false;
    Script script;       // when ok
    int error_line = 0;  // when not ok: the line at fault
    std::string error;   // "line 4: unknown key 'Foo' (...)"
};

// Largest time and pass number a script may name (about 31 years of
// milliseconds; a billion passes).
constexpr uint64_t kMaxScriptMs = 1'000'000'000'000ULL;
constexpr uint64_t kMaxScriptPass = 1'000'000'000ULL;

// Text to events, or the first fault with its line number. Pure: no I/O,
// no global state; any bytes are accepted as input.
ScriptParse ParseScript(std::string_view text);

// The virtual-key code of a key name ("return", "A", "z" ...), if any.
std::optional<int16_t> KeyCodeOf(std::string_view name);
// The script name of a key code ("Return", "V"), or "" for a code the
// script cannot write.
std::string KeyNameOf(int16_t code);
// A gamepad word ("pad:a", "stick:left:-1,0" ...), if it is one.
std::optional<PadAction> PadActionOf(std::string_view word);
// The word of a gamepad action, as PadActionOf reads it.
std::string PadWordOf(const PadAction& action);

// One event as a script line ("at 1200 Return", "frame 340 Space",
// "on Hyouka 9000 Return", "frame 340 pad:a").
std::string FormatEvent(const ScriptEvent& event);

}  // namespace demo
