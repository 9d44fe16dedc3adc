// libFuzzer target for the picture loading path: any bytes either load as a
// picture, which then converts to the play field's 565 pixels, or give an
// error that names the file; never a crash or a huge allocation.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "platform/bmp_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    SDL_Surface* picture =
        platform::bmp::LoadBytes(std::span<const unsigned char>(data, size), "bmp\\fuzz.bmp", &error);
    if (!picture) {
        if (error.find("fuzz.bmp") == std::string::npos) std::abort();
        return 0;
    }
    if (picture->w <= 0 || picture->h <= 0) std::abort();
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(picture, SDL_PIXELFORMAT_RGB565, 0);
    SDL_FreeSurface(converted);
    SDL_FreeSurface(picture);
    return 0;
}
