// Rectangle copy benchmarks: BltFast against SDL_BlitSurface and against a
// plain memcpy of the same bytes, on the same surfaces, interleaved in the
// same run, on made-up sheets and on the shipped ones. The counters give
// the three times per copy and BltFast's ratio to the other two.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>

#include "bench_support.h"
#include "display/surfaces.h"
#include "platform/ddraw.h"
#include "platform/ddraw_impl.h"

namespace {

using namespace ddraw;
using Clock = std::chrono::steady_clock;

std::shared_ptr<DirectDrawSurface7> Make(DirectDraw7& dd, int w, int h) {
    DDSURFACEDESC2 d;
    d.lFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.ddsCaps.lCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d.lWidth = w;
    d.lHeight = h;
    return dd.CreateSurface(d);
}

double Ns(Clock::time_point a, Clock::time_point b) {
    return static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(b - a).count());
}

// Times the three copies on every iteration, taking turns at going first
// so that none always finds the caches as another left them. The
// benchmark's own time is the three together; the counters split it.
template <typename Ours, typename Sdl, typename Memcpy>
void Compare(benchmark::State& state, Ours ours, Sdl sdl, Memcpy mem) {
    double t[3] = {0, 0, 0};
    int64_t n = 0;
    auto run = [&](int which) {
        const auto a = Clock::now();
        if (which == 0)
            ours();
        else if (which == 1)
            sdl();
        else
            mem();
        t[which] += Ns(a, Clock::now());
    };
    for (auto _ : state) {
        const int first = static_cast<int>(n % 3);
        for (int k = 0; k < 3; ++k) run((first + k) % 3);
        ++n;
    }
    if (n == 0) return;
    state.counters["bltfast_ns"] = t[0] / n;
    state.counters["sdl_ns"] = t[1] / n;
    state.counters["memcpy_ns"] = t[2] / n;
    state.counters["vs_sdl"] = t[0] / t[1];     // below 1: faster than SDL
    state.counters["vs_memcpy"] = t[0] / t[2];  // 1: as fast as the copy floor
}

void BM_OpaqueFullScreen(benchmark::State& state) {
    DirectDraw7 dd;
    auto src = Make(dd, 800, 600);
    auto dst = Make(dd, 800, 600);
    for (int i = 0; i < 800 * 600; ++i) src->MutablePixels()[i] = static_cast<uint16_t>(i * 40503u);
    SDL_Surface* s = src->impl().sdl;
    SDL_Surface* d = dst->impl().sdl;
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    RECT r{0, 0, 800, 600};
    Compare(
        state,
        [&] { benchmark::DoNotOptimize(dst->BltFast(0, 0, src.get(), &r, DDBLTFAST_WAIT)); },
        [&] {
            SDL_Rect sr{0, 0, 800, 600}, dr{0, 0, 800, 600};
            SDL_BlitSurface(s, &sr, d, &dr);
        },
        [&] {
            std::memcpy(dst->MutablePixels(), src->Pixels(), 800 * 600 * 2);
            benchmark::ClobberMemory();
        });
}
BENCHMARK(BM_OpaqueFullScreen);

// A 96 x 96 hero cell from a five-cell sheet with a white key, about half
// of it transparent, copied onto an 800 x 600 back buffer.
void BM_KeyedSprite96(benchmark::State& state) {
    DirectDraw7 dd;
    auto sheet = Make(dd, 480, 96);
    auto back = Make(dd, 800, 600);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 480; ++x) {
            const int cx = x % 96 - 48, cy = y - 48;
            sheet->MutablePixels()[y * 480 + x] =
                cx * cx + cy * cy < 40 * 40 ? static_cast<uint16_t>(0x1234 + x * 7 + y) : 0xFFFF;
        }
    sheet->SetColorKey(DDCKEY_SRCBLT, {0xFFFFFF, 0xFFFFFF});
    SDL_Surface* s = sheet->impl().sdl;
    SDL_Surface* d = back->impl().sdl;
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    SDL_SetColorKey(s, SDL_TRUE, 0xFFFF);
    RECT r{192, 0, 288, 96};
    Compare(
        state,
        [&] {
            benchmark::DoNotOptimize(
                back->BltFast(301, 203, sheet.get(), &r, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY));
        },
        [&] {
            SDL_Rect sr{192, 0, 96, 96}, dr{301, 203, 96, 96};
            SDL_BlitSurface(s, &sr, d, &dr);
        },
        [&] {
            for (int y = 0; y < 96; ++y)
                std::memcpy(back->MutablePixels() + (203 + y) * 800 + 301, sheet->Pixels() + y * 480 + 192, 192);
            benchmark::ClobberMemory();
        });
}
BENCHMARK(BM_KeyedSprite96);

