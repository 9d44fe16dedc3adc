// Writing pictures and tables out: 24-bit and 16-bit BMP files as the game
// loads them, PNG previews, and whole files written only through one
// checked call.
#pragma once

#include <string>
#include <vector>

#include "image.h"

namespace pictures {

// A bottom-up 24-bit BMP (BITMAPINFOHEADER, rows padded to 4 bytes).
std::vector<unsigned char> EncodeBmp(const Image& img);
// A top-down 16-bit BMP with 5-6-5 bit-field colours: the play field's own
// pixels, which the game reads straight into its surfaces.
std::vector<unsigned char> EncodeBmp565(const Image& img);
// An 8-bit RGB PNG, deflated with zlib.
std::vector<unsigned char> EncodePng(const Image& img);

// Writes bytes to path, creating its folder; throws std::runtime_error
// naming the file when it cannot.
void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes);

}  // namespace pictures
