// OP — the options menu over the title.
//
// Four top items (Game Level, Life Points, Sound, Back); the first three
// open a row of choices that is confirmed with a sound and a message box.
// The choices are acknowledged only: nothing is stored and nothing in the
// play changes.
#include "screens/options.h"

#include "core/game_state.h"
#include "platform/winmm.h"
#include "screens/embedded_pictures.h"
#include "sound/sound.h"

OptionsWindow OP;

namespace {

constexpr int kTwips = forms::kTwipsPerPixel;

const char* const kHelpLines[4] = {
    "ゲームのレベルを変更します",
    "ライフの設定をします",
    "音の設定をします",
    "戻ります",
};
const char* const kLevelMessages[3] = {"EASYに設定しました", "NORMALに設定しました",
                                       "HARDに設定しました"};
const char* const kLifeMessages[3] = {"ライフを×２に設定しました", "ライフを×４に設定しました",
                                      "ライフを×８に設定しました"};
const char* const kSoundMessages[2] = {"ステレオに設定しました", "モノラルに設定しました"};

// The top menu's sounds go straight to the multimedia library.
void PlayMenuSound(const char* file) {
    winmm::mciSendStringA("play " + G.BasePath + "sound\\" + file, nullptr, 0, 0);
}

const forms::Picture& Background() {
    static const forms::Picture picture =
        forms::Picture::FromBmpBytes(embedded::OptionsBackgroundBmp(), "the options background");
    return picture;
}

struct Place {
    const char* caption;
    int left, top, width, height;
};

void PlaceMenuLabel(forms::Label& label, const Place& place, bool selected) {
    label.SetCaption(place.caption);
    label.Move(place.left * kTwips, place.top * kTwips, place.width * kTwips,
               place.height * kTwips);
    label.SetTransparent(true);
    label.SetForeColor(selected ? forms::kRed : forms::kWhite);
    label.SetVisible(true);
}

}  // namespace

OptionsWindow::OptionsWindow() : forms::Form("OP") {}

void OptionsWindow::Layout() {
    SetCaption("OP");
    SetBorderStyle(forms::BorderStyle::Fixed);
    SetClientSize(399 * kTwips, 266 * kTwips);
    SetPicture(Background());

    static constexpr Place kTop[4] = {
        {"Game Level", 24, 8, 113, 25},
        {"Life Points", 24, 48, 97, 25},
        {"Sound", 24, 88, 169, 25},
        {"Back", 176, 152, 49, 25},
    };
    for (int i = 0; i < 4; ++i) {
        PlaceMenuLabel(Label1[i], kTop[i], i == 0);
        Label1[i].SetFont("Georgia", 12, /*bold=*/true, /*italic=*/true);
    }

    // The rows have no face of their own in the design: the Japanese UI
    // face, at the size whose widest words ("NORMAL", "モノラル") fit the
    // designed boxes.
    static constexpr Place kLevel[3] = {
        {"EASY", 192, 16, 33, 17}, {"NORMAL", 240, 16, 49, 17}, {"HARD", 304, 16, 33, 17}};
    static constexpr Place kLife[3] = {
        {"×２", 192, 48, 25, 17}, {"×４", 248, 48, 25, 17}, {"×８", 320, 48, 25, 17}};
    static constexpr Place kSound[2] = {{"ステレオ", 208, 88, 49, 17},
                                        {"モノラル", 280, 88, 41, 17}};
    for (int i = 0; i < 3; ++i) PlaceMenuLabel(Label3[i], kLevel[i], i == 0);
    for (int i = 0; i < 3; ++i) PlaceMenuLabel(Label4[i], kLife[i], i == 0);
    for (int i = 0; i < 2; ++i) PlaceMenuLabel(Label2[i], kSound[i], i == 0);
    for (forms::Label* row : {&Label3[0], &Label3[1], &Label3[2], &Label4[0], &Label4[1],
                              &Label4[2], &Label2[0], &Label2[1]}) {
        row->SetFont("ＭＳ Ｐゴシック", 8);
    }

    Frame1.Move(48 * kTwips, 184 * kTwips, 321 * kTwips, 57 * kTwips);
    Frame1.SetCaption("");
    Frame1.SetBackColor(forms::kBlack);
    Frame1.SetVisible(true);

    Label5.SetContainer(&Frame1);
    PlaceMenuLabel(Label5, {kHelpLines[0], 16, 16, 289, 33}, false);
    Label5.SetFont("HGS創英角ﾎﾟｯﾌﾟ体", 12, /*bold=*/false, /*italic=*/true);
}

