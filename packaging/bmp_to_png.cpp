// roofrider_bmp_to_png — a build tool: converts a BMP picture to a PNG file,
// optionally resized to a square (the desktop icons are made from the
// portrait compiled into the game, one per size the icon theme asks for).
//
//   roofrider_bmp_to_png IN.bmp OUT.png [SIZE]
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/bmp_loader.h"
#include "platform/png.h"

namespace {

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // 3 bytes a pixel, rows without padding
};

// Area averaging: every output pixel is the mean of the source area it
// covers, with partly covered source pixels weighted by how much of them
// it covers. A whole-number enlargement repeats pixels exactly, so the
// pixel art stays sharp at 256; reductions (48, 64) keep every pixel's share.
RgbPicture Resample(const RgbPicture& in, int width, int height) {
    RgbPicture out{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    const double sx = static_cast<double>(in.width) / width;
    const double sy = static_cast<double>(in.height) / height;
    for (int oy = 0; oy < height; ++oy) {
        for (int ox = 0; ox < width; ++ox) {
            double sum[3] = {0, 0, 0};
            double area = 0;
            for (int y = static_cast<int>(oy * sy); y < in.height && y < (oy + 1) * sy; ++y) {
                const double wy = std::min<double>(y + 1, (oy + 1) * sy) - std::max<double>(y, oy * sy);
                for (int x = static_cast<int>(ox * sx); x < in.width && x < (ox + 1) * sx; ++x) {
                    const double w = wy * (std::min<double>(x + 1, (ox + 1) * sx) - std::max<double>(x, ox * sx));
                    const uint8_t* p = &in.rgb[(static_cast<size_t>(y) * in.width + x) * 3];
                    for (int c = 0; c < 3; ++c) sum[c] += w * p[c];
                    area += w;
                }
            }
            uint8_t* q = &out.rgb[(static_cast<size_t>(oy) * width + ox) * 3];
            for (int c = 0; c < 3; ++c) q[c] = static_cast<uint8_t>(sum[c] / area + 0.5);
        }
    }
    return out;
}

bool LoadRgb(const char* path, RgbPicture* picture, std::string* error) {
    // The loader takes program paths; an absolute Linux path is one.
    SDL_Surface* loaded = platform::bmp::LoadFile(path, error);
    if (!loaded) return false;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(loaded);
    if (!rgb) {
        *error = std::string(path) + ": cannot be converted (" + SDL_GetError() + ")";
        return false;
    }
    picture->width = rgb->w;
    picture->height = rgb->h;
    picture->rgb.resize(static_cast<size_t>(rgb->w) * rgb->h * 3);
    for (int y = 0; y < rgb->h; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(rgb->pixels) + static_cast<size_t>(y) * rgb->pitch;
        std::copy(row, row + rgb->w * 3, picture->rgb.begin() + static_cast<ptrdiff_t>(y) * rgb->w * 3);
    }
    SDL_FreeSurface(rgb);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: roofrider_bmp_to_png IN.bmp OUT.png [SIZE]\n");
        return 2;
    }
    int size = 0;
    if (argc == 4) {
        char* end = nullptr;
        const long asked = std::strtol(argv[3], &end, 10);
        if (*end != '\0' || asked < 1 || asked > 4096) {
            std::fprintf(stderr, "roofrider_bmp_to_png: SIZE must be a number of pixels from 1 to 4096, not '%s'\n",
                         argv[3]);
            return 2;
        }
        size = static_cast<int>(asked);
    }
    RgbPicture picture;
    std::string error;
    if (!LoadRgb(argv[1], &picture, &error)) {
        std::fprintf(stderr, "roofrider_bmp_to_png: %s\n", error.c_str());
        return 1;
    }
    if (size != 0) picture = Resample(picture, size, size);
    if (!platform::png::WriteRgb(argv[2], picture.width, picture.height, picture.rgb.data(), picture.width * 3)) {
        std::fprintf(stderr, "roofrider_bmp_to_png: %s cannot be written\n", argv[2]);
        return 1;
    }
    return 0;
}
