// BMP and PNG encoders and the checked file writer.
#include "file_formats.h"

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace pictures {
namespace {

void PutLittle(std::vector<unsigned char>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void PutBig(std::vector<unsigned char>& out, uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void PutChunk(std::vector<unsigned char>& out, const char* type,
              const std::vector<unsigned char>& data) {
    PutBig(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBig(out, static_cast<uint32_t>(
                    crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

}  // namespace

std::vector<unsigned char> EncodeBmp(const Image& img) {
    const uint32_t stride = (static_cast<uint32_t>(img.Width()) * 3 + 3) & ~3u;
    const uint32_t data_size = stride * static_cast<uint32_t>(img.Height());
    std::vector<unsigned char> out;
    out.reserve(54 + data_size);
    out.push_back('B');
    out.push_back('M');
    PutLittle(out, 54 + data_size, 4);  // file size
    PutLittle(out, 0, 4);               // reserved
    PutLittle(out, 54, 4);              // offset of the pixels
    PutLittle(out, 40, 4);              // BITMAPINFOHEADER
    PutLittle(out, static_cast<uint32_t>(img.Width()), 4);
    PutLittle(out, static_cast<uint32_t>(img.Height()), 4);  // positive: bottom-up
    PutLittle(out, 1, 2);                                    // planes
    PutLittle(out, 24, 2);                                   // bits per pixel
    PutLittle(out, 0, 4);                                    // BI_RGB
    PutLittle(out, data_size, 4);
    PutLittle(out, 2835, 4);  // 72 dpi
    PutLittle(out, 2835, 4);
    PutLittle(out, 0, 4);
    PutLittle(out, 0, 4);
    for (int y = img.Height() - 1; y >= 0; --y) {
        size_t row_start = out.size();
        for (int x = 0; x < img.Width(); ++x) {
            Rgb c = img.At(x, y);
            out.push_back(static_cast<unsigned char>(Blue(c)));
            out.push_back(static_cast<unsigned char>(Green(c)));
            out.push_back(static_cast<unsigned char>(Red(c)));
        }
        while (out.size() - row_start < stride) out.push_back(0);
    }
    return out;
}

std::vector<unsigned char> EncodeBmp565(const Image& img) {
    const uint32_t stride = (static_cast<uint32_t>(img.Width()) * 2 + 3) & ~3u;
    const uint32_t data_size = stride * static_cast<uint32_t>(img.Height());
    constexpr uint32_t kHeaders = 14 + 40 + 12;  // file, info, the three colour masks
    std::vector<unsigned char> out;
    out.reserve(kHeaders + data_size);
    out.push_back('B');
    out.push_back('M');
    PutLittle(out, kHeaders + data_size, 4);  // file size
    PutLittle(out, 0, 4);                     // reserved
    PutLittle(out, kHeaders, 4);              // offset of the pixels
    PutLittle(out, 40, 4);                    // BITMAPINFOHEADER
    PutLittle(out, static_cast<uint32_t>(img.Width()), 4);
    PutLittle(out, static_cast<uint32_t>(-img.Height()), 4);  // negative: top row first
    PutLittle(out, 1, 2);                                     // planes
    PutLittle(out, 16, 2);                                    // bits per pixel
    PutLittle(out, 3, 4);                                     // BI_BITFIELDS
    PutLittle(out, data_size, 4);
    PutLittle(out, 2835, 4);  // 72 dpi
    PutLittle(out, 2835, 4);
    PutLittle(out, 0, 4);
    PutLittle(out, 0, 4);
    PutLittle(out, 0xF800, 4);  // red
    PutLittle(out, 0x07E0, 4);  // green
    PutLittle(out, 0x001F, 4);  // blue
    for (int y = 0; y < img.Height(); ++y) {
        const size_t row_start = out.size();
        for (int x = 0; x < img.Width(); ++x) {
            const Rgb c = img.At(x, y);
            // Each channel cut to its top bits, as the game's loader cuts a
            // 24-bit picture.
            PutLittle(out, static_cast<uint32_t>((Red(c) >> 3) << 11 | (Green(c) >> 2) << 5 | Blue(c) >> 3), 2);
        }
        while (out.size() - row_start < stride) out.push_back(0);
    }
    return out;
}

std::vector<unsigned char> EncodePng(const Image& img) {
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<size_t>(img.Height()) * (static_cast<size_t>(img.Width()) * 3 + 1));
    for (int y = 0; y < img.Height(); ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < img.Width(); ++x) {
            Rgb c = img.At(x, y);
            raw.push_back(static_cast<unsigned char>(Red(c)));
            raw.push_back(static_cast<unsigned char>(Green(c)));
            raw.push_back(static_cast<unsigned char>(Blue(c)));
        }
    }
    uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packed_size);
    if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), 6) !=
        Z_OK)
        throw std::runtime_error("PNG compression failed");
    packed.resize(packed_size);

    std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<unsigned char> header;
    PutBig(header, static_cast<uint32_t>(img.Width()));
    PutBig(header, static_cast<uint32_t>(img.Height()));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no filter, no interlace
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", {});
    return out;
}

void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::error_code ec;
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error(path + ": cannot be opened for writing");
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) throw std::runtime_error(path + ": could not be written completely");
}

}  // namespace pictures
