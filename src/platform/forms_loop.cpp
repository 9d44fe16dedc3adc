// Forms runtime — the event loop: SDL's window events, keys for the
// topmost window, every loaded window's timers, scripted input, waiting
// (jumping in virtual time), the window manager's requests and End.
//
// One pass runs what is pending in the order the desktop does: input and
// window-manager requests first, then due timers, then one repaint of the
// windows that changed. Keys reach windows only inside a pass, never in
// the middle of other code.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/clock.h"
#include "platform/forms_internal.h"

namespace forms {

namespace {

Form* VisibleForm(Form* f) { return f && f->IsLoaded() && f->IsShown() ? f : nullptr; }

void NoteFocus(Form& f, bool focused) {
    Form::Impl& im = f.impl();
    if (!focused && im.focused) ++im.focus_losses;
    im.focused = focused;
}

void NoteMinimised(Form& f, bool minimised) {
    Form::Impl& im = f.impl();
    if (minimised && !im.minimised) ++im.focus_losses;
    im.minimised = minimised;
    if (!minimised) MarkDirty(f);
}

Form* FormOfWindowId(Uint32 id) {
    SDL_Window* w = SDL_GetWindowFromID(id);
    if (!w) return nullptr;
    for (Form* f : TK().forms)
        if (f->IsLoaded() && f->impl().window == w) return f;
    return nullptr;
}

void OnWindowEvent(const SDL_WindowEvent& e) {
    Form* f = FormOfWindowId(e.windowID);
    if (!f) return;
    switch (e.event) {
        case SDL_WINDOWEVENT_CLOSE:
            TK().events.push_back(PendingEvent{PendingEvent::Kind::Close, 0, 0, f->impl().hwnd});
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            NoteFocus(*f, true);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            NoteFocus(*f, false);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            NoteMinimised(*f, true);
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            NoteMinimised(*f, false);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            MarkDirty(*f);
            break;
        default:
            break;
    }
}

// Turns SDL's events into pending window events; true when any came.
bool PumpSdl() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    bool any = false;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        any = true;
        if (e.type == SDL_QUIT) {
            EndIfDisplayLost();  // SDL's word for a Wayland compositor gone for good
            TK().events.push_back(PendingEvent{PendingEvent::Kind::Quit, 0, 0, 0});
        } else if (e.type == SDL_WINDOWEVENT) {
            OnWindowEvent(e.window);
        } else if (e.type == SDL_KEYDOWN && IsScreenToggle(e.key.keysym)) {
            if (!e.key.repeat) TK().events.push_back(PendingEvent{PendingEvent::Kind::ScreenToggle, 0, 0, 0});
        } else if (e.type == SDL_KEYDOWN) {
            // Auto-repeat arrives as further key-downs, as on the desktop.
            const int16_t key = VirtualKeyOf(e.key.keysym);
            if (key != 0)
                TK().events.push_back(
                    PendingEvent{PendingEvent::Kind::Key, key, ShiftStateOf(e.key.keysym.mod), 0});
        }
    }
    return any;
}

void DeliverInput(uint64_t now) {
    InputSource* input = TK().input;
    if (!input) return;
    std::optional<uint64_t> next = input->NextEventUs();
    if (next && *next <= now) input->DeliverDue(now);
}

// A modal window disables every other window of the program, so their
// close buttons do nothing while it is open.
bool DisabledByModal(Form* f) {
    for (Form* m : TK().modal)
        if (VisibleForm(m)) return f != TopmostWindow();
    return false;
}

void CloseRequested(intptr_t hwnd) {
    Form* f = FormByHwnd(hwnd);
    if (!f || !f->IsLoaded() || DisabledByModal(f)) return;
    if (ToolkitAccess::ClosesProgram(*f)) End();
    f->Unload();
}

// Runs the pending events one at a time; a handler may open a modal
// window whose own loop takes the following ones.
bool RunPendingEvents() {
    bool any = false;
    while (!TK().events.empty()) {
        PendingEvent e = TK().events.front();
        TK().events.pop_front();
        any = true;
        switch (e.kind) {
            case PendingEvent::Kind::Key:
                if (Form* top = TopmostWindow()) top->Form_KeyDown(e.key, e.shift);
                break;
            case PendingEvent::Kind::Close:
                CloseRequested(e.hwnd);
                break;
            case PendingEvent::Kind::Quit:
                End();
            case PendingEvent::Kind::ScreenToggle:
                ToggleScreen();
                break;
        }
    }
    return any;
}

struct DueTimer {
    Form* form;
    intptr_t hwnd;
    Timer* timer;
    uint64_t due;
};

std::vector<DueTimer> TimersDue(uint64_t now) {
    std::vector<DueTimer> due;
    for (Form* f : TK().forms) {
        if (!f->IsLoaded()) continue;
        for (Control* c : ToolkitAccess::Controls(*f))
            if (auto* t = dynamic_cast<Timer*>(c))
                if (auto at = t->NextDueUs(); at && *at <= now) due.push_back({f, f->impl().hwnd, t, *at});
    }
    std::stable_sort(due.begin(), due.end(), [](const DueTimer& a, const DueTimer& b) { return a.due < b.due; });
    return due;
}

