// The hero puppet and the player sheet (bmp/chara.bmp): five 96 x 96 frames
// side by side, white around him, his board's wheels on the cell's bottom
// row (the game stands his feet on the roof line at the cell's foot).
#include "hero.h"

#include <cmath>

#include "palette.h"
#include "pictures.h"

namespace pictures {
namespace {

using namespace palette;

Point Add(Point a, double dx, double dy) { return {a.x + dx, a.y + dy}; }

void Limb(Image& img, Point a, Point b, Point c, double r1, double r2, Rgb base, Rgb shade) {
    // The shade is a copy shifted down and back; the base sits over it.
    FillCapsule(img, Add(a, -1, 1), Add(b, -1, 1), r1, shade);
    FillCapsule(img, Add(b, -1, 1), Add(c, -1, 1), r2, shade);
    FillCapsule(img, a, b, r1 - 0.6, base);
    FillCapsule(img, b, c, r2 - 0.6, base);
}

void Shoe(Image& img, Point foot) {
    FillEllipse(img, foot.x + 2, foot.y - 0.5, 6.2, 3.0, kShoe);
    FillRect(img, static_cast<int>(foot.x - 4), static_cast<int>(foot.y + 1), 12, 1, kShoeShadow);
    img.Set(static_cast<int>(foot.x + 3), static_cast<int>(foot.y - 2), kJacket);  // laces
}

void Board(Image& img, const HeroPose& p) {
    const double x0 = p.board_x0, x1 = p.board_x1, tilt = p.board_tilt;
    // The tail wheel always rests on row 94 (the outline then fills row 95,
    // where the game puts the roof); a tilt lifts the nose.
    const double rear = x0 + 11;
    auto deck_y = [&](double x) { return p.board_y + 1.5 - tilt * (x - rear) / (x1 - x0); };
    // Trucks and wheels.
    for (double wx : {x0 + 11, x1 - 11}) {
        double wy = 92.0 - tilt * (wx - rear) / (x1 - x0);
        FillRect(img, static_cast<int>(wx - 3), static_cast<int>(deck_y(wx) + 1), 7, 2, 0x4A4E66);
        FillCircle(img, wx, wy, 2.9, kWheel);
        img.Set(static_cast<int>(wx) - 1, static_cast<int>(wy) - 1, 0x8A6A4A);
    }
    // The deck with its kicked-up tail and nose.
    FillCapsule(img, {x0 + 4, deck_y(x0 + 4) + 0.5}, {x1 - 4, deck_y(x1 - 4) + 0.5}, 1.9, kDeckShadow);
    FillCapsule(img, {x0 + 4, deck_y(x0 + 4)}, {x1 - 4, deck_y(x1 - 4)}, 1.4, kDeck);
    FillCapsule(img, {x0 + 4, deck_y(x0 + 4)}, {x0, deck_y(x0) - 3.5}, 1.5, kDeck);
    FillCapsule(img, {x1 - 4, deck_y(x1 - 4)}, {x1, deck_y(x1) - 3.5}, 1.5, kDeck);
    // A flame stripe along the deck's side.
    for (double x = x0 + 8; x < x1 - 8; x += 1)
        if (static_cast<int>(x) % 6 < 3) img.Set(static_cast<int>(x), static_cast<int>(deck_y(x) + 1), kJacket);
}

void Torso(Image& img, const HeroPose& p) {
    double dx = p.shoulder.x - p.hip.x, dy = p.shoulder.y - p.hip.y;
    double len = std::sqrt(dx * dx + dy * dy);
    double ux = dx / len, uy = dy / len;  // hip to shoulder
    double nx = -uy, ny = ux;             // toward his front
    auto at = [&](Point base, double along, double across) {
        return Point{base.x + ux * along + nx * across, base.y + uy * along + ny * across};
    };
    // The jacket: the back half in shadow, the front half lit.
    std::vector<Point> back = {at(p.hip, -5, -6.5), at(p.hip, -5, 0), at(p.shoulder, 2, 0),
                               at(p.shoulder, 1, -7.5), at(p.shoulder, -4, -8)};
    std::vector<Point> front = {at(p.hip, -5, 0), at(p.hip, -5, 6.5), at(p.shoulder, -4, 7.5),
                                at(p.shoulder, 1, 6.5), at(p.shoulder, 2, 0)};
    FillPolygon(img, back, kJacketShadow);
    FillPolygon(img, front, kJacket);
    // The open jacket shows the white shirt down his front, with a lapel.
    FillPolygon(img, {at(p.shoulder, 1.5, 1.5), at(p.shoulder, 1.5, 6.5), at(p.hip, 0, 6.5),
                      at(p.hip, 0, 4.0)},
                kNearWhite);
    FillPolygon(img, {at(p.hip, 0, 6.8), at(p.hip, -5, 6.8), at(p.hip, -5, 4.5)}, kShoeShadow);
    FillCapsule(img, at(p.shoulder, 1, 3), at(p.shoulder, -9, 4.5), 0.7, kJacketLight);
    // Popped collar.
    FillPolygon(img, {at(p.shoulder, 3.5, -3), at(p.shoulder, 0, -1.5), at(p.shoulder, 1, 1.5)},
                kJacketLight);
    // The belt.
    FillCapsule(img, at(p.hip, -2, -7), at(p.hip, -2, 7), 1.1, 0x2A1E2E);
    img.Set(static_cast<int>(at(p.hip, -2, 3).x), static_cast<int>(at(p.hip, -2, 3).y), kBonus);
}

void Head(Image& img, const HeroPose& p) {
    const double hx = p.head.x, hy = p.head.y;
    FillCapsule(img, {hx - 2, hy + 6}, p.shoulder, 2.6, kSkinShadow);  // neck
    FillEllipse(img, hx, hy, 8.0, 8.6, kSkin);
    FillEllipse(img, hx + 3, hy + 4, 6.5, 5.0, kSkin);  // jaw and chin, forward
    FillEllipse(img, hx - 5, hy + 4, 2.5, 3.5, kSkinShadow);  // shade under the hair at the back
    // The ear.
    FillEllipse(img, hx - 2.5, hy + 1, 1.8, 2.6, kSkinShadow);
    // The pompadour: swept up and forward in a big quiff.
    std::vector<Point> hair = {{hx - 9.5, hy + 5},  {hx - 9.5, hy - 4}, {hx - 6, hy - 10},
                               {hx, hy - 13},       {hx + 7, hy - 15},  {hx + 13, hy - 14},
                               {hx + 12, hy - 10},  {hx + 8, hy - 7.5}, {hx + 3, hy - 7},
                               {hx - 1, hy - 5},    {hx - 4, hy - 1},   {hx - 6, hy + 5}};
    FillPolygon(img, hair, kHair);
    FillCapsule(img, {hx - 4, hy - 10}, {hx + 8, hy - 13}, 0.7, kHairLight);
    FillCapsule(img, {hx - 7, hy - 5}, {hx - 2, hy - 9}, 0.6, kHairLight);
    // Sunglasses: a dark band across the eyes, a strap to the ear, a glint.
    FillRect(img, static_cast<int>(hx + 1), static_cast<int>(hy - 3), 9, 4, kShades);
    FillRect(img, static_cast<int>(hx + 2), static_cast<int>(hy + 1), 3, 1, kShades);
    FillRect(img, static_cast<int>(hx + 6), static_cast<int>(hy + 1), 3, 1, kShades);
    FillRect(img, static_cast<int>(hx - 2), static_cast<int>(hy - 2), 3, 1, kShades);
    img.Set(static_cast<int>(hx + 7), static_cast<int>(hy - 2), kGlint);
    img.Set(static_cast<int>(hx + 8), static_cast<int>(hy - 2), kNearWhite);
    img.Set(static_cast<int>(hx + 3), static_cast<int>(hy - 2), kGlint);
    // The nose and a confident grin.
    img.Set(static_cast<int>(hx + 10), static_cast<int>(hy + 2), kSkin);
    img.Set(static_cast<int>(hx + 10), static_cast<int>(hy + 1), kSkin);
    int my = static_cast<int>(hy + 5);
    if (p.smile) {
        FillRect(img, static_cast<int>(hx + 4), my, 5, 1, 0x8A3A3A);
        img.Set(static_cast<int>(hx + 9), my - 1, 0x8A3A3A);
        FillRect(img, static_cast<int>(hx + 5), my + 1, 3, 1, kNearWhite);  // teeth
    } else {
        FillRect(img, static_cast<int>(hx + 5), my + 1, 4, 1, 0x8A3A3A);
    }
}

void Arm(Image& img, Point shoulder, Point elbow, Point hand, bool back) {
    Rgb sleeve = back ? kJacketShadow : kJacket, shade = back ? 0x7E1E36 : kJacketShadow;
    Limb(img, shoulder, elbow, hand, 3.6, 3.2, sleeve, shade);
    FillCircle(img, hand.x, hand.y, 2.7, back ? kSkinShadow : kSkin);
}

void PadInHand(Image& img, Point hand) {
    int x = static_cast<int>(hand.x + 3), y = static_cast<int>(hand.y - 9);
    FillRect(img, x, y + 7, 10, 2, 0x5A5E7A);    // base plate
    for (int i = 0; i < 3; ++i) FillRect(img, x + 2 + (i % 2), y + 3 + i * 1, 6, 1, 0xB0B4C8);
    FillRect(img, x, y + 1, 10, 2, kPadMiddle);  // top plate
    img.Set(x + 1, y + 1, kNearWhite);
}

}  // namespace

HeroPose HeroFramePose(int frame) {
    HeroPose p;
    switch (frame) {
        case 0:  // riding: crouched, one arm out in front, one behind
            break;
        case 1:  // airborne: knees tucked, board under the feet, arms up
            p.hip = {45, 58};
            p.shoulder = {49, 36};
            p.head = {53, 22};
            p.knee_back = {40, 71};
            p.foot_back = {33, 84};
            p.knee_front = {63, 64};
            p.foot_front = {62, 83};
            p.elbow_back = {38, 27};
            p.hand_back = {32, 16};
            p.elbow_front = {66, 30};
            p.hand_front = {75, 18};
            p.board_tilt = 3;
            break;
        case 2:  // throwing on a roof: the front arm flung forward
            p.shoulder = {54, 32};
            p.head = {59, 19};
            p.elbow_front = {66, 31};
            p.hand_front = {77, 28};
            p.elbow_back = {43, 43};
            p.hand_back = {34, 48};
            p.pad_in_hand = true;
            break;
        case 3:  // throwing in the air
            p = HeroFramePose(1);
            p.shoulder = {51, 36};
            p.head = {57, 22};
            p.elbow_front = {64, 34};
            p.hand_front = {75, 30};
            p.pad_in_hand = true;
            break;
        case 4:  // dashing: stretched forward, board level, speed lines behind
            p.hip = {40, 62};
            p.shoulder = {61, 47};
            p.head = {71, 37};
            p.knee_back = {30, 72};
            p.foot_back = {28, 84};
            p.knee_front = {53, 72};
            p.foot_front = {56, 84};
            p.elbow_back = {49, 57};
            p.hand_back = {37, 60};
            p.elbow_front = {72, 53};
            p.hand_front = {82, 50};
            p.board_x0 = 14;
            p.board_x1 = 74;
            p.speed_lines = true;
            break;
        default:
            break;
    }
    return p;
}

void DrawHero(Image& img, int ox, int oy, const HeroPose& pose, bool outline) {
    // Work in a cell of its own so the outline never reaches a neighbour.
    Image cell(96, 96, kKeyWhite);
    HeroPose p = pose;
    Arm(cell, Add(p.shoulder, -3, 2), p.elbow_back, p.hand_back, true);
    Limb(cell, Add(p.hip, -2, 0), p.knee_back, p.foot_back, 4.4, 3.8, kTrousersShadow, 0x161C3C);
    if (p.board) Board(cell, p);
    Shoe(cell, p.foot_back);
    Limb(cell, Add(p.hip, 2, 0), p.knee_front, p.foot_front, 4.6, 4.0, kTrousers, kTrousersShadow);
    FillCapsule(cell, Add(p.knee_front, 0, -2.5), Add(p.hip, 3, -2), 0.6, kTrousersLight);
    Shoe(cell, p.foot_front);
    Torso(cell, p);
    Head(cell, p);
    Arm(cell, Add(p.shoulder, 2, 1), p.elbow_front, p.hand_front, false);
    if (p.pad_in_hand) PadInHand(cell, p.hand_front);
    FillPinholes(cell, 0, 0, 96, 96, kKeyWhite);
    if (outline) Outline(cell, 0, 0, 96, 96, kKeyWhite, kOutline, false);
    FillPinholes(cell, 0, 0, 96, 96, kKeyWhite);
    if (p.speed_lines) {
        const int rows[] = {40, 48, 55, 63, 71, 78};
        const int lengths[] = {10, 16, 12, 18, 13, 9};
        for (int i = 0; i < 6; ++i)
            for (int x = 1; x < 1 + lengths[i]; ++x)
                if (cell.At(x, rows[i]) == kKeyWhite)
                    cell.Set(x, rows[i], i % 2 ? kGlint : kNearWhite);
    }
    Blit(img, cell, 0, 0, 96, 96, ox, oy, true, kKeyWhite);
}

Image MakeHeroSheet() {
    Image sheet(480, 96, kKeyWhite);
    for (int frame = 0; frame < 5; ++frame) DrawHero(sheet, frame * 96, 0, HeroFramePose(frame));
    return sheet;
}

}  // namespace pictures
