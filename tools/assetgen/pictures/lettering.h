// Show lettering: slanted words in the pop face with an outline, a drop
// shadow and three flat tones. Used by READY / GO!, the title, the game-over
// picture and the backgrounds.
#pragma once

#include <string>

#include "image.h"
#include "text.h"

namespace pictures {

struct LetterStyle {
    Rgb top, middle, bottom;  // fill, top to foot
    Rgb outline, shadow;
    int edge;                 // outline thickness
    int shadow_dx, shadow_dy;
};

Mask ShowLettering(Fonts& fonts, Face face, int size, const std::string& text, double slant);
// Draws m with its top-left corner at (x, y); outline and shadow reach
// edge + shadow offset beyond it.
void DrawShowLettering(Image& img, const Mask& m, int x, int y, const LetterStyle& style);

}  // namespace pictures
