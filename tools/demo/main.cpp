// roofrider-demo — the scripted runner: runs the real program (the same
// Main, the same windows) headless on virtual time, with keys from a
// script, and reports how the run ended.
//
// Exit status: 0 when the program ended by its own end statement, 2 when
// the script ran out (or the time limit came) first, 1 on an error (a bad
// script or command line, or an error that no procedure of the program
// handled).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "core/game_window.h"
#include "core/main_scenes.h"
#include "demo/options.h"
#include "demo/schedule.h"
#include "demo/script.h"
#include "demo/trace.h"
#include "platform/clock.h"
#include "platform/ddraw.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/measure.h"
#include "platform/winmm.h"

namespace {

// Thrown from the input source or the play-loop hook to stop the run; not
// a std::exception, so no error handler of the program swallows it.
struct RunStopped {
    demo::Stop why;
    uint64_t at_ms;
};

std::string TopmostName() {
    forms::Form* top = forms::TopmostWindow();
    return top ? top->Name() : "no window";
}

class Runner : public forms::InputSource {
public:
    Runner(const demo::Script& script, const demo::Options& options)
        : options_(options), schedule_(script, options) {}

    bool OpenTrace() {
        if (options_.trace_path.empty()) return true;
        trace_ = std::fopen(options_.trace_path.c_str(), "wb");
        if (!trace_) return false;
        std::fputs(demo::TraceHeader().c_str(), trace_);
        std::fputc('\n', trace_);
        return true;
    }
    void CloseTrace() {
        if (trace_) std::fclose(trace_);
        trace_ = nullptr;
    }

    // forms::InputSource
    std::optional<uint64_t> NextEventUs() override {
        NoteTopmost(platform::clock::NowUs());
        return schedule_.NextWakeUs();
    }
    void DeliverDue(uint64_t now_us) override {
        NoteTopmost(now_us);
        for (const demo::Action& a : schedule_.TakeDue(now_us)) Carry(a);
        StopIfDue(now_us);
    }
    void OnIdle(uint64_t now_us) override {
        NoteTopmost(now_us);
        StopIfDue(now_us);
    }

    // After each pass of the play loop: its trace line, its shots, its keys.
    void AfterPass() {
        ++passes_;
        uint64_t now_us = platform::clock::NowUs();
        NoteTopmost(now_us);
        if (passes_ == 1) {
            first_pass_ = std::chrono::steady_clock::now();
            first_pass_cpu_ns_ = platform::measure::ProcessCpuNs();
            new_game_key_ns_ = last_key_ns_;
        }
        last_pass_ = std::chrono::steady_clock::now();
        if (!options_.frame_stats_path.empty()) last_pass_cpu_ns_ = platform::measure::ProcessCpuNs();
        if (trace_) {
            std::string row = demo::TraceRow(passes_, G);
            row += '\n';
            std::fwrite(row.data(), 1, row.size(), trace_);
        }
        for (const demo::Action& a : schedule_.TakePass(static_cast<uint64_t>(passes_), now_us)) {
            Carry(a);
        }
        StopIfDue(now_us);
    }

    int64_t Passes() const { return passes_; }
    double PlayLoopSeconds() const {
        return std::chrono::duration<double>(last_pass_ - first_pass_).count();
    }
    // The process's CPU time (every thread) between the first and the last pass.
    double PlayLoopCpuSeconds() const { return static_cast<double>(last_pass_cpu_ns_ - first_pass_cpu_ns_) / 1e9; }
    // When the last key before the play loop's first pass was posted (the
    // key that started the game), on the monotonic clock; 0 if none.
    int64_t NewGameKeyNs() const { return new_game_key_ns_; }
    int FailedShots() const { return failed_shots_; }
    const demo::Schedule& GetSchedule() const { return schedule_; }

private:
    void Carry(const demo::Action& a) {
        switch (a.kind) {
            case demo::Action::Kind::Key:
                last_key_ns_ = platform::measure::MonotonicNs();
                forms::PostKey(a.key);
                break;
            case demo::Action::Kind::FieldShot:
                if (!ddraw::SaveShownFramePng(a.path)) {
                    std::fprintf(stderr, "roofrider-demo: shot after pass %llu: could not save %s\n",
                                 static_cast<unsigned long long>(a.when), a.path.c_str());
                    ++failed_shots_;
                }
                break;
            case demo::Action::Kind::ScreenShot:
                if (!forms::SaveDesktopPng(a.path)) {
                    std::fprintf(stderr, "roofrider-demo: shot at %llu ms: could not save %s\n",
                                 static_cast<unsigned long long>(a.when), a.path.c_str());
                    ++failed_shots_;
                }
                break;
        }
    }
    // Tells the schedule which window is at the top (for `on WINDOW` events).
    void NoteTopmost(uint64_t now_us) {
        forms::Form* top = forms::TopmostWindow();
        if (options_.report_windows) ReportWindows(top, now_us);
        if (top) schedule_.WindowShown(top->Name(), now_us);
    }

