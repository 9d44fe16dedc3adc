// BMP loader tests: good pictures load; every kind of damage gives a
// sentence naming the file, with no crash and no huge allocation.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <string>
#include <vector>

#include "platform/bmp_loader.h"
#include "platform/files.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = v & 0xff;
    b[at + 1] = (v >> 8) & 0xff;
}
void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xff;
}

// A well-formed BITMAPINFOHEADER picture: 24-bit rows, or 8-bit with a
// grey palette.
Bytes MakeBmp(int32_t width, int32_t height, int depth = 24) {
    const uint32_t palette = depth <= 8 ? (1u << depth) * 4 : 0;
    const uint32_t offset = 14 + 40 + palette;
    const int64_t rows = height < 0 ? -int64_t{height} : height;
    const uint64_t stride = (static_cast<uint64_t>(width > 0 ? width : 0) * depth + 31) / 32 * 4;
    Bytes b(offset + stride * rows, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, 10, offset);
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<uint32_t>(width));
    Put32(b, 22, static_cast<uint32_t>(height));
    Put16(b, 26, 1);
    Put16(b, 28, depth);
    for (uint32_t i = 0; i < palette / 4; ++i) {
        const unsigned char g = static_cast<unsigned char>(i * 255 / ((palette / 4) - 1 ? (palette / 4) - 1 : 1));
        b[54 + i * 4] = b[55 + i * 4] = b[56 + i * 4] = g;
    }
    for (size_t i = offset; i < b.size(); ++i) b[i] = static_cast<unsigned char>(i * 7);
    return b;
}

std::string Load(const Bytes& b) {
    std::string error;
    SDL_Surface* s = platform::bmp::LoadBytes(b, "bmp\\test.bmp", &error);
    if (s) {
        SDL_FreeSurface(s);
        return "";
    }
    return error;
}

void ExpectError(const Bytes& b, const std::string& part) {
    const std::string error = Load(b);
    ASSERT_FALSE(error.empty()) << "a damaged picture loaded (expected: " << part << ")";
    EXPECT_EQ(error.rfind("bmp\\test.bmp: ", 0), 0u) << error;
    EXPECT_NE(error.find(part), std::string::npos) << error;
}

TEST(BmpLoader, GoodPicturesOfEveryDepthLoad) {
    for (int depth : {1, 4, 8, 24, 32}) {
        std::string error;
        Bytes b = MakeBmp(13, 5, depth);
        SDL_Surface* s = platform::bmp::LoadBytes(b, "bmp\\ok.bmp", &error);
        ASSERT_NE(s, nullptr) << depth << ": " << error;
        EXPECT_EQ(s->w, 13);
        EXPECT_EQ(s->h, 5);
        SDL_FreeSurface(s);
    }
    Bytes top_down = MakeBmp(4, -3);
    EXPECT_EQ(Load(top_down), "");
}

TEST(BmpLoader, TruncatedFilesAreRejectedAtEveryLength) {
    const Bytes whole = MakeBmp(40, 30, 8);
    ASSERT_EQ(Load(whole), "");
    // Every cut, from nothing to one byte short, names the file; none crashes.
    for (size_t cut = 0; cut < whole.size(); cut += (cut < 1100 ? 1 : 97)) {
        Bytes part(whole.begin(), whole.begin() + static_cast<long>(cut));
        const std::string error = Load(part);
        ASSERT_FALSE(error.empty()) << "cut at " << cut;
        EXPECT_EQ(error.rfind("bmp\\test.bmp: ", 0), 0u) << error;
    }
    Bytes short_rows(whole.begin(), whole.end() - 1);
    EXPECT_EQ(Load(short_rows), "bmp\\test.bmp: file is " + std::to_string(whole.size() - 1) +
                                    " bytes, the header promises " + std::to_string(whole.size()));
}

