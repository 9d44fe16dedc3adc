// Forms runtime — screenshots: the whole desktop with every shown window
// composed at its place, in stacking order, or one window's client area,
// as PNG files. Windows with a border get a plain caption bar, so that a
// headless run's pictures look like a desktop.
#include <algorithm>
#include <vector>

#include "platform/forms_fonts.h"
#include "platform/forms_internal.h"
#include "platform/png.h"

namespace forms {

namespace {

constexpr Color kDesktop = RGB(58, 58, 58);
constexpr Color kCaptionBar = RGB(0, 0, 128);

// Shown windows from the bottom of the stack up: the modeless ones in the
// order they were shown, then the modal stack (a message box on top).
std::vector<Form*> StackingOrder() {
    std::vector<Form*> modal;
    for (Form* f : TK().modal)
        if (f->IsLoaded() && f->IsShown() && std::find(modal.begin(), modal.end(), f) == modal.end())
            modal.push_back(f);
    std::vector<Form*> order;
    for (Form* f : TK().forms)
        if (f->IsLoaded() && f->IsShown() && std::find(modal.begin(), modal.end(), f) == modal.end())
            order.push_back(f);
    std::stable_sort(order.begin(), order.end(),
                     [](Form* a, Form* b) { return a->impl().shown_serial < b->impl().shown_serial; });
    order.insert(order.end(), modal.begin(), modal.end());
    return order;
}

void DrawDecoration(Form& f, SDL_Surface* desktop, SDL_Point client) {
    Form::Impl& im = f.impl();
    SDL_Surface* canvas = Canvas(f);
    if (im.border == BorderStyle::None || !canvas) return;
    const int w = canvas->w, h = canvas->h, s = Scale();
    const int frame = kFramePx * s, caption = kCaptionPx * s;
    const SDL_Rect outer{client.x - frame, client.y - frame - caption, w + 2 * frame, h + 2 * frame + caption};
    Fill(desktop, &outer, kButtonFace);
    const SDL_Rect bar{client.x, client.y - caption, w, caption - s};
    Fill(desktop, &bar, kCaptionBar);
    SDL_Rect old;
    SDL_GetClipRect(desktop, &old);
    SDL_SetClipRect(desktop, &bar);
    fonts::Draw(desktop, bar.x + 4 * s, bar.y + 2 * s, ScaledFont(FontChoice{"", 9, true, false}), im.caption,
                kWhite);
    SDL_SetClipRect(desktop, &old);
}

bool IsFullScreen(Form& f) {
    return f.impl().window && (SDL_GetWindowFlags(f.impl().window) & SDL_WINDOW_FULLSCREEN) != 0;
}

bool WritePng(SDL_Surface* s, const std::string& path) {
    std::vector<uint8_t> rgb(static_cast<size_t>(s->w) * s->h * 3);
    for (int y = 0; y < s->h; ++y) {
        const Uint32* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(s->pixels) + y * s->pitch);
        uint8_t* out = &rgb[static_cast<size_t>(y) * s->w * 3];
        for (int x = 0; x < s->w; ++x) {
            out[3 * x] = static_cast<uint8_t>(row[x] >> 16);
            out[3 * x + 1] = static_cast<uint8_t>(row[x] >> 8);
            out[3 * x + 2] = static_cast<uint8_t>(row[x]);
        }
    }
    return platform::png::WriteRgb(path, s->w, s->h, rgb.data(), s->w * 3);
}

}  // namespace

bool SaveDesktopPng(const std::string& linux_path) {
    if (!TK().initialised) return false;
    SDL_Surface* desktop = NewSurface(TK().desktop_w_px, TK().desktop_h_px);
    Fill(desktop, nullptr, kDesktop);
    bool ok = true;
    try {
        for (Form* f : StackingOrder()) {
            if (f->impl().external && IsFullScreen(*f)) {
                ComposeExternal(f->impl().external, desktop, SDL_Rect{0, 0, desktop->w, desktop->h});
                continue;
            }
            const SDL_Point at = ClientOriginDevicePx(*f);
            DrawDecoration(*f, desktop, at);
            ComposeClient(*f, desktop, at.x, at.y);
        }
        ok = WritePng(desktop, linux_path);
    } catch (const Error&) {
        ok = false;
    }
    SDL_FreeSurface(desktop);
    return ok;
}

bool SaveWindowPng(Form& form, const std::string& linux_path) {
    SDL_Surface* canvas = form.IsLoaded() ? Canvas(form) : nullptr;
    if (!canvas) return false;
    SDL_Surface* client = NewSurface(canvas->w, canvas->h);
    bool ok = true;
    try {
        ComposeClient(form, client, 0, 0);
        ok = WritePng(client, linux_path);
    } catch (const Error&) {
        ok = false;
    }
    SDL_FreeSurface(client);
    return ok;
}

}  // namespace forms