    // --windows: a line when a window comes to the top; the texts of the
    // one before it, as they were when it was last seen there.
    void ReportWindows(forms::Form* top, uint64_t now_us) {
        const std::string name = top ? top->Name() : "";
        if (name != top_name_) {
            ReportTexts();
            top_name_ = name;
            if (top) std::printf("window: %s at %llu ms\n", name.c_str(),
                                 static_cast<unsigned long long>(now_us / 1000));
        }
        if (top) top_texts_ = forms::VisibleTexts(*top);
    }

public:
    // The texts of the window last seen at the top (at its leaving, or at
    // the end of the run).
    void ReportTexts() {
        if (top_name_.empty()) return;
        std::string line = "texts: " + top_name_ + ":";
        for (const std::string& t : top_texts_) line += (line.back() == ':' ? " " : " | ") + t;
        std::printf("%s\n", line.c_str());
        top_texts_.clear();
    }

private:
    void StopIfDue(uint64_t now_us) {
        demo::Stop why = schedule_.Check(now_us);
        if (why != demo::Stop::None) throw RunStopped{why, now_us / 1000};
    }

    const demo::Options& options_;
    demo::Schedule schedule_;
    std::FILE* trace_ = nullptr;
    int64_t passes_ = 0;
    int failed_shots_ = 0;
    std::string top_name_;
    std::vector<std::string> top_texts_;
    std::chrono::steady_clock::time_point first_pass_{}, last_pass_{};
    int64_t first_pass_cpu_ns_ = 0, last_pass_cpu_ns_ = 0;
    int64_t last_key_ns_ = 0, new_game_key_ns_ = 0;
};

// --frame-stats: the per-flip costs as CSV (microseconds), then the
// start-up marks and the play's CPU share on stdout.
bool WriteFrameStats(const std::string& path, const Runner& runner) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fputs("frame,shown_us,compose_cpu_us,compose_wall_us,present_cpu_us,present_wall_us,pass_cpu_us\n", f);
    const std::vector<ddraw::FrameCost>& costs = ddraw::FrameCosts();
    for (size_t i = 0; i < costs.size(); ++i) {
        const ddraw::FrameCost& c = costs[i];
        std::fprintf(f, "%zu,%llu,%.3f,%.3f,%.3f,%.3f,%.3f\n", i + 1,
                     static_cast<unsigned long long>(c.shown_us), c.compose_cpu_ns / 1e3,
                     c.compose_wall_ns / 1e3, c.present_cpu_ns / 1e3, c.present_wall_ns / 1e3,
                     c.pass_cpu_ns / 1e3);
    }
    const bool ok = std::fclose(f) == 0;
    using platform::measure::At;
    using platform::measure::Mark;
    std::printf("startup: first window shown %lld ns, new game key %lld ns, first play frame %lld ns (monotonic)\n",
                static_cast<long long>(At(Mark::FirstWindowShown)),
                static_cast<long long>(runner.NewGameKeyNs()),
                static_cast<long long>(At(Mark::FirstFrameShown)));
    std::printf("play: %lld passes, %.3f s wall, %.3f s CPU (all threads)\n",
                static_cast<long long>(runner.Passes()), runner.PlayLoopSeconds(),
                runner.PlayLoopCpuSeconds());
    return ok;
}