TEST(BmpLoader, WrongHeadersAreNamed) {
    Bytes b = MakeBmp(8, 8);
    b[0] = 'P';
    ExpectError(b, "does not begin with \"BM\"");

    b = MakeBmp(8, 8);
    Put32(b, 14, 41);
    ExpectError(b, "header size 41");

    b = MakeBmp(8, 8);
    Put16(b, 26, 3);
    ExpectError(b, "3 colour planes");

    b = MakeBmp(8, 8);
    Put32(b, 10, 20);  // pixels inside the header
    ExpectError(b, "inside the headers");

    b = MakeBmp(8, 8);
    Put32(b, 10, 0x7ffffff0);
    ExpectError(b, "beyond the end");

    b = MakeBmp(8, 8, 8);
    Put32(b, 46, 300);  // more colours than 8 bits hold
    ExpectError(b, "palette of 300 colours");
}

TEST(BmpLoader, UnsupportedDepthAndCompressionAreNamed) {
    for (int depth : {0, 2, 7, 15, 64}) {
        Bytes b = MakeBmp(8, 8);
        Put16(b, 28, depth);
        ExpectError(b, "depth of " + std::to_string(depth) + " bits");
    }
    Bytes b = MakeBmp(8, 8, 8);
    Put32(b, 30, 1);
    ExpectError(b, "run-length");
    Put32(b, 30, 2);
    ExpectError(b, "run-length");
    Put32(b, 30, 4);  // JPEG inside a BMP
    ExpectError(b, "compression 4");
    b = MakeBmp(8, 8, 24);
    Put32(b, 30, 3);
    ExpectError(b, "bit-field colours need a depth of 16 or 32");
}

TEST(BmpLoader, AbsurdNegativeAndOverflowingDimensionsAreRejectedBeforeAllocating) {
    // Only the 54 header bytes are present: a reader trusting the header
    // would allocate gigabytes or wrap its size arithmetic.
    auto header_only = [](int32_t w, int32_t h, int depth) {
        Bytes b = MakeBmp(1, 1, depth);
        b.resize(14 + 40 + (depth <= 8 ? (4u << depth) : 0) + 4);
        Put32(b, 18, static_cast<uint32_t>(w));
        Put32(b, 22, static_cast<uint32_t>(h));
        return b;
    };
    ExpectError(header_only(0, 10, 24), "0 x 10 pixels");
    ExpectError(header_only(10, 0, 24), "10 x 0 pixels");
    ExpectError(header_only(-5, 10, 24), "negative width -5");
    ExpectError(header_only(40000, 10, 24), "too large");
    ExpectError(header_only(10, -40000, 24), "too large");
    ExpectError(header_only(20000, 20000, 32), "too large");  // 1.6 GB of pixels
    ExpectError(header_only(0x7fffffff, 0x7fffffff, 32), "too large");
    ExpectError(header_only(10, INT32_MIN, 24), "too large");
    // Within the limits but the rows are missing.
    ExpectError(header_only(8000, 8000, 24), "the header promises 192000054");
}

TEST(BmpLoader, LoadFileNamesAMissingFileAndReadsAGoodOne) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("rr_bmp_" + std::to_string(::getpid()));
    fs::create_directories(dir / "bmp");
    const Bytes b = MakeBmp(3, 2);
    std::ofstream(dir / "bmp" / "Good.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<long>(b.size()));

    std::string error;
    const std::string base = dir.string() + "/";
    SDL_Surface* s = platform::bmp::LoadFile(base + "BMP\\good.bmp", &error);
    ASSERT_NE(s, nullptr) << error;
    EXPECT_EQ(s->w, 3);
    SDL_FreeSurface(s);

    EXPECT_EQ(platform::bmp::LoadFile(base + "bmp\\none.bmp", &error), nullptr);
    EXPECT_EQ(error.rfind(base + "bmp\\none.bmp: cannot open the file", 0), 0u) << error;
    fs::remove_all(dir);
}

}  // namespace
