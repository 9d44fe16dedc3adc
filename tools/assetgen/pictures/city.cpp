// The city: buildings with a roof ledge and lit windows, rooftop props, and
// far skylines. Shared by the course picture and the calm backgrounds.
#include <algorithm>
#include <cmath>

#include "palette.h"
#include "scenery.h"
#include "text.h"

namespace pictures {
namespace {

constexpr Rgb kWalls[3] = {palette::kBuildingA, palette::kBuildingB, palette::kBuildingC};
constexpr Rgb kDeepShadow = 0x141628;
constexpr Rgb kLedgeShadow = 0x22263D;
// The last light of the sky catches the top of every ledge.
const Rgb kRimLight = Mix(palette::kLedgeLight, palette::kSkyLow, 0.45);

Rgb Dim(Rgb c, double dim) { return dim > 0 ? Mix(c, 0x0A0A1A, dim) : c; }

void WaterTank(Image& img, int cx, int roof) {
    const Rgb body = palette::kProp, light = palette::kPropLight;
    // Legs and cross brace.
    for (int leg : {-8, -3, 3, 8}) FillRect(img, cx + leg, roof - 12, 1, 12, body);
    DrawLine(img, cx - 8, roof - 2, cx + 8, roof - 11, body);
    DrawLine(img, cx - 8, roof - 11, cx + 8, roof - 2, body);
    // The barrel with its hoops and a conical lid.
    FillRect(img, cx - 10, roof - 34, 21, 22, body);
    for (int y = roof - 31; y < roof - 12; y += 6) FillRect(img, cx - 10, y, 21, 1, light);
    FillRect(img, cx - 10, roof - 34, 2, 22, light);
    FillPolygon(img, {{cx - 11.0, roof - 34.0}, {cx + 12.0, roof - 34.0}, {cx + 0.5, roof - 42.0}},
                body);
    img.Set(cx - 1, roof - 40, light);
}

void Antenna(Image& img, int x, int roof, int height) {
    FillRect(img, x, roof - height, 2, height, palette::kProp);
    for (int y = roof - height + 8; y < roof - 6; y += 9) {
        int arm = std::max(2, (y - (roof - height)) / 6);
        FillRect(img, x - arm, y, 2 * arm + 2, 1, palette::kProp);
    }
    // Guy wires.
    DrawLine(img, x, roof - height + 6, x - height / 4, roof - 1, palette::kProp);
    DrawLine(img, x + 1, roof - height + 6, x + 1 + height / 4, roof - 1, palette::kProp);
    // The red warning light, with a small halo.
    FillRect(img, x, roof - height - 2, 2, 2, palette::kPadHigh);
    img.Set(x - 1, roof - height - 1, 0x7A2A3A);
    img.Set(x + 2, roof - height - 1, 0x7A2A3A);
}

void AirConditioner(Image& img, int x, int roof) {
    FillRect(img, x, roof - 9, 16, 9, palette::kProp);
    FillRect(img, x, roof - 9, 16, 1, palette::kPropLight);
    FillCircle(img, x + 8, roof - 4.5, 3.2, 0x1E2236);
    FillRect(img, x + 5, roof - 5, 7, 1, palette::kPropLight);
}

void StairHut(Image& img, int x, int roof) {
    FillRect(img, x, roof - 18, 22, 18, palette::kProp);
    FillRect(img, x - 1, roof - 20, 24, 2, palette::kPropLight);
    FillRect(img, x + 7, roof - 13, 7, 13, 0x1E2236);
    FillRect(img, x + 8, roof - 12, 5, 3, palette::kWindowLit);  // a lit door pane
}

void Billboard(Image& img, int x, int roof, int w, Random& rnd, Fonts* fonts) {
    const int h = 30, lift = 14;
    int top = roof - lift - h;
    for (int leg = x + 6; leg < x + w - 4; leg += std::max(12, (w - 10) / 3))
        FillRect(img, leg, roof - lift, 2, lift, palette::kProp);
    FillRect(img, x + 2, roof - lift + 4, w - 4, 1, palette::kProp);  // walkway
    FillRect(img, x - 1, top - 1, w + 2, h + 2, palette::kProp);
    // The poster: a warm sunset ad with a model's silhouette and bars of "text".
    static const Rgb kPosters[][2] = {{0xE8455A, 0xFFD27A}, {0x3B2F73, 0xFF5E7A},
                                      {0x2F6E8C, 0xFFE9A8}, {0x8A4F8F, 0xF9C27B}};
    const Rgb* poster = kPosters[rnd.Range(0, 3)];
    FillRect(img, x, top, w, h, poster[0]);
    FillRect(img, x, top + h - 8, w, 8, Mix(poster[0], kDeepShadow, 0.35));
    int fx = x + w - 16;
    FillCircle(img, fx, top + 7, 3.5, poster[1]);                       // head
    FillPolygon(img, {{fx - 5.0, top + 11.0}, {fx + 5.0, top + 11.0}, {fx + 3.0, top + 26.0},
                      {fx - 3.0, top + 26.0}},
                poster[1]);                                             // body
    FillRect(img, fx - 4, top + 6, 8, 2, palette::kShades);             // sunglasses
    static const char* kAds[] = {"モデル募集中", "ROOF RIDER", "トップモデル", "夏だ！屋上だ！"};
    Mask ad;
    if (fonts) ad = fonts->Render(Face::Gothic, 12, kAds[rnd.Range(0, 3)]);
    if (fonts && ad.width <= w - 22) {
        Stamp(img, ad, x + 3 + (w - 22 - ad.width) / 2, top + 5, poster[1]);
        FillRect(img, x + 5, top + 21, w - 30, 2, Mix(poster[1], poster[0], 0.4));
    } else {
        for (int row = 0; row < 3; ++row)
            FillRect(img, x + 5, top + 6 + row * 7, std::max(6, w - 30 - row * 8), 3, poster[1]);
    }
    // Two lamps lighting it from below.
    for (int lx : {x + w / 4, x + 3 * w / 4}) {
        FillRect(img, lx - 1, top + h + 1, 3, 2, palette::kProp);
        img.Set(lx, top + h, palette::kWindowBright);
    }
}

}  // namespace

BuildingLook ChooseLook(uint64_t seed) {
    Random rnd(seed * 7919 + 17);
    BuildingLook look;
    look.style = rnd.Range(0, 3);
    look.family = rnd.Range(0, 2);
    look.window_w = rnd.Range(4, 8);
    look.window_h = rnd.Range(6, 10);
    look.column_step = look.window_w + rnd.Range(4, 8);
    look.row_step = look.window_h + rnd.Range(6, 9);
    look.ledge = rnd.Range(5, 8);
    look.lit = 0.3 + 0.35 * rnd.Unit();
    look.pilasters = rnd.Chance(0.4);
    look.bands = rnd.Chance(0.5);
    look.seed = seed;
    return look;
}

namespace {

struct Facade {
    Image& img;
    int x0, x1, roof, bottom, side;
    const BuildingLook& look;
    double dim;
    Rgb wall, shade, light;
    Random rnd;
};

Rgb LitGlass(Random& rnd) {
    double r = rnd.Unit();
    return r < 0.55 ? palette::kWindowLit : (r < 0.9 ? palette::kWindowBright : palette::kWindowTv);
}

// Windows one by one in a centred grid, floor by floor.
void PunchedWindows(Facade& f, bool balconies) {
    const BuildingLook& look = f.look;
    const int top = f.roof + look.ledge + 7;
    const int usable = f.x1 - f.x0 - f.side - 8;
    const int step = balconies ? look.column_step + 2 : look.column_step;
    const int columns = std::max(1, (usable + step - look.window_w) / step);
    const int grid = (columns - 1) * step + look.window_w;
    const int left = f.x0 + 4 + (usable - grid) / 2;
    const int row_step = balconies ? look.row_step + 3 : look.row_step;
    for (int y = top; y + look.window_h <= f.bottom; y += row_step) {
        if (look.bands && !balconies)
            FillRect(f.img, f.x0 + 1, y + look.window_h + 2, f.x1 - f.x0 - f.side - 1, 2, f.shade);
        double floor_lit = look.lit * (f.rnd.Chance(0.25) ? 1.6 : (f.rnd.Chance(0.2) ? 0.3 : 1.0));
        for (int c = 0; c < columns; ++c) {
            int wx = left + c * step;
            if (look.pilasters && !balconies && c > 0 && c % 3 == 0)
                FillRect(f.img, wx - (step - look.window_w) / 2 - 1, y - 3, 2, row_step, f.light);
            bool is_lit = f.rnd.Chance(floor_lit);
            Rgb glass = Dim(is_lit ? LitGlass(f.rnd) : palette::kWindowDark, f.dim);
            FillRect(f.img, wx, y, look.window_w, look.window_h, glass);
            if (is_lit && f.rnd.Chance(0.3))  // a curtain half drawn
                FillRect(f.img, wx, y, look.window_w, look.window_h / 3,
                         Dim(Mix(glass, palette::kWindowDark, 0.45), f.dim));
            if (!is_lit) {  // the sky in the top corner of a dark pane
                f.img.Set(wx, y, Dim(0x3A3F66, f.dim));
                if (look.window_w > 4) f.img.Set(wx + 1, y, Dim(0x2C3154, f.dim));
            }
            FillRect(f.img, wx, y + look.window_h, look.window_w, 1, f.shade);  // sill shadow
            if (balconies) {
                // A small balcony: a slab and a railing, a plant now and then.
                int by = y + look.window_h + 1;
                FillRect(f.img, wx - 2, by + 1, look.window_w + 4, 2, f.light);
                FillRect(f.img, wx - 2, by - 3, look.window_w + 4, 1, f.light);
                for (int rx = wx - 2; rx < wx + look.window_w + 2; rx += 2)
                    FillRect(f.img, rx, by - 3, 1, 4, f.light);
                if (f.rnd.Chance(0.15)) {
                    FillRect(f.img, wx + look.window_w - 2, by - 5, 3, 3, Dim(0x3E8A5A, f.dim));
                    f.img.Set(wx + look.window_w - 1, by - 6, Dim(0x5AB87A, f.dim));
                }
            }
        }
    }
}

// Offices: a band of glass along each floor, lit in runs.
void RibbonWindows(Facade& f) {
    const BuildingLook& look = f.look;
    const int top = f.roof + look.ledge + 8;
    const int x_from = f.x0 + 5, x_to = f.x1 - f.side - 4;
    const int h = look.window_h + 2;
    for (int y = top; y + h <= f.bottom; y += look.row_step + 3) {
        FillRect(f.img, x_from, y, x_to - x_from, h, Dim(palette::kWindowDark, f.dim));
        FillRect(f.img, x_from, y, x_to - x_from, 1, Dim(0x33385C, f.dim));  // sky in the glass
        int x = x_from;
        while (x < x_to) {
            int run = f.rnd.Range(16, 90);
            if (f.rnd.Chance(f.look.lit + 0.15)) {
                Rgb c = Dim(f.rnd.Chance(0.8) ? palette::kWindowBright : palette::kWindowLit, f.dim);
                FillRect(f.img, x, y + 1, std::min(run, x_to - x), h - 1, c);
                // Desks and people against the light.
                for (int k = x + 3; k < std::min(x + run, x_to) - 2; k += f.rnd.Range(5, 12))
                    FillRect(f.img, k, y + h - 3, 2, 3, Dim(Mix(c, palette::kWindowDark, 0.6), f.dim));
            }
            x += run;
        }
        for (int mx = x_from + look.column_step; mx < x_to; mx += look.column_step)
            FillRect(f.img, mx, y, 1, h, f.shade);  // mullions
        FillRect(f.img, x_from, y + h, x_to - x_from, 1, f.light);  // the slab edge
    }
}

// A tower of dark glass reflecting the dusk, a few offices still lit.
void GlassCurtain(Facade& f) {
    const int top = f.roof + f.look.ledge;
    for (int y = top; y < f.bottom; ++y) {
        double t = std::min(1.0, (y - top) / 260.0);
        Rgb glass = Mix(0x4A3F78, 0x1A1E3A, t);
        for (int x = f.x0 + 1; x < f.x1 - f.side; ++x) {
            // A diagonal sheen of the sky across the glass.
            bool sheen = ((x - f.x0) + (y - top)) % 97 < 10 + (x % 3 == 0 ? 2 : 0);
            f.img.Set(x, y, Dim(sheen ? Mix(glass, palette::kSkyMid, 0.35) : glass, f.dim));
        }
    }
    const int cw = f.look.column_step + 8, rh = f.look.row_step + 5;
    for (int y = top + rh; y < f.bottom; y += rh) {
        FillRect(f.img, f.x0 + 1, y, f.x1 - f.side - f.x0 - 1, 1, f.shade);
        // Offices still at work light up in runs of a few bays.
        int run = 0;
        Rgb lamp = palette::kWindowLit;
        for (int x = f.x0 + 4; x + cw < f.x1 - f.side; x += cw) {
            if (run == 0 && f.rnd.Chance(f.look.lit * 0.14)) {
                run = f.rnd.Range(2, 6);
                lamp = f.rnd.Chance(0.75) ? palette::kWindowBright : palette::kWindowTv;
            }
            if (run > 0) {
                --run;
                Rgb c = Dim(Mix(lamp, 0x4A3F78, 0.08), f.dim);
                FillRect(f.img, x + 1, y + 1, cw - 1, rh - 1, c);
                FillRect(f.img, x + 1, y + rh - 4, cw - 1, 3, Dim(Mix(c, 0x1A1E3A, 0.45), f.dim));  // desks
            }
        }
    }
    for (int x = f.x0 + 4; x < f.x1 - f.side; x += cw) FillRect(f.img, x, top, 1, f.bottom - top, f.shade);
}

}  // namespace

void DrawBuilding(Image& img, int x0, int x1, int roof, int bottom, const BuildingLook& look,
                  double dim) {
    const int width = x1 - x0;
    Facade f{img,
             x0,
             x1,
             roof,
             bottom,
             std::clamp(width / 14, 3, 10),  // the shaded side wall at the right
             look,
             dim,
             Dim(kWalls[look.family], dim),
             Dim(Mix(kWalls[look.family], kDeepShadow, 0.45), dim),
             Dim(Mix(kWalls[look.family], palette::kLedge, 0.35), dim),
             Random(look.seed * 31 + 5)};

    FillRect(img, x0, roof, width, bottom - roof, f.wall);
    FillRect(img, x1 - f.side, roof, f.side, bottom - roof, f.shade);
    FillRect(img, x0, roof, 1, bottom - roof, f.light);
    switch (look.style) {
        case 1: RibbonWindows(f); break;
        case 2: GlassCurtain(f); break;
        case 3: PunchedWindows(f, true); break;
        default: PunchedWindows(f, false); break;
    }
    // Haze thickens toward the street far below.
    for (int y = std::max(roof, 380); y < bottom; ++y)
        for (int x = x0; x < x1; ++x)
            if (img.Inside(x, y) && DitherThreshold(x, y) < (y - 380) / 240.0)
                img.Set(x, y, Mix(img.At(x, y), Dim(0x2A2450, dim), 0.35));

    // The roof ledge: its top row is the roof line the hero rides on.
    const Rgb ledge = Dim(palette::kLedge, dim);
    FillRect(img, x0, roof, width, look.ledge, ledge);
    FillRect(img, x0, roof, width, 1, Dim(kRimLight, dim));
    FillRect(img, x0, roof + 1, width, 1, Dim(palette::kLedgeLight, dim));
    FillRect(img, x0, roof + look.ledge - 1, width, 1, Dim(kLedgeShadow, dim));
    FillRect(img, x0, roof + look.ledge, width, 2, f.shade);
    if (look.style == 0 || look.style == 3)  // a row of dentils under the cornice
        for (int x = x0 + 2; x < x1 - f.side - 2; x += 5) FillRect(img, x, roof + look.ledge + 2, 3, 2, ledge);
    FillRect(img, x1 - f.side, roof + 2, f.side, look.ledge - 3,
             Dim(Mix(palette::kLedge, kDeepShadow, 0.4), dim));
}

void DrawRooftop(Image& img, int x0, int x1, int roof, Random& rnd, Fonts* fonts) {
    const int margin = 16;  // keeps the walls' columns clear
    int x = x0 + margin + rnd.Range(0, 30);
    while (x < x1 - margin - 30) {
        int room = x1 - margin - x;
        int pick = rnd.Range(0, 9);
        if (pick <= 1 && room > 30) {
            WaterTank(img, x + 11, roof);
            x += 30;
        } else if (pick == 2 && room > 10) {
            Antenna(img, x + 4, roof, rnd.Range(28, 56));
            x += 14;
        } else if (pick <= 4 && room > 20) {
            AirConditioner(img, x, roof);
            x += 20;
        } else if (pick == 5 && room > 26) {
            StairHut(img, x, roof);
            x += 28;
        } else if (pick == 6 && room > 90) {
            int w = std::min(room - 10, rnd.Range(72, 118));
            Billboard(img, x, roof, w, rnd, fonts);
            x += w + 8;
        }
        x += rnd.Range(24, 90);
    }
}

void DrawSkyline(Image& img, int x, int w, int base, int min_h, int max_h, Rgb wall, Rgb window,
                 uint64_t seed) {
    Random rnd(seed);
    int bx = x - rnd.Range(0, 20);
    while (bx < x + w) {
        int bw = rnd.Range(18, 64), bh = rnd.Range(min_h, max_h);
        int top = base - bh;
        FillRect(img, bx, top, bw, base - top, wall);
        if (rnd.Chance(0.3)) FillRect(img, bx + bw / 2, top - rnd.Range(6, 16), 1, 16, wall);
        if (rnd.Chance(0.25)) FillRect(img, bx + 3, top - 4, bw - 6, 4, wall);
        for (int wy = top + 5; wy < base - 3; wy += 6)
            for (int wx = bx + 3; wx < bx + bw - 3; wx += 5)
                if (rnd.Chance(0.16)) FillRect(img, wx, wy, 2, 2, window);
        bx += bw + rnd.Range(0, 6);
    }
}

}  // namespace pictures
