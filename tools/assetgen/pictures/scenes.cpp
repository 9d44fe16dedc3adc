// The whole-screen pictures: the game-over picture (bmp/end.bmp) and the
// pictures compiled into the program (title, options and evaluation
// backgrounds, the evaluation portrait). They are calm scenes of the same
// city, dark where the screens put their text.
#include <cmath>

#include "hero.h"
#include "lettering.h"
#include "palette.h"
#include "pictures.h"
#include "scenery.h"

namespace pictures {
namespace {

using namespace palette;

const std::vector<GradientStop> kNight = {
    {0.0, kNightTop}, {0.45, kNightHigh}, {0.8, 0x2E2560}, {1.0, 0x4A2E64}};

void Moon(Image& img, double cx, double cy, double r) {
    for (int i = 3; i >= 1; --i) FillCircle(img, cx, cy, r + i * 4, Mix(kNightHigh, 0x4A4680, 0.25 * (4 - i)));
    FillCircle(img, cx, cy, r, 0xF4F0D0);
    FillCircle(img, cx - r * 0.3, cy - r * 0.2, r * 0.25, 0xDCD6B4);
    FillCircle(img, cx + r * 0.35, cy + r * 0.3, r * 0.18, 0xDCD6B4);
}

// A dark card behind menu text, framed like the play field's panel.
void GlassCard(Image& img, int x, int y, int w, int h) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            if (img.Inside(i, j)) img.Set(i, j, Mix(img.At(i, j), kGlassDark, 0.82));
    FillRect(img, x + 2, y, w - 4, 1, kGlassEdge);
    FillRect(img, x + 2, y + h - 1, w - 4, 1, Mix(kGlassWarm, kGlassDark, 0.3));
    FillRect(img, x, y + 2, 1, h - 4, Mix(kGlassEdge, kGlassDark, 0.5));
    FillRect(img, x + w - 1, y + 2, 1, h - 4, Mix(kGlassEdge, kGlassDark, 0.5));
    img.Set(x + 1, y + 1, kGlassEdge);
    img.Set(x + w - 2, y + 1, kGlassEdge);
}

// Soft out-of-focus city lights.
void Bokeh(Image& img, int count, int y0, int y1, uint64_t seed, double strength) {
    Random rnd(seed);
    static const Rgb kLights[] = {kWindowLit, kLife, kGlint, kSkyLow, kSkyMid};
    for (int i = 0; i < count; ++i) {
        double cx = rnd.Range(0, img.Width()), cy = rnd.Range(y0, y1), r = 4 + rnd.Unit() * 12;
        Rgb c = kLights[rnd.Range(0, 4)];
        double s = strength * (0.4 + 0.6 * rnd.Unit());
        for (int y = static_cast<int>(cy - r); y <= cy + r; ++y)
            for (int x = static_cast<int>(cx - r); x <= cx + r; ++x) {
                double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / r;
                if (d > 1 || !img.Inside(x, y)) continue;
                double a = s * (d > 0.85 ? 1.0 : 0.6);
                img.Set(x, y, Mix(img.At(x, y), c, a));
            }
    }
}

void Sparkle(Image& img, int x, int y, int r, Rgb c) {
    FillRect(img, x - r, y, 2 * r + 1, 1, c);
    FillRect(img, x, y - r, 1, 2 * r + 1, c);
    img.Set(x - 1, y - 1, c);
    img.Set(x + 1, y - 1, c);
    img.Set(x - 1, y + 1, c);
    img.Set(x + 1, y + 1, c);
}

// The hero sitting on a roof's edge with his board beside him.
HeroPose SittingPose() {
    HeroPose p;
    p.board = false;
    p.smile = false;
    p.hip = {42, 62};
    p.shoulder = {45, 38};
    p.head = {50, 25};
    p.knee_back = {57, 63};
    p.foot_back = {58, 84};
    p.knee_front = {60, 62};
    p.foot_front = {63, 83};
    p.elbow_back = {36, 52};
    p.hand_back = {30, 63};
    p.elbow_front = {54, 50};
    p.hand_front = {60, 58};
    return p;
}

void PasteScaled(Image& dst, const Image& cell, int factor, int x, int y) {
    Image big = Enlarge(cell, factor);
    Blit(dst, big, 0, 0, big.Width(), big.Height(), x, y, true, kKeyWhite);
}

}  // namespace

