// Input as SDL delivers it: key presses become the desktop's virtual-key
// codes (by the character the layout types), reach the topmost window only
// inside DoEvents, auto-repeats included; gamepads (SDL's virtual joystick
// as a game controller) give the same keys; the window manager's close and
// the desktop's quit.
#include <vector>

#include "platform/forms_internal.h"
#include "platform/virtual_pad.h"
#include "platform/window_access.h"
#include "test_forms_support.h"

namespace {

using forms_test::FormsTest;
using forms_test::NowMs;
namespace vp = forms::virtual_pad;

class KeyWindow : public forms::Form {
public:
    KeyWindow() : Form("Keys") {}
    void Layout() override { SetClientSize(600, 600); }
    void Form_KeyDown(int16_t key, int16_t shift) override {
        keys.push_back({key, shift});
        times.push_back(NowMs());
    }
    void Form_Unload() override { ++unloads; }
    std::vector<int16_t> Codes() const {
        std::vector<int16_t> codes;
        for (const auto& k : keys) codes.push_back(k.first);
        return codes;
    }
    std::vector<std::pair<int16_t, int16_t>> keys;
    std::vector<uint64_t> times;
    int unloads = 0;
};

// Virtual pads plugged in for one test, pulled out at its end.
class Pads {
public:
    int Plug() { return plugged_.emplace_back(vp::Plug()); }
    ~Pads() {
        for (int pad : plugged_) vp::Unplug(pad);
        forms::DoEvents();
    }
    static void Tap(int pad, vp::Button b) {
        vp::SetButton(pad, b, true);
        vp::SetButton(pad, b, false);
    }

private:
    std::vector<int> plugged_;
};

SDL_Keysym Key(SDL_Keycode sym, SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN, Uint16 mod = 0) {
    SDL_Keysym k{};
    k.sym = sym;
    k.scancode = scancode;
    k.mod = mod;
    return k;
}

TEST(FormsKeys, KeysMapToVirtualKeyCodesByTheCharacterTheyType) {
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_RETURN)), 13);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_KP_ENTER)), 13);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_ESCAPE)), 27);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_SPACE)), 32);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_LEFT)), 37);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_UP)), 38);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_RIGHT)), 39);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_DOWN)), 40);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_LSHIFT)), 16);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_RCTRL)), 17);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_a)), 65);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_z)), 90);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_0)), 48);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_9)), 57);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_F1)), 112);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_KP_5)), 101);
    // On an AZERTY keyboard the key in QWERTY's M place types ',': it is
    // the comma key, while the key that types M is M wherever it lies.
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_m, SDL_SCANCODE_SEMICOLON)), 77);
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_COMMA, SDL_SCANCODE_M)), 188);
    // A key of another script falls back to its place on the keyboard.
    EXPECT_EQ(forms::VirtualKeyOf(Key(0x43C, SDL_SCANCODE_V)), 86);  // Cyrillic м
    EXPECT_EQ(forms::VirtualKeyOf(Key(SDLK_UNKNOWN)), 0);
    EXPECT_EQ(forms::ShiftStateOf(KMOD_LSHIFT | KMOD_RCTRL), 3);
    EXPECT_EQ(forms::ShiftStateOf(KMOD_LALT), 4);
}

TEST_F(FormsTest, SdlKeyPressesAndRepeatsReachTheTopmostWindowInsideDoEventsOnly) {
    KeyWindow w;
    w.Show(false);
    forms::DoEvents();
    w.keys.clear();
    forms_test::PushKeyDown(SDLK_m);
    forms_test::PushKeyDown(SDLK_m, 0, /*repeat=*/true);
    forms_test::PushKeyDown(SDLK_RIGHT, KMOD_LSHIFT);
    forms::PostKey(forms::vk::Escape);
    EXPECT_TRUE(w.keys.empty());  // nothing arrives outside DoEvents
    forms::DoEvents();
    using Press = std::pair<int16_t, int16_t>;  // key code, shift state
    EXPECT_EQ(w.keys, (std::vector<Press>{{77, 0}, {77, 0}, {39, 1}, {27, 0}}));
    w.Unload();
}

