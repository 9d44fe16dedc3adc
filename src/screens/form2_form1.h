// Form2 and Form1 — the start-up window and the story window over it.
#pragma once

#include <array>
#include <string>

#include "platform/forms.h"

class StartupWindow : public forms::Form {  // Form2
public:
    StartupWindow();
    void Layout() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_KeyDown(int16_t key_code, int16_t shift) override;

    int16_t StoryShown = 0;
};
extern StartupWindow Form2;

class StoryWindow : public forms::Form {  // Form1
public:
    StoryWindow();
    void Layout() override;
    void Form_Load() override;
    void Form_KeyDown(int16_t key_code, int16_t shift) override;
    void Form_Unload() override;
    void Timer1_Timer();

    forms::Timer Timer1{this};

    std::array<std::string, 15> StoryLines{};
    int16_t LineIndex = 0;
    int16_t TextRed = 0, TextGreen = 0, TextBlue = 0;
    int16_t FadeDirection = 0;
    int16_t FadeStep = 0;
};
extern StoryWindow Form1;
