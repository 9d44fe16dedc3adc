// Forms runtime — the screen of the display layer's window (the play
// field): the desktop's full screen, or, by the player's choice, a window
// of its designed size at the windows' scale, centred on the desktop.
// Alt+Enter and F11 switch between the two at any moment; the keys never
// reach a window's key handler, and the choice lasts for the run.
#include "platform/forms_internal.h"
#include "platform/window_access.h"

namespace forms {

namespace {

void ShowWindowed(Form& form, SDL_Window* window) {
    SDL_SetWindowFullscreen(window, 0);
    // Through Move, so the toolkit's record and the desktop's window agree
    // (screenshots compose it at that place).
    form.Move(ScreenWidth() / 2 - form.Width() / 2, ScreenHeight() / 2 - form.Height() / 2);
    MarkDirty(form);
}

int ShowChosenScreen(Form& form, SDL_Window* window) {
    if (TK().windowed_play) {
        ShowWindowed(form, window);
        return 0;
    }
    const int result = SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    MarkDirty(form);
    return result;
}

}  // namespace

bool IsScreenToggle(const SDL_Keysym& key) {
    if (key.sym == SDLK_F11) return (key.mod & (KMOD_CTRL | KMOD_ALT | KMOD_SHIFT | KMOD_GUI)) == 0;
    return (key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT) &&
           !(key.mod & (KMOD_CTRL | KMOD_SHIFT | KMOD_GUI));
}

void ToggleScreen() {
    Toolkit& tk = TK();
    tk.windowed_play = !tk.windowed_play;
    Form* holder = FormByHwnd(tk.screen_holder);
    if (!holder || !holder->IsLoaded() || !holder->impl().window) return;
    ShowChosenScreen(*holder, holder->impl().window);
}

bool PlaysInWindow() { return TK().windowed_play; }

namespace internal {

int TakeScreen(intptr_t hwnd) {
    Form* form = FormByHwnd(hwnd);
    SDL_Window* window = WindowOf(hwnd);
    if (!form || !window) return SDL_SetError("window %ld cannot be shown", static_cast<long>(hwnd));
    TK().screen_holder = hwnd;
    return ShowChosenScreen(*form, window);
}

void GiveScreenBack(intptr_t hwnd) {
    if (TK().screen_holder == hwnd) TK().screen_holder = 0;
    if (SDL_Window* window = WindowOf(hwnd)) SDL_SetWindowFullscreen(window, 0);
}

}  // namespace internal

}  // namespace forms