void OptionsWindow::Form_Load() {
    // The labels come back with the layout's colours at every load, so the
    // selections start over with them.
    TopIndex = 0;
    OpenSubMenu = 0;
    LevelIndex = 0;
    LifeIndex = 0;
    SoundIndex = 0;
    Move(forms::ScreenWidth() / 2 - Width() / 2, forms::ScreenHeight() / 2 - Height() / 2);
}

void OptionsWindow::Form_KeyDown(int16_t key_code, int16_t /*shift*/) {
    switch (OpenSubMenu) {
        case 1:
            ChooseLevel(key_code);
            return;
        case 2:
            ChooseLife(key_code);
            return;
        case 3:
            ChooseSound(key_code);
            return;
        default:
            break;
    }

    switch (key_code) {
        case forms::vk::Up:
        case forms::vk::Down: {
            const bool up = key_code == forms::vk::Up;
            if (up ? TopIndex < 1 : TopIndex > 2) return;
            Label1[TopIndex].SetForeColor(forms::kWhite);
            TopIndex += up ? -1 : 1;
            Label1[TopIndex].SetForeColor(forms::kRed);
            Label5.SetCaption(kHelpLines[TopIndex]);
            PlayMenuSound("idou.wav");
            return;
        }
        case forms::vk::Return:
            PlayMenuSound("kettei.wav");
            if (TopIndex <= 2) {
                OpenSubMenu = static_cast<int16_t>(TopIndex + 1);
            } else {
                Unload();
            }
            return;
        case forms::vk::Escape:
            forms::End();
        default:
            return;
    }
}

void OptionsWindow::ChooseLevel(int16_t key_code) {
    MoveInRow(key_code, Label3, 2, LevelIndex, kLevelMessages);
}

void OptionsWindow::ChooseLife(int16_t key_code) {
    MoveInRow(key_code, Label4, 2, LifeIndex, kLifeMessages);
}

void OptionsWindow::ChooseSound(int16_t key_code) {
    MoveInRow(key_code, Label2, 1, SoundIndex, kSoundMessages);
}

void OptionsWindow::MoveInRow(int16_t key_code, forms::Label* row, int16_t last, int16_t& index,
                              const char* const* messages) {
    switch (key_code) {
        case forms::vk::Left:
            if (index >= 1) {
                row[index].SetForeColor(forms::kWhite);
                index -= 1;
                row[index].SetForeColor(forms::kRed);
                PlayRowSound("idou.mp3");
            }
            break;
        case forms::vk::Right:
            if (index < last) {
                row[index].SetForeColor(forms::kWhite);
                index += 1;
                row[index].SetForeColor(forms::kRed);
                PlayRowSound("idou.mp3");
            }
            break;
        case forms::vk::Return:
            PlayRowSound("kettei2.mp3");
            forms::MsgBox(messages[index]);
            OpenSubMenu = 0;
            break;
        default:
            // Up, Down, Esc and the rest: the row stays open.
            break;
    }
}

void OptionsWindow::PlayRowSound(const char* file) {
    // The row sounds reuse the one named device; the first close of a run
    // finds nothing open and beeps.
    SendMci("close mcifile", OptionsReply);
    SendMci("open " + G.BasePath + "soundeffect\\" + file + " alias mcifile ", OptionsReply);
    SendMci("play mcifile notify", OptionsReply);
}
