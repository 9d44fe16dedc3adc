// Inside the platform layer only: BMP files checked before SDL's own loader
// sees them, so that a damaged file gives a clear error instead of a crash
// or a huge allocation.
#pragma once

#include <SDL.h>

#include <span>
#include <string>

namespace platform::bmp {

// Loads a BMP file (a program path, mapped through the files layer).
// Returns a new surface, or nullptr with *error set to a sentence that
// names the file and says what is wrong ("bmp\chara.bmp: file is 54
// bytes, the header promises 138294").
SDL_Surface* LoadFile(const std::string& program_path, std::string* error);

// The same for BMP bytes held in memory; name is used in the error text.
SDL_Surface* LoadBytes(std::span<const unsigned char> bytes, const std::string& name,
                       std::string* error);

}  // namespace platform::bmp
