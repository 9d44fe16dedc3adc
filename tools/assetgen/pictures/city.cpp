// The city: buildings with a roof ledge and lit windows, rooftop props, and
// far skylines. Shared by the course picture and the calm backgrounds.
#include <algorithm>
#include <cmath>

#include "palette.h"
#include "scenery.h"

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

void Billboard(Image& img, int x, int roof, int w, Random& rnd) {
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
    for (int row = 0; row < 3; ++row)
        FillRect(img, x + 5, top + 6 + row * 7, std::max(6, w - 30 - row * 8), 3, poster[1]);
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

void DrawBuilding(Image& img, int x0, int x1, int roof, int bottom, const BuildingLook& look,
                  double dim) {
    Random rnd(look.seed * 31 + 5);
    const Rgb wall = Dim(kWalls[look.family], dim);
    const Rgb shade = Dim(Mix(kWalls[look.family], kDeepShadow, 0.45), dim);
    const Rgb light = Dim(Mix(kWalls[look.family], palette::kLedge, 0.35), dim);
    const int width = x1 - x0;
    const int side = std::clamp(width / 14, 3, 10);  // the shaded side wall at the right

    FillRect(img, x0, roof, width, bottom - roof, wall);
    FillRect(img, x1 - side, roof, side, bottom - roof, shade);
    FillRect(img, x0, roof, 1, bottom - roof, light);

    // Windows in a centred grid, floor by floor.
    const int top = roof + look.ledge + 7;
    const int usable = width - side - 8;
    const int columns = std::max(1, (usable + look.column_step - look.window_w) / look.column_step);
    const int grid = (columns - 1) * look.column_step + look.window_w;
    const int left = x0 + 4 + (usable - grid) / 2;
    for (int y = top, floor = 0; y + look.window_h <= bottom; y += look.row_step, ++floor) {
        if (look.bands)
            FillRect(img, x0 + 1, y + look.window_h + 2, width - side - 1, 2, shade);
        double floor_lit = look.lit * (rnd.Chance(0.25) ? 1.6 : (rnd.Chance(0.2) ? 0.3 : 1.0));
        for (int c = 0; c < columns; ++c) {
            int wx = left + c * look.column_step;
            if (look.pilasters && c > 0 && c % 3 == 0)
                FillRect(img, wx - (look.column_step - look.window_w) / 2 - 1, y - 3, 2,
                         look.row_step, light);
            Rgb glass;
            bool is_lit = rnd.Chance(floor_lit);
            if (is_lit) {
                double r = rnd.Unit();
                glass = r < 0.55 ? palette::kWindowLit
                                 : (r < 0.9 ? palette::kWindowBright : palette::kWindowTv);
            } else {
                glass = palette::kWindowDark;
            }
            glass = Dim(glass, dim);
            FillRect(img, wx, y, look.window_w, look.window_h, glass);
            if (is_lit) {
                // A curtain or a shadow inside now and then.
                if (rnd.Chance(0.3))
                    FillRect(img, wx, y, look.window_w, look.window_h / 3,
                             Dim(Mix(glass, palette::kWindowDark, 0.45), dim));
            } else {
                // The sky's reflection in the top corner of a dark pane.
                img.Set(wx, y, Dim(0x3A3F66, dim));
                if (look.window_w > 4) img.Set(wx + 1, y, Dim(0x2C3154, dim));
            }
            FillRect(img, wx, y + look.window_h, look.window_w, 1, shade);  // sill shadow
        }
    }

    // The roof ledge: its top row is the roof line the hero rides on.
    const Rgb ledge = Dim(palette::kLedge, dim);
    FillRect(img, x0, roof, width, look.ledge, ledge);
    FillRect(img, x0, roof, width, 1, Dim(kRimLight, dim));
    FillRect(img, x0, roof + 1, width, 1, Dim(palette::kLedgeLight, dim));
    FillRect(img, x0, roof + look.ledge - 1, width, 1, Dim(kLedgeShadow, dim));
    FillRect(img, x0, roof + look.ledge, width, 2, shade);
    FillRect(img, x1 - side, roof + 2, side, look.ledge - 3, Dim(Mix(palette::kLedge, kDeepShadow, 0.4), dim));
}

void DrawRooftop(Image& img, int x0, int x1, int roof, Random& rnd) {
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
            int w = std::min(room - 10, rnd.Range(64, 96));
            Billboard(img, x, roof, w, rnd);
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
