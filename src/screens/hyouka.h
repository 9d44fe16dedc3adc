// Hyouka — the evaluation screen after the goal.
#pragma once

#include <cstdint>
#include <string>

#include "platform/forms.h"

class EvaluationWindow : public forms::Form {
public:
    EvaluationWindow();
    void Layout() override;
    void Form_Activate() override;
    void Form_KeyDown(int16_t key_code, int16_t shift) override;
    void Timer1_Timer();
    void Timer2_Timer();

    forms::Timer Timer2{this}, Timer1{this};
    forms::Frame Frame1{this};
    forms::Label Label6{this}, Label3{this};
    forms::Label msecond{this}, Label11{this}, Label10{this}, second{this}, Label8{this},
        Label7{this};
    forms::Image Image2{this};
    forms::Label score1{this}, minute{this}, Label2{this}, Label1{this};
    forms::Image Image1{this};

    int16_t EvalStep = 0;
    int16_t BlinkState = 0;
    std::string RankText;
};
extern EvaluationWindow Hyouka;

// The judgement made at activation. The time bonus looks at the whole play
// time: under 50 s +2000, under 53 s +1000, under 56 s nothing, else −1000.
int32_t TimeBonus(int16_t minutes, int16_t seconds, int16_t centis);
// +1000 for exactly four lives, +2000 for five or more.
int32_t LivesBonus(int16_t lives);
// The rank text for a final score; bounds inclusive, below zero the lowest.
std::string RankFor(int32_t score);
