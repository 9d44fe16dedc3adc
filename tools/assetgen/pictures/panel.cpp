// The bottom panel (bmp/kabe.bmp): a dark glass status bar with lit edges.
// The game draws the clock at y 36 and the score at y 57 in eight cells
// from x 100 to 203, and the lives digit at x 180, y 75; those places are a
// dark recess with their labels beside them. The rest shows the keys.
#include "palette.h"
#include "pictures.h"

namespace pictures {
namespace {

using namespace palette;

constexpr Rgb kRecess = 0x0A0918;
constexpr Rgb kRecessEdge = 0x3A3570;

// Lettering with a one-pixel dark edge, no anti-aliasing.
void Label(Image& img, const Mask& m, int x, int y, Rgb top, Rgb bottom) {
    Mask edge = Grow(Pad(m, 1), 1);
    Stamp(img, edge, x - 1, y - 1, kOutline);
    Stamp(img, m, x, y, [&](int, int j) { return Mix(top, bottom, m.height > 1 ? static_cast<double>(j) / (m.height - 1) : 0); });
}

void KeyCap(Image& img, Fonts& fonts, int x, int y, int w, const char* key) {
    const int h = 22;
    FillRect(img, x + 1, y, w - 2, h, kOutline);
    FillRect(img, x, y + 1, w, h - 2, kOutline);
    FillRect(img, x + 1, y + 1, w - 2, h - 2, 0xB9B6C8);
    FillRect(img, x + 2, y + 1, w - 4, h - 5, 0xE4E2EC);
    FillRect(img, x + 2, y + 1, w - 4, 1, kNearWhite);
    Mask m = fonts.Render(Face::Sans, 10, key);
    Stamp(img, m, x + (w - m.width) / 2, y + (h - 3 - m.height) / 2, 0x2A2440);
}

void SmallHeart(Image& img, int x, int y) {
    FillCircle(img, x + 3, y + 3, 3.2, kOutline);
    FillCircle(img, x + 8, y + 3, 3.2, kOutline);
    FillPolygon(img, {{x - 0.5, y + 4.0}, {x + 11.5, y + 4.0}, {x + 5.5, y + 11.0}}, kOutline);
    FillCircle(img, x + 3, y + 3, 2.2, kLife);
    FillCircle(img, x + 8, y + 3, 2.2, kLife);
    FillPolygon(img, {{x + 1.0, y + 4.0}, {x + 10.0, y + 4.0}, {x + 5.5, y + 9.0}}, kLife);
    img.Set(x + 2, y + 2, kNearWhite);
}

void Bolt(Image& img, int x, int y) {
    FillPolygon(img, {{x + 7.0, y + 0.0}, {x + 1.0, y + 9.0}, {x + 5.0, y + 9.0}, {x + 3.0, y + 16.0},
                      {x + 11.0, y + 6.0}, {x + 7.0, y + 6.0}, {x + 10.0, y + 0.0}},
                kOutline);
    FillPolygon(img, {{x + 7.0, y + 1.5}, {x + 2.8, y + 8.0}, {x + 6.0, y + 8.0}, {x + 4.8, y + 12.5},
                      {x + 9.2, y + 7.0}, {x + 6.0, y + 7.0}, {x + 8.5, y + 1.5}},
                kBonus);
}

}  // namespace

Image MakePanel(Fonts& fonts) {
    Image img(800, 100, kKeyWhite);
    // The glass, darker toward the bottom, with a faint diagonal sheen.
    FillVerticalGradient(img, 0, 0, 800, 100, {{0, 0x2A2656}, {0.25, kGlass}, {1, kGlassDark}}, 12);
    for (int x = 0; x < 800; ++x)
        for (int y = 4; y < 100; ++y)
            if (((x + y) % 180) < 14 && ((x + y) % 180) > 3 && y < 60)
                img.Set(x, y, Mix(img.At(x, y), 0x4A4690, 0.35));
    // Lit edges: a cool line along the top, a warm one under it.
    FillRect(img, 0, 0, 800, 1, kGlassEdge);
    FillRect(img, 0, 1, 800, 1, Mix(kGlassEdge, kGlass, 0.55));
    FillRect(img, 0, 3, 800, 1, Mix(kGlassWarm, kGlass, 0.55));
    FillRect(img, 0, 99, 800, 1, 0x08070F);
    // Rounded top corners: the sky and the roofs show there.
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5 - i - (i == 0 ? 0 : 1); ++j) {
            img.Set(i, j, kKeyWhite);
            img.Set(799 - i, j, kKeyWhite);
        }
    img.Set(4, 0, kGlassEdge);
    img.Set(795, 0, kGlassEdge);

