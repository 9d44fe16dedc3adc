// 移動処理 — the movement module: scrolling, the course end and the finish.
#pragma once

#include <functional>

void ScrollWorld();

// For runs of the world that stop at the finish instead of handing over to
// the evaluation (the bot's simulation and the world tests, which have no
// display or windows; the benchmarks): when set, the finish calls it, and
// ScrollWorld goes on with the building rules of that frame if it returns.
extern std::function<void()> StopAtFinish;
