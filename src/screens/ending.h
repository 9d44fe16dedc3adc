// Ending — the staff roll.
#pragma once

#include "platform/forms.h"

class StaffRollWindow : public forms::Form {
public:
    StaffRollWindow();
    void Layout() override;
    void Form_Activate() override;
    void Form_KeyDown(int16_t key_code, int16_t shift) override;
    void Timer1_Timer();

    forms::Label Ob[6]{this, this, this, this, this, this};
    forms::Label Name1[6]{this, this, this, this, this, this};
    forms::Label Label1{this};
    forms::Timer Timer1{this};

    int16_t RollEnded = 0;
};
extern StaffRollWindow Ending;
