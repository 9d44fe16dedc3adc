// roofrider-bot — searches the real simulation of the shipped course for a
// winning run and writes it, with a run that loses every life, as scripts
// of the runner (roofrider-demo).
//
//   roofrider-bot [--win FILE] [--game-over FILE] [--width N] [--game-dir DIR]
//                 [--trace FILE] [--verbose]
//   roofrider-bot --replay SCRIPT [--trace FILE] [--game-dir DIR]
//
// The search takes seconds to a minute; run it again whenever the course
// changes, and commit what it writes as tests/scripts/win.txt and
// tests/scripts/game-over.txt. --replay plays a script's keys through the
// bot's own simulation; --trace writes the runner's trace columns for the
// run (the clock columns stay 0).
//
// Exit status: 0 done, 1 bad arguments or files, 2 no winning run found.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bot/run_script.h"
#include "bot/search.h"
#include "bot/simulation.h"
#include "core/game_state.h"
#include "demo/script.h"
#include "demo/trace.h"

namespace {

constexpr int32_t kMaxPasses = 20000;
// How long the game-over picture stays before the key that ends the program.
constexpr int32_t kGameOverKeyDelay = 60;

struct Options {
    std::string win_path, game_over_path, trace_path, replay_path, game_dir;
    int width = 5000;
    bool verbose = false;
};

const char kUsage[] =
    "usage: roofrider-bot [--win FILE] [--game-over FILE] [--width N] [--game-dir DIR]\n"
    "                     [--trace FILE] [--verbose]\n"
    "       roofrider-bot --replay SCRIPT [--trace FILE] [--game-dir DIR]\n";

bool ParseArgs(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= argc) return false;
            *out = argv[++i];
            return true;
        };
        std::string number;
        bool ok = true;
        if (a == "--win") {
            ok = value(&o->win_path);
        } else if (a == "--game-over") {
            ok = value(&o->game_over_path);
        } else if (a == "--trace") {
            ok = value(&o->trace_path);
        } else if (a == "--replay") {
            ok = value(&o->replay_path);
        } else if (a == "--game-dir") {
            ok = value(&o->game_dir);
        } else if (a == "--width") {
            ok = value(&number);
            o->width = std::atoi(number.c_str());
            ok = ok && o->width >= 1;
        } else if (a == "--verbose") {
            o->verbose = true;
        } else {
            ok = false;
        }
        if (!ok) return false;
    }
    return true;
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

// Plays a plan again, writing the runner's trace columns for each pass that
// the runner would trace.
bool WriteTrace(const std::string& path, const bot::Snapshot& start, const bot::Plan& plan) {
    std::ofstream out(path, std::ios::binary);
    out << demo::TraceHeader() << '\n';
    bot::Restore(start);
    std::size_t next = 0;
    for (int32_t pass = 1; pass <= kMaxPasses; ++pass) {
        const bot::PassEnd end = bot::AdvancePass();
        if (end == bot::PassEnd::Finished) break;
        // The runner writes a pass's row before the keys of that pass.
        out << demo::TraceRow(pass, G) << '\n';
        if (end == bot::PassEnd::GameOver) break;
        while (next < plan.size() && plan[next].pass <= pass) bot::PressKey(plan[next++].key);
    }
    return static_cast<bool>(out);
}

void Describe(const char* what, const bot::Outcome& o) {
    std::printf("%s: %s in pass %d, score %d, %d lives, %d lost\n", what,
                o.end == bot::PassEnd::Finished   ? "finished"
                : o.end == bot::PassEnd::GameOver ? "game over"
                                                  : "still playing",
                o.passes, static_cast<int>(o.score), static_cast<int>(o.lives), o.lives_lost);
}

std::string Clock(const bot::Evaluation& e) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%02d", e.minutes, e.seconds, e.centis);
    return text;
}

