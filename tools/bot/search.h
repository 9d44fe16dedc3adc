// The bot's search: which key to press after which pass of the play loop
// so that the hero reaches the finish, and the plans it finds.
//
// A beam search in step with the play loop: every state of the beam stands
// at the same pass; each pass it runs the real world step on each state,
// branches on every key that would act, merges states that only differ in
// ways that no longer matter, and keeps the most promising ones: those
// whose score, with the evaluation's bonuses as things stand, is highest,
// no situation (speed, building, what the hero does, lives) taking more
// than its share of the beam. A life lost ends a line of play, and so does
// a hero in the air with his dash spent whose course, played on without
// keys, does not come down on a roof.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bot/simulation.h"

namespace bot {

// A key pressed after the play loop's pass `pass` (the runner's `frame N`).
struct KeyPress {
    int32_t pass = 0;
    int16_t key = 0;
};
using Plan = std::vector<KeyPress>;

struct PlanCounts {
    int low = 0, middle = 0, high = 0, dashes = 0;
};
// How many presses of each play key a plan holds.
PlanCounts CountKeys(const Plan& plan);

// The judgement of the evaluation window for a play that finished in pass
// `finish_pass` with `score` (before the bonuses) and `lives`.
struct Evaluation {
    int32_t clock_ms = 0;  // the play clock as last drawn
    int16_t minutes = 0, seconds = 0, centis = 0;
    int32_t time_bonus = 0, lives_bonus = 0;
    int32_t final_score = 0;
    std::string rank;
};
// The play clock starts at the drawing of pass 199 and is last drawn in
// the pass before the finish; the loop runs on a steady 60 Hz grid.
int32_t ClockMsAtFinish(int32_t finish_pass);
Evaluation Evaluate(int32_t finish_pass, Long score, Integer lives);

// How a plan played out.
struct Outcome {
    PassEnd end = PassEnd::Playing;  // Finished, GameOver, or Playing when it ran out of passes
    int32_t passes = 0;              // the pass in which it ended (or the last one run)
    Long score = 0;
    Integer lives = 0;
    int32_t lives_lost = 0;
};
// Plays a plan from `start` (the state before pass 1) until the finish,
// the game over or `max_passes`.
Outcome Play(const Snapshot& start, const Plan& plan, int32_t max_passes);

struct SearchSettings {
    int width = 5000;           // states kept after each pass
    int classes = 8;  // one situation fills at most width / classes
    int32_t max_passes = 6000;  // give up after this many passes
    bool verbose = false;       // progress on standard error
};

struct SearchResult {
    bool won = false;
    Plan plan;
    int32_t finish_pass = 0;
    Long score = 0;  // before the evaluation's bonuses
    Integer lives = 0;
    int32_t final_score = 0;
    int64_t passes_run = 0;  // world steps the search made
};

// Searches for the run with the best final score that keeps every life.
SearchResult SearchWin(const Snapshot& start, const SearchSettings& settings);

// A run that loses every life: the first `kept` presses of `plan`, then no
// key until the game is over. The game-over pass in `passes`.
Outcome PlayUntilGameOver(const Snapshot& start, const Plan& plan, std::size_t kept,
                          int32_t max_passes);

}  // namespace bot
