// Forms runtime — the pixel surfaces under windows, picture boxes and
// pictures: making them, filling, copying and stretching, and the surface
// behind a device context.
#include <algorithm>
#include <string>

#include "platform/forms_internal.h"

namespace forms {

namespace {
constexpr int kMaxSide = 16384;  // more than any desktop; keeps a bad size from eating memory

// Nearest pixel over the rectangle r of dst, drawn only within area.
void StretchNearest(SDL_Surface* dst, const SDL_Rect& r, const SDL_Rect& area, SDL_Surface* s) {
    for (int y = area.y; y < area.y + area.h; ++y) {
        const int sy = static_cast<int>(static_cast<int64_t>(y - r.y) * s->h / r.h);
        const Uint8* srow = static_cast<const Uint8*>(s->pixels) + sy * s->pitch;
        Uint32* drow = reinterpret_cast<Uint32*>(static_cast<Uint8*>(dst->pixels) + y * dst->pitch);
        for (int x = area.x; x < area.x + area.w; ++x) {
            const int sx = static_cast<int>(static_cast<int64_t>(x - r.x) * s->w / r.w);
            drow[x] = reinterpret_cast<const Uint32*>(srow)[sx];
        }
    }
}

// A whole multiple k of the picture (the windows' scale): each source
// pixel becomes a k x k block; a row is made once and copied k times.
void EnlargeWhole(SDL_Surface* dst, const SDL_Rect& r, const SDL_Rect& area, SDL_Surface* s) {
    const int k = r.w / s->w;
    int made_from = -1;
    for (int y = area.y; y < area.y + area.h; ++y) {
        Uint32* drow = reinterpret_cast<Uint32*>(static_cast<Uint8*>(dst->pixels) + y * dst->pitch);
        const int sy = (y - r.y) / k;
        if (sy == made_from && y > area.y) {
            const Uint32* above = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(dst->pixels) +
                                                                  (y - 1) * dst->pitch);
            std::copy_n(above + area.x, area.w, drow + area.x);
            continue;
        }
        made_from = sy;
        const Uint32* srow = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(s->pixels) + sy * s->pitch);
        for (int x = area.x; x < area.x + area.w; ++x) drow[x] = srow[(x - r.x) / k];
    }
}

}  // namespace


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
    if (r.w % s->w == 0 && r.h % s->h == 0 && r.w / s->w == r.h / s->h) {
        EnlargeWhole(dst, r, area, s);
    } else {
        StretchNearest(dst, r, area, s);
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
