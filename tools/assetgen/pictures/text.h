// Lettering: the project's fonts found through fontconfig and rendered by
// SDL_ttf without anti-aliasing into masks, and the mask operations the
// pictures build their lettering from (slant, outline, shadow, stamp).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "image.h"

struct _TTF_Font;

namespace pictures {

// Which pixels a piece of lettering covers.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> on;

    Mask() = default;
    Mask(int w, int h) : width(w), height(h), on(static_cast<size_t>(w) * h, 0) {}
    bool At(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height && on[static_cast<size_t>(y) * width + x];
    }
    void Put(int x, int y) {
        if (x >= 0 && y >= 0 && x < width && y < height) on[static_cast<size_t>(y) * width + x] = 1;
    }
};

enum class Face {
    Pop,       // RocknRoll One: the bold pop face of the titles
    Sans,      // DejaVu Sans Bold: small labels
    Gothic,    // IPAGothic: Japanese signs
};

class Fonts {
public:
    // Finds every face with fontconfig; throws std::runtime_error naming the
    // missing font and the package that provides it.
    Fonts();
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    // The text at a point size, one pixel per covered pixel, trimmed to the
    // rows and columns it covers (plus nothing).
    Mask Render(Face face, int size, const std::string& utf8);

private:
    _TTF_Font* Open(Face face, int size);
    std::map<Face, std::string> files_;
    std::map<std::pair<Face, int>, _TTF_Font*> open_;
};

// Shifts each row right by (height - 1 - y) * slope pixels: an italic lean.
Mask Slant(const Mask& m, double slope);
// Grows the mask by r pixels (a round pen): used for outlines.
Mask Grow(const Mask& m, int r);
// A mask with a border of pad empty pixels on every side.
Mask Pad(const Mask& m, int pad);
// Scales a mask by an integer factor (blocky on purpose).
Mask Scale(const Mask& m, int factor);

// Paints the covered pixels at (x, y) with colour(x, y) of the mask.
void Stamp(Image& img, const Mask& m, int x, int y, Rgb c);
void Stamp(Image& img, const Mask& m, int x, int y, const std::function<Rgb(int, int)>& color);

}  // namespace pictures