// Ticks every due timer of every loaded window once. A tick may unload
// windows, change intervals or open a modal window, so each timer is
// checked again just before its tick.
bool FireTimers() {
    const std::vector<DueTimer> due = TimersDue(platform::clock::NowUs());
    for (const DueTimer& d : due) {
        if (std::find(TK().forms.begin(), TK().forms.end(), d.form) == TK().forms.end()) continue;
        if (!d.form->IsLoaded() || d.form->impl().hwnd != d.hwnd) continue;
        d.timer->FireIfDue(platform::clock::NowUs());
    }
    return !due.empty();
}

std::optional<uint64_t> EarliestTimer() {
    std::optional<uint64_t> earliest;
    for (Form* f : TK().forms) {
        if (!f->IsLoaded()) continue;
        for (Control* c : ToolkitAccess::Controls(*f))
            if (auto* t = dynamic_cast<Timer*>(c))
                if (auto at = t->NextDueUs(); at && (!earliest || *at < *earliest)) earliest = at;
    }
    return earliest;
}

// One pass; true when it ran anything.
bool RunPass() {
    bool any = PumpSdl();
    DeliverInput(platform::clock::NowUs());
    any = RunPendingEvents() || any;
    any = FireTimers() || any;
    RepaintChanged();
    return any;
}

std::optional<uint64_t> NextDeadline() {
    std::optional<uint64_t> deadline = EarliestTimer();
    if (InputSource* input = TK().input)
        if (auto next = input->NextEventUs(); next && (!deadline || *next < *deadline)) deadline = next;
    return deadline;
}

void WaitVirtual() {
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_PollEvent(nullptr)) return;
    std::optional<uint64_t> deadline = NextDeadline();
    if (!deadline) {
        const uint64_t now = platform::clock::NowUs();
        if (TK().input) TK().input->OnIdle(now);  // may end the run
        if (!TK().events.empty()) return;
        deadline = NextDeadline();
        if (!deadline) {
            Form* top = TopmostWindow();
            throw Error("the program would wait for ever: no timer is running and no input can come (" +
                        std::string(top ? "window \"" + top->Name() + "\"" : "no window") + ")");
        }
    }
    platform::clock::WaitUntilUs(*deadline);
}

void WaitReal() {
    std::optional<uint64_t> deadline = NextDeadline();
    if (!deadline) {
        if (TK().input) TK().input->OnIdle(platform::clock::NowUs());
        SDL_WaitEvent(nullptr);
        return;
    }
    const uint64_t now = platform::clock::NowUs();
    if (*deadline <= now) return;
    const uint64_t ms = (*deadline - now + 999) / 1000;
    SDL_WaitEventTimeout(nullptr, static_cast<int>(std::min<uint64_t>(ms, 1u << 30)));
}

}  // namespace

Form* TopmostWindow() {
    const auto& modal = TK().modal;
    for (auto it = modal.rbegin(); it != modal.rend(); ++it)
        if (Form* f = VisibleForm(*it)) return f;
    // No modal window: the window shown last.
    Form* best = nullptr;
    for (Form* f : TK().forms)
        if (VisibleForm(f) && (!best || f->impl().shown_serial > best->impl().shown_serial)) best = f;
    return best;
}

void DoEvents() { RunPass(); }

void WaitForEvents() {
    if (RunPass()) return;
    if (platform::clock::IsVirtual())
        WaitVirtual();
    else
        WaitReal();
    RunPass();
}

void StopAllTimers() {
    for (Form* f : TK().forms) {
        if (!f->IsLoaded()) continue;
        for (Control* c : ToolkitAccess::Controls(*f))
            if (auto* t = dynamic_cast<Timer*>(c)) t->SetInterval(0);
    }
}

void PostKey(int16_t key_code) {
    // Behind whatever SDL has already received, so keys keep their order;
    // pumping only queues, no handler runs here.
    PumpSdl();
    TK().events.push_back(PendingEvent{PendingEvent::Kind::Key, key_code, 0, 0});
}

void SetInputSource(InputSource* source) { TK().input = source; }

void SetEndHandler(EndHandler handler) { TK().end_handler = std::move(handler); }

void End() {
    if (TK().end_handler) TK().end_handler();
    // The program stops here: no unload handler, nothing released.
    std::fflush(nullptr);
    std::_Exit(0);
}

void SimulateFocus(Form& form, bool focused) {
    if (!form.IsLoaded()) return;
    NoteFocus(form, focused);
}

void SimulateMinimise(Form& form, bool minimised) {
    if (!form.IsLoaded()) return;
    NoteMinimised(form, minimised);
}

void SimulateCloseButton(Form& form) {
    if (!form.IsLoaded()) return;
    TK().events.push_back(PendingEvent{PendingEvent::Kind::Close, 0, 0, form.impl().hwnd});
}

}  // namespace forms
