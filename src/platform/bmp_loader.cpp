// BMP loader — the checked reader of BMP files.
//
// Every field SDL's loader would trust is checked first against the bytes
// really present: the magic, the header size, planes, depth, compression,
// the dimensions, the palette and the pixel rows. Only a file that passes
// reaches SDL_LoadBMP_RW, so a damaged or hostile file gives a sentence
// naming the file instead of a crash or a huge allocation.
#include "platform/bmp_loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/files.h"

namespace platform::bmp {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
// Enough of a file's first bytes for every header Check reads, with the
// colour masks after the smallest header that has them.
constexpr size_t kHeaderBytes = 14 + 124 + 12;
// Larger files are read as any other file (and refused by the checks).
constexpr uint64_t kMaxFileBytes = 0x7fffffffu;
constexpr int64_t kMaxSide = 32768;
constexpr uint64_t kMaxPixelBytes = 256ull * 1024 * 1024;  // as 32-bit pixels

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;

uint16_t U16(std::span<const unsigned char> b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
uint32_t U32(std::span<const unsigned char> b, size_t at) {
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
int32_t I32(std::span<const unsigned char> b, size_t at) {
    return static_cast<int32_t>(U32(b, at));
}

bool Fail(std::string* error, const std::string& name, const std::string& what) {
    if (error) *error = name + ": " + what;
    return false;
}

std::string Bytes(uint64_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

// Checks the headers against a file of `size` bytes whose first bytes
// are b (all of them, or at least the first kHeaderBytes); true if SDL may
// read it.
bool Check(std::span<const unsigned char> b, uint64_t size, const std::string& name, std::string* error) {
    if (size < 2 || b[0] != 'B' || b[1] != 'M')
        return Fail(error, name, size < 2 ? "file is " + Bytes(size) + ", too short to be a BMP picture"
                                          : "not a BMP picture (it does not begin with \"BM\")");
    if (size < kFileHeaderSize + 4)
        return Fail(error, name, "file is " + Bytes(size) + ", shorter than the BMP file header");
    const uint32_t data_offset = U32(b, 10);
    const uint32_t info_size = U32(b, 14);
    if (info_size != 12 && info_size != 40 && info_size != 52 && info_size != 56 &&
        info_size != 108 && info_size != 124)
        return Fail(error, name,
                    "unsupported BMP header size " + std::to_string(info_size) +
                        " (expected 12, 40, 52, 56, 108 or 124)");
    const uint64_t headers_end = uint64_t{kFileHeaderSize} + info_size;
    if (size < headers_end)
        return Fail(error, name,
                    "file is " + Bytes(size) + ", shorter than its " + std::to_string(info_size) +
                        "-byte picture header");

    int64_t width = 0, height = 0;
    uint32_t planes = 0, depth = 0, compression = kBiRgb, colours_used = 0;
    uint32_t palette_entry = 4;
    if (info_size == 12) {
        width = U16(b, 18);
        height = U16(b, 20);
        planes = U16(b, 22);
        depth = U16(b, 24);
        palette_entry = 3;
    } else {
        width = I32(b, 18);
        height = I32(b, 22);
        planes = U16(b, 26);
        depth = U16(b, 28);
        compression = U32(b, 30);
        colours_used = U32(b, 46);
    }
    if (planes != 1)
        return Fail(error, name, "has " + std::to_string(planes) + " colour planes (must be 1)");
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)
        return Fail(error, name,
                    "unsupported colour depth of " + std::to_string(depth) +
                        " bits (1, 4, 8, 16, 24 or 32 are read)");
    if (compression == kBiRle8 || compression == kBiRle4)
        return Fail(error, name, "run-length compressed pictures are not read (save it uncompressed)");
    if (compression != kBiRgb && compression != kBiBitfields)
        return Fail(error, name, "unsupported compression " + std::to_string(compression));
    if (compression == kBiBitfields && depth != 16 && depth != 32)
        return Fail(error, name,
                    "bit-field colours need a depth of 16 or 32, not " + std::to_string(depth));
    if (width == 0 || height == 0)
        return Fail(error, name,
                    "picture is " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels (nothing to show)");
    if (width < 0)
        return Fail(error, name, "negative width " + std::to_string(width));
    const int64_t rows = height < 0 ? -height : height;  // negative: stored top row first
    if (width > kMaxSide || rows > kMaxSide ||
        static_cast<uint64_t>(width) * static_cast<uint64_t>(rows) * 4 > kMaxPixelBytes)
        return Fail(error, name,
                    "picture of " + std::to_string(width) + " x " + std::to_string(rows) +
                        " pixels is too large (at most 32768 on a side and 256 MiB of pixels)");

    // Colour masks follow a 40-byte header when the colours are bit fields.
    uint64_t tables_end = headers_end;
    if (compression == kBiBitfields && info_size == 40) tables_end += 12;
    if (depth <= 8) {
        const uint64_t most = uint64_t{1} << depth;
        if (colours_used > most)
            return Fail(error, name,
                        "palette of " + std::to_string(colours_used) + " colours for a " +
                            std::to_string(depth) + "-bit picture (at most " + std::to_string(most) +
                            ")");
        tables_end += (colours_used == 0 ? most : colours_used) * palette_entry;
    }
    if (size < tables_end)
        return Fail(error, name,
                    "file is " + Bytes(size) + ", shorter than its headers and colour table (" +
                        Bytes(tables_end) + ")");
    if (data_offset < headers_end)
        return Fail(error, name,
                    "pixel data offset " + std::to_string(data_offset) +
                        " lies inside the headers (which end at " + std::to_string(headers_end) + ")");
    if (data_offset > size)
        return Fail(error, name,
                    "pixel data offset " + std::to_string(data_offset) + " lies beyond the end of the " +
                        Bytes(size) + " file");
    const uint64_t stride = (static_cast<uint64_t>(width) * depth + 31) / 32 * 4;
    const uint64_t needed = uint64_t{data_offset} + stride * static_cast<uint64_t>(rows);
    if (size < needed)
        return Fail(error, name, "file is " + Bytes(size) + ", the header promises " + std::to_string(needed));
    return true;
}

}  // namespace

SDL_Surface* LoadBytes(std::span<const unsigned char> bytes, const std::string& name,
                       std::string* error) {
    if (bytes.size() > 0x7fffffffu) {
        Fail(error, name, "file is " + Bytes(bytes.size()) + ", too large for a picture");
        return nullptr;
    }
    if (!Check(bytes, bytes.size(), name, error)) return nullptr;
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!rw) {
        Fail(error, name, std::string("could not be read (") + SDL_GetError() + ")");
        return nullptr;
    }
    SDL_Surface* surface = SDL_LoadBMP_RW(rw, 1);
    if (!surface) Fail(error, name, std::string("could not be read as a BMP picture (") + SDL_GetError() + ")");
    return surface;
}

std::optional<Rgb24Picture> Rgb24PictureOf(std::span<const unsigned char> b) {
    if (b.size() > 0x7fffffffu || !Check(b, b.size(), std::string(), nullptr)) return std::nullopt;
    const uint32_t info_size = U32(b, 14);
    Rgb24Picture p;
    int64_t height = 0;
    if (info_size == 12) {
        if (U16(b, 24) != 24) return std::nullopt;
        p.width = U16(b, 18);
        height = U16(b, 20);
    } else {
        if (U16(b, 28) != 24 || U32(b, 30) != kBiRgb) return std::nullopt;
        p.width = I32(b, 18);
        height = I32(b, 22);
    }
    p.top_down = height < 0;
    p.height = static_cast<int>(height < 0 ? -height : height);
    p.data_offset = U32(b, 10);
    p.stride = (static_cast<size_t>(p.width) * 24 + 31) / 32 * 4;
    return p;
}

void DecodeRgb24To565(std::span<const unsigned char> bytes, const Rgb24Picture& p, uint16_t* out,
                      std::ptrdiff_t out_stride) {
    for (int y = 0; y < p.height; ++y) {
        const int stored = p.top_down ? y : p.height - 1 - y;
        const unsigned char* s = bytes.data() + p.data_offset + static_cast<size_t>(stored) * p.stride;
        uint16_t* d = out + static_cast<std::ptrdiff_t>(y) * out_stride;
        for (int x = 0; x < p.width; ++x, s += 3)  // stored blue, green, red
            d[x] = static_cast<uint16_t>(((s[2] >> 3) << 11) | ((s[1] >> 2) << 5) | (s[0] >> 3));
    }
}

namespace {

// The 5-6-5 layout of checked headers: 16 bits a pixel, bit-field colours
// red 0xF800, green 0x07E0, blue 0x001F and no alpha.
std::optional<Rgb565Picture> Rgb565Layout(std::span<const unsigned char> b) {
    const uint32_t info_size = U32(b, 14);
    if (info_size < 40 || U16(b, 28) != 16 || U32(b, 30) != kBiBitfields) return std::nullopt;
    if (U32(b, 54) != 0xF800 || U32(b, 58) != 0x07E0 || U32(b, 62) != 0x001F) return std::nullopt;
    if (info_size >= 56 && U32(b, 66) != 0) return std::nullopt;
    Rgb565Picture p;
    const int32_t height = I32(b, 22);
    p.width = I32(b, 18);
    p.top_down = height < 0;
    p.height = height < 0 ? -height : height;
    p.data_offset = U32(b, 10);
    p.stride = (static_cast<size_t>(p.width) * 16 + 31) / 32 * 4;
    return p;
}

bool ReadAt(int fd, void* to, size_t n, uint64_t offset) {
    auto* at = static_cast<unsigned char*>(to);
    while (n > 0) {
        const ssize_t got = pread(fd, at, n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        at += got;
        n -= static_cast<size_t>(got);
        offset += static_cast<uint64_t>(got);
    }
    return true;
}

}  // namespace

Rgb565File::~Rgb565File() {
    if (fd_ >= 0) close(fd_);
}

Rgb565File::Rgb565File(Rgb565File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), picture_(other.picture_), name_(std::move(other.name_)) {}

std::optional<Rgb565File> Rgb565File::Open(const std::string& program_path) {
    Rgb565File file;
    file.fd_ = open(files::MapPath(program_path).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (file.fd_ < 0 || fstat(file.fd_, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<uint64_t>(st.st_size) > kMaxFileBytes)
        return std::nullopt;
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    unsigned char header[kHeaderBytes];
    const size_t head = static_cast<size_t>(std::min<uint64_t>(size, kHeaderBytes));
    if (!ReadAt(file.fd_, header, head, 0) || !Check({header, head}, size, program_path, nullptr))
        return std::nullopt;
    const auto picture = Rgb565Layout({header, head});
    if (!picture) return std::nullopt;
    file.picture_ = *picture;
    file.name_ = program_path;
    return file;
}

bool Rgb565File::ReadInto(uint16_t* out, std::string* error) const {
    const Rgb565Picture& p = picture_;
    const size_t row_bytes = static_cast<size_t>(p.width) * 2;
    // Stored top row first and without padding: the rows are the surface's
    // own, read in one go.
    if (p.top_down && p.stride == row_bytes) {
        if (ReadAt(fd_, out, row_bytes * static_cast<size_t>(p.height), p.data_offset)) return true;
        return Fail(error, name_, "could not be read (the file changed while it was read)");
    }
    for (int y = 0; y < p.height; ++y) {
        const int stored = p.top_down ? y : p.height - 1 - y;
        if (!ReadAt(fd_, out + static_cast<size_t>(y) * static_cast<size_t>(p.width), row_bytes,
                    p.data_offset + static_cast<uint64_t>(stored) * p.stride))
            return Fail(error, name_, "could not be read (the file changed while it was read)");
    }
    return true;
}

std::optional<FileBytes> ReadFile(const std::string& program_path, std::string* error) {
    const std::string path = files::MapPath(program_path);
    FileBytes out;
    struct stat st {};
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
        static_cast<uint64_t>(st.st_size) <= kMaxFileBytes) {
        out.big_ = BigBuffer(static_cast<size_t>(st.st_size));
        auto* at = static_cast<unsigned char*>(out.big_.data());
        size_t got = 0;
        while (at && got < out.big_.size()) {
            const ssize_t n = read(fd, at + got, out.big_.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        close(fd);
        if (at) {
            out.size_ = got;  // a file that shrank meanwhile reads as what is left
            return out;
        }
    } else if (fd >= 0) {
        close(fd);
    }
    // Anything else (an empty file, a pipe, a file too large to be a
    // picture) is read as the other files are; the checks then speak.
    auto bytes = files::ReadAll(program_path);
    if (!bytes) {
        Fail(error, program_path, "cannot open the file (" + path + ")");
        return std::nullopt;
    }
    out.small_ = std::move(*bytes);
    return out;
}

SDL_Surface* LoadFile(const std::string& program_path, std::string* error) {
    auto bytes = ReadFile(program_path, error);
    if (!bytes) return nullptr;
    return LoadBytes(bytes->span(), program_path, error);
}

}  // namespace platform::bmp
