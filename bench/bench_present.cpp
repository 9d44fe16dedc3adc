// Presentation benchmarks: one 800 x 600 frame shown in a full-screen-sized
// window, through the window's framebuffer (our own nearest scaler; the
// whole window, or only the frame's rectangle as every frame after the
// first does) and through an SDL renderer with a streaming 565 texture,
// and the scaler alone. They need a real video driver (X11, e.g. under
// Xvfb); under the dummy driver they skip. bench/run.sh runs them on a
// 24-bit and on a 16-bit desktop.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/ddraw_impl.h"

namespace {

// A window of the desktop's size, or nullptr when nothing can be shown.
SDL_Window* DesktopWindow(Uint32 extra_flags) {
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);  // as the display does
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0) return nullptr;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return nullptr;
    return SDL_CreateWindow("present", 0, 0, mode.w, mode.h, SDL_WINDOW_BORDERLESS | extra_flags);
}

// A frame with some variety (the scaler's cost does not depend on it).
const uint16_t* Frame() {
    static std::vector<uint16_t> frame = [] {
        std::vector<uint16_t> f(800 * 600);
        for (size_t i = 0; i < f.size(); ++i) f[i] = static_cast<uint16_t>(i * 40503u >> 3);
        return f;
    }();
    return frame.data();
}

void Describe(benchmark::State& state, SDL_Window* window) {
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    const SDL_Rect r = ddraw::present::FitRect(w, h);
    state.counters["window_w"] = w;
    state.counters["window_h"] = h;
    state.counters["frame_w"] = r.w;
    state.counters["frame_h"] = r.h;
    if (SDL_Surface* ws = SDL_GetWindowSurface(window))
        state.counters["bits_per_pixel"] = ws->format->BitsPerPixel;
}

void PresentFramebuffer(benchmark::State& state, bool whole_window) {
    SDL_Window* window = DesktopWindow(0);
    if (!window) {
        state.SkipWithError("no video display to present on");
        return;
    }
    ddraw::present::ToWindowSurface(window, Frame(), true);
    for (auto _ : state) ddraw::present::ToWindowSurface(window, Frame(), whole_window);
    Describe(state, window);
    SDL_DestroyWindow(window);
}

void BM_PresentFramebufferWhole(benchmark::State& state) { PresentFramebuffer(state, true); }
BENCHMARK(BM_PresentFramebufferWhole)->Unit(benchmark::kMicrosecond);

void BM_PresentFramebufferFrameOnly(benchmark::State& state) { PresentFramebuffer(state, false); }
BENCHMARK(BM_PresentFramebufferFrameOnly)->Unit(benchmark::kMicrosecond);

// The scaler into the window surface without sending it to the screen:
// the part of a present that runs on our own thread.
void BM_ScaleIntoWindowSurface(benchmark::State& state) {
    SDL_Window* window = DesktopWindow(0);
    if (!window) {
        state.SkipWithError("no video display to present on");
        return;
    }
    SDL_Surface* ws = SDL_GetWindowSurface(window);
    if (!ws) {
        SDL_DestroyWindow(window);
        state.SkipWithError("the window has no framebuffer");
        return;
    }
    const SDL_Rect r = ddraw::present::FitRect(ws->w, ws->h);
    for (auto _ : state) {
        ddraw::present::ScaleInto(ws, r, Frame());
        benchmark::ClobberMemory();
    }
    Describe(state, window);
    SDL_DestroyWindow(window);
}
BENCHMARK(BM_ScaleIntoWindowSurface)->Unit(benchmark::kMicrosecond);

// SDL's default renderer for the window (OpenGL under X11; on a machine
// without a GPU, a software rasteriser behind it).
void BM_PresentRenderer(benchmark::State& state) {
    SDL_Window* window = DesktopWindow(0);
    if (!window) {
        state.SkipWithError("no video display to present on");
        return;
    }
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
    if (!renderer) {
        SDL_DestroyWindow(window);
        state.SkipWithError("no renderer");
        return;
    }
    SDL_RendererInfo info;
    SDL_GetRendererInfo(renderer, &info);
    state.SetLabel(info.name);
    {
        ddraw::Display display;
        for (auto _ : state) ddraw::present::WithRenderer(display, renderer, Frame());
        SDL_DestroyTexture(display.texture);
        display.texture = nullptr;
    }
    SDL_DestroyRenderer(renderer);
    Describe(state, window);
    SDL_DestroyWindow(window);
}
BENCHMARK(BM_PresentRenderer)->Unit(benchmark::kMicrosecond);

}  // namespace
