// 移動処理 — the movement module: scrolling, the course end and the finish.
#pragma once

#include <functional>

void ScrollWorld();

// The whole hand-over at the finish (the hero's right edge reaches the right
// edge of the screen in the final stretch): give the display back
// (RestoreDisplayMode, then SetCooperativeLevel with the Game window's
// handle and 8), unload Game and show Hyouka modally. The game layer cannot
// name the windows, so the core sets it; tests and the bot replace it to
// observe the finish. Left empty, the finish does nothing. In a normal run
// it never returns (the program ends from the windows after it); if it
// does, ScrollWorld goes on with the building rules of that frame.
extern std::function<void()> OnFinish;