Image MakeGameOver(Fonts& fonts) {
    Image img(800, 600);
    FillVerticalGradient(img, 0, 0, 800, 600, kNight, 40);
    DrawStars(img, 0, 0, 800, 380, 160, 0xE4D, false);
    Moon(img, 700, 62, 26);
    DrawCloud(img, 600, 300, 200, 8, 91, 0, 0.05);
    DrawSkyline(img, 0, 800, 600, 120, 260, 0x1C1940, 0x6A5A8A, 0xE1);
    DrawSkyline(img, 0, 800, 600, 60, 170, 0x121030, 0xC8A060, 0xE2);
    // The roof he sits on, and the night beyond its edge.
    BuildingLook look = ChooseLook(404);
    look.lit = 0.25;
    DrawBuilding(img, -10, 470, 440, 600, look, 0.35);
    Image cell(96, 96, kKeyWhite);
    DrawHero(cell, 0, 0, SittingPose());
    PasteScaled(img, cell, 2, 470 - 2 * 44 - 8, 440 - 2 * 62);
    // His board lies on the roof behind him.
    FillCapsule(img, {250, 434}, {330, 434}, 3, kOutline);
    FillCapsule(img, {252, 433}, {328, 433}, 1.8, kDeck);
    FillCircle(img, 266, 439, 3.5, kWheel);
    FillCircle(img, 314, 439, 3.5, kWheel);

    LetterStyle style{0xFFC0CC, kLife, 0xB02A45, kOutline, 0x3B2F73, 5, 6, 7};
    Mask words = ShowLettering(fonts, Face::Pop, 96, "GAME OVER", 0.18);
    DrawShowLettering(img, words, (800 - words.width) / 2, 120, style);
    Mask sub = fonts.Render(Face::Pop, 22, "トップモデルへの道は、まだ遠い…");
    int sx = (800 - sub.width) / 2, sy = 120 + words.height + 26;
    Stamp(img, Grow(Pad(sub, 2), 2), sx - 2, sy - 2, kOutline);
    Stamp(img, sub, sx, sy, 0xE4E2EC);
    return img;
}

Image MakeTitleBackground() {
    Image img(574, 400);
    FillVerticalGradient(img, 0, 0, 574, 400,
                         {{0, kSkyTop}, {0.4, kSkyHigh}, {0.75, kSkyMid}, {1.0, 0xC86A78}}, 30);
    DrawStars(img, 0, 0, 574, 220, 90, 0x7171, false);
    DrawCloud(img, 460, 190, 180, 10, 5, 0, 0.5);
    DrawCloud(img, 90, 240, 140, 8, 6, 0, 0.7);
    DrawSkyline(img, 0, 574, 400, 90, 170, 0x2A2452, 0x8A6A8A, 0x71);
    DrawSkyline(img, 0, 574, 400, 40, 110, 0x1A1838, 0xFFD27A, 0x72);
    // A near rooftop along the foot, with the hero riding it.
    BuildingLook look = ChooseLook(77);
    DrawBuilding(img, -4, 578, 352, 400, look, 0.25);
    DrawHero(img, 24, 352 - 96, HeroFramePose(0));
    // The menu stands on a dark card in the middle.
    GlassCard(img, 146, 190, 170, 142);
    for (auto [x, y] : {std::pair{120, 200}, std::pair{350, 230}, std::pair{400, 170}, std::pair{60, 180}})
        Sparkle(img, x, y, 3, 0xFFE9A8);
    return img;
}

