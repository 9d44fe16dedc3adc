// Forms runtime — desktops where a window cannot place itself. Under
// Wayland the compositor alone places top-level windows (sway centres a
// window of fixed size), so a small borderless window that the program
// puts over one of its own windows (the story over the start-up window,
// stepping down line by line) would float somewhere else. There such a
// window is drawn as a part of the window it lies over, at its place and in
// its stacking order: the player sees what a desktop that places windows
// shows. Keys reach it as always, as the topmost window.
#include <algorithm>
#include <vector>

#include "platform/forms_internal.h"

namespace forms {

namespace {

SDL_Rect ClientRectPx(Form& form) {
    const SDL_Point at = ClientOriginPx(form);
    SDL_Surface* canvas = Canvas(form);
    const int s = Scale();
    return SDL_Rect{at.x, at.y, canvas ? canvas->w / s : 0, canvas ? canvas->h / s : 0};
}

bool Inside(const SDL_Rect& guest, const SDL_Rect& host) {
    return guest.x >= host.x && guest.y >= host.y && guest.x < host.x + host.w && guest.y < host.y + host.h &&
           guest.w <= host.w && guest.h <= host.h;
}

bool Visible(Form* f) { return f->IsLoaded() && f->IsShown(); }

}  // namespace

bool DesktopPlacesWindows() { return TK().places_windows; }

void SimulateUnplacedWindows(bool unplaced) { TK().places_windows = !unplaced; }

Form* HostOf(Form& guest) {
    if (TK().places_windows || guest.impl().border != BorderStyle::None || !guest.IsLoaded()) return nullptr;
    const SDL_Rect rect = ClientRectPx(guest);
    Form* host = nullptr;
    for (Form* f : TK().forms) {
        if (f == &guest || !Visible(f) || f->impl().border == BorderStyle::None) continue;
        if (f->impl().shown_serial > guest.impl().shown_serial && guest.IsShown()) continue;  // above it
        if (!Inside(rect, ClientRectPx(*f))) continue;
        if (!host || f->impl().shown_serial > host->impl().shown_serial) host = f;
    }
    return host;
}

void ComposeGuests(Form& host, SDL_Surface* target, int x, int y) {
    std::vector<Form*> guests;
    for (Form* f : TK().forms)
        if (f != &host && Visible(f) && HostOf(*f) == &host) guests.push_back(f);
    std::stable_sort(guests.begin(), guests.end(),
                     [](Form* a, Form* b) { return a->impl().shown_serial < b->impl().shown_serial; });
    const SDL_Point origin = ClientOriginDevicePx(host);
    for (Form* g : guests) {
        const SDL_Point at = ClientOriginDevicePx(*g);
        ComposeClient(*g, target, x + at.x - origin.x, y + at.y - origin.y);
    }
}

void PassGuestRepaints() {
    if (TK().places_windows) return;
    for (Form* f : TK().forms) {
        if (!f->IsLoaded() || !f->impl().dirty || f->impl().window) continue;
        if (Form* host = HostOf(*f)) {
            MarkDirty(*host);
            f->impl().dirty = false;
        }
    }
}

void RepaintAllShown() {
    for (Form* f : TK().forms)
        if (Visible(f)) MarkDirty(*f);
}

}  // namespace forms
