// DirectDraw 7 — presentation: the shown 800 x 600 frame into the Game
// window, scaled to fit with its aspect kept, black bars, nearest pixels.
//
// Two paths, chosen by measurement:
// - The window's plain framebuffer (X11 shared-memory images) with our own
//   scaler: about 0.3 ms a frame on a 1920 x 1080 desktop without a GPU.
//   Only the frame's rectangle is scaled and sent each frame; the bars are
//   painted when the window was exposed, resized or newly taken.
// - An SDL renderer (a streaming 565 texture, scaled by the GPU): worth it
//   only on real graphics hardware. Without a GPU, SDL's OpenGL renderer
//   runs on a software rasteriser and costs several milliseconds a frame,
//   so it is taken only when SDL reports an accelerated renderer that is
//   not a software one, on a machine with a 3D-capable graphics driver, or
//   when the user names a renderer through SDL's own SDL_RENDER_DRIVER.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <unistd.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "platform/ddraw_impl.h"

namespace ddraw::present {
namespace {

// Black bars: the parts of the window outside the frame.
void FillBars(SDL_Surface* ws, const SDL_Rect& r) {
    const Uint32 black = SDL_MapRGB(ws->format, 0, 0, 0);
    const SDL_Rect bars[4] = {{0, 0, ws->w, r.y},
                              {0, r.y + r.h, ws->w, ws->h - r.y - r.h},
                              {0, r.y, r.x, r.h},
                              {r.x + r.w, r.y, ws->w - r.x - r.w, r.h}};
    for (const SDL_Rect& b : bars)
        if (b.w > 0 && b.h > 0) SDL_FillRect(ws, &b, black);
}

bool OwnScalerFits(const SDL_PixelFormat* f) {
    if (f->format == SDL_PIXELFORMAT_RGB565) return true;
    return f->BytesPerPixel == 4 && f->Rloss == 0 && f->Gloss == 0 && f->Bloss == 0;
}

// How one frame row spreads over w window pixels: source column of every
// window column, and for the vector path, per 8 window columns, the first
// source column and the 8 offsets from it (all below 8 when the frame is
// not made smaller, so one 8-pixel load serves the 8 columns).
struct ColumnPlan {
    int w = -1;
    std::vector<int> xs;
    std::vector<int> block_base;
    std::vector<int32_t> block_lanes;  // 8 per block
    bool blocks_fit = false;
};

const ColumnPlan& PlanFor(int w) {
    static ColumnPlan plan;
    if (plan.w == w) return plan;
    plan.w = w;
    plan.xs.resize(static_cast<size_t>(w));
    for (int x = 0; x < w; ++x) plan.xs[static_cast<size_t>(x)] = static_cast<int>(int64_t{x} * kScreenW / w);
    const int blocks = w / 8;
    plan.block_base.resize(static_cast<size_t>(blocks));
    plan.block_lanes.resize(static_cast<size_t>(blocks) * 8);
    plan.blocks_fit = true;
    for (int b = 0; b < blocks; ++b) {
        const int base = plan.xs[static_cast<size_t>(b) * 8];
        // The load of 8 pixels must stay inside the padded row.
        plan.block_base[static_cast<size_t>(b)] = std::min(base, kScreenW);
        for (int i = 0; i < 8; ++i) {
            const int lane = plan.xs[static_cast<size_t>(b) * 8 + static_cast<size_t>(i)] - base;
            if (lane < 0 || lane > 7) plan.blocks_fit = false;
            plan.block_lanes[static_cast<size_t>(b) * 8 + static_cast<size_t>(i)] = lane;
        }
    }
    return plan;
}

// The 565 channels widened to 8 bits (the top bits repeated below), placed
// at the window format's shifts.
struct Channels {
    int rs, gs, bs;
    uint32_t alpha;
};

inline uint32_t Widen(uint32_t p, const Channels& c) {
    const uint32_t r5 = p >> 11, g6 = (p >> 5) & 63, b5 = p & 31;
    return (((r5 << 3) | (r5 >> 2)) << c.rs) | (((g6 << 2) | (g6 >> 4)) << c.gs) |
           (((b5 << 3) | (b5 >> 2)) << c.bs) | c.alpha;
}

// One frame row into the window's pixel format, 8 spare pixels at the end.
void WidenRow(const uint16_t* s, uint32_t* row, const Channels& c) {
    for (int x = 0; x < kScreenW; ++x) row[x] = Widen(s[x], c);
}

// One widened row spread over w window pixels.
void SpreadRow(const uint32_t* row, uint32_t* d, const ColumnPlan& plan) {
    const int w = plan.w;
    if (w == kScreenW) {
        std::memcpy(d, row, static_cast<size_t>(w) * 4);
        return;
    }
    for (int x = 0; x < w; ++x) d[x] = row[plan.xs[static_cast<size_t>(x)]];
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void WidenRowAvx2(const uint16_t* s, uint32_t* row, const Channels& c) {
    const __m128i rs = _mm_cvtsi32_si128(c.rs), gs = _mm_cvtsi32_si128(c.gs), bs = _mm_cvtsi32_si128(c.bs);
    const __m256i m63 = _mm256_set1_epi32(63), m31 = _mm256_set1_epi32(31);
    const __m256i alpha = _mm256_set1_epi32(static_cast<int>(c.alpha));
    for (int x = 0; x < kScreenW; x += 8) {
        const __m256i p = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x)));
        const __m256i r5 = _mm256_srli_epi32(p, 11);
        const __m256i g6 = _mm256_and_si256(_mm256_srli_epi32(p, 5), m63);
        const __m256i b5 = _mm256_and_si256(p, m31);
        const __m256i r8 = _mm256_or_si256(_mm256_slli_epi32(r5, 3), _mm256_srli_epi32(r5, 2));
        const __m256i g8 = _mm256_or_si256(_mm256_slli_epi32(g6, 2), _mm256_srli_epi32(g6, 4));
        const __m256i b8 = _mm256_or_si256(_mm256_slli_epi32(b5, 3), _mm256_srli_epi32(b5, 2));
        const __m256i v = _mm256_or_si256(
            _mm256_or_si256(_mm256_sll_epi32(r8, rs), _mm256_sll_epi32(g8, gs)),
            _mm256_or_si256(_mm256_sll_epi32(b8, bs), alpha));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + x), v);
    }
}