    // The recess behind the clock, the score and the lives digit.
    FillRect(img, 95, 31, 114, 55, kRecessEdge);
    FillRect(img, 174, 70, 24, 30, kRecessEdge);
    FillRect(img, 96, 32, 112, 53, kRecess);
    FillRect(img, 175, 71, 22, 29, kRecess);
    FillRect(img, 96, 32, 112, 1, 0x050410);
    // Faint cell marks, like an unlit display.
    for (int cell = 0; cell < 8; ++cell) {
        int x = 13 * cell + 100;
        FillRect(img, x + 2, 59, 8, 1, 0x161430);
        FillRect(img, x + 2, 82, 8, 1, 0x161430);
    }

    Mask time = fonts.Render(Face::Pop, 14, "TIME");
    Mask score = fonts.Render(Face::Pop, 14, "SCORE");
    Mask life = fonts.Render(Face::Pop, 12, "LIFE");
    Label(img, time, 88 - time.width, 48 - time.height / 2, 0xBFEFFF, kGlassEdge);
    Label(img, score, 88 - score.width, 69 - score.height / 2, 0xFFF1B0, kBonus);
    Label(img, life, 152 - life.width, 88 - life.height / 2, 0xFFC0CC, kLife);
    SmallHeart(img, 157, 82);

    // The keys, left to right: three pads and the dash.
    Image pads = MakePadSheet();
    struct Key {
        const char* cap;
        int width;
        int pad;  // pad kind, or -1 for the dash
        const char* what;
    };
    const Key keys[] = {{"SPACE", 54, 0, "LOW"}, {"N", 22, 1, "MIDDLE"}, {"M", 22, 2, "HIGH"},
                        {"V", 22, -1, "DASH"}};
    int x = 234;
    for (const Key& k : keys) {
        KeyCap(img, fonts, x, 30, k.width, k.cap);
        x += k.width + 5;
        if (k.pad >= 0) Blit(img, pads, k.pad * 16, 0, 16, 16, x, 33, true);
        else Bolt(img, x + 2, 33);
        x += 19;
        Mask m = fonts.Render(Face::Sans, 10, k.what);
        Label(img, m, x, 41 - m.height / 2, kNearWhite, 0xB9B6C8);
        x += m.width + 16;
    }
    Mask hint = fonts.Render(Face::Gothic, 12, "パッドを投げて、屋根から屋根へ！");
    Label(img, hint, 236, 70, 0xE4E2EC, 0xB9B6C8);

    // The game's name at the lower right.
    Mask logo = fonts.Render(Face::Pop, 22, "ROOF RIDER");
    Mask slanted = Slant(logo, 0.2);
    int lx = 786 - slanted.width, ly = 77 - slanted.height / 2;
    Stamp(img, Grow(Pad(slanted, 2), 2), lx - 2, ly - 2, kOutline);
    Stamp(img, slanted, lx, ly, [&](int, int j) {
        return j < slanted.height / 2 ? Mix(0xFFF1B0, kBonus, j * 2.0 / slanted.height)
                                      : Mix(kSkyLow, kJacket, (j - slanted.height / 2) * 2.0 / slanted.height);
    });
    return img;
}

}  // namespace pictures
