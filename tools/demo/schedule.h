// The runner's schedule: which scripted key, gamepad action or screenshot
// is due when, and when the script has run out.
//
// Timed events (`at MS KEY`, --shot-at) fall due on the program clock;
// pass events (`frame N KEY`, --shot) after the play loop's N-th pass;
// window events (`on WINDOW MS KEY`) become timed events when the runner
// reports that window at the top for the first time. The
// script has run out once every event has been delivered and the grace
// period has passed since the last one; a run also stops at its time limit.
// Pure bookkeeping: the runner posts the keys and takes the shots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "demo/options.h"
#include "demo/script.h"

namespace demo {

struct Action {
    enum class Kind {
        Key,         // post the key to the topmost window
        Pad,         // do something to the virtual gamepad
        FieldShot,   // save the play field as shown (--shot)
        ScreenShot,  // save the whole screen (--shot-at)
    };
    Kind kind = Kind::Key;
    int16_t key = 0;
    std::string path;
    uint64_t when = 0;  // as written: milliseconds or pass number
    PadAction pad{};    // Pad
    bool IsShot() const { return kind == Kind::FieldShot || kind == Kind::ScreenShot; }
};

enum class Stop {
    None,
    ScriptRanOut,  // every event delivered, the grace period over
    TimeLimit,     // --max-ms reached
};

class Schedule {
public:
    Schedule(const Script& script, const Options& options);

    // When the toolkit should wake for the schedule at the latest (program
    // clock, microseconds): the next timed event, or, with nothing left,
    // the end of the grace period; never later than the time limit.
    uint64_t NextWakeUs() const;
    // Timed actions due at now_us, in time order (the script's order among
    // equal times, shots after keys written at the same time).
    std::vector<Action> TakeDue(uint64_t now_us);
    // Actions of pass `pass` (and any earlier pass not yet taken): shots
    // first, so that they show the pass as drawn, then the keys and the
    // gamepad's actions in the order written.
    std::vector<Action> TakePass(uint64_t pass, uint64_t now_us);
    // The window named so is at the top now; the first time a name is
    // reported, its window events fall due MS milliseconds from now.
    void WindowShown(const std::string& name, uint64_t now_us);
    // Whether the run should stop now.
    Stop Check(uint64_t now_us) const;

    bool Exhausted() const;
    // Field shots whose pass never came (for the closing report).
    std::vector<Action> PendingFieldShots() const;
    uint64_t LastEventUs() const { return last_event_us_; }

private:
    std::vector<Action> timed_;   // sorted by time
    std::vector<Action> passes_;  // sorted by pass
    struct WindowEvent {
        std::string window;
        Action action;  // `when`: milliseconds after the window came to the top
    };
    std::vector<WindowEvent> waiting_;  // window events whose window has not come yet
    std::vector<std::string> windows_seen_;
    std::size_t next_timed_ = 0;
    std::size_t next_pass_ = 0;
    uint64_t grace_us_;
    uint64_t limit_us_;
    uint64_t last_event_us_ = 0;
};

}  // namespace demo
