// Title — the title menu with its animated band and opening music.
#pragma once

#include <string>

#include "platform/forms.h"

class TitleWindow : public forms::Form {
public:
    TitleWindow();
    void Layout() override;
    void Form_Load() override;
    void Form_KeyDown(int16_t key_code, int16_t shift) override;
    void Form_Unload() override;
    void Timer2_Timer();
    void Timer3_Timer();

    forms::Label Label1[4]{this, this, this, this};
    forms::PictureBox Mozi{this}, Mask{this}, Haikei{this}, Map{this};
    forms::Timer Timer3{this}, Timer2{this};

    int16_t MenuIndex = 0;
    int16_t MenuLocked = 0;
    float LeftCopyX = 0, RightCopyX = 0;
    int16_t RightCopyDone = 0;
};
extern TitleWindow Title;
