// libFuzzer target for whole plays on hostile courses: the input changes a
// few fields of the shipped level tables (to NaN, infinities, huge, tiny or
// nearby values, or any float at all) and then plays up to a few thousand
// passes with keys of its choosing, through the program's own loader,
// world step, item step and play keys (the bot's simulation).
//
// A course the loader refuses must be refused with a message naming the
// file, the record and the field; a course it takes must play without any
// error: no index out of its table, no rounding of a value that has no
// integer.
//
// Input: one byte, the number of field changes (mod 9); each change is
//   [file and field] [record] [value: 0-15 a hostile constant, 16-191 the
//   shipped value moved by (v - 104) x 5, 192-255 the float in the next
//   four bytes; Kind and Taken take the next two bytes as an int16];
// then one byte a key: the low three bits choose it (Space, N, M, V, no
// key, Return, Left, Space), the high five the passes to wait before it.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "bot/simulation.h"
#include "core/game_state.h"

namespace {

constexpr std::size_t kRecordLength = 20;
constexpr int kMaxChanges = 8;
constexpr int kMaxPasses = 4000;

using Bytes = std::vector<unsigned char>;

struct Table {
    const char* name;  // under data/
    int count;         // records the game reads
    Bytes shipped;
};
Table g_tables[2] = {{"biru.dat", 17, {}}, {"item.dat", 33, {}}};
std::string g_dir;  // the program folder the loader is pointed at

const float kHostile[16] = {std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            1e30f, -1e30f, 1e9f, -1e9f, 3.4e38f, -0.0f, 1e-40f,
                            0.0f, 600.0f, 600.5f, -0.5f, 5000.0f, 15000.0f};

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteAll(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// Reads the input from the front; past its end every byte reads as 0.
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool More() const { return at < size; }
    uint8_t Byte() { return at < size ? data[at++] : 0; }
};

void Change(Reader& in, Bytes tables[2]) {
    const uint8_t what = in.Byte();
    const int file = what & 1;
    const int field = (what >> 1) % 6;  // Left, Top, Right, Bottom, Kind, Taken
    const int record = 1 + in.Byte() % g_tables[file].count;
    unsigned char* at = tables[file].data() + (record - 1) * kRecordLength;
    if (field >= 4) {
        at[16 + (field - 4) * 2] = in.Byte();
        at[17 + (field - 4) * 2] = in.Byte();
        return;
    }
    unsigned char* bytes = at + field * 4;
    float value;
    std::memcpy(&value, bytes, 4);
    const uint8_t mode = in.Byte();
    if (mode < 16) {
        value = kHostile[mode];
    } else if (mode < 192) {
        value += static_cast<float>((mode - 104) * 5);
    } else {
        const unsigned char raw[4] = {in.Byte(), in.Byte(), in.Byte(), in.Byte()};
        std::memcpy(&value, raw, 4);
    }
    std::memcpy(bytes, &value, 4);
}

// The loader's refusal: the file, the record within the counts, the field.
void CheckRefusal(const std::string& message) {
    static const std::regex form(R"(data\\(biru|item)\.dat record ([0-9]+): (Left|Top|Right|Bottom) is .+)");
    std::smatch m;
    if (!std::regex_match(message, m, form)) {
        std::fprintf(stderr, "refused without naming the file, record and field: %s\n", message.c_str());
        std::abort();
    }
    const int record = std::stoi(m[2].str());
    if (record < 1 || record > (m[1].str() == "biru" ? 17 : 33)) {
        std::fprintf(stderr, "refused naming a record that is not read: %s\n", message.c_str());
        std::abort();
    }
}

void Play(Reader& in) {
    static const int16_t kKeys[8] = {bot::kKeySpace, bot::kKeyN, bot::kKeyM, bot::kKeyV,
                                     bot::kNoKey,    13,         37,         bot::kKeySpace};
    bool key_waiting = false;
    int16_t next_key = bot::kNoKey;
    int wait = 0;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        if (!key_waiting && in.More()) {
            const uint8_t b = in.Byte();
            next_key = kKeys[b & 7];
            wait = b >> 3;
            key_waiting = true;
        }
        int16_t key = bot::kNoKey;
        if (key_waiting && wait-- == 0) {
            key = next_key;
            key_waiting = false;
        }
        const bot::PassEnd end = bot::Pass(key);
        if (G.BuildingIndex < 1 || G.BuildingIndex > G.BuildingCount) {
            std::fprintf(stderr, "BuildingIndex %d outside 1..%d\n", G.BuildingIndex, G.BuildingCount);
            std::abort();
        }
        if (end == bot::PassEnd::Finished || end == bot::PassEnd::GameOver) return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (Table& t : g_tables) {
        t.shipped = ReadAll(std::string(ROOFRIDER_GAME_DIR) + "/data/" + t.name);
        if (t.shipped.size() < static_cast<size_t>(t.count) * kRecordLength) {
            std::fprintf(stderr, "fuzz_hostile_play: the shipped %s is missing or short\n", t.name);
            std::abort();
        }
    }
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string templ = std::string(base) + "/roofrider-fuzz-play-XXXXXX";
    if (!mkdtemp(templ.data())) std::abort();
    g_dir = templ;
    if (mkdir((g_dir + "/data").c_str(), 0755) != 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    Bytes tables[2] = {g_tables[0].shipped, g_tables[1].shipped};
    const int changes = in.Byte() % (kMaxChanges + 1);
    for (int i = 0; i < changes; ++i) Change(in, tables);
    for (int f = 0; f < 2; ++f)
        if (!WriteAll(g_dir + "/data/" + g_tables[f].name, tables[f])) std::abort();

    try {
        bot::StartNewGame(g_dir);
    } catch (const std::exception& e) {
        if (changes == 0) {
            std::fprintf(stderr, "the shipped course was refused: %s\n", e.what());
            std::abort();
        }
        CheckRefusal(e.what());
        return 0;
    }
    try {
        Play(in);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "a course the loader took stopped the play: %s\n", e.what());
        std::abort();
    }
    return 0;
}
