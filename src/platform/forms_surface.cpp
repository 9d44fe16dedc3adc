// Forms runtime — the pixel surfaces under windows, picture boxes and
// pictures: making them, filling, copying and stretching, and the surface
// behind a device context.
#include <algorithm>
#include <string>

#include "platform/forms_internal.h"

namespace forms {

namespace {
constexpr int kMaxSide = 16384;  // more than any desktop; keeps a bad size from eating memory
}

SDL_Surface* NewSurface(int w, int h) {
    w = std::clamp(w, 1, kMaxSide);
    h = std::clamp(h, 1, kMaxSide);
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, kSurfaceFormat);
    if (!s)
        throw Error("a " + std::to_string(w) + " x " + std::to_string(h) + " pixel image cannot be made (" +
                    SDL_GetError() + ")");
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    return s;
}

Uint32 PixelOf(Color color) {
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

void Fill(SDL_Surface* s, const SDL_Rect* r, Color color) {
    if (!s) return;
    SDL_FillRect(s, r, SDL_MapRGB(s->format, color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
}

void CopyInto(SDL_Surface* dst, int x, int y, SDL_Surface* src) {
    if (!dst || !src) return;
    SDL_Rect to{x, y, src->w, src->h};
    SDL_BlitSurface(src, nullptr, dst, &to);
}

void StretchInto(SDL_Surface* dst, const SDL_Rect& r, SDL_Surface* src) {
    if (!dst || !src || r.w <= 0 || r.h <= 0) return;
    if (r.w == src->w && r.h == src->h) {
        CopyInto(dst, r.x, r.y, src);
        return;
    }
    // Nearest pixel, by hand: SDL's scaled blit refuses rectangles that
    // reach outside the target, and these are clipped to a frame or a
    // client area.
    SDL_Rect clip;
    SDL_GetClipRect(dst, &clip);
    SDL_Rect area;
    if (!SDL_IntersectRect(&clip, &r, &area)) return;
    SDL_Surface* s = src;
    if (src->format->format != dst->format->format) s = SDL_ConvertSurface(src, dst->format, 0);
    if (!s) return;
    for (int y = area.y; y < area.y + area.h; ++y) {
        const int sy = static_cast<int>(static_cast<int64_t>(y - r.y) * s->h / r.h);
        const Uint8* srow = static_cast<const Uint8*>(s->pixels) + sy * s->pitch;
        Uint32* drow = reinterpret_cast<Uint32*>(static_cast<Uint8*>(dst->pixels) + y * dst->pitch);
        for (int x = area.x; x < area.x + area.w; ++x) {
            const int sx = static_cast<int>(static_cast<int64_t>(x - r.x) * s->w / r.w);
            drow[x] = reinterpret_cast<const Uint32*>(srow)[sx];
        }
    }
    if (s != src) SDL_FreeSurface(s);
}

SDL_Surface* SurfaceOf(HDC dc) {
    if (!dc) return nullptr;
    if (dc->box) return dc->box->Sync();
    if (dc->form && dc->form->IsLoaded()) return Canvas(*dc->form);
    return nullptr;
}

}  // namespace forms
