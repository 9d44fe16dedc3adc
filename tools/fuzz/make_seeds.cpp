// Writes the binary seed inputs of the fuzz targets (small pictures of each
// kind the loader reads, a MIDI, a WAV and an MP3, and hostile plays) into
// a folder, so that no binary file needs to live in the repository.
//   make_seeds OUT_DIR [WIN_SCRIPT]
//     → OUT_DIR/picture/*.bmp, OUT_DIR/sound_file/*, OUT_DIR/hostile_play/*
// The hostile plays use the keys of the winning run's script (the runner's
// "frame N KEY" lines) when it is given, so that the fuzzer starts from
// plays that reach the end of the course.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
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

// The play keys of a runner script, as the hostile-play target reads
// them: one byte a key, its low three bits the key (0 Space, 1 N, 2 M,
// 3 V, 4 none), its high five the passes without a key before it.
Bytes PlayKeys(const std::string& script_path) {
    Bytes keys;
    std::ifstream in(script_path);
    long last = 0;  // the pass of the last key
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string trigger, key;
        long pass = 0;
        if (!(words >> trigger >> pass >> key) || trigger != "frame") continue;
        const std::string names[4] = {"Space", "N", "M", "V"};
        int code = -1;
        for (int i = 0; i < 4; ++i)
            if (key == names[i]) code = i;
        if (code < 0 || pass <= last) continue;
        long gap = pass - last - 1;
        for (; gap >= 32; gap -= 32) keys.push_back(static_cast<unsigned char>(31 << 3 | 4));
        keys.push_back(static_cast<unsigned char>(gap << 3 | code));
        last = pass;
    }
    return keys;
}

// A hostile play: the field changes (each [file | field << 1, record - 1,
// value mode] and, for mode 192 and above, four bytes of a float), then
// the keys.
Bytes HostilePlay(const std::vector<Bytes>& changes, const Bytes& keys) {
    Bytes b = {static_cast<unsigned char>(changes.size())};
    for (const Bytes& c : changes) b.insert(b.end(), c.begin(), c.end());
    b.insert(b.end(), keys.begin(), keys.end());
    return b;
}

bool Write(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_seeds OUT_DIR [WIN_SCRIPT]\n");
        return 2;
    }
    const fs::path out = argv[1];
    fs::create_directories(out / "picture");
    fs::create_directories(out / "sound_file");
    fs::create_directories(out / "hostile_play");
    // Thrown at once: a low pad after the READY/GO start.
    Bytes keys = {31 << 3 | 4, 31 << 3 | 4, 31 << 3 | 4, 31 << 3 | 4, 31 << 3 | 4, 31 << 3 | 4, 17 << 3 | 0};
    if (argc == 3) keys = PlayKeys(argv[2]);
    constexpr unsigned char kFloatFollows = 0xC0;  // a value mode: the float's four bytes come next
    bool ok = Write(out / "picture" / "rgb24.bmp", Bmp(3, 2, 24)) &&
              Write(out / "picture" / "topdown.bmp", Bmp(3, 2, 24, true)) &&
              Write(out / "picture" / "rgb32.bmp", Bmp(2, 2, 32)) &&
              Write(out / "picture" / "rgb16.bmp", Bmp(3, 3, 16)) &&
              Write(out / "picture" / "pal8.bmp", Bmp(5, 3, 8)) &&
              Write(out / "picture" / "pal4.bmp", Bmp(4, 4, 4)) &&
              Write(out / "picture" / "mono.bmp", Bmp(9, 2, 1)) &&
              Write(out / "sound_file" / "tiny.mid", Midi()) &&
              Write(out / "sound_file" / "tiny.wav", Wav()) &&
              Write(out / "sound_file" / "tiny.mp3", Mp3()) &&
              Write(out / "hostile_play" / "shipped", HostilePlay({}, keys)) &&
              // the roof under the start at -1e9, the others at 600
              Write(out / "hostile_play" / "roof-far-above", HostilePlay({{2, 0, 6}, {2, 5, 11}}, keys)) &&
              Write(out / "hostile_play" / "item-nan", HostilePlay({{1, 4, 0}}, keys)) &&
              // building 9's right end 440 units further left, item 3's top at 1.0
              Write(out / "hostile_play" / "moved",
                    HostilePlay({{4, 8, 16}, {3, 2, kFloatFollows, 0x00, 0x00, 0x80, 0x3F}}, keys));
    if (!ok) {
        std::fprintf(stderr, "make_seeds: cannot write into %s\n", out.c_str());
        return 1;
    }
    return 0;
}
