// Ending — the staff roll.
//
// Six credits rise from below the bottom edge of a black full-screen window
// and leave it at the top; then "おわり" appears in the middle and any key
// ends the program. Esc ends it at any time. ResetGame places the window
// and its labels at start-up; the evaluation screen starts the roll.
#include "screens/ending.h"

#include "core/game_state.h"
#include "platform/winmm.h"

StaffRollWindow Ending;

namespace {

constexpr int kRisePerTick = 38;  // twips every 100 ms

const char* const kRoles[6] = {
    "メインプログラマー", "ディレクター",       "シナリオライター",
    "メインデザイナー",   "メインキャラクター", "PRESENTED BY",
};
// Our own team, and the hero of the story as the main character.
const char* const kNames[6] = {
    "屋根野 走太", "飛田 板男", "筆坂 ゆめ", "色川 ぱれ子", "もるぺ", "TOMBELIX",
};

void PlayEndingPiece(uint32_t flags) {
    winmm::sndPlaySoundA(G.BasePath + "Sound\\end01.wav", flags);
}

}  // namespace

StaffRollWindow::StaffRollWindow() : forms::Form("Ending") {}

void StaffRollWindow::Layout() {
    SetCaption("Ending");
    SetBorderStyle(forms::BorderStyle::None);
    SetBackColor(forms::kBlack);
    // The designed size; ResetGame gives the window the whole screen.
    SetClientSize(9600, 7200);
    SetCloseEndsProgram(true);

    for (int j = 0; j < 6; ++j) {
        forms::Label& role = Ob[j];
        role.SetCaption(kRoles[j]);
        if (j < 5) {
            role.Move(3240, 1200 + j * 3000, 3135, 495);
        } else {
            role.Move(3720, 1200 + j * 3000, 2175, 375);
        }
        role.SetFont("HG行書体", 14.25, /*bold=*/true, /*italic=*/true);
        role.SetForeColor(forms::kWhite);
        role.SetTransparent(true);
        role.SetAlignment(forms::Alignment::Left);
        role.SetVisible(true);

        forms::Label& name = Name1[j];
        name.SetCaption(kNames[j]);
        name.Move(3240, 1550 + j * 3000, 3135, 495);
        name.SetFont("ＭＳ Ｐ明朝", j < 5 ? 18 : 12);
        name.SetForeColor(forms::kHighlightText);
        name.SetTransparent(true);
        name.SetAutoSize(true);
        name.SetVisible(true);
    }

    Label1.SetCaption("おわり");
    Label1.Move(4200, 3400, 1215, 375);
    Label1.SetFont("HG創英角ﾎﾟｯﾌﾟ体", 18, /*bold=*/true);
    // The pop face that stands in here has a taller line than the designed
    // 25-pixel box; sized to its text the word shows whole, and ResetGame
    // centres it by the size it has.
    Label1.SetAutoSize(true);
    Label1.SetForeColor(forms::kWhite);
    Label1.SetTransparent(true);
    Label1.SetVisible(false);

    Timer1.SetInterval(0);
    Timer1.OnTick = [this] { Timer1_Timer(); };
}

void StaffRollWindow::Form_Activate() { PlayEndingPiece(winmm::SND_ASYNC); }

void StaffRollWindow::Timer1_Timer() {
    for (int j = 0; j < 6; ++j) {
        Ob[j].SetTop(Ob[j].Top() - kRisePerTick);
        Name1[j].SetTop(Name1[j].Top() - kRisePerTick);
    }
    if (Name1[5].Top() < -2000) {
        Label1.SetVisible(true);
        RollEnded = 1;
    }
    // Flag 17: the piece starts again only once it has ended.
    PlayEndingPiece(winmm::SND_ASYNC | winmm::SND_NOSTOP);
}

void StaffRollWindow::Form_KeyDown(int16_t key_code, int16_t /*shift*/) {
    if (key_code == forms::vk::Escape || RollEnded == 1) forms::End();
}
