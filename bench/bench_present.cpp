// Presentation benchmarks: one 800 x 600 frame shown in a full-screen-sized
// window, through the window's framebuffer (our own nearest scaler) and
// through an SDL renderer with a streaming 565 texture. They need a real
// video driver (X11, e.g. under Xvfb); under the dummy driver they skip.
#include <benchmark/benchmark.h>

#include <cstring>

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

void BM_PresentFramebuffer(benchmark::State& state) {
    SDL_Window* window = DesktopWindow(0);
    if (!window) {
        state.SkipWithError("no video display to present on");
        return;
    }
    for (auto _ : state) ddraw::present::ToWindowSurface(window);
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    state.counters["window_w"] = w;
    state.counters["window_h"] = h;
    SDL_DestroyWindow(window);
}
BENCHMARK(BM_PresentFramebuffer)->Unit(benchmark::kMicrosecond);

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
        for (auto _ : state) ddraw::present::WithRenderer(display, renderer);
        SDL_DestroyTexture(display.texture);
        display.texture = nullptr;
    }
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
}
BENCHMARK(BM_PresentRenderer)->Unit(benchmark::kMicrosecond);

}  // namespace