__attribute__((target("avx2"))) void SpreadRowAvx2(const uint32_t* row, uint32_t* d, const ColumnPlan& plan) {
    const int blocks = plan.w / 8;
    for (int b = 0; b < blocks; ++b) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + plan.block_base[static_cast<size_t>(b)]));
        const __m256i lanes =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(plan.block_lanes.data() + static_cast<size_t>(b) * 8));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + b * 8), _mm256_permutevar8x32_epi32(v, lanes));
    }
    for (int x = blocks * 8; x < plan.w; ++x) d[x] = row[plan.xs[static_cast<size_t>(x)]];
}

bool HaveAvx2() {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}
#endif

// Nearest-neighbour scaling of the 565 frame into a 565 window surface.
void ScaleInto565(SDL_Surface* ws, const SDL_Rect& r, const uint16_t* src) {
    const ColumnPlan& plan = PlanFor(r.w);
    auto* base = static_cast<uint8_t*>(ws->pixels);
    int prev = -1;
    for (int y = 0; y < r.h; ++y) {
        auto* d = reinterpret_cast<uint16_t*>(base + static_cast<ptrdiff_t>(r.y + y) * ws->pitch) + r.x;
        const int sy = static_cast<int>(int64_t{y} * kScreenH / r.h);
        if (sy == prev) {
            std::memcpy(d, reinterpret_cast<uint8_t*>(d) - ws->pitch, static_cast<size_t>(r.w) * 2);
            continue;
        }
        prev = sy;
        const uint16_t* s = src + sy * kScreenW;
        for (int x = 0; x < r.w; ++x) d[x] = s[plan.xs[static_cast<size_t>(x)]];
    }
}

}  // namespace

