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

}  // namespace

bool BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy, uint32_t rop) {
    if (rop != SRCCOPY && rop != SRCPAINT && rop != SRCAND) return false;
    SDL_Surface* dst = SurfaceOf(target);
    SDL_Surface* src = SurfaceOf(source);
    if (!dst || !src) return false;
    if (width <= 0 || height <= 0) return true;

    // Clip to both surfaces, moving source and target together. Done in
    // 64 bits so that far-off coordinates cannot overflow.
    int64_t x0 = x, y0 = y, sx0 = sx, sy0 = sy, w = width, h = height;
    auto clip_low = [&](int64_t& a, int64_t& b, int64_t& len) {
        int64_t cut = std::max<int64_t>({0, -a, -b});
        a += cut;
        b += cut;
        len -= cut;
    };
    clip_low(x0, sx0, w);
    clip_low(y0, sy0, h);
    w = std::min({w, dst->w - x0, src->w - sx0});
    h = std::min({h, dst->h - y0, src->h - sy0});
    if (w <= 0 || h <= 0) return true;

    // Copying a surface onto itself reads the source as it was.
    std::vector<Uint32> copy;
    const bool same = dst == src;
    if (same) {
        copy.resize(static_cast<size_t>(w * h));
        for (int64_t r = 0; r < h; ++r)
            std::copy_n(Row(src, static_cast<int>(sy0 + r)) + sx0, w, copy.data() + r * w);
    }
    for (int64_t r = 0; r < h; ++r) {
        Uint32* d = Row(dst, static_cast<int>(y0 + r)) + x0;
        const Uint32* s = same ? copy.data() + r * w : Row(src, static_cast<int>(sy0 + r)) + sx0;
        if (rop == SRCCOPY) {
            std::copy_n(s, w, d);
        } else if (rop == SRCPAINT) {
            for (int64_t i = 0; i < w; ++i) d[i] = (d[i] | s[i]) & 0xFFFFFF;
        } else {
            for (int64_t i = 0; i < w; ++i) d[i] = d[i] & s[i] & 0xFFFFFF;
        }
    }
    if (target->form) MarkDirty(*target->form);
    return true;
}

}  // namespace forms
