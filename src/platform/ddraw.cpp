// DirectDraw 7 — the display object: exclusive full screen on the Game
// window, the flipping primary surface, the 60 Hz pace of Flip, the loss
// and recovery of the display, and the shown frame.
//
// "Exclusive full screen at 800 x 600 x 16" is the window in desktop full
// screen (never a mode switch) showing the 800 x 600 frame scaled to fit
// with its aspect kept and black bars, nearest filtering, and a whole
// multiple of the frame where that fills most of the screen (the two ways
// of presenting it are in ddraw_present.cpp); or, when the player chose it
// with Alt+Enter or F11, a window of 800 x 600 at the windows' scale (the
// toolkit's, forms_screen.cpp), which is the same to everything here. Under SDL's dummy driver
// nothing is drawn: the shown frame is kept in memory, where screenshots
// and the toolkit's desktop composite read it.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/call_log.h"
#include "platform/clock.h"
#include "platform/ddraw_impl.h"
#include "platform/frame_pacer.h"
#include "platform/measure.h"
#include "platform/png.h"
#include "platform/window_access.h"

// The toolkit's window access, referenced weakly: a program built without
// the toolkit's windows (the display layer's own tests and benchmarks) runs
// with "no window" and presents into memory, while asking for a real
// window without them is an error rather than a crash.
namespace forms::internal {
[[gnu::weak]] SDL_Window* WindowOf(intptr_t hwnd);
[[gnu::weak]] void SetExternalContent(intptr_t hwnd, SDL_Surface* frame);
[[gnu::weak]] bool HasFocus(intptr_t hwnd);
[[gnu::weak]] bool IsMinimised(intptr_t hwnd);
[[gnu::weak]] uint64_t FocusLossCount(intptr_t hwnd);
[[gnu::weak]] bool TakeRepaintRequest(intptr_t hwnd);
[[gnu::weak]] int TakeScreen(intptr_t hwnd);
[[gnu::weak]] void GiveScreenBack(intptr_t hwnd);
}  // namespace forms::internal

namespace ddraw {
namespace {

// The toolkit's side of a window, or "no window" where there is none.
namespace toolkit {
bool Linked() {
    return &forms::internal::WindowOf != nullptr && &forms::internal::SetExternalContent != nullptr &&
           &forms::internal::HasFocus != nullptr && &forms::internal::IsMinimised != nullptr &&
           &forms::internal::FocusLossCount != nullptr && &forms::internal::TakeRepaintRequest != nullptr &&
           &forms::internal::TakeScreen != nullptr && &forms::internal::GiveScreenBack != nullptr;
}
SDL_Window* Of(intptr_t hwnd) { return hwnd && Linked() ? forms::internal::WindowOf(hwnd) : nullptr; }
void SetContent(intptr_t hwnd, SDL_Surface* frame) {
    if (hwnd && Linked()) forms::internal::SetExternalContent(hwnd, frame);
}
bool HasFocus(intptr_t hwnd) { return !hwnd || !Linked() || forms::internal::HasFocus(hwnd); }
bool IsMinimised(intptr_t hwnd) { return hwnd && Linked() && forms::internal::IsMinimised(hwnd); }
uint64_t LossCount(intptr_t hwnd) { return hwnd && Linked() ? forms::internal::FocusLossCount(hwnd) : 0; }
bool TakeRepaintRequest(intptr_t hwnd) { return hwnd && Linked() && forms::internal::TakeRepaintRequest(hwnd); }
// Full screen, or the window the player chose with Alt+Enter or F11.
int TakeScreen(intptr_t hwnd) { return forms::internal::TakeScreen(hwnd); }
void GiveScreenBack(intptr_t hwnd) {
    if (hwnd && Linked()) forms::internal::GiveScreenBack(hwnd);
}
}  // namespace toolkit

// The frame last shown, 800 x 600 565, kept for screenshots and for the
// toolkit's desktop composite. It outlives every display object; the
// primary surface's pixels are these.
struct ShownFrameStore {
    std::vector<uint16_t> pixels = std::vector<uint16_t>(kScreenW * kScreenH, 0);
    SDL_Surface* sdl = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kScreenW, kScreenH, 16,
                                                          kScreenW * 2, SDL_PIXELFORMAT_RGB565);
    bool valid = false;  // a frame has been shown
};

ShownFrameStore& Shown() {
    static ShownFrameStore* store = new ShownFrameStore;  // kept to the end
    return *store;
}

bool g_pacing = true;
platform::FramePacer& Pacer() {
    static platform::FramePacer pacer(platform::ProgramPaceClock());
    return pacer;
}

constexpr size_t kFlipTimesKept = 100000;
std::vector<uint64_t> g_flip_intervals;
bool g_have_last_present = false;
uint64_t g_last_present_us = 0;

void RecordPresent() {
    const uint64_t now = platform::clock::NowUs();
    if (g_have_last_present) {
        if (g_flip_intervals.size() >= kFlipTimesKept)
            g_flip_intervals.erase(g_flip_intervals.begin(),
                                   g_flip_intervals.begin() + kFlipTimesKept / 2);
        g_flip_intervals.push_back(now - g_last_present_us);
    }
    g_have_last_present = true;
    g_last_present_us = now;
}

void WaitTick() {
    if (g_pacing) Pacer().WaitForNextTick();
}

// Drivers that show nothing: keep the frame in memory only.
bool DrawsNothing() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return !driver || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
}

}  // namespace


