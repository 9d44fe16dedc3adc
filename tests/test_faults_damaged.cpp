// Faults: damaged asset files in a run of the whole program through the
// runner. A damaged picture (a sheet of the play field, a picture of the
// title) or level file stops the program with an error naming the file,
// without a crash or a huge allocation; a damaged piece of music or sound
// is only silent and the run goes on exactly as with it.
#include <gtest/gtest.h>

#ifdef ROOFRIDER_DEMO

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "test_faults_support.h"

namespace {

using faults_test::AssetCopy;
using faults_test::Ended;
using faults_test::RunDemo;
using faults_test::ScratchDir;
using faults_test::ScriptFixture;
using Bytes = std::vector<unsigned char>;

// Far more than a run of the game needs (about 110 MB; more under the
// sanitizers), far less than any picture the damaged headers describe.
constexpr long kMemoryBoundKb = 1500 * 1024;

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) b.at(at + i) = static_cast<unsigned char>(v >> (8 * i));
}
void Put16(Bytes& b, size_t at, uint16_t v) {
    b.at(at) = static_cast<unsigned char>(v);
    b.at(at + 1) = static_cast<unsigned char>(v >> 8);
}

// Damaged versions of a good BMP (a 40-byte header after the 14-byte one):
// the loader's own tests go through every check; here a few of each kind
// go through the whole program, for a sheet of the play field (sheet) or
// a picture of the title.
std::vector<std::pair<std::string, Bytes>> DamagedPictures(const Bytes& good, bool sheet) {
    std::vector<std::pair<std::string, Bytes>> cases;
    auto changed = [&](const std::string& what, auto change) {
        Bytes b = good;
        change(b);
        cases.emplace_back(what, b);
    };
    auto cut = [&](size_t length) {
        cases.emplace_back("cut to " + std::to_string(length) + " bytes",
                           Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
    };
    if (sheet) {
        cut(54);
        cut(good.size() - 1);
        changed("not BM", [](Bytes& b) { b[0] = 'X'; });
        changed("a depth of 7 bits", [](Bytes& b) { Put16(b, 28, 7); });
        changed("run-length compressed", [](Bytes& b) { Put32(b, 30, 1); });
        changed("65536 x 65536, whose bytes overflow 32 bits", [](Bytes& b) {
            Put32(b, 18, 65536);
            Put32(b, 22, 65536);
        });
    } else {
        cut(10);
        changed("a header size of 99", [](Bytes& b) { Put32(b, 14, 99); });
        changed("a negative width", [](Bytes& b) { Put32(b, 18, static_cast<uint32_t>(-640)); });
        changed("the most negative height", [](Bytes& b) { Put32(b, 22, 0x80000000u); });
        changed("30000 x 30000", [](Bytes& b) {
            Put32(b, 18, 30000);
            Put32(b, 22, 30000);
        });
        changed("pixels beyond the end", [](Bytes& b) { Put32(b, 10, 0xFFFFFFF0u); });
    }
    return cases;
}

TEST(DamagedFiles, ASheetOrATitlePictureStopsTheProgramWithAClearError) {
    AssetCopy assets;
    const std::string script = ScriptFixture("faults-start.txt");
    for (const std::string picture : {"bmp/kumo.bmp", "bmp/mozi.bmp"}) {
        const bool sheet = picture == "bmp/kumo.bmp";
        for (const auto& [what, bytes] : DamagedPictures(faults_test::ReadBytes(assets.Original(picture)), sheet)) {
            assets.Put(picture, bytes);
            const Ended run = RunDemo({script, "--assets", assets.Dir()});
            const std::string name = sheet ? "bmp\\kumo.bmp: " : "bmp\\mozi.bmp: ";
            EXPECT_TRUE(run.EndedCleanly()) << picture << ", " << what << "\n" << run.Describe();
            EXPECT_EQ(run.exit_code, 1) << picture << ", " << what << "\n" << run.Describe();
            EXPECT_EQ(run.LastLine().rfind("ended: error: ", 0), 0u) << what << "\n" << run.Describe();
            EXPECT_NE(run.LastLine().find(name), std::string::npos) << what << "\n" << run.Describe();
            EXPECT_LT(run.peak_rss_kb, kMemoryBoundKb) << picture << ", " << what;
        }
        assets.Restore(picture);
    }
}

TEST(DamagedFiles, ShortLevelFilesStopTheProgramAndExtraBytesAreNotRead) {
    AssetCopy assets;
    ScratchDir scratch("damaged-levels");
    const std::string script = ScriptFixture("faults-start.txt");
    const std::string trace = (scratch / "run.csv").string();
    const Ended whole = RunDemo({script, "--assets", assets.Dir(), "--trace", trace});
    ASSERT_EQ(whole.exit_code, 0) << whole.Describe();
    const std::string whole_trace = faults_test::ReadText(trace);

    for (const std::string table : {"data/biru.dat", "data/item.dat"}) {
        const Bytes good = faults_test::ReadBytes(assets.Original(table));
        const std::string name = table == "data/biru.dat" ? "data\\biru.dat: " : "data\\item.dat: ";
        for (size_t length : {size_t{0}, size_t{19}, size_t{100}, good.size() - 1}) {
            assets.Put(table, Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
            const Ended run = RunDemo({script, "--assets", assets.Dir()});
            EXPECT_TRUE(run.EndedCleanly()) << table << " of " << length << " bytes\n" << run.Describe();
            EXPECT_EQ(run.exit_code, 1) << table << " of " << length << " bytes";
            EXPECT_NE(run.LastLine().find(name + std::to_string(length / 20) + " records"), std::string::npos)
                << run.Describe();
        }
        // A partial record and whole records of noise after the tables.
        Bytes longer = good;
        for (int i = 0; i < 47; ++i) longer.push_back(static_cast<unsigned char>(i * 37 + 11));
        assets.Put(table, longer);
        const Ended run = RunDemo({script, "--assets", assets.Dir(), "--trace", trace});
        EXPECT_EQ(run.Outcome(), whole.Outcome()) << table << "\n" << run.Describe();
        EXPECT_TRUE(faults_test::ReadText(trace) == whole_trace) << table << ": the trace differs";
        assets.Restore(table);
    }
}

// Level files with values no course can hold. Before the loader checked
// them, a roof line at -1e9 under the start with a pad thrown at once (the
// script below) let the pad fly over every record of the table, and 2237
// passes later the program stopped with "array::at: __n (which is 201) >=
// _Nm (which is 201)", naming no file. Now it stops before any window,
// naming the file, the record and the field.
TEST(DamagedFiles, LevelValuesNoCourseCanHoldStopTheProgramNamingRecordAndField) {
    AssetCopy assets;
    ScratchDir scratch("hostile-levels");
    const std::string script = (scratch / "throw-at-once.txt").string();
    {
        const std::string text = "at 300 Return\nat 4000 Return\nframe 210 Space\n";
        faults_test::WriteBytes(script, Bytes(text.begin(), text.end()));
    }
    struct Case {
        std::string table;
        size_t record, offset;  // the field's offset in its record
        float value;
        std::string message;
    };
    const Case cases[] = {
        {"data/biru.dat", 1, 4, -1e9f, "data\\biru.dat record 1: Top is -1e+09, outside 0 to 600"},
        {"data/item.dat", 5, 0, std::numeric_limits<float>::quiet_NaN(),
         "data\\item.dat record 5: Left is nan, not a finite number"},
    };
    for (const Case& c : cases) {
        Bytes hostile = faults_test::ReadBytes(assets.Original(c.table));
        uint32_t bits;
        std::memcpy(&bits, &c.value, 4);
        Put32(hostile, (c.record - 1) * 20 + c.offset, bits);
        assets.Put(c.table, hostile);
        const Ended run = RunDemo({script, "--assets", assets.Dir(), "--grace", "100000"});
        EXPECT_TRUE(run.EndedCleanly()) << run.Describe();
        EXPECT_EQ(run.exit_code, 1) << run.Describe();
        EXPECT_EQ(run.LastLine(), "ended: error: " + c.message) << run.Describe();
        assets.Restore(c.table);
    }
}

// Noise that begins like the file's kind, so that the decoders look further.
Bytes Garbage(const std::string& head, size_t length) {
    Bytes b(head.begin(), head.end());
    uint32_t x = 2463534242u;
    while (b.size() < length) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b.push_back(static_cast<unsigned char>(x));
    }
    return b;
}

void ExpectSilentButTheSame(AssetCopy& assets, const std::string& script,
                            const std::vector<std::pair<std::string, Bytes>>& damage) {
    ScratchDir scratch("damaged-sounds");
    const std::string trace = (scratch / "run.csv").string();
    const Ended whole = RunDemo({script, "--assets", assets.Dir(), "--trace", trace});
    ASSERT_EQ(whole.exit_code, 0) << whole.Describe();
    const std::string whole_trace = faults_test::ReadText(trace);
    for (const auto& [sound, bytes] : damage) {
        assets.Put(sound, bytes);
        const Ended run = RunDemo({script, "--assets", assets.Dir(), "--trace", trace});
        EXPECT_TRUE(run.EndedCleanly()) << sound << "\n" << run.Describe();
        EXPECT_EQ(run.Outcome(), whole.Outcome()) << sound << "\n" << run.Describe();
        EXPECT_TRUE(faults_test::ReadText(trace) == whole_trace) << sound << ": the trace differs";
        const std::string file = sound.substr(sound.find('/') + 1);
        EXPECT_NE(run.err.find("sound file "), std::string::npos) << sound << "\n" << run.Describe();
        EXPECT_NE(run.err.find(file + ": "), std::string::npos) << sound << "\n" << run.Describe();
        assets.Restore(sound);
    }
}

TEST(DamagedFiles, MusicAndSoundsOfNoiseAreSilentAndTheRunGoesOn) {
    AssetCopy assets;
    ExpectSilentButTheSame(assets, ScriptFixture("options-esc.txt"),
                           {{"sound/psmat045.mid", Garbage("MThd", 3000)},
                            {"sound/opening.wav", Garbage(std::string("RIFF\x40\x1f\0\0WAVEfmt ", 16), 8000)},
                            {"soundeffect/idou.mp3", Garbage("ID3", 5000)}});
    ExpectSilentButTheSame(assets, ScriptFixture("faults-play.txt"),
                           {{"sound/bgm1.mid", Garbage(std::string("MThd\0\0\0\x06", 8), 3000)},
                            {"sound/go.wav", Garbage("RIFF", 8000)}});
}

}  // namespace

#endif  // ROOFRIDER_DEMO
