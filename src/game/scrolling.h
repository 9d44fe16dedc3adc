// 移動処理 — the movement module: scrolling, the course end and the finish.
#pragma once

#include <functional>

void ScrollWorld();

// What the finish does once the display has been given back: unload Game
// and show Hyouka modally. Set by the core (the game layer cannot name the
// windows); tests replace it to observe the finish.
extern std::function<void()> OnFinish;