namespace {

// What a flip sends to the screen once its tick has come: the frame is
// scaled into the window (or its texture) before the wait, so that only
// the hand-over to the display is left after it.
struct PendingPresent {
    SDL_Window* window = nullptr;     // nullptr: nothing to send
    SDL_Renderer* renderer = nullptr;  // the renderer path
    bool whole = false;               // the whole window, bars and all
    SDL_Rect frame{};                 // else only the frame's rectangle
};

PendingPresent PreparePresent(Display& d) {
    PendingPresent pending;
    if (!d.hwnd || !d.exclusive) return pending;
    SDL_Window* win = toolkit::Of(d.hwnd);
    if (!win) return pending;
    if (!d.content_registered) {
        toolkit::SetContent(d.hwnd, Shown().sdl);
        d.content_registered = true;
    }
    if (DrawsNothing() || toolkit::IsMinimised(d.hwnd)) return pending;
    const bool repaint = toolkit::TakeRepaintRequest(d.hwnd);
    const uint16_t* frame = Shown().pixels.data();
    if (SDL_Renderer* renderer = SDL_GetRenderer(win)) {
        if (present::PrepareRenderer(d, renderer, frame)) {
            pending.window = win;
            pending.renderer = renderer;
        }
        return pending;
    }
    // The whole window (bars too) when it was exposed, resized or taken
    // anew; otherwise only the frame's rectangle changes.
    SDL_Surface* ws = SDL_GetWindowSurface(win);
    if (!ws) return pending;
    pending.whole = repaint || ws != d.painted_surface || ws->w != d.painted_w || ws->h != d.painted_h;
    if (!present::PrepareWindowSurface(win, frame, pending.whole, &pending.frame)) return pending;
    pending.window = win;
    d.painted_surface = ws;
    d.painted_w = ws->w;
    d.painted_h = ws->h;
    return pending;
}

void SendPresent(const PendingPresent& pending) {
    if (!pending.window) return;
    if (pending.renderer)
        SDL_RenderPresent(pending.renderer);
    else
        present::SendWindowSurface(pending.window, pending.whole, pending.frame);
}

// The texture, and the renderer the display layer made, go with the
// window's renderer; a window already destroyed took them along.
void DropTexture(Display& d) {
    SDL_Window* win = d.hwnd ? toolkit::Of(d.hwnd) : nullptr;
    SDL_Renderer* current = win ? SDL_GetRenderer(win) : nullptr;
    if (d.texture && current && current == d.renderer) SDL_DestroyTexture(d.texture);
    if (d.own_renderer && current == d.own_renderer) SDL_DestroyRenderer(d.own_renderer);
    d.texture = nullptr;
    d.renderer = nullptr;
    d.own_renderer = nullptr;
    d.painted_surface = nullptr;
}

// Leaves full screen and hands the window back to the toolkit.
void GiveBack(Display& d, intptr_t hwnd) {
    if (hwnd == 0) hwnd = d.hwnd;
    if (hwnd != 0) {
        if (hwnd == d.hwnd) DropTexture(d);
        toolkit::GiveScreenBack(hwnd);
        toolkit::SetContent(hwnd, nullptr);
    }
    d.exclusive = false;
    d.mode_set = false;
    d.content_registered = false;
}

std::shared_ptr<DirectDrawSurface7> NewPrimary(std::shared_ptr<Display> display) {
    auto impl = std::make_unique<DirectDrawSurface7::Impl>();
    ShownFrameStore& shown = Shown();
    impl->w = kScreenW;
    impl->h = kScreenH;
    impl->pixels = shown.pixels.data();
    impl->sdl = SDL_CreateRGBSurfaceWithFormatFrom(impl->pixels, kScreenW, kScreenH, 16, kScreenW * 2,
                                                   SDL_PIXELFORMAT_RGB565);
    impl->primary = true;
    impl->restored_epoch = display->loss_epoch;
    impl->display = std::move(display);
    return std::make_shared<DirectDrawSurface7>(std::move(impl));
}


}  // namespace

