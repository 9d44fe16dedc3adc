// Forms runtime — pictures, picture boxes (off-screen images) and BitBlt
// with its three raster operations.
#include <algorithm>
#include <vector>

#include "platform/bmp_loader.h"
#include "platform/forms_internal.h"

namespace forms {

// --- Picture -----------------------------------------------------------------------

Picture::Data::~Data() {
    if (surface) SDL_FreeSurface(surface);
}

namespace {

Picture FromSurface(SDL_Surface* loaded, const std::string& name, const std::string& error) {
    if (!loaded) throw Error(error.empty() ? name + ": the picture cannot be loaded" : error);
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, kSurfaceFormat, 0);
    SDL_FreeSurface(loaded);
    if (!converted) throw Error(name + ": the picture cannot be converted (" + SDL_GetError() + ")");
    SDL_SetSurfaceBlendMode(converted, SDL_BLENDMODE_NONE);
    auto data = std::make_shared<Picture::Data>();
    data->surface = converted;
    return Picture(std::move(data));
}

}  // namespace

Picture::Picture() = default;

Picture Picture::FromFile(const std::string& program_path) {
    std::string error;
    SDL_Surface* loaded = platform::bmp::LoadFile(program_path, &error);
    return FromSurface(loaded, program_path, error);
}

Picture Picture::FromBmpBytes(std::span<const unsigned char> bytes, const std::string& name) {
    std::string error;
    SDL_Surface* loaded = platform::bmp::LoadBytes(bytes, name, &error);
    return FromSurface(loaded, name, error);
}

bool Picture::IsEmpty() const { return !data_ || !data_->surface; }
int Picture::WidthPx() const { return IsEmpty() ? 0 : data_->surface->w; }
int Picture::HeightPx() const { return IsEmpty() ? 0 : data_->surface->h; }

Color Picture::PixelAt(int x, int y) const {
    if (IsEmpty() || x < 0 || y < 0 || x >= WidthPx() || y >= HeightPx()) return 0;
    const SDL_Surface* s = data_->surface;
    Uint32 p = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(s->pixels) + y * s->pitch)[x];
    return PixelOf(p & 0xFFFFFF);  // the swap is its own inverse
}

// --- PictureBox ---------------------------------------------------------------------

PictureBox::Impl::~Impl() { Free(); }

void PictureBox::Impl::Free() {
    if (image) SDL_FreeSurface(image);
    image = nullptr;
}

SDL_Surface* PictureBox::Impl::Sync() {
    const int w = std::max(ToPx(owner->width_), 1);
    const int h = std::max(ToPx(owner->height_), 1);
    if (image && image->w == w && image->h == h) return image;
    SDL_Surface* grown = NewSurface(w, h);
    Fill(grown, nullptr, kWhite);
    CopyInto(grown, 0, 0, image);
    Free();
    image = grown;
    return image;
}

PictureBox::PictureBox(Form* owner) : Control(owner), impl_(std::make_unique<Impl>()) {
    impl_->owner = this;
    impl_->dc.box = impl_.get();
}

PictureBox::~PictureBox() = default;

void PictureBox::SetPicture(const Picture& picture) {
    Touch();
    impl_->Free();
    if (!picture.IsEmpty()) {
        impl_->image = NewSurface(picture.WidthPx(), picture.HeightPx());
        CopyInto(impl_->image, 0, 0, picture.data()->surface);
    }
    width_ = static_cast<float>(picture.WidthPx() * kTwipsPerPixel);
    height_ = static_cast<float>(picture.HeightPx() * kTwipsPerPixel);
    Changed();
}

void PictureBox::LoadPicture(const std::string& program_path) {
    Touch();
    SetPicture(Picture::FromFile(program_path));
}

HDC PictureBox::hDC() {
    Touch();
    return &impl_->dc;
}

void PictureBox::ResetToBlank() {
    Control::ResetToBlank();
    impl_->Free();
}

// --- BitBlt -------------------------------------------------------------------------

namespace {

Uint32* Row(SDL_Surface* s, int y) {
    return reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch);
}


// The pixels of one device context's pixel: a window's canvas is at the
// windows' scale, a picture box's image at the designed size.
int ScaleOf(HDC dc) { return dc->form ? Scale() : 1; }