// The whole course strip as the play field copies it every frame: an
// 800 x 600 window of a 15000-wide keyed sheet.
void BM_KeyedCourseWindow(benchmark::State& state) {
    DirectDraw7 dd;
    auto course = Make(dd, 15000, 600);
    auto back = Make(dd, 800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 15000; ++x)
            course->MutablePixels()[y * 15000 + x] = (y > 300 && (x / 200) % 2) ? static_cast<uint16_t>(0x4208 + (x & 15)) : 0xFFFF;
    course->SetColorKey(DDCKEY_SRCBLT, {0xFFFFFF, 0xFFFFFF});
    SDL_Surface* s = course->impl().sdl;
    SDL_Surface* d = back->impl().sdl;
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    SDL_SetColorKey(s, SDL_TRUE, 0xFFFF);
    RECT r{4321, 0, 5121, 600};
    Compare(
        state,
        [&] {
            benchmark::DoNotOptimize(back->BltFast(0, 0, course.get(), &r, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY));
        },
        [&] {
            SDL_Rect sr{4321, 0, 800, 600}, dr{0, 0, 800, 600};
            SDL_BlitSurface(s, &sr, d, &dr);
        },
        [&] {
            for (int y = 0; y < 600; ++y)
                std::memcpy(back->MutablePixels() + y * 800, course->Pixels() + y * 15000 + 4321, 1600);
            benchmark::ClobberMemory();
        });
}
BENCHMARK(BM_KeyedCourseWindow);

}  // namespace

namespace {

// The shipped sheets as the play field copies them, keyed, onto the back
// buffer: BltFast against SDL_BlitSurface on the very same surfaces (SDL
// given the same key), interleaved. A copy no slower than SDL's has
// vs_sdl <= 1.
struct SheetCopy {
    const char* name;
    ddraw::DirectDrawSurface7* (*sheet)();
    ddraw::RECT from;
    int x, y;
};

void BM_KeyedShippedSheet(benchmark::State& state, SheetCopy copy) {
    bench::PrepareDisplayHeadless();
    ddraw::DirectDrawSurface7* sheet = copy.sheet();
    ddraw::DirectDrawSurface7* back = D.BackBuffer;
    SDL_Surface* s = sheet->impl().sdl;
    SDL_Surface* d = back->impl().sdl;
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    SDL_SetColorKey(s, SDL_TRUE, sheet->impl().key_lo);
    const int w = copy.from.Right - copy.from.Left, h = copy.from.Bottom - copy.from.Top;
    Compare(
        state,
        [&] {
            benchmark::DoNotOptimize(
                back->BltFast(copy.x, copy.y, sheet, &copy.from, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY));
        },
        [&] {
            SDL_Rect sr{copy.from.Left, copy.from.Top, w, h}, dr{copy.x, copy.y, w, h};
            SDL_BlitSurface(s, &sr, d, &dr);
        },
        [&] {
            for (int y = 0; y < h; ++y)
                std::memcpy(back->MutablePixels() + (copy.y + y) * 800 + copy.x,
                            sheet->Pixels() + (copy.from.Top + y) * sheet->Width() + copy.from.Left,
                            static_cast<size_t>(w) * 2);
            benchmark::ClobberMemory();
        });
    SDL_SetColorKey(s, SDL_FALSE, 0);
}

BENCHMARK_CAPTURE(BM_KeyedShippedSheet, course, SheetCopy{"course", [] { return D.CourseSurface.get(); },
                                                         {4321, 0, 5121, 600}, 0, 0});
BENCHMARK_CAPTURE(BM_KeyedShippedSheet, panel, SheetCopy{"panel", [] { return D.PanelSurface.get(); },
                                                        {0, 0, 800, 100}, 0, 500});
BENCHMARK_CAPTURE(BM_KeyedShippedSheet, ready, SheetCopy{"ready", [] { return D.ReadyGoSurface.get(); },
                                                        {0, 0, 540, 133}, 100, 100});
BENCHMARK_CAPTURE(BM_KeyedShippedSheet, hero, SheetCopy{"hero", [] { return D.PlayerSurface.get(); },
                                                       {96, 0, 192, 96}, 100, 304});
BENCHMARK_CAPTURE(BM_KeyedShippedSheet, blast, SheetCopy{"blast", [] { return D.BlastSurface.get(); },
                                                        {288, 96, 384, 192}, 60, 280});
BENCHMARK_CAPTURE(BM_KeyedShippedSheet, item, SheetCopy{"item", [] { return D.ItemSurface.get(); },
                                                       {32, 0, 64, 32}, 420, 250});
BENCHMARK_CAPTURE(BM_KeyedShippedSheet, pad, SheetCopy{"pad", [] { return D.PadSurface.get(); },
                                                      {16, 0, 32, 16}, 300, 380});
BENCHMARK_CAPTURE(BM_KeyedShippedSheet, digit, SheetCopy{"digit", [] { return D.DigitSurface.get(); },
                                                        {0, 72, 12, 96}, 180, 575});

}  // namespace
