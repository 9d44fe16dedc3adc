// A folder of stand-in assets for tests that look at pixels: every sheet
// is made of flat colours that say which sheet, cell or glyph a pixel came
// from, and the level tables describe a small course of our own. Colours
// are exact in 565 (red and blue multiples of 8, green of 4), so a shown
// pixel can be compared with ddraw::ColorTo565 of the colour. The keyed
// sheets' cells begin with two columns of white and two of black (the
// blast's with four of black and four of white): only the key colour
// lets what lies beneath show through.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/ddraw.h"

namespace synthetic {

namespace fs = std::filesystem;

constexpr uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r | (g << 8) | (b << 16));  // 0x00BBGGRR
}
constexpr uint32_t kKeyWhite = Rgb(255, 255, 255);
constexpr uint32_t kKeyBlack = Rgb(0, 0, 0);
constexpr uint32_t kSky = Rgb(0, 0, 248);
constexpr uint32_t kBuilding = Rgb(128, 128, 128);
constexpr uint32_t kPanel = Rgb(32, 32, 32);
constexpr uint32_t kReady = Rgb(248, 248, 0);
constexpr uint32_t kGo = Rgb(248, 128, 0);
constexpr uint32_t kEnd = Rgb(64, 0, 64);
inline uint32_t Hero(int frame) { return Rgb(248, 40 * frame, 0); }
inline uint32_t Glyph(int g) { return Rgb(8 * g + 8, 252, 8 * g + 8); }
inline uint32_t Item(int kind) { return Rgb(200 + 8 * kind, 100, 200); }
inline uint32_t PadColour(int kind) { return Rgb(0, 252, 64 + 8 * kind); }
inline uint32_t Blast(int cell) { return Rgb(8 * cell + 8, 0, 248); }

inline uint16_t Px(uint32_t colour) { return ddraw::ColorTo565(static_cast<int32_t>(colour)); }

// Column `column` of a white-keyed cell of the given colour.
inline uint32_t WhiteKeyed(int column, uint32_t colour) {
    return column < 2 ? kKeyWhite : column < 4 ? kKeyBlack : colour;
}

// An uncompressed 24-bit BMP of w x h with every pixel 0, its rows stored
// bottom-up (or top-down, with a negative height); stride is a row's bytes.
struct Bmp24 {
    std::vector<unsigned char> bytes;
    size_t stride;
};
inline Bmp24 BlankBmp24(int w, int h, bool top_down = false) {
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
    std::vector<unsigned char> b(54 + stride * static_cast<size_t>(h), 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<uint32_t>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(top_down ? -h : h));
    b[26] = 1;
    b[28] = 24;
    return Bmp24{std::move(b), stride};
}

