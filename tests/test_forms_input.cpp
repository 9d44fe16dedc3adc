// Input as SDL delivers it: key presses become the desktop's virtual-key
// codes (by the character the layout types), reach the topmost window only
// inside DoEvents, auto-repeats included; the window manager's close and
// the desktop's quit.
#include <vector>

#include "platform/forms_internal.h"
#include "platform/window_access.h"
#include "test_forms_support.h"

namespace {

using forms_test::FormsTest;

class KeyWindow : public forms::Form {
public:
    KeyWindow() : Form("Keys") {}
    void Layout() override { SetClientSize(600, 600); }
    void Form_KeyDown(int16_t key, int16_t shift) override { keys.push_back({key, shift}); }
    void Form_Unload() override { ++unloads; }
    std::vector<std::pair<int16_t, int16_t>> keys;
    int unloads = 0;
};

SDL_Keysym Key(SDL_Keycode sym, SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN, Uint16 mod = 0) {
    SDL_Keysym k{};
    k.sym = sym;
    k.scancode = scancode;
    k.mod = mod;
    return k;
}

void PushKey(SDL_Keycode sym, bool repeat = false, Uint16 mod = 0) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym = Key(sym, SDL_GetScancodeFromKey(sym), mod);
    SDL_PushEvent(&e);
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
    PushKey(SDLK_m);
    PushKey(SDLK_m, /*repeat=*/true);
    PushKey(SDLK_RIGHT, false, KMOD_LSHIFT);
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

}  // namespace
