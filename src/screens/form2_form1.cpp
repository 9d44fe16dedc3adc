// Form2 and Form1 — the start-up window and the story window over it.
//
// The sky-blue start-up window shows the small borderless story window at
// its corner. The story fades fifteen lines in and out, one at a time, with
// the window stepping down after each line; the end of the last line or any
// key but Esc leads on to the title (Scene 2). Esc ends the program.
#include "screens/form2_form1.h"

#include "core/game_state.h"
#include "platform/winmm.h"

StartupWindow Form2;
StoryWindow Form1;

namespace {

constexpr forms::Color kSkyBlue = forms::RGB(141, 207, 244);

// The story music is played and closed by its own path, straight through
// the multimedia library: no reply, no beep, failures ignored.
void SendStoryMusic(const char* verb) {
    const std::string command = std::string(verb) + G.BasePath + "sound\\psmat045.mid";
    winmm::mciSendStringA(command, nullptr, 0, 0);
}

}  // namespace

// --- Form2 ------------------------------------------------------------------

StartupWindow::StartupWindow() : forms::Form("Form2") {}

void StartupWindow::Layout() {
    SetCaption("Opning");
    SetBorderStyle(forms::BorderStyle::Fixed);
    SetClientSize(11055, 9420);
    SetBackColor(forms::RGB(192, 255, 255));
}

void StartupWindow::Form_Load() {
    Move(forms::ScreenWidth() / 2 - Width() / 2, forms::ScreenHeight() / 2 - Height() / 2);
}

void StartupWindow::Form_Activate() {
    SetBackColor(kSkyBlue);
    if (StoryShown == 0) {
        Form1.Show(true);
        // On the key path the story has already unloaded this window; the
        // unload here then does nothing.
        Unload();
        StoryShown = 1;
    }
}

void StartupWindow::Form_KeyDown(int16_t key_code, int16_t /*shift*/) {
    if (key_code == forms::vk::Escape) forms::End();
    Form1.Unload();
    Unload();
    G.Scene = 2;
}

// --- Form1 ------------------------------------------------------------------

StoryWindow::StoryWindow() : forms::Form("Form1") {}

void StoryWindow::Layout() {
    SetCaption("");
    SetBorderStyle(forms::BorderStyle::None);
    SetClientSize(6150, 2280);
    SetFont("HG創英角ﾎﾟｯﾌﾟ体", 14.25, /*bold=*/true);
    Timer1.SetInterval(0);
    Timer1.OnTick = [this] { Timer1_Timer(); };
}

void StoryWindow::Form_Load() {
    SetBackColor(kSkyBlue);
    LineIndex = 0;
    StoryLines = {
        "ある敏腕プロデューサー（♂）が",
        "TVでモデルを募集した...",
        "Q：どういう男性を募集しますか？",
        "「ファンキーな男が大好きです（はぁと）",
        "ビルからビルに飛び移るような（ぉ）",
        "まぁありえないですけどね（謎）",
        "もしそんなミラクルくるくるBOYが居たら",
        "わたくしのペット...じゃなくって♪（ｷﾓｲ）",
        "トップモデルにしてあげますわん♪（怪）",
        "たくさんのご応募待ってるわーん♪(萌)",
        "(｀□´)\u3000以上である!(爆)」",
        "これを見たもるぺは決心した",
        "モデルって（・∀・）ｲｲna!!",
        "スケボーやったら飛べそうや！",
        "いっちょやりまっかのー♪",
    };
    Move(Form2.Left() + 500, Form2.Top() + 500);
    Timer1.SetInterval(10);
    SendStoryMusic("play ");
    FadeDirection = 1;
    TextRed = 141;
    TextGreen = 207;
    TextBlue = 244;
    FadeStep = 0;
}

void StoryWindow::Timer1_Timer() {
    // Darken by 1 a tick while fading in, lighten by 2 while fading out; the
    // tests come before the additions, so a fade-out overshoots red and
    // green by one.
    if (FadeDirection == -1) {
        if (TextRed < 141) TextRed += 2;
        if (TextGreen < 207) TextGreen += 2;
        if (TextBlue < 244) TextBlue += 2;
    } else {
        if (TextRed > 0) TextRed -= 1;
        if (TextGreen > 0) TextGreen -= 1;
        if (TextBlue > 0) TextBlue -= 1;
    }

    SetForeColor(forms::RGB(TextRed, TextGreen, TextBlue));
    Cls();
    Print(StoryLines[static_cast<std::size_t>(LineIndex)]);

    const bool faded_out = TextRed >= 141 && TextGreen >= 207 && TextBlue >= 244;
    const bool darkest = TextRed <= 10 && TextGreen <= 10 && TextBlue <= 10;
    if (!faded_out && !darkest) return;

    if (FadeDirection == -1) FadeStep += 1;
    if (FadeStep >= 1 && FadeStep <= 14) {
        if (FadeDirection == -1) {
            SetTop(Top() + 500);
            LineIndex += 1;
        }
    } else if (FadeStep == 15) {
        SendStoryMusic("close ");
        G.Scene = 2;
        Unload();
    }
    FadeDirection = static_cast<int16_t>(-FadeDirection);
}

void StoryWindow::Form_KeyDown(int16_t key_code, int16_t /*shift*/) {
    if (key_code == forms::vk::Escape) forms::End();
    G.Scene = 2;
    Unload();
    Form2.Unload();
}

void StoryWindow::Form_Unload() { SendStoryMusic("close "); }