int Replay(const Options& options, const bot::Snapshot& start) {
    std::ifstream in(options.replay_path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    bot::Plan plan;
    std::string error;
    if (!in) error = "cannot be read";
    if (!in || !bot::PlanOfScript(text.str(), &plan, &error)) {
        std::fprintf(stderr, "roofrider-bot: %s: %s\n", options.replay_path.c_str(), error.c_str());
        return 1;
    }
    const bot::Outcome o = bot::Play(start, plan, kMaxPasses);
    Describe("replay", o);
    if (o.end == bot::PassEnd::Finished) {
        const bot::Evaluation e = bot::Evaluate(o.passes, o.score, o.lives);
        std::printf("evaluation: clock %s, final score %d, rank %s\n", Clock(e).c_str(),
                    e.final_score, e.rank.c_str());
    }
    if (!options.trace_path.empty() && !WriteTrace(options.trace_path, start, plan)) {
        std::fprintf(stderr, "roofrider-bot: %s: cannot be written\n", options.trace_path.c_str());
        return 1;
    }
    return 0;
}

std::string WinScript(const bot::Plan& plan, const bot::Outcome& won, const bot::Evaluation& e) {
    const bot::PlanCounts c = bot::CountKeys(plan);
    char line[200];
    std::vector<std::string> comments = {
        "A winning run of the shipped course, found by roofrider-bot (tools/bot).",
        "Run the bot again and replace this file whenever the course changes.",
    };
    std::snprintf(line, sizeof line,
                  "The hero reaches the finish in pass %d, no life lost: %d low, %d middle,",
                  won.passes, c.low, c.middle);
    comments.push_back(line);
    std::snprintf(line, sizeof line, "%d high pads and %d dashes. The evaluation: score %d, time bonus %+d,",
                  c.high, c.dashes, static_cast<int>(won.score), e.time_bonus);
    comments.push_back(line);
    std::snprintf(line, sizeof line, "lives bonus %+d: %d, rank ", e.lives_bonus, e.final_score);
    comments.push_back(line + e.rank + ".");
    comments.push_back(bot::ExpectLine({
        {"finish", std::to_string(won.passes)},
        {"clock", Clock(e)},
        {"score", std::to_string(e.final_score)},
        {"lives", std::to_string(won.lives)},
    }));
    // A key the evaluation ignores, so that the script runs out with the
    // evaluation on the screen.
    demo::ScriptEvent ignored;
    ignored.trigger = demo::Trigger::OnWindow;
    ignored.window = "Hyouka";
    ignored.when = 1000;
    ignored.key = 38;  // Up
    const std::string closing =
        demo::FormatEvent(ignored) + "    # the evaluation ignores it; the run ends a second later";
    return bot::ScriptText(comments, plan, {closing});
}

// The winning keys up to the middle of the course, then none: the hero
// rides off and falls until no life is left. Fewer keys are kept if he
// would still get through without them. False if no such run exists.
bool WriteGameOver(const std::string& path, const bot::Snapshot& start, const bot::Plan& won) {
    std::size_t kept = won.size() / 2;
    bot::Outcome over;
    for (;; --kept) {
        over = bot::PlayUntilGameOver(start, won, kept, kMaxPasses);
        if (over.end == bot::PassEnd::GameOver || kept == 0) break;
    }
    if (over.end != bot::PassEnd::GameOver) {
        std::printf("no game-over run found\n");
        return false;
    }
    Describe("game over", over);
    bot::Plan plan(won.begin(), won.begin() + static_cast<std::ptrdiff_t>(kept));
    const int32_t key_pass = over.passes + kGameOverKeyDelay;
    plan.push_back({key_pass, bot::kKeySpace});
    char line[200];
    std::vector<std::string> comments = {
        "A run that loses every life, made by roofrider-bot (tools/bot) from the",
        "first keys of its winning run; then no key, so that the hero rides off",
        "the roofs and falls until no life is left. A second of the end picture,",
        "then a key ends the program.",
    };
    std::snprintf(line, sizeof line, "The game is over in pass %d with %d lives lost.", over.passes,
                  over.lives_lost);
    comments.push_back(line);
    comments.push_back(bot::ExpectLine({
        {"game-over", std::to_string(over.passes)},
        {"key", std::to_string(key_pass)},
        {"score", std::to_string(over.score)},
        {"lost", std::to_string(over.lives_lost)},
    }));
    if (!WriteText(path, bot::ScriptText(comments, plan))) {
        std::fprintf(stderr, "roofrider-bot: %s: cannot be written\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Options options;
    if (!ParseArgs(argc, argv, &options)) {
        std::fputs(kUsage, stderr);
        return 1;
    }
    try {
        bot::StartNewGame(options.game_dir);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "roofrider-bot: %s\n", e.what());
        return 1;
    }
    const bot::Snapshot start = bot::Save();
    if (!options.replay_path.empty()) return Replay(options, start);

    // A beam too narrow for the course loses every line of play; the
    // search then tries again with a wider one.
    constexpr int kWidenings = 3;
    bot::SearchResult found;
    bot::SearchSettings settings;
    settings.verbose = options.verbose;
    for (int attempt = 0; attempt <= kWidenings && !found.won; ++attempt) {
        settings.width = options.width << attempt;
        const auto began = std::chrono::steady_clock::now();
        found = bot::SearchWin(start, settings);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        std::printf("search: width %d, %.1f s, %lld world steps%s\n", settings.width, seconds,
                    static_cast<long long>(found.passes_run), found.won ? "" : ", no winning run");
    }
    if (!found.won) return 2;
    const bot::Outcome won = bot::Play(start, found.plan, kMaxPasses);
    Describe("win", won);
    const bot::Evaluation e = bot::Evaluate(won.passes, won.score, won.lives);
    const bot::PlanCounts c = bot::CountKeys(found.plan);
    std::printf("evaluation: clock %s, time bonus %+d, lives bonus %+d, final score %d, rank %s\n",
                Clock(e).c_str(), e.time_bonus, e.lives_bonus, e.final_score, e.rank.c_str());
    std::printf("keys: %d low, %d middle, %d high pads, %d dashes\n", c.low, c.middle, c.high,
                c.dashes);

    if (!options.trace_path.empty() && !WriteTrace(options.trace_path, start, found.plan)) {
        std::fprintf(stderr, "roofrider-bot: %s: cannot be written\n", options.trace_path.c_str());
        return 1;
    }
    if (!options.win_path.empty() && !WriteText(options.win_path, WinScript(found.plan, won, e))) {
        std::fprintf(stderr, "roofrider-bot: %s: cannot be written\n", options.win_path.c_str());
        return 1;
    }
    if (!options.game_over_path.empty() &&
        !WriteGameOver(options.game_over_path, start, found.plan))
        return 1;
    return 0;
}