Image MakeOptionsBackground() {
    Image img(400, 300);
    FillVerticalGradient(img, 0, 0, 400, 300, {{0, kNightTop}, {0.6, kNightHigh}, {1.0, 0x2A2050}}, 20);
    Bokeh(img, 34, 20, 290, 0x0B0E, 0.12);
    DrawStars(img, 0, 0, 400, 120, 40, 0x0510, false);
    DrawSkyline(img, 0, 400, 300, 20, 70, 0x16142E, 0x7A6A50, 0x0511);
    // Thin guide lines under the rows, like the panel's edges.
    for (int y : {37, 77, 117})
        for (int x = 16; x < 384; ++x)
            if (x % 4 != 3) img.Set(x, y, Mix(img.At(x, y), kGlassEdge, 0.25));
    return img;
}

Image MakeEvaluationBackground() {
    Image img(800, 600);
    FillVerticalGradient(img, 0, 0, 800, 600, {{0, 0x0A0818}, {0.55, 0x1A1238}, {1.0, 0x2A1840}}, 30);
    Bokeh(img, 50, 0, 380, 0xE7A1, 0.10);
    // Two spotlights sweeping down onto the runway.
    for (int side = 0; side < 2; ++side) {
        double sx = side ? 700 : 100;
        for (int y = 0; y < 600; ++y) {
            double spread = 20 + y * 0.42;
            double centre = sx + (400 - sx) * y / 600.0;
            for (int x = static_cast<int>(centre - spread); x <= centre + spread; ++x)
                if (img.Inside(x, y) && DitherThreshold(x, y) < 0.5)
                    img.Set(x, y, Mix(img.At(x, y), 0x8A6AB0, 0.12));
        }
    }
    // The runway in perspective, lamps along its edges.
    FillPolygon(img, {{330, 470}, {470, 470}, {640, 600}, {160, 600}}, 0x241A3C);
    FillPolygon(img, {{345, 470}, {455, 470}, {600, 600}, {200, 600}}, 0x2E2250);
    for (int i = 0; i < 6; ++i) {
        double t = i / 5.0, y = 474 + t * 122;
        FillCircle(img, 332 - t * 170, y, 1.5 + t * 2, kWindowBright);
        FillCircle(img, 468 + t * 170, y, 1.5 + t * 2, kWindowBright);
    }
    // The audience's heads along the foot, and their camera flashes.
    Random rnd(0xA0D1E);
    for (int x = -10; x < 810; x += rnd.Range(22, 34)) {
        int h = rnd.Range(0, 10);
        FillCircle(img, x, 585 - h, 12, 0x0C0A16);
        FillRect(img, x - 16, 590 - h, 32, 20, 0x0C0A16);
    }
    for (auto [x, y] : {std::pair{120, 560}, std::pair{690, 552}, std::pair{40, 570}, std::pair{760, 575}})
        Sparkle(img, x, y, 5, kNearWhite);
    return img;
}

