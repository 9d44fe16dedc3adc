// Hyouka — the evaluation screen after the goal.
//
// On activation the time and lives bonuses go into the score and the rank
// is chosen; then one piece of the page appears every second: the title and
// portrait, the time, the score, the rank frame and the rank, which blinks.
// Once the page is complete Enter or Space closes the play's music and
// shows the staff roll; Esc ends the program at any time.
#include "screens/hyouka.h"

#include "core/game_state.h"
#include "display/surfaces.h"
#include "platform/winmm.h"
#include "screens/embedded_pictures.h"
#include "screens/ending.h"
#include "sound/sound.h"

EvaluationWindow Hyouka;

namespace {

const forms::Picture& BackgroundPicture() {
    static const forms::Picture picture = forms::Picture::FromBmpBytes(
        embedded::EvaluationBackgroundBmp(), "the evaluation background");
    return picture;
}

const forms::Picture& PortraitPicture() {
    static const forms::Picture picture =
        forms::Picture::FromBmpBytes(embedded::PortraitBmp(), "the evaluation portrait");
    return picture;
}

void PlayWave(const char* file) {
    winmm::sndPlaySoundA(G.BasePath + "sound\\" + file, winmm::SND_ASYNC);
}

// The labels of this window are opaque, white on black, in the same face.
void PlaceResultLabel(forms::Label& label, const char* caption, float left, float top, float width,
                      float height, double points = 24, bool sized_to_text = false) {
    label.SetCaption(caption);
    label.Move(left, top, width, height);
    label.SetFont("ＭＳ Ｐゴシック", points);
    label.SetForeColor(forms::kWhite);
    label.SetBackColor(forms::kBlack);
    label.SetTransparent(false);
    label.SetAutoSize(sized_to_text);
    label.SetVisible(false);
}

}  // namespace

EvaluationWindow::EvaluationWindow() : forms::Form("Hyouka") {}

int32_t TimeBonus(int16_t minutes, int16_t seconds, int16_t centis) {
    // The whole play time counts: 1:05 is a slow run, not a five-second one.
    const int32_t total_centis = (static_cast<int32_t>(minutes) * 60 + seconds) * 100 + centis;
    if (total_centis < 50 * 100) return 2000;
    if (total_centis < 53 * 100) return 1000;
    if (total_centis < 56 * 100) return 0;
    return -1000;
}

int32_t LivesBonus(int16_t lives) {
    if (lives == 4) return 1000;
    if (lives >= 5) return 2000;
    return 0;
}

std::string RankFor(int32_t score) {
    // A score pushed below zero by the time bonus is the lowest rank too.
    if (score <= 3000) return "村人A";
    if (score <= 4500) return "ただのナルシスト";
    if (score <= 7000) return "普通のモデル";
    if (score <= 9000) return "トップモデル";
    return "デルモマスター";
}

void EvaluationWindow::Layout() {
    SetCaption("Form1");
    SetBorderStyle(forms::BorderStyle::Fixed);
    SetClientSize(11400, 9390);
    SetBackColor(forms::kBlack);
    SetCloseEndsProgram(true);

    Timer2.SetInterval(0);
    Timer2.OnTick = [this] { Timer2_Timer(); };
    Timer1.SetInterval(0);
    Timer1.OnTick = [this] { Timer1_Timer(); };

    Frame1.Move(2160, 6840, 6735, 1215);
    Frame1.SetCaption("");
    Frame1.SetBackColor(forms::kBlack);
    Frame1.SetVisible(false);

    Label6.SetContainer(&Frame1);
    PlaceResultLabel(Label6, "Label6", 2760, 360, 1305, 495, 24, true);
    Label6.SetBackColor(forms::kButtonText);
    Label3.SetContainer(&Frame1);
    PlaceResultLabel(Label3, "ラ ン ク", 720, 360, 1710, 555, 27.75, true);

    PlaceResultLabel(msecond, "00", 7200, 4560, 480, 495, 24, true);
    PlaceResultLabel(Label11, "点", 6480, 5640, 495, 495);
    PlaceResultLabel(Label10, "秒", 6600, 4560, 495, 495);
    PlaceResultLabel(second, "00", 6000, 4560, 480, 495, 24, true);
    PlaceResultLabel(Label8, "分", 5400, 4560, 480, 495, 24, true);
    PlaceResultLabel(Label7, "総合評価", 3600, 1200, 3855, 975, 48);
    Label7.SetForeColor(forms::RGB(192, 0, 192));

    Image2.Move(4680, 2520, 1815, 1695);
    Image2.SetStretch(true);
    Image2.SetPicture(PortraitPicture());
    Image2.SetVisible(false);

    PlaceResultLabel(score1, "Label5", 4800, 5520, 1305, 495, 24, true);
    PlaceResultLabel(minute, "00", 4800, 4560, 480, 495, 24, true);
    PlaceResultLabel(Label2, "得    点", 2280, 5640, 1575, 495);
    PlaceResultLabel(Label1, "タ イ ム", 2280, 4560, 1575, 495);
    Label1.SetBackColor(forms::kButtonText);

    Image1.Move(0, 0, 11055, 9135);
    Image1.SetStretch(true);
    Image1.SetPicture(BackgroundPicture());
    Image1.SetVisible(true);
}

