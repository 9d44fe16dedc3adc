// Pieces of scenery shared by several pictures: the dusk sky, stars,
// clouds and the city's buildings.
#pragma once

#include <cstdint>
#include <vector>

#include "image.h"
#include "random.h"

namespace pictures {

// The dusk gradient, top of the sky to the horizon.
const std::vector<GradientStop>& DuskStops();
// count stars in the rectangle; with wrap their crosses wrap around its width.
void DrawStars(Image& img, int x, int y, int w, int h, int count, uint64_t seed, bool wrap);
// A long cloud centred at (cx, cy); glow 0..1 is how strongly the hidden sun
// lights its underside; with wrap_width > 0, x wraps around that width.
void DrawCloud(Image& img, double cx, double cy, double length, double thickness, uint64_t seed,
               int wrap_width, double glow);

// How a building looks; chosen from a seed so that the same course gives
// the same picture.
struct BuildingLook {
    int style = 0;         // 0 punched windows, 1 ribbon windows, 2 glass curtain, 3 balconies
    int family = 0;        // 0, 1, 2: the three wall colours
    int window_w = 6;      // window size and spacing
    int window_h = 8;
    int column_step = 12;
    int row_step = 16;
    int ledge = 6;         // height of the roof ledge
    double lit = 0.45;     // share of lit windows
    bool pilasters = false;
    bool bands = false;
    uint64_t seed = 1;
};
BuildingLook ChooseLook(uint64_t seed);

// A building from column x0 to x1 (exclusive) with its roof line at row
// roof, down to row bottom. The roof line is its first row: the ledge's top
// row is at roof in every column, the left wall column included.
// dim darkens it (0 none .. 1 black) for buildings far away.
void DrawBuilding(Image& img, int x0, int x1, int roof, int bottom, const BuildingLook& look,
                  double dim = 0.0);
class Fonts;
// Rooftop props standing on the roof between x0 and x1 (kept clear of both
// walls), drawn behind where the hero rides. Billboards get lettering when
// fonts are given.
void DrawRooftop(Image& img, int x0, int x1, int roof, Random& rnd, Fonts* fonts = nullptr);

// A row of far buildings as a flat silhouette with a few lit windows.
void DrawSkyline(Image& img, int x, int w, int base, int min_h, int max_h, Rgb wall, Rgb window,
                 uint64_t seed);

}  // namespace pictures