// --- The display ---------------------------------------------------------------

Display::~Display() { DropTexture(*this); }

void Display::Sync() {
    if (!exclusive || !hwnd) return;
    const uint64_t count = toolkit::LossCount(hwnd);
    if (count != seen_loss_count) {
        seen_loss_count = count;
        ++loss_epoch;
    }
}

DirectDraw7::DirectDraw7() : impl_(std::make_unique<Impl>()) {}
DirectDraw7::~DirectDraw7() = default;

void DirectDraw7::SetCooperativeLevel(intptr_t hwnd, int32_t flags) {
    if (platform::call_log::On()) platform::call_log::Add("cooperative level " + std::to_string(flags));
    Display& d = *impl_->display;
    const int32_t exclusive = DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE;
    if ((flags & exclusive) == exclusive && !(flags & DDSCL_NORMAL)) {
        if (d.exclusive && d.hwnd != hwnd) GiveBack(d, d.hwnd);
        if (hwnd != 0 && !toolkit::Linked())
            throw DDrawError(DDERR_GENERIC,
                             "SetCooperativeLevel: window " + std::to_string(hwnd) +
                                 " cannot be used: this program has no toolkit windows");
        if (SDL_Window* win = hwnd ? toolkit::Of(hwnd) : nullptr) {
            if (toolkit::TakeScreen(hwnd) != 0)
                throw DDrawError(DDERR_GENERIC,
                                 std::string("SetCooperativeLevel: the window cannot go full screen (") +
                                     SDL_GetError() + ")");
            d.seen_loss_count = d.reported_loss_count = toolkit::LossCount(hwnd);
            d.hwnd = hwnd;
            // Graphics hardware, where there is some, scales the frame.
            if (!DrawsNothing() && !SDL_GetRenderer(win)) d.own_renderer = present::HardwareRendererFor(win);
            d.exclusive = true;
            d.content_registered = false;
            // The window shows black until the first flip.
            if (!Shown().valid) std::fill(Shown().pixels.begin(), Shown().pixels.end(), 0);
            toolkit::SetContent(hwnd, Shown().sdl);
            d.content_registered = true;
        } else {
            d.hwnd = 0;  // no window: frames are presented into memory only
            d.exclusive = true;
        }
        return;
    }
    if (flags == DDSCL_NORMAL) {
        GiveBack(d, hwnd);
        return;
    }
    throw DDrawError(DDERR_INVALIDPARAMS,
                     "SetCooperativeLevel: unsupported flags " + std::to_string(flags) +
                         " (81 for exclusive full screen or 8 for normal)");
}

