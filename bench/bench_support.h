// What the benchmarks of the whole program share: the program started
// headless (SDL's dummy drivers) on virtual time with the built assets,
// the play script (the winning run when the tree has one), and a play of
// the real play field, in-process, stopped when the caller has seen enough.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bench {

// Once per process: assets from the build's game folder, the toolkit
// headless, virtual time, the level files and the new-game reset. Audio
// starts on its own (SDL's choice of driver, or the dummy one).
void StartProgramHeadless();

// ROOFRIDER_BENCH_SCRIPT, else tests/scripts/win.txt, else
// bench/scripts/long-play.txt.
std::string PlayScriptPath();

// The script's frame-addressed keys (pass, key code); its timed keys are
// the front end's and are left out.
struct PassKey {
    uint64_t pass;
    int16_t key;
};
std::vector<PassKey> PassKeys(const std::string& script_path);

// The display as StartDisplay makes it, without a window (frames go to
// memory), and the ten sheets loaded: D is ready for copies.
void PrepareDisplayHeadless();

// Shows the play field as New Game does (the display, the ten sheets, the
// music, the play loop) with the script's keys. after_pass(n) runs after
// pass n's frame and sound; the play stops when it returns false, at the
// goal (before the evaluation), or when the program would end. Then the
// display is given back and the window unloaded, so the next play starts
// afresh (from READY).
void Play(const std::vector<PassKey>& keys, const std::function<bool(int64_t pass)>& after_pass);

}  // namespace bench
