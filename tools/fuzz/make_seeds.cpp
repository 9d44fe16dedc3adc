// Writes the binary seed inputs of the fuzz targets (small pictures of each
// kind the loader reads, a MIDI, a WAV and an MP3) into a folder, so that no
// binary file needs to live in the repository.
//   make_seeds OUT_DIR   → OUT_DIR/picture/*.bmp, OUT_DIR/sound_file/*
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

void Put(Bytes& b, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void PutBE(Bytes& b, uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

Bytes Bmp(int w, int h, int bpp, bool top_down = false) {
    const uint32_t stride = static_cast<uint32_t>((w * bpp + 31) / 32 * 4);
    const uint32_t colours = bpp <= 8 ? 1u << bpp : 0;
    const uint32_t offset = 14 + 40 + colours * 4;
    const uint32_t data = stride * static_cast<uint32_t>(h);
    Bytes b = {'B', 'M'};
    Put(b, offset + data, 4);
    Put(b, 0, 4);
    Put(b, offset, 4);
    Put(b, 40, 4);
    Put(b, static_cast<uint32_t>(w), 4);
    Put(b, static_cast<uint32_t>(top_down ? -h : h), 4);
    Put(b, 1, 2);
    Put(b, static_cast<uint32_t>(bpp), 2);
    Put(b, 0, 4);
    Put(b, data, 4);
    Put(b, 2835, 4);
    Put(b, 2835, 4);
    Put(b, 0, 4);
    Put(b, 0, 4);
    for (uint32_t i = 0; i < colours; ++i) Put(b, i * 0x010101u * (255 / (colours - 1 ? colours - 1 : 1)), 4);
    for (uint32_t i = 0; i < data; ++i) b.push_back(static_cast<unsigned char>(i * 37 + 11));
    return b;
}

Bytes Midi() {
    const Bytes track = {0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20, 0, 0x90, 60, 100,
                         0x60, 0x80, 60, 0, 0, 0xFF, 0x2F, 0};
    Bytes b = {'M', 'T', 'h', 'd'};
    PutBE(b, 6, 4);
    PutBE(b, 0, 2);
    PutBE(b, 1, 2);
    PutBE(b, 96, 2);
    b.insert(b.end(), {'M', 'T', 'r', 'k'});
    PutBE(b, static_cast<uint32_t>(track.size()), 4);
    b.insert(b.end(), track.begin(), track.end());
    return b;
}

Bytes Wav() {
    Bytes samples;
    for (int i = 0; i < 200; ++i) Put(samples, static_cast<uint32_t>((i % 20 - 10) * 1000), 2);
    Bytes b = {'R', 'I', 'F', 'F'};
    Put(b, static_cast<uint32_t>(36 + samples.size()), 4);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put(b, 16, 4);
    Put(b, 1, 2);
    Put(b, 1, 2);
    Put(b, 22050, 4);
    Put(b, 44100, 4);
    Put(b, 2, 2);
    Put(b, 16, 2);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    Put(b, static_cast<uint32_t>(samples.size()), 4);
    b.insert(b.end(), samples.begin(), samples.end());
    return b;
}

// An ID3 tag and two MPEG-1 layer III frames (128 kbit/s, 44.1 kHz).
Bytes Mp3() {
    Bytes b = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 10};
    b.resize(b.size() + 10, 0);
    for (int f = 0; f < 2; ++f) {
        b.insert(b.end(), {0xFF, 0xFB, 0x90, 0x64});
        b.resize(b.size() + 413, 0);
    }
    return b;
}

bool Write(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds OUT_DIR\n");
        return 2;
    }
    const fs::path out = argv[1];
    fs::create_directories(out / "picture");
    fs::create_directories(out / "sound_file");
    bool ok = Write(out / "picture" / "rgb24.bmp", Bmp(3, 2, 24)) &&
              Write(out / "picture" / "topdown.bmp", Bmp(3, 2, 24, true)) &&
              Write(out / "picture" / "rgb32.bmp", Bmp(2, 2, 32)) &&
              Write(out / "picture" / "rgb16.bmp", Bmp(3, 3, 16)) &&
              Write(out / "picture" / "pal8.bmp", Bmp(5, 3, 8)) &&
              Write(out / "picture" / "pal4.bmp", Bmp(4, 4, 4)) &&
              Write(out / "picture" / "mono.bmp", Bmp(9, 2, 1)) &&
              Write(out / "sound_file" / "tiny.mid", Midi()) &&
              Write(out / "sound_file" / "tiny.wav", Wav()) &&
              Write(out / "sound_file" / "tiny.mp3", Mp3());
    if (!ok) {
        std::fprintf(stderr, "make_seeds: cannot write into %s\n", out.c_str());
        return 1;
    }
    return 0;
}