SDL_Rect FitRect(int w, int h) {
    const double fit = std::min(static_cast<double>(w) / kScreenW, static_cast<double>(h) / kScreenH);
    double scale = fit;
    const double whole = std::floor(fit);
    if (whole >= 1 && whole >= 0.8 * fit) scale = whole;
    int dw = std::max(1, static_cast<int>(std::lround(kScreenW * scale)));
    int dh = std::max(1, static_cast<int>(std::lround(kScreenH * scale)));
    dw = std::min(dw, w);
    dh = std::min(dh, h);
    return SDL_Rect{(w - dw) / 2, (h - dh) / 2, dw, dh};
}

void ScaleInto(SDL_Surface* ws, const SDL_Rect& r, const uint16_t* src) {
    if (ws->format->BytesPerPixel == 2) {
        ScaleInto565(ws, r, src);
        return;
    }
    const SDL_PixelFormat* f = ws->format;
    const Channels c{f->Rshift, f->Gshift, f->Bshift, f->Amask};
    const ColumnPlan& plan = PlanFor(r.w);
    alignas(32) static uint32_t row[kScreenW + 8];
#if defined(__x86_64__)
    const bool avx2 = HaveAvx2();
    const bool spread_avx2 = avx2 && plan.blocks_fit;
#endif
    auto* base = static_cast<uint8_t*>(ws->pixels);
    const auto row_at = [&](int y) {
        return reinterpret_cast<uint32_t*>(base + static_cast<ptrdiff_t>(r.y + y) * ws->pitch) + r.x;
    };
    int prev = -1;
    for (int y = 0; y < r.h; ++y) {
        uint32_t* d = row_at(y);
        const int sy = static_cast<int>(int64_t{y} * kScreenH / r.h);
        if (sy == prev) {
            // A repeated row: the window row above, still in the cache.
            std::memcpy(d, row_at(y - 1), static_cast<size_t>(r.w) * 4);
            continue;
        }
        prev = sy;
        const uint16_t* s = src + sy * kScreenW;
#if defined(__x86_64__)
        if (avx2) {
            WidenRowAvx2(s, row, c);
            if (spread_avx2)
                SpreadRowAvx2(row, d, plan);
            else
                SpreadRow(row, d, plan);
            continue;
        }
#endif
        WidenRow(s, row, c);
        SpreadRow(row, d, plan);
    }
}

bool PrepareWindowSurface(SDL_Window* win, const uint16_t* frame, bool whole_window, SDL_Rect* frame_rect) {
    SDL_Surface* ws = SDL_GetWindowSurface(win);
    if (!ws) return false;  // nothing to draw on: the frame stays in memory
    const SDL_Rect r = FitRect(ws->w, ws->h);
    *frame_rect = r;
    if (whole_window) FillBars(ws, r);
    if (OwnScalerFits(ws->format)) {
        if (SDL_MUSTLOCK(ws) && SDL_LockSurface(ws) != 0) return false;
        ScaleInto(ws, r, frame);
        if (SDL_MUSTLOCK(ws)) SDL_UnlockSurface(ws);
    } else {
        SDL_Surface* view = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint16_t*>(frame), kScreenW, kScreenH, 16,
                                                               kScreenW * 2, SDL_PIXELFORMAT_RGB565);
        if (!view) return false;
        SDL_Rect dst = r;
        SDL_BlitScaled(view, nullptr, ws, &dst);
        SDL_FreeSurface(view);
    }
    return true;
}

void SendWindowSurface(SDL_Window* win, bool whole_window, const SDL_Rect& frame_rect) {
    if (whole_window)
        SDL_UpdateWindowSurface(win);
    else
        SDL_UpdateWindowSurfaceRects(win, &frame_rect, 1);
}

