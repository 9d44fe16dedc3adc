// Game_Main — the play field window, its play loop and its keys.
#pragma once

#include <functional>

#include "platform/forms.h"

class GameWindow : public forms::Form {
public:
    GameWindow();
    void Layout() override;
    void Form_Activate() override;
    void Form_KeyDown(int16_t key_code, int16_t shift) override;
};
extern GameWindow Game;

void PlayLoop();
// The world's part of one pass of the play loop (the bot runs it to search
// the course exactly as the loop would).
void AdvanceWorld();

// Called after each pass's drawing and sound, before its window events run
// (the runner's trace and frame-addressed keys). Empty in a normal run.
extern std::function<void()> OnPlayLoopPass;
