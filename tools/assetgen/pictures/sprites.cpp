// The small sheets: items (bmp/item.bmp), jump pads (bmp/jump.bmp), the
// digit glyphs (bmp/suji.bmp) and the dash blast (bmp/baku.bmp).
#include <cmath>
#include <functional>

#include "palette.h"
#include "pictures.h"
#include "random.h"

namespace pictures {
namespace {

using namespace palette;

// Items sit on a soft round badge so that each reads at a glance.
void Badge(Image& img, int ox, Rgb base) {
    FillCircle(img, ox + 16, 16, 14.5, Mix(base, kOutline, 0.55));
    FillCircle(img, ox + 16, 16, 13, Mix(base, kOutline, 0.3));
    FillCircle(img, ox + 15, 15, 11.5, Mix(base, kNearWhite, 0.25));
}

// A symbol drawn on a layer of its own and ringed with the dark outline
// before it is laid on its badge.
void Symbol(Image& img, int ox, const std::function<void(Image&)>& draw) {
    Image layer(32, 32, kKeyWhite);
    draw(layer);
    Outline(layer, 0, 0, 32, 32, kKeyWhite, kOutline, false);
    Blit(img, layer, 0, 0, 32, 32, ox, 0, true);
}

void Heart(Image& img, int ox) {
    Badge(img, ox, kLife);
    Symbol(img, ox, [](Image& l) {
        auto heart = [&](double cx, double cy, double s, Rgb c) {
            FillCircle(l, cx - 4 * s, cy - 2 * s, 4.6 * s, c);
            FillCircle(l, cx + 4 * s, cy - 2 * s, 4.6 * s, c);
            FillPolygon(l, {{cx - 8.6 * s, cy - 1 * s}, {cx + 8.6 * s, cy - 1 * s}, {cx, cy + 9 * s}}, c);
        };
        heart(16, 15.5, 1.0, Mix(kLife, kOutline, 0.35));
        heart(15.5, 15, 0.8, kLife);
        FillEllipse(l, 11, 11, 2.2, 1.5, kNearWhite);
    });
}

void SpeedUp(Image& img, int ox) {
    Badge(img, ox, kSpeedUp);
    // A fat arrow pointing ahead, with speed streaks behind it.
    Symbol(img, ox, [](Image& l) {
        FillPolygon(l, {{8, 12}, {16, 12}, {16, 6}, {26, 16}, {16, 26}, {16, 20}, {8, 20}},
                    Mix(kBonus, kNearWhite, 0.35));
        FillPolygon(l, {{8, 17}, {16, 17}, {16, 21}, {21, 21}, {16, 26}, {16, 20}, {8, 20}},
                    Mix(kBonus, 0xE07A1A, 0.35));
        FillRect(l, 17, 9, 2, 2, kNearWhite);
    });
    FillRect(img, ox + 3, 13, 3, 1, kOutline);
    FillRect(img, ox + 2, 18, 4, 1, kOutline);
}

void Snail(Image& img, int ox) {
    Badge(img, ox, kSlowDown);
    const Rgb body = 0xC8E6FF, shell = 0xF2A33A, shell_dark = 0xB8702A;
    // Body along the ground with two eye stalks.
    FillCapsule(img, {ox + 6.0, 23.0}, {ox + 25.0, 23.0}, 3.2, kOutline);
    FillCapsule(img, {ox + 6.0, 23.0}, {ox + 25.0, 23.0}, 2.2, body);
    FillCapsule(img, {ox + 23.0, 21.0}, {ox + 25.0, 12.0}, 1.0, kOutline);
    FillCapsule(img, {ox + 26.0, 21.0}, {ox + 28.0, 13.0}, 1.0, kOutline);
    img.Set(ox + 25, 11, kOutline);
    img.Set(ox + 28, 12, kOutline);
    // The shell, a spiral of two tones.
    FillCircle(img, ox + 14, 16, 8.2, kOutline);
    FillCircle(img, ox + 14, 16, 7, shell);
    FillCircle(img, ox + 15, 16.5, 4.6, shell_dark);
    FillCircle(img, ox + 15, 16.5, 3.2, shell);
    FillCircle(img, ox + 16, 17, 1.4, shell_dark);
    FillRect(img, ox + 10, 11, 2, 2, kNearWhite);
}

void Star(Image& img, int ox) {
    Badge(img, ox, kBonus);
    Symbol(img, ox, [](Image& l) {
        auto star = [&](double cx, double cy, double r, Rgb c) {
            std::vector<Point> pts;
            for (int i = 0; i < 10; ++i) {
                double a = -3.14159 / 2 + i * 3.14159 / 5;
                double rr = i % 2 ? r * 0.45 : r;
                pts.push_back({cx + rr * std::cos(a), cy + rr * std::sin(a)});
            }
            FillPolygon(l, pts, c);
        };
        star(16, 17, 12, Mix(kBonus, 0xE07A1A, 0.45));
        star(15.5, 16.5, 9.5, Mix(kBonus, kNearWhite, 0.15));
        FillRect(l, 13, 11, 2, 3, kNearWhite);
        l.Set(12, 14, kNearWhite);
    });
}

// A springboard: base plate, coil and top plate; the spring is taller with
// the kind, so the high pad stands tallest.
void Pad(Image& img, int ox, Rgb color, int spring) {
    const Rgb dark = Mix(color, kOutline, 0.5);
    FillRect(img, ox + 1, 13, 14, 3, kOutline);
    FillRect(img, ox + 2, 13, 12, 2, 0x8C93B8);
    int top = 12 - spring;
    for (int y = top + 2; y < 13; ++y) {
        int zig = ((y - top) % 2) ? 4 : 5;
        FillRect(img, ox + zig, y, 16 - 2 * zig, 1, ((y - top) % 2) ? 0xD0D4E4 : 0x6A7090);
    }
    FillRect(img, ox + 3, top + 2, 1, 13 - top - 2, kOutline);
    FillRect(img, ox + 12, top + 2, 1, 13 - top - 2, kOutline);
    FillRect(img, ox, top - 1, 16, 4, kOutline);
    FillRect(img, ox + 1, top, 14, 2, color);
    FillRect(img, ox + 1, top + 1, 14, 1, dark);
    FillRect(img, ox + 2, top, 3, 1, kNearWhite);
}

// The digit glyphs are drawn on a 5 x 11 grid, each square 2 x 2 pixels,
// inside a one-pixel dark edge: 12 x 24 in all.
const char* const kGlyphs[12][11] = {
    {".###.", "##.##", "##.##", "##.##", "##.##", "##.##", "##.##", "##.##", "##.##", "##.##", ".###."},
    {"..##.", ".###.", "####.", "..##.", "..##.", "..##.", "..##.", "..##.", "..##.", "..##.", "#####"},
    {".###.", "##.##", "...##", "...##", "..##.", ".##..", "##...", "##...", "##...", "##...", "#####"},
    {".###.", "##.##", "...##", "...##", "..##.", ".###.", "...##", "...##", "...##", "##.##", ".###."},
    {"...##", "..###", ".####", "##.##", "##.##", "##.##", "#####", "...##", "...##", "...##", "...##"},
    {"#####", "##...", "##...", "##...", "####.", "...##", "...##", "...##", "...##", "##.##", ".###."},
    {".###.", "##.##", "##...", "##...", "####.", "##.##", "##.##", "##.##", "##.##", "##.##", ".###."},
    {"#####", "...##", "...##", "..##.", "..##.", "..##.", ".##..", ".##..", ".##..", ".##..", ".##.."},
    {".###.", "##.##", "##.##", "##.##", ".###.", "##.##", "##.##", "##.##", "##.##", "##.##", ".###."},
    {".###.", "##.##", "##.##", "##.##", "##.##", ".####", "...##", "...##", "...##", "##.##", ".###."},
    {".....", ".....", ".....", "..#..", "..#..", "#####", "..#..", "..#..", ".....", ".....", "....."},
    {".....", ".....", ".....", ".##..", ".##..", ".....", ".....", ".##..", ".##..", ".....", "....."},
};

// A ragged ball: circles around a centre with their radii jittered.
void Ragged(Image& img, double cx, double cy, double r, Rgb c, Random& rnd) {
    if (r < 1) return;
    FillCircle(img, cx, cy, r * 0.8, c);
    int lobes = 7 + static_cast<int>(r / 3);
    for (int i = 0; i < lobes; ++i) {
        double a = i * 6.28318 / lobes + rnd.Unit() * 0.4;
        double d = r * (0.45 + 0.2 * rnd.Unit());
        FillCircle(img, cx + d * std::cos(a), cy + d * std::sin(a) * 0.85, r * (0.38 + 0.2 * rnd.Unit()), c);
    }
}

// Cell n of the blast. The game draws cell n at the hero's x - 3n - 10, so a
// point fixed in the cell drifts back from him 3 pixels a frame: the burst
// goes off at his back, behind the board's tail, and is left behind as it
// swells, burns out and thins into smoke.
void Blast(Image& img, int cell, Random& rnd) {
    const int ox = (cell % 8) * 96, oy = (cell / 8) * 96;
    img.SetClip(ox, oy, 96, 96);
    static const double kFire[16] = {7, 13, 18, 21, 22, 21, 19, 16, 13, 10, 7, 5, 3, 1.5, 0, 0};
    static const double kSmoke[16] = {0, 0, 6, 10, 14, 17, 19, 21, 22, 22, 21, 19, 16, 13, 9, 6};
    const double cx = ox + 44, cy = oy + 72;
    const double fire = kFire[cell], smoke = kSmoke[cell];
    const Rgb kSmokeDark = 0x2E2644, kSmokeMid = 0x4A3D66, kSmokeLight = 0x6E5C8C;
    // Smoke rolls back and up behind the fire.
    if (smoke > 0) {
        double drift = cell * 1.2;
        Ragged(img, cx - 6 - drift, cy - 4 - drift * 0.6, smoke, cell < 12 ? kSmokeDark : kSmokeMid, rnd);
        Ragged(img, cx - 4 - drift, cy - 7 - drift * 0.6, smoke * 0.7, kSmokeMid, rnd);
        Ragged(img, cx - 2 - drift, cy - 10 - drift * 0.6, smoke * 0.35, kSmokeLight, rnd);
        if (cell > 5) Ragged(img, cx - 18 - drift, cy + 4, smoke * 0.45, kSmokeMid, rnd);
    }
    // The fire: dark red rim, orange, yellow, a white-hot heart while young.
    if (fire > 0) {
        Ragged(img, cx, cy, fire, 0xC8342A, rnd);
        Ragged(img, cx + 1, cy + 1, fire * 0.72, 0xFF7A2A, rnd);
        Ragged(img, cx + 2, cy + 1, fire * 0.45, 0xFFD23F, rnd);
        if (cell < 7) FillCircle(img, cx + 3, cy + 1, fire * 0.22, 0xFFF4C0);
    }
    // Sparks streak out, fewer as it dies.
    int sparks = std::max(2, 16 - cell);
    for (int i = 0; i < sparks; ++i) {
        double a = rnd.Unit() * 6.28318;
        double d = fire * 0.8 + 4 + rnd.Unit() * (8 + cell * 3.0);
        double sx = cx + d * std::cos(a), sy = cy + d * std::sin(a) * 0.8;
        Rgb c = rnd.Chance(0.5) ? 0xFFE9A8 : 0xFF9A3A;
        FillCapsule(img, {sx, sy}, {sx - 2.5 * std::cos(a), sy - 2.0 * std::sin(a)}, 0.6, c);
    }
    img.ClearClip();
}

}  // namespace

Image MakeItemSheet() {
    Image img(128, 32, kKeyWhite);
    Heart(img, 0);
    SpeedUp(img, 32);
    Snail(img, 64);
    Star(img, 96);
    FillPinholes(img, 0, 0, 128, 32, kKeyWhite);
    return img;
}

Image MakePadSheet() {
    Image img(48, 16, kKeyWhite);
    Pad(img, 0, kPadLow, 3);
    Pad(img, 16, kPadMiddle, 6);
    Pad(img, 32, kPadHigh, 9);
    FillPinholes(img, 0, 0, 48, 16, kKeyWhite);
    return img;
}

Image MakeDigitSheet() {
    Image img(12, 288, kKeyWhite);
    for (int g = 0; g < 12; ++g) {
        const int oy = g * 24;
        for (int row = 0; row < 11; ++row)
            for (int col = 0; col < 5; ++col) {
                if (kGlyphs[g][row][col] != '#') continue;
                // Warm white on top fading to amber at the foot.
                Rgb c = Mix(0xFFF6E0, 0xFFC85A, row / 10.0);
                FillRect(img, 1 + col * 2, oy + 1 + row * 2, 2, 2, c);
            }
        Outline(img, 0, oy, 12, 24, kKeyWhite, kOutline, true);
    }
    return img;
}

Image MakeBlastSheet() {
    Image img(768, 192, kKeyBlack);
    Random rnd(0xB1A57);
    for (int cell = 0; cell < 16; ++cell) Blast(img, cell, rnd);
    FillPinholes(img, 0, 0, 768, 192, kKeyBlack);
    return img;
}

}  // namespace pictures