void ToWindowSurface(SDL_Window* win, const uint16_t* frame, bool whole_window) {
    SDL_Rect r;
    if (PrepareWindowSurface(win, frame, whole_window, &r)) SendWindowSurface(win, whole_window, r);
}

bool PrepareRenderer(Display& d, SDL_Renderer* renderer, const uint16_t* frame) {
    if (d.renderer != renderer || !d.texture) {
        if (d.texture && d.renderer == renderer) SDL_DestroyTexture(d.texture);
        d.texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                      kScreenW, kScreenH);
        d.renderer = renderer;
        if (!d.texture) return false;
        SDL_SetTextureScaleMode(d.texture, SDL_ScaleModeNearest);
    }
    SDL_UpdateTexture(d.texture, nullptr, frame, kScreenW * 2);
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer, &w, &h);
    const SDL_Rect r = FitRect(w, h);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, d.texture, nullptr, &r);
    return true;
}

void WithRenderer(Display& d, SDL_Renderer* renderer, const uint16_t* frame) {
    if (PrepareRenderer(d, renderer, frame)) SDL_RenderPresent(renderer);
}

bool IsSoftwareRenderer(const std::string& renderer_name, const std::string& gl_renderer) {
    if (renderer_name == "software") return true;
    std::string gl = gl_renderer;
    std::transform(gl.begin(), gl.end(), gl.begin(), [](unsigned char ch) { return std::tolower(ch); });
    for (const char* soft : {"llvmpipe", "softpipe", "swrast", "software", "lavapipe"})
        if (gl.find(soft) != std::string::npos) return true;
    return false;
}

bool HasGraphicsHardware() {
    // A DRM render node whose kernel driver draws in 3D. Display-only and
    // virtual adapters without 3D leave SDL's OpenGL on a software
    // rasteriser.
    static const char* const k3d[] = {"i915",  "xe",     "amdgpu",  "radeon", "nouveau", "nvidia",
                                      "msm",   "panfrost", "lima",  "v3d",    "vc4",     "etnaviv",
                                      "virtio_gpu", "vmwgfx", "panthor", "asahi"};
    DIR* dir = opendir("/sys/class/drm");
    if (!dir) return access("/dev/nvidia0", F_OK) == 0;
    bool found = false;
    while (dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name.rfind("renderD", 0) != 0 && name.rfind("card", 0) != 0) continue;
        char target[512];
        const std::string link = "/sys/class/drm/" + name + "/device/driver";
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        target[n] = '\0';
        const char* slash = std::strrchr(target, '/');
        const std::string driver = slash ? slash + 1 : target;
        for (const char* d : k3d)
            if (driver == d) found = true;
    }
    closedir(dir);
    return found || access("/dev/nvidia0", F_OK) == 0;
}

SDL_Renderer* HardwareRendererFor(SDL_Window* window) {
    const char* asked = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    const bool user_asked = asked && *asked;
    if (!user_asked && !HasGraphicsHardware()) return nullptr;
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, user_asked ? 0 : SDL_RENDERER_ACCELERATED);
    if (!renderer) return nullptr;
    if (user_asked) return renderer;
    SDL_RendererInfo info{};
    std::string gl;
    if (SDL_GetRendererInfo(renderer, &info) == 0 && info.name &&
        std::string(info.name).rfind("opengl", 0) == 0) {
        using GetString = const unsigned char* (*)(unsigned int);
        constexpr unsigned int kGlRenderer = 0x1F01;
        if (auto get = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString")))
            if (const unsigned char* text = get(kGlRenderer)) gl = reinterpret_cast<const char*>(text);
    }
    if (!(info.flags & SDL_RENDERER_ACCELERATED) || IsSoftwareRenderer(info.name ? info.name : "", gl)) {
        SDL_DestroyRenderer(renderer);
        return nullptr;
    }
    return renderer;
}

}  // namespace ddraw::present