void DirectDraw7::SetDisplayMode(int32_t width, int32_t height, int32_t bpp, int32_t refresh,
                                 int32_t flags) {
    platform::call_log::Add("display mode");
    Display& d = *impl_->display;
    if (!d.exclusive)
        throw DDrawError(DDERR_NOEXCLUSIVEMODE,
                         "SetDisplayMode: the display is not in exclusive full-screen use");
    if (width != kScreenW || height != kScreenH || bpp != 16 || refresh != 0 || flags != 0)
        throw DDrawError(DDERR_INVALIDMODE, "SetDisplayMode: the mode " + std::to_string(width) + " x " +
                                                std::to_string(height) + " x " + std::to_string(bpp) +
                                                " (refresh " + std::to_string(refresh) + ", flags " +
                                                std::to_string(flags) +
                                                ") is not offered; 800 x 600 x 16 is");
    d.mode_set = true;
}

void DirectDraw7::RestoreDisplayMode() {
    platform::call_log::Add("restore display mode");
    GiveBack(*impl_->display, 0);
}

std::shared_ptr<DirectDrawSurface7> DirectDraw7::CreateSurface(DDSURFACEDESC2& desc) {
    const int32_t caps = desc.ddsCaps.lCaps;
    if (!(desc.lFlags & DDSD_CAPS))
        throw DDrawError(DDERR_INVALIDPARAMS, "CreateSurface: the description gives no capabilities");
    if (caps & DDSCAPS_PRIMARYSURFACE) {
        const bool flips = (caps & DDSCAPS_FLIP) != 0;
        const int32_t backs = (desc.lFlags & DDSD_BACKBUFFERCOUNT) ? desc.lBackBufferCount : 0;
        if (flips && (!(caps & DDSCAPS_COMPLEX) || backs != 1))
            throw DDrawError(DDERR_INVALIDPARAMS,
                             "CreateSurface: a flipping primary surface needs caps COMPLEX and exactly "
                             "one back buffer, not " +
                                 std::to_string(backs));
        if (!flips && backs != 0)
            throw DDrawError(DDERR_INVALIDPARAMS, "CreateSurface: back buffers need caps FLIP");
        auto primary = NewPrimary(impl_->display);
        if (flips) primary->impl().back = NewSurface(kScreenW, kScreenH, impl_->display);
        return primary;
    }
    if (!(desc.lFlags & DDSD_WIDTH) || !(desc.lFlags & DDSD_HEIGHT) || desc.lWidth <= 0 ||
        desc.lHeight <= 0 || desc.lWidth > kMaxSide || desc.lHeight > kMaxSide ||
        int64_t{desc.lWidth} * desc.lHeight > kMaxPixels)
        throw DDrawError(DDERR_INVALIDPARAMS, "CreateSurface: cannot make an off-screen surface of " +
                                                  std::to_string(desc.lWidth) + " x " +
                                                  std::to_string(desc.lHeight) + " pixels");
    return NewSurface(desc.lWidth, desc.lHeight, impl_->display);
}

int32_t DirectDraw7::TestCooperativeLevel() {
    costs::NoteFrameCall();
    Display& d = *impl_->display;
    if (!d.exclusive || !d.hwnd || !toolkit::Of(d.hwnd)) return DD_OK;
    d.Sync();
    const uint64_t count = toolkit::LossCount(d.hwnd);
    const bool away = !toolkit::HasFocus(d.hwnd) || toolkit::IsMinimised(d.hwnd);
    // A loss that came and went between two tests is reported once, so the
    // caller restores and reloads the surfaces it took.
    if (away || count != d.reported_loss_count) {
        d.reported_loss_count = count;
        return DDERR_NOEXCLUSIVEMODE;
    }
    return DD_OK;
}

