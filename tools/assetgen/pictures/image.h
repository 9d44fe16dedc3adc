// The picture generator's canvas: 24-bit pixels held as 0xRRGGBB, and the
// few drawing operations every picture is built from. Everything is aliased
// on purpose (a pixel is either inside a shape or not), so sprites keep hard
// edges against their key colour.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pictures {

using Rgb = uint32_t;  // 0xRRGGBB

constexpr Rgb kKeyWhite = 0xFFFFFF;
constexpr Rgb kKeyBlack = 0x000000;

constexpr int Red(Rgb c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr int Green(Rgb c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int Blue(Rgb c) { return static_cast<int>(c & 0xFF); }
constexpr Rgb MakeRgb(int r, int g, int b) {
    return (static_cast<Rgb>(r & 0xFF) << 16) | (static_cast<Rgb>(g & 0xFF) << 8) |
           static_cast<Rgb>(b & 0xFF);
}
// a + (b - a) * t per channel, t in [0, 1].
Rgb Mix(Rgb a, Rgb b, double t);

struct Point {
    double x = 0;
    double y = 0;
};

class Image {
public:
    Image() = default;
    Image(int width, int height, Rgb fill = kKeyWhite);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    Rgb At(int x, int y) const { return pixels_[Index(x, y)]; }
    // Writes are clipped to the picture (and to the clip rectangle, if set).
    void Set(int x, int y, Rgb c) {
        if (x >= clip_x0_ && y >= clip_y0_ && x < clip_x1_ && y < clip_y1_) pixels_[Index(x, y)] = c;
    }
    void SetClip(int x, int y, int w, int h);
    void ClearClip();
    const std::vector<Rgb>& Pixels() const { return pixels_; }

private:
    size_t Index(int x, int y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
    }
    int width_ = 0;
    int height_ = 0;
    int clip_x0_ = 0, clip_y0_ = 0, clip_x1_ = 0, clip_y1_ = 0;
    std::vector<Rgb> pixels_;
};

// Shapes. A pixel belongs to a shape when its centre (x + 0.5, y + 0.5) does.
void FillRect(Image& img, int x, int y, int w, int h, Rgb c);
void FillCircle(Image& img, double cx, double cy, double r, Rgb c);
void FillEllipse(Image& img, double cx, double cy, double rx, double ry, Rgb c);
void FillPolygon(Image& img, const std::vector<Point>& points, Rgb c);
// All pixels within r of the segment a-b: a limb, a pole, a thick line.
void FillCapsule(Image& img, Point a, Point b, double r, Rgb c);
void DrawLine(Image& img, int x0, int y0, int x1, int y1, Rgb c);

// A vertical run of colours from stops (position 0..1 over [y0, y1)),
// quantised into bands with an ordered dither between neighbouring bands.
struct GradientStop {
    double at;
    Rgb color;
};
Rgb GradientAt(const std::vector<GradientStop>& stops, double t);
void FillVerticalGradient(Image& img, int x, int y, int w, int h,
                          const std::vector<GradientStop>& stops, int bands);
// The ordered-dither threshold (0..1) of a pixel.
double DitherThreshold(int x, int y);

// Puts colour c on every pixel of the rectangle that is the key colour and
// touches (4-way, or 8-way when diagonal is set) a pixel that is not.
void Outline(Image& img, int x, int y, int w, int h, Rgb key, Rgb c, bool diagonal);

// Closes one-pixel holes: a key pixel whose four neighbours all show takes
// the colour of the one to its left, so the background never peeps through
// the middle of a sprite.
void FillPinholes(Image& img, int x, int y, int w, int h, Rgb key);

// Copies a rectangle; pixels of src equal to key are skipped when use_key.
void Blit(Image& dst, const Image& src, int sx, int sy, int w, int h, int dx, int dy,
          bool use_key = false, Rgb key = kKeyWhite);
// Replaces every pixel equal to from by to inside the rectangle.
void Replace(Image& img, int x, int y, int w, int h, Rgb from, Rgb to);

// Box-filtered reduction by an integer factor (for previews only).
Image Shrink(const Image& src, int factor);
// Nearest-neighbour enlargement by an integer factor (for previews only).
Image Enlarge(const Image& src, int factor);

}  // namespace pictures