// Writes a 24-bit BMP whose row y is filled by fill(y, row): row holds w
// colours, all of them key white to begin with.
inline void WriteBmpRows(const fs::path& path, int w, int h,
                         const std::function<void(int, std::vector<uint32_t>&)>& fill) {
    Bmp24 bmp = BlankBmp24(w, h);
    std::vector<unsigned char>& b = bmp.bytes;
    const size_t stride = bmp.stride;
    std::vector<uint32_t> row(static_cast<size_t>(w));
    for (int y = 0; y < h; ++y) {
        std::fill(row.begin(), row.end(), kKeyWhite);
        fill(y, row);
        unsigned char* p = &b[54 + static_cast<size_t>(h - 1 - y) * stride];
        for (uint32_t c : row) {
            *p++ = static_cast<unsigned char>(c >> 16);
            *p++ = static_cast<unsigned char>(c >> 8);
            *p++ = static_cast<unsigned char>(c);
        }
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// Writes a 24-bit BMP whose pixel (x, y) is colour(x, y).
inline void WriteBmp(const fs::path& path, int w, int h,
                     const std::function<uint32_t(int, int)>& colour) {
    WriteBmpRows(path, w, h, [&](int y, std::vector<uint32_t>& row) {
        for (int x = 0; x < w; ++x) row[static_cast<size_t>(x)] = colour(x, y);
    });
}

// One level record as the files hold it (x in course units).
struct Record {
    float left, top, right, bottom;
    int16_t kind = 0, taken = 0;
};

inline void WriteLevelFile(const fs::path& path, const std::vector<Record>& records) {
    std::ofstream out(path, std::ios::binary);
    for (const Record& r : records) {
        out.write(reinterpret_cast<const char*>(&r.left), 4);
        out.write(reinterpret_cast<const char*>(&r.top), 4);
        out.write(reinterpret_cast<const char*>(&r.right), 4);
        out.write(reinterpret_cast<const char*>(&r.bottom), 4);
        out.write(reinterpret_cast<const char*>(&r.kind), 2);
        out.write(reinterpret_cast<const char*>(&r.taken), 2);
    }
}

// The course: building 1 carries the start for a long run (course x 0 to
// 1000, roof at 450), fifteen buildings follow with gaps, and the last
// starts at course 4740 and reaches past the end. Items lie far ahead,
// out of view at the start.
inline std::vector<Record> Buildings() {
    std::vector<Record> b;
    b.push_back({0, 450, 1000, 600});
    for (int i = 0; i < 15; ++i) {
        const float left = 1100.0f + 240.0f * static_cast<float>(i);
        b.push_back({left, 420, left + 200, 600});
    }
    b.push_back({4740, 440, 5200, 600});
    return b;
}

inline std::vector<Record> Items() {
    std::vector<Record> items;
    for (int i = 0; i < 33; ++i) {
        const float left = 1200.0f + 100.0f * static_cast<float>(i);
        items.push_back({left, 300, left + 32.0f / 3, 332, static_cast<int16_t>(i % 4), 0});
    }
    return items;
}

// Writes every sheet, the title pictures and the level tables into dir.
inline void WriteAssets(const fs::path& dir) {
    fs::create_directories(dir / "bmp");
    fs::create_directories(dir / "data");
    fs::create_directories(dir / "sound");
    const fs::path bmp = dir / "bmp";
    const std::vector<Record> buildings = Buildings();
    WriteBmp(bmp / "kumo.bmp", 1800, 600, [](int, int) { return kSky; });
    WriteBmpRows(bmp / "biru.bmp", 15000, 600, [&](int y, std::vector<uint32_t>& row) {
        for (const Record& r : buildings) {
            if (y < r.top) continue;
            const int from = static_cast<int>(std::ceil(r.left * 3));
            const int to = std::min(15000, static_cast<int>(std::ceil(r.right * 3)));
            std::fill(row.begin() + from, row.begin() + to, kBuilding);
        }
    });
    WriteBmp(bmp / "chara.bmp", 480, 96, [](int x, int) { return WhiteKeyed(x % 96, Hero(x / 96)); });
    WriteBmp(bmp / "kabe.bmp", 800, 100, [](int, int y) { return y < 20 ? kKeyWhite : kPanel; });
    WriteBmp(bmp / "suji.bmp", 12, 288, [](int x, int y) { return WhiteKeyed(x, Glyph(y / 24)); });
    WriteBmp(bmp / "item.bmp", 128, 32, [](int x, int) { return WhiteKeyed(x % 32, Item(x / 32)); });
    WriteBmp(bmp / "jump.bmp", 48, 16, [](int x, int) { return WhiteKeyed(x % 16, PadColour(x / 16)); });
    WriteBmp(bmp / "ready_go.bmp", 1080, 133, [](int x, int) { return WhiteKeyed(x % 540, x < 540 ? kReady : kGo); });
    WriteBmp(bmp / "end.bmp", 800, 600, [](int, int) { return kEnd; });
    WriteBmp(bmp / "baku.bmp", 768, 192, [](int x, int y) {
        const int column = x % 96;
        return column < 4 ? kKeyBlack : column < 8 ? kKeyWhite : Blast(x / 96 + 8 * (y / 96));
    });
    WriteBmp(bmp / "mozi.bmp", 200, 60, [](int x, int) { return x % 20 < 10 ? Rgb(64, 0, 0) : kKeyWhite; });
    WriteBmp(bmp / "mask.bmp", 200, 60, [](int x, int) { return x % 20 < 10 ? kKeyWhite : kKeyBlack; });
    WriteBmp(bmp / "back(1).bmp", 480, 150, [](int, int) { return Rgb(0, 64, 128); });
    WriteLevelFile(dir / "data" / "biru.dat", buildings);
    WriteLevelFile(dir / "data" / "item.dat", Items());
}

}  // namespace synthetic
