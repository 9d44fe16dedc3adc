// Title — the title menu with its animated band and opening music.
//
// Two copies of the lettering slide into the top band from both sides; once
// they have met the four menu items appear and keys are taken. New Game
// leaves with Scene 3, Load Game answers with a message, Option opens the
// options window over the title, Exit and Esc end the program.
#include "screens/title.h"

#include "core/game_state.h"
#include "platform/basic.h"
#include "platform/winmm.h"
#include "screens/embedded_pictures.h"
#include "screens/options.h"
#include "sound/sound.h"

TitleWindow Title;

namespace {

constexpr int kTwips = forms::kTwipsPerPixel;
constexpr int kBandHeight = 150;  // pixel rows of the band shown at the top

// The menu sounds go straight to the multimedia library; nothing is done
// with the result.
void PlayMenuSound(const char* file) {
    winmm::mciSendStringA("play " + G.BasePath + "sound\\" + file, nullptr, 0, 0);
}

const forms::Picture& Background() {
    static const forms::Picture picture =
        forms::Picture::FromBmpBytes(embedded::TitleBackgroundBmp(), "the title background");
    return picture;
}

int Px(float twips) { return basic::CInt(twips / kTwips); }

}  // namespace

TitleWindow::TitleWindow() : forms::Form("Title") {}

void TitleWindow::Layout() {
    SetCaption("Title");
    SetBorderStyle(forms::BorderStyle::Fixed);
    SetClientSize(462 * kTwips, 371 * kTwips);
    SetPicture(Background());

    struct Item {
        const char* caption;
        int left, top, width;
    };
    static constexpr Item kItems[4] = {
        {"New Game", 168, 200, 121},
        {"Load Game", 168, 232, 121},
        {"Option", 184, 264, 73},
        {"Exit", 192, 296, 65},
    };
    for (int i = 0; i < 4; ++i) {
        forms::Label& label = Label1[i];
        label.SetCaption(kItems[i].caption);
        label.Move(kItems[i].left * kTwips, kItems[i].top * kTwips, kItems[i].width * kTwips,
                   25 * kTwips);
        label.SetFont("Georgia", 14.25, /*bold=*/true, /*italic=*/true);
        label.SetTransparent(true);
        label.SetForeColor(i == 0 ? forms::kRed : forms::kWhite);
        label.SetVisible(false);
    }

    for (forms::PictureBox* box : {&Mozi, &Mask, &Haikei, &Map}) box->SetVisible(false);

    Timer3.SetInterval(50);
    Timer3.OnTick = [this] { Timer3_Timer(); };
    Timer2.SetInterval(0);
    Timer2.OnTick = [this] { Timer2_Timer(); };
}

void TitleWindow::Form_Load() {
    // A window shown again starts as it did the first time: its labels come
    // back with the layout's colours, so the selection and the animation
    // state go back with them.
    MenuLocked = 1;
    MenuIndex = 0;
    RightCopyDone = 0;

    Map.Move(0, 0, ScaleWidth(), ScaleHeight());
    Mozi.LoadPicture(G.BasePath + "bmp\\mozi.bmp");
    Mask.LoadPicture(G.BasePath + "bmp\\mask.bmp");
    Haikei.LoadPicture(G.BasePath + "bmp\\back(1).bmp");
    Move(forms::ScreenWidth() / 2 - Width() / 2, forms::ScreenHeight() / 2 - Height() / 2);
    LeftCopyX = -(Mask.Width() / kTwips);
    RightCopyX = 500;
}

void TitleWindow::Timer3_Timer() {
    const int w = Px(Width());
    forms::BitBlt(Map.hDC(), 0, 0, w, kBandHeight, Haikei.hDC(), 0, 0, forms::SRCCOPY);

    // One copy of the lettering: the mask lights the letters' shape, the
    // lettering darkens it back to the letters themselves.
    auto draw_copy = [this](float x) {
        forms::BitBlt(Map.hDC(), basic::CInt(x), 0, Px(Mask.Width()), Px(Mask.Height()),
                      Mask.hDC(), 0, 0, forms::SRCPAINT);
        forms::BitBlt(Map.hDC(), basic::CInt(x), 0, Px(Mozi.Width()), Px(Mozi.Height()),
                      Mozi.hDC(), 0, 0, forms::SRCAND);
    };
    draw_copy(LeftCopyX);
    if (RightCopyDone == 0) draw_copy(RightCopyX);

    forms::BitBlt(hDC(), 0, 0, w, kBandHeight, Map.hDC(), 0, 0, forms::SRCCOPY);

    if (LeftCopyX > RightCopyX) {
        RightCopyDone = 1;
        MenuLocked = 0;
        for (forms::Label& label : Label1) label.SetVisible(true);
    } else {
        LeftCopyX += 6;
        RightCopyX -= 6;
    }
}

void TitleWindow::Timer2_Timer() {
    // Flag 17 (asynchronous, no stop): nothing starts while the piece still
    // plays, so the tune loops within a tick of its end.
    winmm::sndPlaySoundA(G.BasePath + "sound\\opening.wav", winmm::SND_ASYNC | winmm::SND_NOSTOP);
}

void TitleWindow::Form_KeyDown(int16_t key_code, int16_t /*shift*/) {
    if (MenuLocked != 0) return;
    switch (key_code) {
        case forms::vk::Up:
            if (MenuIndex >= 1) {
                Label1[MenuIndex].SetForeColor(forms::kWhite);
                MenuIndex -= 1;
                Label1[MenuIndex].SetForeColor(forms::kRed);
                PlayMenuSound("idou.wav");
            }
            break;
        case forms::vk::Down:
            if (MenuIndex <= 2) {
                Label1[MenuIndex].SetForeColor(forms::kWhite);
                MenuIndex += 1;
                Label1[MenuIndex].SetForeColor(forms::kRed);
                PlayMenuSound("idou.wav");
            }
            break;
        case forms::vk::Return:
            switch (MenuIndex) {
                case 0:
                    Timer2.SetInterval(0);
                    G.Scene = 3;
                    Unload();
                    break;
                case 1:
                    PlayMenuSound("kettei.wav");
                    forms::MsgBox("そんなんないわ！");
                    break;
                case 2:
                    PlayMenuSound("kettei.wav");
                    OP.Show(true);
                    break;
                case 3:
                    forms::End();
            }
            break;
        case forms::vk::Escape:
            forms::End();
        default:
            break;
    }
}

void TitleWindow::Form_Unload() {
    // Closes whatever the options window left open under the alias.
    std::string reply;
    SendMci("close mcifile", reply);
}
