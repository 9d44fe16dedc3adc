// The hero as a puppet: a pose is a handful of joint positions in a 96 x 96
// cell (he faces right), drawn as limbs, jacket, head, sunglasses and
// skateboard, then outlined. The sprite sheet, the game-over picture and
// the backgrounds all draw him through it, so he looks the same everywhere.
#pragma once

#include "image.h"

namespace pictures {

struct HeroPose {
    Point hip{46, 54};
    Point shoulder{52, 32};  // the middle of the shoulders
    Point head{57, 19};      // centre of the head
    Point knee_back{42, 70}, foot_back{33, 84};
    Point knee_front{64, 68}, foot_front{61, 84};
    Point elbow_back{42, 43}, hand_back{33, 49};
    Point elbow_front{63, 40}, hand_front{73, 35};
    bool board = true;
    double board_y = 86;   // top of the deck
    double board_x0 = 18, board_x1 = 80;
    double board_tilt = 0;  // rise of the nose over the deck's length
    bool pad_in_hand = false;
    bool speed_lines = false;
    bool smile = true;
};

// The five frames of the sheet: 0 riding, 1 airborne, 2 throwing on a roof,
// 3 throwing in the air, 4 dashing.
HeroPose HeroFramePose(int frame);

// Draws the hero into the 96 x 96 cell at (ox, oy) of a white-keyed picture
// and outlines him; nothing is drawn outside the cell.
void DrawHero(Image& img, int ox, int oy, const HeroPose& pose, bool outline = true);

}  // namespace pictures
