// Previews for people, not for the game: a labelled contact sheet of every
// picture and a few play-field frames composed the way the game draws them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "course.h"
#include "image.h"
#include "text.h"

namespace pictures {

struct NamedPicture {
    std::string name;
    const Image* image;
};

Image MakeContactSheet(Fonts& fonts, const std::vector<NamedPicture>& pictures);

// The sheets a play-field frame is made of.
struct PlayFieldSheets {
    const Image& sky;
    const Image& course_picture;
    const Image& panel;
    const Image& hero;
    const Image& blast;
    const Image& items;
    const Image& pads;
    const Image& digits;
    const Image& ready_go;
};

// One frame as the game composes it: sky, course, panel, pads, blast, hero,
// READY/GO, items, score, clock and lives. Values as in the game's state.
struct MockFrame {
    double scroll_x = 0, cloud_x = 0;
    double player_x = 100, player_y = 0;
    int player_frame = 0;
    int blast_cell = -1;                       // -1: no blast
    int ready_go = -1;                         // -1 none, 0 READY, 1 GO
    std::vector<std::pair<int, std::pair<double, double>>> pads;  // kind, (x, y)
    long score = 0;
    int minutes = 0, seconds = 0, centis = 0;
    int lives = 4;
};
Image ComposeFrame(const PlayFieldSheets& s, const Course& course, const MockFrame& f);

}  // namespace pictures