void DirectDraw7::RestoreAllSurfaces() {
    Display& d = *impl_->display;
    d.Sync();
    d.all_restored_epoch = d.loss_epoch;
}

std::shared_ptr<DirectDraw7> DirectX7::DirectDrawCreate(const std::string& guid) {
    if (!guid.empty())
        throw DDrawError(DDERR_INVALIDPARAMS,
                         "DirectDrawCreate: only the default display (an empty driver string) exists, not \"" +
                             guid + "\"");
    return std::make_shared<DirectDraw7>();
}

// --- Flip ------------------------------------------------------------------------

void DirectDrawSurface7::Flip(DirectDrawSurface7* target, int32_t flags) {
    if (platform::call_log::On()) platform::call_log::Add("flip");
    Impl& p = *impl_;
    if (!p.primary || !p.back)
        throw DDrawError(DDERR_INVALIDPARAMS, "Flip: only a primary surface with a back buffer flips");
    if (target && target != p.back.get())
        throw DDrawError(DDERR_INVALIDPARAMS, "Flip: the target is not this surface's back buffer");
    if (flags & ~DDFLIP_WAIT)
        throw DDrawError(DDERR_INVALIDPARAMS, "Flip: unsupported flags " + std::to_string(flags));
    Display& d = *p.display;
    d.Sync();
    const bool lost = p.Lost() || p.back->impl_->Lost();
    costs::FlipMeter meter;
    if (lost) {
        WaitTick();  // a failed flip still takes its frame
        throw DDrawError(DDERR_SURFACELOST, "Flip: the display's surfaces are lost");
    }
    ShownFrameStore& shown = Shown();
    if (costs::g_copy_log)
        costs::g_copy_log->push_back(
            CopyRecord{p.back->impl_->pixels, shown.pixels.data(), kScreenW, kScreenW, kScreenW, kScreenH});
    std::memcpy(shown.pixels.data(), p.back->impl_->pixels, shown.pixels.size() * sizeof(uint16_t));
    shown.valid = true;
    const PendingPresent pending = PreparePresent(d);
    meter.Pause();  // the wait for the tick is no part of the flip's cost
    WaitTick();
    meter.Resume();
    SendPresent(pending);
    RecordPresent();
    platform::measure::Note(platform::measure::Mark::FirstFrameShown);
    meter.Shown(g_last_present_us);
}

// --- Pacing and looking inside ---------------------------------------------------------

void SetFramePacing(bool on) {
    if (on && !g_pacing) Pacer().Restart();
    g_pacing = on;
}

bool FramePacing() { return g_pacing; }

void WaitForNextFrame() {
    costs::FrameCutShort();
    WaitTick();
}

std::vector<uint16_t> ShownFrame() {
    if (!Shown().valid) return {};
    return Shown().pixels;
}

bool SaveShownFramePng(const std::string& linux_path) {
    if (!Shown().valid) return false;
    std::vector<uint8_t> rgb(static_cast<size_t>(kScreenW) * kScreenH * 3);
    const std::vector<uint16_t>& px = Shown().pixels;
    for (size_t i = 0; i < px.size(); ++i) {
        const uint32_t p = px[i];
        const uint32_t r5 = p >> 11, g6 = (p >> 5) & 63, b5 = p & 31;
        rgb[i * 3] = static_cast<uint8_t>((r5 << 3) | (r5 >> 2));
        rgb[i * 3 + 1] = static_cast<uint8_t>((g6 << 2) | (g6 >> 4));
        rgb[i * 3 + 2] = static_cast<uint8_t>((b5 << 3) | (b5 >> 2));
    }
    return platform::png::WriteRgb(linux_path, kScreenW, kScreenH, rgb.data(), kScreenW * 3);
}

const std::vector<uint64_t>& FlipTimesUs() { return g_flip_intervals; }

}  // namespace ddraw