// One raster operation over a row of n pixels.
void RasterRow(Uint32* d, const Uint32* s, int64_t n, uint32_t rop) {
    if (rop == SRCCOPY) {
        std::copy_n(s, n, d);
    } else if (rop == SRCPAINT) {
        for (int64_t i = 0; i < n; ++i) d[i] = (d[i] | s[i]) & 0xFFFFFF;
    } else {
        for (int64_t i = 0; i < n; ++i) d[i] = d[i] & s[i] & 0xFFFFFF;
    }
}

// The clipped rectangle (designed pixels) between two surfaces of the same
// scale k, copied pixel for pixel; a surface onto itself reads the source
// as it was.
void BlitSameScale(SDL_Surface* dst, SDL_Surface* src, int k, int64_t x0, int64_t y0, int64_t sx0, int64_t sy0,
                   int64_t w, int64_t h, uint32_t rop) {
    x0 *= k, y0 *= k, sx0 *= k, sy0 *= k, w *= k, h *= k;
    std::vector<Uint32> copy;
    const bool same = dst == src;
    if (same) {
        copy.resize(static_cast<size_t>(w * h));
        for (int64_t r = 0; r < h; ++r)
            std::copy_n(Row(src, static_cast<int>(sy0 + r)) + sx0, w, copy.data() + r * w);
    }
    for (int64_t r = 0; r < h; ++r) {
        const Uint32* s = same ? copy.data() + r * w : Row(src, static_cast<int>(sy0 + r)) + sx0;
        RasterRow(Row(dst, static_cast<int>(y0 + r)) + x0, s, w, rop);
    }
}

// The same between surfaces of different scales: each target pixel takes
// the source pixel under it (nearest pixel, so a picture box's image is
// enlarged into a window as sharply as the window's own picture is).
void BlitAcrossScales(SDL_Surface* dst, int kd, SDL_Surface* src, int ks, int64_t x0, int64_t y0, int64_t sx0,
                      int64_t sy0, int64_t w, int64_t h, uint32_t rop) {
    const int64_t dw = w * kd, dh = h * kd;
    std::vector<Uint32> row(static_cast<size_t>(dw));
    for (int64_t r = 0; r < dh; ++r) {
        const Uint32* s = Row(src, static_cast<int>(sy0 * ks + r * ks / kd));
        for (int64_t i = 0; i < dw; ++i) row[static_cast<size_t>(i)] = s[sx0 * ks + i * ks / kd];
        RasterRow(Row(dst, static_cast<int>(y0 * kd + r)) + x0 * kd, row.data(), dw, rop);
    }
}

}  // namespace

bool BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy, uint32_t rop) {
    if (rop != SRCCOPY && rop != SRCPAINT && rop != SRCAND) return false;
    SDL_Surface* dst = SurfaceOf(target);
    SDL_Surface* src = SurfaceOf(source);
    if (!dst || !src) return false;
    if (width <= 0 || height <= 0) return true;
    const int kd = ScaleOf(target), ks = ScaleOf(source);

    // Clip to both surfaces (in designed pixels), moving source and target
    // together. Done in 64 bits so that far-off coordinates cannot overflow.
    int64_t x0 = x, y0 = y, sx0 = sx, sy0 = sy, w = width, h = height;
    auto clip_low = [&](int64_t& a, int64_t& b, int64_t& len) {
        int64_t cut = std::max<int64_t>({0, -a, -b});
        a += cut;
        b += cut;
        len -= cut;
    };
    clip_low(x0, sx0, w);
    clip_low(y0, sy0, h);
    w = std::min({w, dst->w / kd - x0, src->w / ks - sx0});
    h = std::min({h, dst->h / kd - y0, src->h / ks - sy0});
    if (w <= 0 || h <= 0) return true;

    if (kd == ks)
        BlitSameScale(dst, src, kd, x0, y0, sx0, sy0, w, h, rop);
    else
        BlitAcrossScales(dst, kd, src, ks, x0, y0, sx0, sy0, w, h, rop);
    if (target->form) MarkDirty(*target->form);
    return true;
}

}  // namespace forms