bool ReadFile(const std::string& path, std::string* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    *out = buffer.str();
    return true;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "roofrider-demo: %s\n", message.c_str());
    std::printf("ended: error: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::vector<std::string> args(argv + 1, argv + argc);
    demo::OptionsParse parsed = demo::ParseOptions(args);
    if (!parsed.ok) {
        std::fputs(demo::UsageText().c_str(), stderr);
        return Fail(parsed.error);
    }
    const demo::Options& options = parsed.options;
    if (options.help) {
        std::fputs(demo::UsageText().c_str(), stdout);
        return 0;
    }

    // The script is checked whole before anything runs.
    std::string text;
    if (!ReadFile(options.script_path, &text)) {
        return Fail(options.script_path + ": cannot be read");
    }
    demo::ScriptParse script = demo::ParseScript(text);
    if (!script.ok) return Fail(options.script_path + ": " + script.error);

    const bool headless = !options.realtime;
    if (headless) {
        // No one presses Ctrl+C in a window here: let SIGINT and SIGTERM stop
        // the process as they stop any other (timeout, kill) rather than
        // becoming a quit request that only a pumped event loop sees.
        setenv("SDL_NO_SIGNAL_HANDLERS", "1", 1);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", options.audio_driver.c_str(), 1);
    }
    // Virtual time unless a person watches (--realtime) or the play loop is
    // measured (--timedemo, --wallclock).
    platform::clock::UseVirtualTime(!options.realtime && !options.timedemo && !options.wallclock);
    if (!options.frame_stats_path.empty()) ddraw::RecordFrameCosts(true);
    if (options.timedemo) ddraw::SetFramePacing(false);
    if (!options.assets_dir.empty()) platform::files::SetProgramDirectoryOverride(options.assets_dir);

    Runner runner(script.script, options);
    if (!runner.OpenTrace()) return Fail(options.trace_path + ": cannot be written");

    try {
        forms::Initialise(headless);
    } catch (const std::exception& e) {
        runner.CloseTrace();
        return Fail(e.what());
    }
    if (options.desktop_w) forms::SimulateDesktop(options.desktop_w, options.desktop_h);
    winmm::InitialiseAudio();

    forms::SetEndHandler([] { throw forms::ProgramEnded{TopmostName(), 0}; });
    forms::SetInputSource(&runner);
    OnPlayLoopPass = [&runner] { runner.AfterPass(); };

    std::string ending;
    int status = 1;
    try {
        Main();
    } catch (const forms::ProgramEnded& e) {
        ending = e.window + " ended the program (End)";
        status = 0;
    } catch (const RunStopped& s) {
        ending = (s.why == demo::Stop::TimeLimit ? "time limit reached at " : "script ran out at ") +
                 std::to_string(s.at_ms) + " ms in " + TopmostName();
        status = 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "roofrider-demo: %s\n", e.what());
        ending = std::string("error: ") + e.what();
        status = 1;
    } catch (...) {
        std::fprintf(stderr, "roofrider-demo: an unknown error ended the program\n");
        ending = "error: an unknown error ended the program";
        status = 1;
    }
    OnPlayLoopPass = nullptr;
    forms::SetInputSource(nullptr);
    if (options.report_windows) runner.ReportTexts();
    runner.CloseTrace();

    if (!options.frame_stats_path.empty() && !WriteFrameStats(options.frame_stats_path, runner))
        std::fprintf(stderr, "roofrider-demo: %s: cannot be written\n", options.frame_stats_path.c_str());
    for (const demo::Action& shot : runner.GetSchedule().PendingFieldShots()) {
        std::fprintf(stderr, "roofrider-demo: no shot saved for pass %llu (%s): the play loop ran %lld passes\n",
                     static_cast<unsigned long long>(shot.when), shot.path.c_str(),
                     static_cast<long long>(runner.Passes()));
    }
    if (options.timedemo) {
        double seconds = runner.PlayLoopSeconds();
        int64_t frames = runner.Passes();
        if (frames >= 2 && seconds > 0) {
            std::printf("timedemo: %lld frames in %.3f s: %.1f frames per second\n",
                        static_cast<long long>(frames), seconds,
                        static_cast<double>(frames - 1) / seconds);
        } else {
            std::printf("timedemo: %lld frames: too few to measure\n", static_cast<long long>(frames));
        }
    }
    std::printf("summary: %lld frames, %llu ms %s, score %d, lives %d\n",
                static_cast<long long>(runner.Passes()),
                static_cast<unsigned long long>(platform::clock::NowMs()),
                platform::clock::IsVirtual() ? "virtual" : "real", static_cast<int>(G.Score),
                static_cast<int>(G.Lives));
    std::printf("ended: %s\n", ending.c_str());
    std::fflush(stdout);
    return status;
}
