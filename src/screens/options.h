// OP — the options menu over the title.
#pragma once

#include <string>

#include "platform/forms.h"

class OptionsWindow : public forms::Form {
public:
    OptionsWindow();
    void Layout() override;
    void Form_Load() override;
    void Form_KeyDown(int16_t key_code, int16_t shift) override;
    void ChooseLevel(int16_t key_code);
    void ChooseLife(int16_t key_code);
    void ChooseSound(int16_t key_code);

    forms::Label Label1[4]{this, this, this, this};
    forms::Label Label3[3]{this, this, this};
    forms::Label Label4[3]{this, this, this};
    forms::Label Label2[2]{this, this};
    forms::Frame Frame1{this};
    forms::Label Label5{this};

    int16_t TopIndex = 0;
    int16_t OpenSubMenu = 0;
    // The selected position of each row, always its red one: each row keeps
    // its own, so no key can reach a position that its row does not have.
    int16_t LevelIndex = 0, LifeIndex = 0, SoundIndex = 0;
    std::string OptionsReply;

private:
    void MoveInRow(int16_t key_code, forms::Label* row, int16_t last, int16_t& index,
                   const char* const* messages);
    void PlayRowSound(const char* file);
};
extern OptionsWindow OP;