Image MakePortrait() {
    Image img(128, 128);
    FillVerticalGradient(img, 0, 0, 128, 128, {{0, kSkyMid}, {0.6, kSkyLow}, {1.0, kSkyHorizon}}, 16);
    // A halo of light behind him, in flat rings.
    for (int r = 60; r > 28; r -= 8) FillCircle(img, 60, 52, r, Mix(kSkyLow, 0xFFE9A8, (60 - r) / 40.0));
    // Rays, like a stage light.
    for (int i = 0; i < 12; ++i) {
        double a = i * 3.14159 / 6 + 0.2;
        FillPolygon(img, {{60, 52}, {60 + 90 * std::cos(a), 52 + 90 * std::sin(a)},
                          {60 + 90 * std::cos(a + 0.12), 52 + 90 * std::sin(a + 0.12)}},
                    Mix(img.At(60 + static_cast<int>(40 * std::cos(a)), 52), 0xFFF1C0, 0.18));
    }

    // He is drawn on a layer of his own and outlined, then laid over it.
    Image hero(128, 128, kKeyWhite);
    // Shoulders in the red jacket with a popped collar over a white shirt.
    FillEllipse(hero, 60, 134, 58, 38, kJacket);
    FillEllipse(hero, 28, 130, 24, 30, kJacketShadow);
    FillPolygon(hero, {{48, 96}, {72, 96}, {60, 128}}, kNearWhite);
    FillPolygon(hero, {{49, 104}, {71, 104}, {60, 124}}, kShoeShadow);
    FillPolygon(hero, {{38, 92}, {52, 90}, {58, 118}, {44, 110}}, kJacketLight);
    FillPolygon(hero, {{82, 92}, {68, 90}, {62, 118}, {76, 110}}, kJacket);
    // The neck, shaded under the chin.
    FillRect(hero, 50, 78, 20, 22, kSkin);
    FillRect(hero, 50, 78, 20, 8, kSkinShadow);
    // Ears and head: shade on his left, light on his right.
    FillEllipse(hero, 33, 58, 5, 8, kSkinShadow);
    FillEllipse(hero, 87, 58, 5, 8, kSkin);
    FillEllipse(hero, 60, 55, 25, 29, kSkinShadow);
    FillEllipse(hero, 63, 54, 22, 28, kSkin);
    FillEllipse(hero, 60, 74, 17, 12, kSkin);  // the jaw
    // Pompadour: a tall wave swept up and to his left, short at the sides.
    FillPolygon(hero, {{34, 58}, {33, 36}, {40, 20}, {52, 10}, {70, 4}, {92, 3}, {104, 10},
                       {100, 18}, {90, 22}, {86, 34}, {84, 42}, {80, 30}, {66, 30}, {52, 34},
                       {42, 42}, {38, 58}},
                kHair);
    FillCapsule(hero, {46, 22}, {90, 8}, 1.6, kHairLight);
    FillCapsule(hero, {42, 32}, {70, 18}, 1.2, kHairLight);
    FillCapsule(hero, {60, 28}, {98, 12}, 0.9, kHairLight);
    // Eyebrows over the glasses, one raised.
    FillCapsule(hero, {42, 40}, {54, 38}, 1.5, kHair);
    FillCapsule(hero, {66, 37}, {80, 34}, 1.5, kHair);
    // Sunglasses: a bar and two lenses with a streak of sky in each.
    FillRect(hero, 38, 44, 48, 4, kShades);
    FillEllipse(hero, 49, 50, 11, 7.5, kShades);
    FillEllipse(hero, 75, 50, 11, 7.5, kShades);
    FillCapsule(hero, {42, 50}, {47, 45}, 1.2, kGlint);
    FillCapsule(hero, {68, 50}, {73, 45}, 1.2, kGlint);
    hero.Set(54, 53, kGlint);
    hero.Set(80, 53, kGlint);
    // The nose and a proud grin.
    FillPolygon(hero, {{62, 52}, {66, 63}, {60, 64}}, kSkinShadow);
    FillPolygon(hero, {{48, 70}, {78, 67}, {74, 76}, {54, 78}}, 0x8A3A3A);
    FillPolygon(hero, {{51, 70}, {76, 68}, {75, 71}, {52, 73}}, kNearWhite);
    // A thumbs-up rising from the lower right.
    FillCapsule(hero, {112, 132}, {106, 114}, 10, kJacket);
    FillCapsule(hero, {116, 132}, {112, 116}, 5, kJacketShadow);
    FillRect(hero, 97, 94, 16, 14, kSkin);
    FillRect(hero, 97, 100, 16, 8, kSkinShadow);
    for (int k = 0; k < 3; ++k) FillRect(hero, 97, 96 + k * 4, 14, 1, kSkinShadow);
    FillCapsule(hero, {102, 94}, {100, 80}, 3.2, kSkin);
    Outline(hero, 0, 0, 128, 128, kKeyWhite, kOutline, true);
    FillPinholes(hero, 0, 0, 128, 128, kKeyWhite);
    Blit(img, hero, 0, 0, 128, 128, 0, 0, true);
    // Sparkles: he knows he looks good.
    Sparkle(img, 110, 34, 5, kNearWhite);
    Sparkle(img, 16, 26, 4, 0xFFE9A8);
    Sparkle(img, 20, 92, 3, 0xFFE9A8);
    Sparkle(img, 80, 50, 2, kNearWhite);
    return img;
}

}  // namespace pictures
