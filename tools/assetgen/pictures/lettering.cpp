// Big lettering: READY / GO! (bmp/ready_go.bmp) and the title band's
// lettering, mask and background (bmp/mozi.bmp, bmp/mask.bmp,
// bmp/back(1).bmp).
#include "lettering.h"

#include <algorithm>

#include "palette.h"
#include "pictures.h"
#include "scenery.h"

namespace pictures {

using namespace palette;

Mask ShowLettering(Fonts& fonts, Face face, int size, const std::string& text, double slant) {
    return Slant(fonts.Render(face, size, text), slant);
}

void DrawShowLettering(Image& img, const Mask& m, int x, int y, const LetterStyle& style) {
    const int e = style.edge;
    Mask edge = Grow(Pad(m, e + 1), e);
    Stamp(img, edge, x - e - 1 + style.shadow_dx, y - e - 1 + style.shadow_dy, style.shadow);
    Stamp(img, edge, x - e - 1, y - e - 1, style.outline);
    Stamp(img, m, x, y, [&](int i, int j) {
        double t = m.height > 1 ? static_cast<double>(j) / (m.height - 1) : 0.0;
        // Three flat tones: a bright top, the body, a deeper foot.
        Rgb c = t < 0.3 ? style.top : (t < 0.72 ? style.middle : style.bottom);
        // A light line just inside the upper edge of each stroke.
        if (!m.At(i, j - 1) && t < 0.6) c = Mix(style.top, kNearWhite, 0.6);
        if (!m.At(i, j - 2) && m.At(i, j - 1) && t < 0.3) c = Mix(style.top, kNearWhite, 0.3);
        return c;
    });
}

namespace {

void ReadyGoCell(Image& img, Fonts& fonts, int ox, const std::string& text, const LetterStyle& st) {
    Mask m = ShowLettering(fonts, Face::Pop, 104, text, 0.28);
    // The word and its streaks together are centred in the cell.
    const int streaks = 56;
    int x = ox + (540 - m.width + streaks) / 2 - 4, y = (133 - m.height) / 2 - 3;
    // Speed streaks trailing the word.
    for (int i = 0; i < 5; ++i) {
        int sy = y + 14 + i * (m.height - 20) / 4;
        // Lower streaks start further right, under the slanted letters.
        int end = x + (m.height - (sy - y)) * 28 / 100 - 2;
        int len = std::min(34 + (i * 37) % 36, end - ox - 8);
        FillRect(img, end - len, sy, len, 4, st.outline);
        FillRect(img, end - len + 1, sy + 1, len - 2, 2, st.middle);
    }
    DrawShowLettering(img, m, x, y, st);
}

}  // namespace

Image MakeReadyGo(Fonts& fonts) {
    Image img(1080, 133, kKeyWhite);
    LetterStyle ready{0xFFF1B0, kBonus, 0xF2A33A, kOutline, 0x8A4F8F, 4, 5, 6};
    LetterStyle go{0xFFC09A, kPadHigh, 0xC8342A, kOutline, 0x3B2F73, 4, 5, 6};
    ReadyGoCell(img, fonts, 0, "READY", ready);
    ReadyGoCell(img, fonts, 540, "GO!", go);
    FillPinholes(img, 0, 0, 1080, 133, kKeyWhite);
    return img;
}

TitlePictures MakeTitlePictures(Fonts& fonts) {
    TitlePictures t;
    // The lettering: the name over its Japanese line, white around them.
    Mask name = ShowLettering(fonts, Face::Pop, 40, "ROOF RIDER", 0.22);
    Mask line = fonts.Render(Face::Pop, 15, "〜トップモデルへの道〜");
    const int width = std::max(name.width, line.width) + 16, height = 150;
    t.lettering = Image(width, height, kKeyWhite);
    LetterStyle style{0xFFF1B0, kBonus, kSkyLow, kOutline, kJacket, 3, 3, 4};
    int nx = (width - name.width) / 2, ny = 36;
    DrawShowLettering(t.lettering, name, nx, ny, style);
    int lx = (width - line.width) / 2 + 4, ly = ny + name.height + 14;
    Stamp(t.lettering, Grow(Pad(line, 2), 2), lx - 2, ly - 2, kOutline);
    Stamp(t.lettering, line, lx, ly, [&](int, int j) {
        return j < line.height / 2 ? kNearWhite : Mix(kNearWhite, kLife, 0.45);
    });
    // Sparkles at the corners of the name: a top model's shine.
    for (auto [sx, sy] : {std::pair{nx - 4, ny - 8}, std::pair{nx + name.width - 2, ny + name.height + 2}}) {
        FillRect(t.lettering, sx - 5, sy, 11, 1, kOutline);
        FillRect(t.lettering, sx, sy - 5, 1, 11, kOutline);
        FillRect(t.lettering, sx - 3, sy, 7, 1, kNearWhite);
        FillRect(t.lettering, sx, sy - 3, 1, 7, kNearWhite);
    }
    FillPinholes(t.lettering, 0, 0, width, height, kKeyWhite);
    // The mask: white exactly where the lettering has colour.
    t.mask = Image(width, height, kKeyBlack);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (t.lettering.At(x, y) != kKeyWhite) t.mask.Set(x, y, kKeyWhite);

    // The band's background: a dusk strip of skyline.
    t.band = Image(512, 150);
    FillVerticalGradient(t.band, 0, 0, 512, 150,
                         {{0, kSkyTop}, {0.45, kSkyHigh}, {0.8, kSkyMid}, {1.0, 0xB0607F}}, 20);
    DrawStars(t.band, 0, 0, 512, 70, 40, 0x7171E, false);
    DrawCloud(t.band, 120, 40, 160, 10, 11, 0, 0.3);
    DrawCloud(t.band, 400, 70, 200, 12, 12, 0, 0.45);
    DrawSkyline(t.band, 0, 512, 150, 20, 52, 0x2A2452, 0x8A6A8A, 0xBA11D);
    DrawSkyline(t.band, 0, 512, 150, 8, 30, 0x1A1838, 0xFFD27A, 0xBA12D);
    return t;
}

}  // namespace pictures
