// DirectDraw surfaces: 16-bit RGB565 pixels in memory, loaded from BMP
// files, copied with BltFast (opaque or with a source colour key).
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/bmp_loader.h"
#include "platform/ddraw_impl.h"

namespace ddraw {
namespace {

// Keyed sheets of this many pixels or more are copied run by run; the
// small sprites compare eight pixels at a time instead.
constexpr int64_t kRunsFromPixels = 64 * 1024;
constexpr int kMaxRunWidth = 65535;  // runs hold 16-bit columns

std::string SizeText(int64_t w, int64_t h) { return std::to_string(w) + " x " + std::to_string(h); }

// GCC's vector extensions: eight pixels at a time on any target, SSE2 on
// x86-64, without intrinsics.
typedef uint16_t Pixels8 __attribute__((vector_size(16)));

inline Pixels8 Load8(const uint16_t* p) {
    Pixels8 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void Store8(uint16_t* p, Pixels8 v) { std::memcpy(p, &v, sizeof v); }

inline void KeyedRow(uint16_t* __restrict d, const uint16_t* __restrict s, int w, uint16_t key) {
    const Pixels8 k = {key, key, key, key, key, key, key, key};
    int x = 0;
    for (; x + 8 <= w; x += 8) {
        const Pixels8 sv = Load8(s + x);
        const Pixels8 keep = sv == k;  // all ones where the destination stays
        uint64_t halves[2];
        std::memcpy(halves, &keep, sizeof halves);
        if ((halves[0] & halves[1]) == ~uint64_t{0}) continue;  // eight transparent pixels
        const Pixels8 dv = Load8(d + x);
        Store8(d + x, (dv & keep) | (sv & ~keep));
    }
    for (; x < w; ++x)
        if (s[x] != key) d[x] = s[x];
}

// The first column from x on whose pixel is the key (is_key) or is not;
// w when there is none. Eight pixels that all fail are passed over at
// once: the course's first keyed copy scans all of its 9 million pixels,
// in runs of sky and of building hundreds of pixels long.
inline int NextWhere(const uint16_t* row, int x, int w, uint16_t key, bool is_key) {
    const Pixels8 k = {key, key, key, key, key, key, key, key};
    for (; x + 8 <= w; x += 8) {
        const Pixels8 keyed = Load8(row + x) == k;
        uint64_t halves[2];
        std::memcpy(halves, &keyed, sizeof halves);
        const bool none_wanted = is_key ? (halves[0] | halves[1]) == 0 : (halves[0] & halves[1]) == ~uint64_t{0};
        if (!none_wanted) break;
    }
    for (; x < w; ++x)
        if ((row[x] == key) == is_key) return x;
    return w;
}

inline bool InRange(uint16_t p, uint16_t lo, uint16_t hi) {
    const int r = p >> 11, g = (p >> 5) & 63, b = p & 31;
    return r >= (lo >> 11) && r <= (hi >> 11) && g >= ((lo >> 5) & 63) && g <= ((hi >> 5) & 63) &&
           b >= (lo & 31) && b <= (hi & 31);
}

}  // namespace

namespace blit {

void Opaque(uint16_t* dst, std::ptrdiff_t dst_stride, const uint16_t* src,
            std::ptrdiff_t src_stride, int w, int h) {
    const size_t bytes = static_cast<size_t>(w) * sizeof(uint16_t);
    if (dst_stride == w && src_stride == w) {
        std::memmove(dst, src, bytes * static_cast<size_t>(h));
        return;
    }
    for (int y = 0; y < h; ++y) std::memcpy(dst + y * dst_stride, src + y * src_stride, bytes);
}

void Keyed(uint16_t* dst, std::ptrdiff_t dst_stride, const uint16_t* src, std::ptrdiff_t src_stride,
           int w, int h, uint16_t key) {
    for (int y = 0; y < h; ++y) KeyedRow(dst + y * dst_stride, src + y * src_stride, w, key);
}

void FindOpaqueRuns(const uint16_t* sheet, std::ptrdiff_t sheet_stride, int x0, int x1, int h, uint16_t key,
                    DirectDrawSurface7::Impl::OpaqueRuns::Band* band) {
    band->row_start.assign(1, 0);
    band->runs.clear();
    for (int y = 0; y < h; ++y) {
        const uint16_t* row = sheet + y * sheet_stride;
        int x = x0;
        while ((x = NextWhere(row, x, x1, key, /*is_key=*/false)) < x1) {
            const int first = x;
            x = NextWhere(row, x, x1, key, /*is_key=*/true);
            band->runs.push_back(static_cast<uint16_t>(first));
            band->runs.push_back(static_cast<uint16_t>(x));
        }
        band->row_start.push_back(static_cast<uint32_t>(band->runs.size() / 2));
    }
    band->valid = true;
}

void KeyedRuns(uint16_t* dst, std::ptrdiff_t dst_stride, const uint16_t* sheet, std::ptrdiff_t sheet_stride,
               const DirectDrawSurface7::Impl::OpaqueRuns::Band& band, int left, int top, int w, int h) {
    const int right = left + w;
    for (int y = 0; y < h; ++y) {
        const size_t first = band.row_start[static_cast<size_t>(top + y)];
        const size_t last = band.row_start[static_cast<size_t>(top + y) + 1];
        // The first run that ends past the left edge.
        size_t lo = first, hi = last;
        while (lo < hi) {
            const size_t mid = (lo + hi) / 2;
            if (band.runs[mid * 2 + 1] <= left)
                lo = mid + 1;
            else
                hi = mid;
        }
        const uint16_t* s = sheet + static_cast<std::ptrdiff_t>(top + y) * sheet_stride;
        uint16_t* d = dst + static_cast<std::ptrdiff_t>(y) * dst_stride - left;
        for (size_t i = lo; i < last; ++i) {
            const int a = std::max<int>(band.runs[i * 2], left);
            const int b = std::min<int>(band.runs[i * 2 + 1], right);
            if (a >= right) break;
            std::memcpy(d + a, s + a, static_cast<size_t>(b - a) * sizeof(uint16_t));
        }
    }
}

void KeyRange(uint16_t* dst, std::ptrdiff_t dst_stride, const uint16_t* src,
              std::ptrdiff_t src_stride, int w, int h, uint16_t lo, uint16_t hi) {
    for (int y = 0; y < h; ++y) {
        uint16_t* d = dst + y * dst_stride;
        const uint16_t* s = src + y * src_stride;
        for (int x = 0; x < w; ++x)
            if (!InRange(s[x], lo, hi)) d[x] = s[x];
    }
}

void Scale(const uint16_t* src, int sw, int sh, std::ptrdiff_t src_stride, uint16_t* dst, int dw,
           int dh) {
    std::vector<int> xs(static_cast<size_t>(dw));
    for (int x = 0; x < dw; ++x)
        xs[static_cast<size_t>(x)] = static_cast<int>((static_cast<int64_t>(x) * sw) / dw);
    for (int y = 0; y < dh; ++y) {
        const int sy = static_cast<int>((static_cast<int64_t>(y) * sh) / dh);
        const uint16_t* s = src + sy * src_stride;
        uint16_t* d = dst + static_cast<std::ptrdiff_t>(y) * dw;
        if (y > 0 && sy == static_cast<int>((static_cast<int64_t>(y - 1) * sh) / dh)) {
            std::memcpy(d, d - dw, static_cast<size_t>(dw) * sizeof(uint16_t));
            continue;
        }
        for (int x = 0; x < dw; ++x) d[x] = s[xs[static_cast<size_t>(x)]];
    }
}

}  // namespace blit

uint16_t ColorTo565(int32_t bbggrr) {
    const uint32_t c = static_cast<uint32_t>(bbggrr);
    const uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

// --- Surfaces ----------------------------------------------------------------

DirectDrawSurface7::Impl::~Impl() {
    if (sdl) SDL_FreeSurface(sdl);
}

bool DirectDrawSurface7::Impl::Lost() const {
    return display && std::max(restored_epoch, display->all_restored_epoch) < display->loss_epoch;
}

std::shared_ptr<DirectDrawSurface7> NewSurface(int w, int h, std::shared_ptr<Display> display) {
    auto impl = std::make_unique<DirectDrawSurface7::Impl>();
    impl->w = w;
    impl->h = h;
    // Zeroed by the system, in huge pages when large (the course is 18 MB).
    impl->own = platform::BigBuffer(static_cast<size_t>(w) * static_cast<size_t>(h) * sizeof(uint16_t));
    if (!impl->own.data())
        throw DDrawError(DDERR_GENERIC, "cannot make a " + SizeText(w, h) + " surface: out of memory");
    impl->pixels = static_cast<uint16_t*>(impl->own.data());
    impl->sdl = SDL_CreateRGBSurfaceWithFormatFrom(impl->pixels, w, h, 16, w * 2,
                                                   SDL_PIXELFORMAT_RGB565);
    if (!impl->sdl)
        throw DDrawError(DDERR_GENERIC,
                         "cannot make a " + SizeText(w, h) + " surface: " + SDL_GetError());
    if (display) impl->restored_epoch = display->loss_epoch;
    impl->display = std::move(display);
    return std::make_shared<DirectDrawSurface7>(std::move(impl));
}

DirectDrawSurface7::DirectDrawSurface7(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
DirectDrawSurface7::~DirectDrawSurface7() = default;

int DirectDrawSurface7::Width() const { return impl_->w; }
int DirectDrawSurface7::Height() const { return impl_->h; }
const uint16_t* DirectDrawSurface7::Pixels() const { return impl_->pixels; }
uint16_t* DirectDrawSurface7::MutablePixels() {
    impl_->opaque_runs.Drop();  // the caller may change them
    return impl_->pixels;
}

bool DirectDrawSurface7::IsLost() const {
    if (impl_->display) impl_->display->Sync();
    return impl_->Lost();
}

void DirectDrawSurface7::Restore() {
    if (impl_->display) impl_->restored_epoch = impl_->display->loss_epoch;
    if (impl_->back && impl_->back->impl_->display)
        impl_->back->impl_->restored_epoch = impl_->back->impl_->display->loss_epoch;
}

DirectDrawSurface7* DirectDrawSurface7::GetAttachedSurface(const DDSCAPS2& caps) {
    if ((caps.lCaps & DDSCAPS_BACKBUFFER) && impl_->back) return impl_->back.get();
    throw DDrawError(DDERR_NOTFOUND, "GetAttachedSurface: the surface has no attached surface with caps " +
                                         std::to_string(caps.lCaps));
}

void DirectDrawSurface7::SetColorKey(int32_t flags, const DDCOLORKEY& key) {
    if (flags != DDCKEY_SRCBLT)
        throw DDrawError(DDERR_INVALIDPARAMS,
                         "SetColorKey: only a source colour key (flags 8) is supported, not flags " +
                             std::to_string(flags));
    impl_->has_key = true;
    impl_->key_lo = ColorTo565(key.low);
    impl_->key_hi = ColorTo565(key.high);
    impl_->opaque_runs.Drop();
}

namespace {

// A keyed copy of rectangle r of a large sheet, band by band, each band's
// runs found when it is first read.
void KeyedCopyByRuns(DirectDrawSurface7::Impl& s, uint16_t* to, std::ptrdiff_t to_stride, const RECT& r) {
    using Runs = DirectDrawSurface7::Impl::OpaqueRuns;
    std::vector<Runs::Band>& bands = s.opaque_runs.bands;
    bands.resize(static_cast<size_t>((s.w + Runs::kRunBand - 1) / Runs::kRunBand));
    for (int b = r.Left / Runs::kRunBand; b <= (r.Right - 1) / Runs::kRunBand; ++b) {
        Runs::Band& band = bands[static_cast<size_t>(b)];
        const int x0 = b * Runs::kRunBand, x1 = std::min(s.w, x0 + Runs::kRunBand);
        if (!band.valid) blit::FindOpaqueRuns(s.pixels, s.w, x0, x1, s.h, s.key_lo, &band);
        const int left = std::max<int>(r.Left, x0), right = std::min<int>(r.Right, x1);
        blit::KeyedRuns(to + (left - r.Left), to_stride, s.pixels, s.w, band, left, r.Top, right - left,
                        r.Bottom - r.Top);
    }
}

}  // namespace

int32_t DirectDrawSurface7::BltFast(int32_t x, int32_t y, DirectDrawSurface7* source,
                                    const RECT* src_rect, int32_t flags) {
    if (!source) return DDERR_INVALIDPARAMS;
    if (flags & ~(DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY)) return DDERR_INVALIDPARAMS;
    costs::NoteFrameCall();
    Impl& d = *impl_;
    Impl& s = *source->impl_;
    if (d.display) d.display->Sync();
    if (s.display && s.display != d.display) s.display->Sync();
    if (d.Lost() || s.Lost()) return DDERR_SURFACELOST;

    const RECT r = src_rect ? *src_rect : RECT{0, 0, s.w, s.h};
    if (r.Right <= r.Left || r.Bottom <= r.Top) return DDERR_INVALIDRECT;
    if (r.Left < 0 || r.Top < 0 || r.Right > s.w || r.Bottom > s.h) return DDERR_INVALIDRECT;
    const int w = r.Right - r.Left, h = r.Bottom - r.Top;
    if (x < 0 || y < 0 || static_cast<int64_t>(x) + w > d.w || static_cast<int64_t>(y) + h > d.h)
        return DDERR_INVALIDRECT;
    const bool keyed = (flags & DDBLTFAST_SRCCOLORKEY) != 0;
    if (keyed && !s.has_key) return DDERR_NOCOLORKEY;

    const uint16_t* from = s.pixels + static_cast<std::ptrdiff_t>(r.Top) * s.w + r.Left;
    uint16_t* to = d.pixels + static_cast<std::ptrdiff_t>(y) * d.w + x;
    std::ptrdiff_t from_stride = s.w;
    std::vector<uint16_t> staged;
    if (s.pixels == d.pixels) {
        // A copy within one surface: take the source out first so that
        // overlapping rectangles copy as if at once.
        staged.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
        blit::Opaque(staged.data(), w, from, s.w, w, h);
        from = staged.data();
        from_stride = w;
    }
    if (costs::g_copy_log) costs::g_copy_log->push_back(CopyRecord{from, to, from_stride, d.w, w, h});
    d.opaque_runs.Drop();
    if (!keyed) {
        blit::Opaque(to, d.w, from, from_stride, w, h);
    } else if (s.key_lo == s.key_hi && staged.empty() && int64_t{s.w} * s.h >= kRunsFromPixels &&
               s.w <= kMaxRunWidth) {
        KeyedCopyByRuns(s, to, d.w, r);
    } else if (s.key_lo == s.key_hi) {
        blit::Keyed(to, d.w, from, from_stride, w, h, s.key_lo);
    } else {
        blit::KeyRange(to, d.w, from, from_stride, w, h, s.key_lo, s.key_hi);
    }
    return DD_OK;
}

// --- Making surfaces -----------------------------------------------------------

namespace {

// The surface of a 5-6-5 file whose size is the one asked for (0: the
// file's own), or nullptr for any other file: the readers below take it.
std::shared_ptr<DirectDrawSurface7> Read565Sheet(const std::string& program_path, int w, int h,
                                                 std::shared_ptr<Display> display) {
    const auto file = platform::bmp::Rgb565File::Open(program_path);
    if (!file) return nullptr;
    const platform::bmp::Rgb565Picture& picture = file->picture();
    if ((w != 0 && w != picture.width) || (h != 0 && h != picture.height) ||
        static_cast<int64_t>(picture.width) * picture.height > kMaxPixels)
        return nullptr;
    auto surface = NewSurface(picture.width, picture.height, std::move(display));
    std::string error;
    if (!file->ReadInto(surface->MutablePixels(), &error)) throw DDrawError(DDERR_NOTFOUND, error);
    return surface;
}

}  // namespace

std::shared_ptr<DirectDrawSurface7> DirectDraw7::CreateSurfaceFromFile(const std::string& program_path,
                                                                       DDSURFACEDESC2& desc) {
    const bool sized_w = (desc.lFlags & DDSD_WIDTH) && desc.lWidth != 0;
    const bool sized_h = (desc.lFlags & DDSD_HEIGHT) && desc.lHeight != 0;
    if ((sized_w && desc.lWidth < 0) || (sized_h && desc.lHeight < 0) ||
        (sized_w && desc.lWidth > kMaxSide) || (sized_h && desc.lHeight > kMaxSide))
        throw DDrawError(DDERR_INVALIDPARAMS,
                         program_path + ": cannot make a surface of " +
                             SizeText(desc.lWidth, desc.lHeight) + " pixels");
    std::string error;
    // A 5-6-5 picture of the surface's size (the course, 18 MB of pixels)
    // is read from the file straight into the surface.
    if (auto surface = Read565Sheet(program_path, sized_w ? desc.lWidth : 0, sized_h ? desc.lHeight : 0,
                                    impl_->display))
        return surface;
    const auto file = platform::bmp::ReadFile(program_path, &error);
    if (!file) throw DDrawError(DDERR_NOTFOUND, error);
    const std::span<const unsigned char> bytes = file->span();
    // An uncompressed 24-bit picture of the surface's size (every sheet the
    // program ships) goes straight into the 565 pixels: no 24-bit copy of
    // the 15000 x 600 course and no conversion pass in between.
    if (const auto picture = platform::bmp::Rgb24PictureOf(bytes)) {
        const int w = sized_w ? desc.lWidth : picture->width;
        const int h = sized_h ? desc.lHeight : picture->height;
        if (w == picture->width && h == picture->height && static_cast<int64_t>(w) * h <= kMaxPixels) {
            auto surface = NewSurface(w, h, impl_->display);
            platform::bmp::DecodeRgb24To565(bytes, *picture, surface->MutablePixels(), w);
            return surface;
        }
    }
    SDL_Surface* loaded = platform::bmp::LoadBytes(bytes, program_path, &error);
    if (!loaded) throw DDrawError(DDERR_NOTFOUND, error);
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB565, 0);
    SDL_FreeSurface(loaded);
    if (!converted)
        throw DDrawError(DDERR_GENERIC,
                         program_path + ": cannot convert the picture to 16-bit colour (" + SDL_GetError() + ")");
    const int w = sized_w ? desc.lWidth : converted->w;
    const int h = sized_h ? desc.lHeight : converted->h;
    if (static_cast<int64_t>(w) * h > kMaxPixels) {
        SDL_FreeSurface(converted);
        throw DDrawError(DDERR_INVALIDPARAMS,
                         program_path + ": a surface of " + SizeText(w, h) + " pixels is too large");
    }
    std::shared_ptr<DirectDrawSurface7> surface;
    try {
        surface = NewSurface(w, h, impl_->display);
    } catch (...) {
        SDL_FreeSurface(converted);
        throw;
    }
    const auto* src = static_cast<const uint16_t*>(converted->pixels);
    const std::ptrdiff_t stride = converted->pitch / 2;
    if (w == converted->w && h == converted->h)
        blit::Opaque(surface->MutablePixels(), w, src, stride, w, h);
    else
        blit::Scale(src, converted->w, converted->h, stride, surface->MutablePixels(), w, h);
    SDL_FreeSurface(converted);
    return surface;
}

}  // namespace ddraw
