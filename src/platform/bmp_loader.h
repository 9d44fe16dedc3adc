// Inside the platform layer only: BMP files checked before SDL's own loader
// sees them, so that a damaged file gives a clear error instead of a crash
// or a huge allocation.
#pragma once

#include <SDL.h>

#include "platform/big_buffer.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform::bmp {

// Loads a BMP file (a program path, mapped through the files layer).
// Returns a new surface, or nullptr with *error set to a sentence that
// names the file and says what is wrong ("bmp\chara.bmp: file is 54
// bytes, the header promises 138294").
SDL_Surface* LoadFile(const std::string& program_path, std::string* error);

// A whole file in memory (a regular file in one read, into huge pages
// when it is large: the course picture is 27 MB).
class FileBytes {
public:
    std::span<const unsigned char> span() const {
        return big_.data() ? std::span<const unsigned char>(static_cast<const unsigned char*>(big_.data()), size_)
                           : std::span<const unsigned char>(small_);
    }

private:
    friend std::optional<FileBytes> ReadFile(const std::string&, std::string*);
    BigBuffer big_;
    size_t size_ = 0;
    std::vector<unsigned char> small_;  // what another kind of file gave
};
// The file's bytes, or nullopt with *error naming the file (as LoadFile).
std::optional<FileBytes> ReadFile(const std::string& program_path, std::string* error);

// The same for BMP bytes held in memory; name is used in the error text.
SDL_Surface* LoadBytes(std::span<const unsigned char> bytes, const std::string& name,
                       std::string* error);

// A checked, uncompressed 24-bit picture, for a reader that converts its
// pixels itself (the display layer's 16-bit sheets, without a 24-bit copy
// and a conversion pass in between).
struct Rgb24Picture {
    int width = 0, height = 0;
    bool top_down = false;     // rows stored top row first
    size_t data_offset = 0;    // the first stored row
    size_t stride = 0;         // bytes per stored row
};
// The layout when bytes pass every check of LoadBytes and hold an
// uncompressed 24-bit picture; nullopt for any other file (LoadBytes then
// reads it, or says what is wrong with it).
std::optional<Rgb24Picture> Rgb24PictureOf(std::span<const unsigned char> bytes);
// Its pixels as RGB565, each channel cut to its top bits as SDL's own
// conversion does; row y of the picture goes to out + y * out_stride.
void DecodeRgb24To565(std::span<const unsigned char> bytes, const Rgb24Picture& picture, uint16_t* out,
                      std::ptrdiff_t out_stride);

// An uncompressed 16-bit picture with 5-6-5 bit-field colours (red 0xF800,
// green 0x07E0, blue 0x001F): the display layer's own pixel format, so its
// rows go from the file straight into a surface, with no copy of the file
// and no conversion (the course picture is 18 MB of them).
struct Rgb565Picture {
    int width = 0, height = 0;
    bool top_down = false;
    size_t data_offset = 0;
    size_t stride = 0;
};
class Rgb565File {
public:
    // The file, open, when it is such a picture and passes every check of
    // LoadBytes; nullopt for any other file, or none (ReadFile and
    // LoadBytes then read it, or say what is wrong with it).
    static std::optional<Rgb565File> Open(const std::string& program_path);
    ~Rgb565File();
    Rgb565File(Rgb565File&& other) noexcept;
    Rgb565File& operator=(Rgb565File&&) = delete;

    const Rgb565Picture& picture() const { return picture_; }
    // The rows into out, row y at out + y * width. False with *error naming
    // the file when it cannot be read whole (it shrank since it was opened).
    bool ReadInto(uint16_t* out, std::string* error) const;

private:
    Rgb565File() = default;
    int fd_ = -1;
    Rgb565Picture picture_;
    std::string name_;
};

}  // namespace platform::bmp