void EvaluationWindow::Form_Activate() {
    // The portrait and the title are centred over the background picture.
    Image2.SetLeft((Image1.Left() + Image1.Width() - Image2.Width()) / 2);
    Label7.SetLeft((Image1.Left() + Image1.Width() - Label7.Width()) / 2);

    BlinkState = 1;
    Timer1.SetInterval(1000);

    G.Score += TimeBonus(G.ClockMinutes, G.ClockSeconds, G.ClockCentis);
    G.Score += LivesBonus(G.Lives);
    RankText = RankFor(G.Score);
}

void EvaluationWindow::Timer1_Timer() {
    EvalStep += 1;
    switch (EvalStep) {
        case 1:
            Label7.SetVisible(true);
            Image2.SetVisible(true);
            break;
        case 2:
            Label1.SetLeft(Label7.Left() - 1000);
            Label1.SetTop(Image1.Height() / 2 + 500);
            PlayWave("powa.wav");
            Label1.SetVisible(true);
            break;
        case 3: {
            // Placed before the captions change: the labels sized to text
            // are measured with their designed "00".
            minute.SetLeft(Label1.Left() + Label1.Width() + 1000);
            Label8.SetLeft(minute.Left() + minute.Width() + 100);
            second.SetLeft(Label8.Left() + Label8.Width() + 100);
            Label10.SetLeft(second.Left() + second.Width() + 100);
            msecond.SetLeft(Label10.Left() + Label10.Width() + 100);
            const float top = Label1.Top();
            for (forms::Label* label : {&minute, &Label8, &second, &Label10, &msecond})
                label->SetTop(top);
            minute.SetCaption(std::to_string(G.ClockMinutes));
            second.SetCaption(std::to_string(G.ClockSeconds));
            msecond.SetCaption(std::to_string(G.ClockCentis));
            for (forms::Label* label : {&minute, &Label8, &second, &Label10, &msecond})
                label->SetVisible(true);
            break;
        }
        case 4:
            Label2.SetLeft(Label1.Left());
            Label2.SetTop(Label1.Top() + 1000);
            Label2.SetVisible(true);
            PlayWave("powa.wav");
            break;
        case 5:
            score1.SetLeft(Label2.Left() + Label2.Width() + 1000);
            Label11.SetLeft(score1.Left() + score1.Width() + 300);
            score1.SetTop(Label2.Top());
            Label11.SetTop(Label2.Top());
            score1.SetCaption(std::to_string(G.Score));
            score1.SetVisible(true);
            Label11.SetVisible(true);
            break;
        case 6:
            Frame1.SetLeft(Label1.Left() - 400);
            Frame1.SetTop(Label2.Top() + 1000);
            PlayWave("powa.wav");
            Frame1.SetVisible(true);
            Label3.SetVisible(true);
            break;
        case 7:
            Label6.SetCaption(RankText);
            Label6.SetVisible(true);
            break;
        case 8:
            PlayWave("oto.wav");
            Timer2.SetInterval(100);
            Timer1.SetInterval(0);
            break;
        default:
            break;
    }
}

void EvaluationWindow::Timer2_Timer() {
    Label6.SetForeColor(BlinkState == 1 ? forms::RGB(192, 0, 0) : forms::kWhite);
    BlinkState = static_cast<int16_t>(-BlinkState);
}

void EvaluationWindow::Form_KeyDown(int16_t key_code, int16_t /*shift*/) {
    if (key_code == forms::vk::Escape) forms::End();
    if (key_code != forms::vk::Return && key_code != forms::vk::Space) return;
    if (Timer1.Interval() > 0) return;  // the page is not complete yet

    Timer2.SetInterval(0);
    SendMci("close mcifile", MciReply);
    Unload();
    Ending.Timer1.SetInterval(100);
    Ending.Show(true);
}
