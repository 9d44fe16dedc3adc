// roofrider_bmp_to_png — a build tool: converts a BMP picture to a PNG file
// (the desktop icon is made from the portrait compiled into the game).
//
//   roofrider_bmp_to_png IN.bmp OUT.png
#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/bmp_loader.h"
#include "platform/png.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: roofrider_bmp_to_png IN.bmp OUT.png\n");
        return 2;
    }
    std::string error;
    // The loader takes program paths; an absolute Linux path is one.
    SDL_Surface* picture = platform::bmp::LoadFile(argv[1], &error);
    if (!picture) {
        std::fprintf(stderr, "roofrider_bmp_to_png: %s\n", error.c_str());
        return 1;
    }
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(picture, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(picture);
    if (!rgb) {
        std::fprintf(stderr, "roofrider_bmp_to_png: %s: cannot be converted (%s)\n", argv[1], SDL_GetError());
        return 1;
    }
    const bool written = platform::png::WriteRgb(argv[2], rgb->w, rgb->h, static_cast<const uint8_t*>(rgb->pixels),
                                                 rgb->pitch);
    SDL_FreeSurface(rgb);
    if (!written) {
        std::fprintf(stderr, "roofrider_bmp_to_png: %s cannot be written\n", argv[2]);
        return 1;
    }
    return 0;
}
