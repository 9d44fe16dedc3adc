// The course picture (bmp/biru.bmp): every building of the course source,
// each roof line at its Top and each left wall at its Left times three, on
// white, which the game treats as transparent so the sky shows above and
// between the buildings.
#include <cmath>
#include <string>

#include "palette.h"
#include "pictures.h"
#include "scenery.h"

namespace pictures {
namespace {

constexpr int kWidth = 15000;
constexpr int kHeight = 600;

int Column(double course_x) { return static_cast<int>(std::lround(Course::World(course_x))); }

// A vertical neon sign hung on a facade: katakana lit in one colour.
void NeonSign(Image& img, Fonts& fonts, int x, int y, const std::string& text, Rgb glow) {
    // Split the UTF-8 text into characters and stack them.
    std::vector<Mask> glyphs;
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t n = lead < 0x80 ? 1 : (lead < 0xE0 ? 2 : (lead < 0xF0 ? 3 : 4));
        glyphs.push_back(fonts.Render(Face::Gothic, 12, text.substr(i, n)));
        i += n;
    }
    const int cell = 14;
    int h = static_cast<int>(glyphs.size()) * cell + 6;
    FillRect(img, x - 1, y - 1, 18, h + 2, 0x101224);
    FillRect(img, x, y, 16, h, 0x1A1C34);
    FillRect(img, x + 17, y + 4, 3, 2, palette::kProp);  // brackets to the wall
    FillRect(img, x + 17, y + h - 6, 3, 2, palette::kProp);
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const Mask& g = glyphs[i];
        int gx = x + (16 - g.width) / 2, gy = y + 3 + static_cast<int>(i) * cell + (cell - g.height) / 2;
        Stamp(img, Grow(g, 1), gx, gy, Mix(glow, 0x1A1C34, 0.55));
        Stamp(img, g, gx, gy, Mix(glow, palette::kNearWhite, 0.35));
    }
}

// The finish: a checkered line on the ledge and a flag on a pole.
void Goal(Image& img, Fonts& fonts, int x, int roof) {
    for (int i = 0; i < 24; ++i)
        for (int j = 0; j < 4; ++j)
            img.Set(x + i, roof + 1 + j, ((i / 2 + j / 2) % 2) ? palette::kNearWhite : palette::kOutline);
    int pole = x + 26;
    FillRect(img, pole, roof - 118, 3, 118, 0x8C93B8);
    FillRect(img, pole + 2, roof - 118, 1, 118, 0x5A6088);
    FillCircle(img, pole + 1.5, roof - 120, 3, palette::kBonus);
    // The flag waves back toward the hero as he comes.
    for (int i = 0; i < 36; ++i) {
        int wave = static_cast<int>(std::lround(2.5 * std::sin(i / 6.0)));
        for (int j = 0; j < 24; ++j) {
            bool dark = ((i / 6) + (j / 6)) % 2;
            img.Set(pole - 1 - i, roof - 114 + j + wave, dark ? palette::kOutline : palette::kNearWhite);
        }
    }
    Mask word = fonts.Render(Face::Pop, 22, "GOAL");
    int wx = pole - 8 - word.width, wy = roof - 84;
    Stamp(img, Grow(word, 2), wx, wy, palette::kOutline);
    Stamp(img, word, wx, wy, [&](int, int y) {
        return y < word.height / 2 ? palette::kBonus : palette::kPadHigh;
    });
}

}  // namespace

Image MakeCourse(const Course& course, Fonts& fonts) {
    Image img(kWidth, kHeight, kKeyWhite);
    static const char* kSigns[] = {"ホテル", "カラオケ", "モデル", "ラーメン", "バー", "ジム", "カフェ"};
    static const Rgb kNeon[] = {0xFF5E9A, 0x7FD6FF, 0xFFD23F, 0x7CFF9A};
    for (size_t i = 0; i < course.buildings.size(); ++i) {
        const Building& b = course.buildings[i];
        int x0 = Column(b.left), x1 = Column(b.right);
        int roof = static_cast<int>(std::lround(b.roof));
        BuildingLook look = ChooseLook(i + 1);
        Random props(0xB0B0 + i);
        DrawRooftop(img, x0, x1, roof, props, &fonts);
        DrawBuilding(img, x0, x1, roof, kHeight, look);
        // A neon sign on every other facade that is tall enough to hold one.
        if (i % 2 == 1 && 500 - roof > 110 && x1 - x0 > 120) {
            int sx = x0 + 22 + static_cast<int>(props.Range(0, (x1 - x0) / 3));
            NeonSign(img, fonts, sx, roof + 30, kSigns[i % 7], kNeon[i % 4]);
        }
        if (i + 1 == course.buildings.size()) Goal(img, fonts, kWidth - 80, roof);
    }
    return img;
}

}  // namespace pictures
