// The play field run in-process on virtual time: a fixture base that
// starts a play on a folder of assets (usually the flat-colour stand-ins of
// synthetic_assets.h), runs the real play loop pass by pass under a test's
// control, and reads back the frame last shown.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "core/game_window.h"
#include "display/surfaces.h"
#include "game/level.h"
#include "game/scrolling.h"
#include "platform/basic.h"
#include "platform/clock.h"
#include "platform/ddraw.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "synthetic_assets.h"

namespace play_field_test {

namespace fs = std::filesystem;

// Thrown from the pass hook to leave the play loop; not a std::exception,
// so the frame's own error handling never catches it.
struct StopPlay {};

// Calls a function once at a virtual time, while the toolkit waits or runs
// its events (a player's hand on the desktop).
class TimedAction : public forms::InputSource {
public:
    TimedAction(uint64_t at_us, std::function<void()> action) : at_us_(at_us), action_(std::move(action)) {}
    std::optional<uint64_t> NextEventUs() override {
        if (done_) return std::nullopt;
        return at_us_;
    }
    void DeliverDue(uint64_t now_us) override {
        if (!done_ && now_us >= at_us_) {
            done_ = true;
            action_();
        }
    }
    void OnIdle(uint64_t) override {}

private:
    uint64_t at_us_;
    std::function<void()> action_;
    bool done_ = false;
};

struct Outcome {
    int passes = 0;
    bool ended = false;  // the program's end statement ran
};

class PlayHarness : public testing::Test {
protected:
    // Writes the stand-in assets into a fresh temporary folder named after
    // the suite (once per suite: they take a moment under the sanitizers).
    static fs::path WriteStandIns(const std::string& suite) {
        const fs::path dir = fs::temp_directory_path() / ("roofrider-" + suite + "-" + std::to_string(getpid()));
        synthetic::WriteAssets(dir);
        return dir;
    }

    // A new game on the assets in `assets`, on virtual time, with the scene
    // set to the play; the program's end statement throws ProgramEnded.
    void Start(const std::string& assets) {
        platform::clock::UseVirtualTime(true);
        platform::clock::SetTimeGetTimeOffset(0);
        // A new grid for the 60 Hz pace on the new virtual clock.
        ddraw::SetFramePacing(false);
        ddraw::SetFramePacing(true);
        forms::Initialise(true);
        forms::SetEndHandler([] { throw forms::ProgramEnded{"Game", 0}; });
        platform::files::SetProgramDirectoryOverride(assets);
        G = GameState{};
        basic::ResetRnd();
        LoadLevelFiles();
        ResetGame();
        G.Scene = 3;
    }
    void Stop() {
        OnPlayLoopPass = nullptr;
        StopAtFinish = nullptr;
        forms::SetInputSource(nullptr);
        if (Game.IsLoaded()) Game.Unload();
        D = DisplayState{};
        platform::clock::SetTimeGetTimeOffset(0);
        platform::files::SetProgramDirectoryOverride("");
        shown_.clear();
    }
    void Restart(const std::string& assets) {
        Stop();
        Start(assets);
    }
    void TearDown() override { Stop(); }

    // Runs the play field; after each pass `step` sees the pass number and
    // may look, change the state or post keys; returning false stops.
    Outcome Run(const std::function<bool(int)>& step, int max_passes = 2000) {
        Outcome out;
        OnPlayLoopPass = [&] {
            ++out.passes;
            if (out.passes > max_passes || !step(out.passes)) throw StopPlay{};
        };
        try {
            Game.Show(true);
        } catch (const StopPlay&) {
        } catch (const forms::ProgramEnded&) {
            out.ended = true;
        }
        return out;
    }

    // A pixel of the frame last shown (read once per flip: a copy of the
    // whole frame per pixel would dominate the sanitized runs).
    static uint16_t Shown(int x, int y) {
        const size_t flips = ddraw::FlipTimesUs().size();
        const uint64_t now = platform::clock::NowUs();
        if (flips != shown_flips_ || now != shown_time_ || shown_.empty()) {
            shown_ = ddraw::ShownFrame();
            shown_flips_ = flips;
            shown_time_ = now;
        }
        return shown_.at(static_cast<size_t>(y) * 800 + static_cast<size_t>(x));
    }

private:
    // The copy Shown reads, forgotten by Stop: a new play may flip as often
    // by the same virtual time as the last one did.
    static inline std::vector<uint16_t> shown_;
    static inline size_t shown_flips_ = SIZE_MAX;
    static inline uint64_t shown_time_ = UINT64_MAX;
};

}  // namespace play_field_test