TEST_F(FormsTest, TheWindowManagersCloseUnloadsAndTheDesktopsQuitEnds) {
    KeyWindow w;
    w.Show(false);
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(forms::internal::WindowOf(w.hWnd()));
    SDL_PushEvent(&close);
    forms::DoEvents();
    EXPECT_EQ(w.unloads, 1);
    EXPECT_FALSE(w.IsLoaded());

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_THROW(forms::DoEvents(), forms::ProgramEnded);
}

TEST_F(FormsTest, FocusAndMinimisingFollowTheWindowsEvents) {
    KeyWindow w;
    w.Show(false);
    const intptr_t h = w.hWnd();
    auto send = [&](SDL_WindowEventID id) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = static_cast<Uint8>(id);
        e.window.windowID = SDL_GetWindowID(forms::internal::WindowOf(h));
        SDL_PushEvent(&e);
        forms::DoEvents();
    };
    const uint64_t before = forms::internal::FocusLossCount(h);
    send(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_FALSE(forms::internal::HasFocus(h));
    send(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_TRUE(forms::internal::HasFocus(h));
    send(SDL_WINDOWEVENT_MINIMIZED);
    EXPECT_TRUE(forms::internal::IsMinimised(h));
    send(SDL_WINDOWEVENT_RESTORED);
    EXPECT_FALSE(forms::internal::IsMinimised(h));
    EXPECT_EQ(forms::internal::FocusLossCount(h), before + 2);
    w.Unload();
}

TEST_F(FormsTest, PadButtonsGiveTheKeysTheyStandForAndButtonsOfNoKeyGiveNothing) {
    KeyWindow w;
    w.Show(false);
    Pads pads;
    const int pad = pads.Plug();
    forms::DoEvents();
    using B = vp::Button;
    for (B b : {B::A, B::X, B::Y, B::B, B::RightShoulder, B::Start, B::Back, B::DpadUp, B::DpadDown, B::DpadLeft,
                B::DpadRight, B::Guide, B::LeftShoulder, B::LeftStick, B::RightStick})
        Pads::Tap(pad, b);
    vp::SetStick(pad, vp::Stick::Right, 1, 1);  // the right stick stands for nothing
    EXPECT_TRUE(w.keys.empty());                // nothing arrives outside DoEvents
    forms::DoEvents();
    // A: Enter, then Space; X, Y, B: the middle pad, the high pad, the dash.
    EXPECT_EQ(w.Codes(), (std::vector<int16_t>{13, 32, 'N', 'M', 'V', 'V', 13, 27, 38, 40, 37, 39}));
    w.Unload();
}

// A window whose Enter opens a message box, as the title's Load Game does.
class BoxOnEnter : public KeyWindow {
public:
    void Form_KeyDown(int16_t key, int16_t shift) override {
        KeyWindow::Form_KeyDown(key, shift);
        if (key == forms::vk::Return) {
            forms::MsgBox("そんなんないわ！");
            box_closed_at = NowMs();
        }
    }
    uint64_t box_closed_at = 0;
};

TEST_F(FormsTest, ASecondKeyReachesOnlyTheWindowThatTookItsFirst) {
    BoxOnEnter w;
    w.Show(false);
    Pads pads;
    const int pad = pads.Plug();
    forms::DoEvents();
    // The box stays until the Enter at 1000 ms: A's Space is not for it.
    const uint64_t start = NowMs();
    forms_test::ScriptedKeys later({{start + 1000, forms::vk::Return}});
    forms::SetInputSource(&later);
    Pads::Tap(pad, vp::Button::A);
    forms::DoEvents();
    forms::SetInputSource(nullptr);
    EXPECT_EQ(w.Codes(), (std::vector<int16_t>{13}));
    EXPECT_EQ(w.box_closed_at, start + 1000);
    w.Unload();
}

TEST_F(FormsTest, TheStickGivesArrowsPastItsDeadZoneWithoutChatterAtTheEdge) {
    KeyWindow w;
    w.Show(false);
    Pads pads;
    const int pad = pads.Plug();
    forms::DoEvents();
    auto tilt = [&](double x, double y) {
        vp::SetStick(pad, vp::Stick::Left, x, y);
        forms::DoEvents();
    };
    tilt(0.45, 0);   // inside the dead zone
    tilt(0.55, 0);   // Right
    tilt(0.35, 0);   // back towards the edge: still held, no new press
    tilt(0.6, 0.1);  // pushed again: still the same press
    tilt(0.25, 0);   // let go
    tilt(0.7, 0);    // Right again
    tilt(-1, 0);     // straight across: Left
    tilt(0, -1);     // Up (and the Left let go)
    tilt(0, 1);      // Down
    tilt(-0.8, 0.8); // a diagonal gives both arrows
    EXPECT_EQ(w.Codes(), (std::vector<int16_t>{39, 39, 37, 38, 40, 37}));
    w.Unload();
}

TEST_F(FormsTest, AHeldButtonOrDirectionRepeatsLikeAHeldKeyUntilLetGo) {
    KeyWindow w;
    w.Show(false);
    Pads pads;
    const int pad = pads.Plug();
    forms::DoEvents();
    platform::clock::AdvanceVirtualUs(1000 - platform::clock::NowUs() % 1000);
    const uint64_t t0 = NowMs();
    forms_test::ScriptedKeys end({{t0 + 2000, 'Z'}});
    forms::SetInputSource(&end);
    // Nothing else is due: the waits wake for the repeats themselves.
    auto wait_until = [&](uint64_t ms) {
        while (NowMs() < ms) forms::WaitForEvents();
    };
    vp::SetButton(pad, vp::Button::A, true);
    wait_until(t0 + 590);
    // The press, then after half a second thirty a second, each Enter
    // with its Space.
    EXPECT_EQ(w.times, (std::vector<uint64_t>{t0, t0, t0 + 500, t0 + 500, t0 + 533, t0 + 533, t0 + 566, t0 + 566,
                                              t0 + 599, t0 + 599}));
    EXPECT_EQ(w.Codes(), (std::vector<int16_t>{13, 32, 13, 32, 13, 32, 13, 32, 13, 32}));
    // The stick pushed while A is held takes the repeat over, as the key
    // pressed last does on a keyboard; letting go of it ends the repeats.
    w.keys.clear();
    w.times.clear();
    vp::SetStick(pad, vp::Stick::Left, 0, -1);
    wait_until(t0 + 1150);
    vp::SetStick(pad, vp::Stick::Left, 0, 0);
    vp::SetButton(pad, vp::Button::A, false);
    wait_until(t0 + 2000);
    EXPECT_EQ(w.Codes(), (std::vector<int16_t>{38, 38, 38, 38, 'Z'}));
    EXPECT_EQ(w.times, (std::vector<uint64_t>{t0 + 599, t0 + 1099, t0 + 1133, t0 + 1166, t0 + 2000}));
    forms::SetInputSource(nullptr);
    w.Unload();
}

TEST_F(FormsTest, PadsComeAndGoAtAnyTimeAndTwoPadsBothPlay) {
    KeyWindow w;
    w.Show(false);
    Pads pads;
    const int first = pads.Plug();
    const int second = pads.Plug();
    forms::DoEvents();
    Pads::Tap(first, vp::Button::X);
    Pads::Tap(second, vp::Button::Y);
    // Pulled out with a button held: no key, no repeat afterwards.
    vp::SetButton(first, vp::Button::B, true);
    vp::Unplug(first);
    EXPECT_FALSE(vp::IsPlugged(first));
    forms::DoEvents();
    const uint64_t t0 = NowMs();
    forms_test::ScriptedKeys end({{t0 + 1000, 'Z'}});
    forms::SetInputSource(&end);
    while (NowMs() < t0 + 1000) forms::WaitForEvents();
    forms::SetInputSource(nullptr);
    // One plugged in now plays at once; the other is still there.
    const int third = pads.Plug();
    Pads::Tap(third, vp::Button::Start);
    Pads::Tap(second, vp::Button::Back);
    forms::DoEvents();
    EXPECT_EQ(w.Codes(), (std::vector<int16_t>{'N', 'M', 'V', 'Z', 13, 27}));
    w.Unload();
}

}  // namespace
