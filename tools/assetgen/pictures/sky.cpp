// The sky (bmp/kumo.bmp): a dusk gradient, the first stars and long clouds
// lit from below by the sun that has just set. The view takes an 800-wide
// window and jumps from x 1000 back to 0, so everything repeats every 1000
// pixels and columns 1000..1799 are copies of 0..799.
#include <cmath>

#include "palette.h"
#include "pictures.h"
#include "random.h"
#include "scenery.h"

namespace pictures {
namespace {

constexpr int kPeriod = 1000;

}  // namespace

const std::vector<GradientStop>& DuskStops() {
    static const std::vector<GradientStop> stops = {
        {0.00, palette::kSkyTop},  {0.30, palette::kSkyHigh},   {0.56, palette::kSkyMid},
        {0.76, palette::kSkyLow},  {0.86, palette::kSkyHorizon}, {1.00, palette::kSkyHorizon}};
    return stops;
}

void DrawStars(Image& img, int x, int y, int w, int h, int count, uint64_t seed, bool wrap) {
    Random rnd(seed);
    for (int i = 0; i < count; ++i) {
        int sx = rnd.Range(0, w - 1), sy = rnd.Range(0, h - 1);
        double fade = 1.0 - static_cast<double>(sy) / h;  // brighter higher up
        Rgb c = Mix(0x8C84C8, palette::kNearWhite, fade * rnd.Unit());
        auto put = [&](int px, int py, Rgb col) {
            if (wrap) px = ((px % w) + w) % w;
            img.Set(x + px, y + py, col);
        };
        put(sx, sy, c);
        if (rnd.Chance(0.12 * fade)) {  // a few twinkle as small crosses
            Rgb arm = Mix(c, img.At(x + ((sx + 1) % w), y + sy), 0.5);
            put(sx - 1, sy, arm);
            put(sx + 1, sy, arm);
            put(sx, sy - 1, arm);
            put(sx, sy + 1, arm);
        }
    }
}

void DrawCloud(Image& img, double cx, double cy, double length, double thickness, uint64_t seed,
               int wrap_width, double glow) {
    Random rnd(seed);
    // The cloud's shape: puffs along its length over a flat base.
    int w = static_cast<int>(length) + 40, h = static_cast<int>(thickness * 2.2) + 10;
    Image shape(w, h, kKeyWhite);
    constexpr Rgb kIn = 0x000001;
    double base = h - 4;
    int puffs = 3 + static_cast<int>(length / 40);
    for (int i = 0; i < puffs; ++i) {
        double t = (i + 0.5) / puffs;
        double px = 20 + t * length + rnd.Range(-8, 8);
        double bulge = std::sin(t * 3.14159);  // taller in the middle
        double ry = thickness * (0.45 + 0.6 * bulge) * (0.7 + 0.4 * rnd.Unit());
        double rx = ry * (1.6 + rnd.Unit());
        FillEllipse(shape, px, base - ry * 0.75, rx, ry, kIn);
    }
    FillRect(shape, 20, static_cast<int>(base - 3), static_cast<int>(length), 3, kIn);
    // Thin tails at both ends.
    FillEllipse(shape, 14, base - 2, 16, 2.5, kIn);
    FillEllipse(shape, 26 + length, base - 2, 18, 2.5, kIn);

    int ox = static_cast<int>(cx - w / 2.0), oy = static_cast<int>(cy - h / 2.0);
    for (int x = 0; x < w; ++x) {
        int bottom = -1;
        for (int y = h - 1; y >= 0; --y)
            if (shape.At(x, y) == kIn) {
                bottom = y;
                break;
            }
        if (bottom < 0) continue;
        for (int y = 0; y <= bottom; ++y) {
            if (shape.At(x, y) != kIn) continue;
            int depth = bottom - y;  // distance from the lit underside
            Rgb c;
            if (depth < 2) c = Mix(palette::kCloudWarm, palette::kCloudLit, glow);
            else if (depth < 5) c = Mix(palette::kCloudShadow, palette::kCloudWarm, glow);
            else if (depth < 9 && (x + y) % 2 == 0) c = Mix(palette::kCloudShadow, palette::kCloudWarm, glow * 0.7);
            else c = Mix(0x2E2760, palette::kCloudShadow, 0.4 + 0.6 * glow);
            int px = ox + x;
            if (wrap_width > 0) px = ((px % wrap_width) + wrap_width) % wrap_width;
            img.Set(px, oy + y, c);
        }
    }
}

Image MakeSky() {
    Image sky(1800, 600);
    Image period(kPeriod, 600);
    FillVerticalGradient(period, 0, 0, kPeriod, 600, DuskStops(), 48);
    DrawStars(period, 0, 0, kPeriod, 230, 90, 0x5EED51, true);
    // A warm haze along the horizon, below the roofs.
    for (int y = 430; y < 600; ++y)
        for (int x = 0; x < kPeriod; ++x)
            if (DitherThreshold(x, y) < (y - 430) / 170.0 * 0.5)
                period.Set(x, y, Mix(palette::kSkyHorizon, 0xFFE0A0, 0.5));
    struct CloudShape {
        double x, y, length, thickness, glow;
    };
    const CloudShape clouds[] = {
        {120, 70, 220, 14, 0.15},  {640, 110, 300, 18, 0.25}, {420, 190, 180, 16, 0.45},
        {900, 230, 260, 20, 0.55}, {250, 300, 320, 22, 0.75}, {720, 340, 200, 16, 0.85},
        {60, 410, 260, 14, 1.0},   {520, 440, 340, 12, 1.0},
    };
    uint64_t seed = 0xC10D;
    for (const CloudShape& c : clouds)
        DrawCloud(period, c.x, c.y, c.length, c.thickness, seed++, kPeriod, c.glow);
    Blit(sky, period, 0, 0, kPeriod, 600, 0, 0);
    Blit(sky, period, 0, 0, 800, 600, kPeriod, 0);
    return sky;
}

}  // namespace pictures
