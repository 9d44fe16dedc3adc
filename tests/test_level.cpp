// The level files and the new-game reset: the 20-byte little-endian
// records, the scale of the x fields, the sine table, BasePath, files that
// are missing or too short, the start values, and the staff roll and
// evaluation windows placed on the screen.
#include <gtest/gtest.h>

#ifdef ROOFRIDER_PROGRAM_COMPLETE

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "game/level.h"
#include "platform/basic.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "screens/ending.h"
#include "screens/hyouka.h"

namespace {

namespace fs = std::filesystem;

struct Record {
    float left = 0, top = 0, right = 0, bottom = 0;
    int16_t kind = 0, taken = 0;
};

// The bytes of one record, written out little-endian by hand.
void PutRecord(std::vector<unsigned char>& out, const Record& r) {
    auto put_float = [&](float f) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(bits >> (8 * i)));
    };
    auto put_int16 = [&](int16_t v) {
        const auto u = static_cast<uint16_t>(v);
        out.push_back(static_cast<unsigned char>(u & 0xFF));
        out.push_back(static_cast<unsigned char>(u >> 8));
    };
    put_float(r.left);
    put_float(r.top);
    put_float(r.right);
    put_float(r.bottom);
    put_int16(r.kind);
    put_int16(r.taken);
}

std::vector<Record> Buildings(int count) {
    std::vector<Record> b;
    for (int n = 1; n <= count; ++n)
        b.push_back({300.0f * (n - 1), 450.0f - n, 300.0f * (n - 1) + 250, 600, 9, 1});
    return b;
}

std::vector<Record> Items(int count) {
    std::vector<Record> items;
    for (int n = 1; n <= count; ++n)
        items.push_back({100.0f * n, 300, 100.0f * n + 10.5f, 332, static_cast<int16_t>(n % 4), 1});
    return items;
}

class LevelTest : public testing::Test {
protected:
    void SetUp() override {
        char templ[] = "/tmp/rr_level_XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        root_ = templ;
        dir_ = root_ / "game folder";
        fs::create_directories(dir_ / "data");
        Write("biru.dat", Buildings(17));
        Write("item.dat", Items(33));
        platform::files::SetProgramDirectoryOverride(dir_.string());
        G = GameState{};
        basic::ResetRnd();
    }
    void TearDown() override {
        platform::files::SetProgramDirectoryOverride("");
        G = GameState{};
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    void Write(const std::string& name, const std::vector<Record>& records,
               std::size_t extra_bytes = 0) {
        std::vector<unsigned char> bytes;
        for (const Record& r : records) PutRecord(bytes, r);
        bytes.insert(bytes.end(), extra_bytes, 0x7F);
        std::ofstream(dir_ / "data" / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::string LoadError() {
        try {
            LoadLevelFiles();
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "";
    }

    fs::path root_, dir_;
};

TEST_F(LevelTest, RecordsAreScaledInXAndKeptInY) {
    std::vector<Record> buildings = Buildings(17);
    buildings[0] = {100, 450, 200, 77, 0x0102, 1};
    Write("biru.dat", buildings);
    std::vector<Record> items = Items(33);
    items[4] = {100, 300.25f, 200, 332.5f, 3, 1};
    Write("item.dat", items);
    LoadLevelFiles();

    const LevelRecord& b = G.Buildings[1];
    EXPECT_EQ(b.Left, 300);
    EXPECT_EQ(b.Right, 600);
    EXPECT_EQ(b.Top, 450);
    EXPECT_EQ(b.Bottom, 77);
    EXPECT_EQ(b.Kind, 0x0102);
    EXPECT_EQ(b.Taken, 1) << "a building keeps what the file says";

    const LevelRecord& item = G.Items[5];
    EXPECT_EQ(item.Left, 300);
    EXPECT_EQ(item.Right, 600);
    EXPECT_EQ(item.Top, 300.25f);
    EXPECT_EQ(item.Bottom, 332.5f);
    EXPECT_EQ(item.Kind, 3);
    for (int n = 1; n <= 33; ++n) EXPECT_EQ(G.Items[static_cast<std::size_t>(n)].Taken, 0) << n;
    EXPECT_EQ(G.Items[1].Right, static_cast<float>(3 * 110.5f));

    // Index 0 is never used.
    EXPECT_EQ(G.Buildings[0].Top, 0);
    EXPECT_EQ(G.Items[0].Left, 0);

    EXPECT_EQ(G.CourseScale, 3);
    EXPECT_EQ(G.Lives, 4);
    EXPECT_EQ(G.ScrollSpeed, 5);
    EXPECT_EQ(G.BuildingCount, 17);
    EXPECT_EQ(G.ItemCount, 33);
}

TEST_F(LevelTest, RecordsBeyondTheCountsAndTrailingBytesAreNotRead) {
    LoadLevelFiles();
    const GameState exact = G;
    G = GameState{};
    std::vector<Record> more_buildings = Buildings(20);
    std::vector<Record> more_items = Items(40);
    Write("biru.dat", more_buildings, 13);
    Write("item.dat", more_items, 19);
    LoadLevelFiles();
    EXPECT_EQ(G.Buildings[18].Left, 0);
    EXPECT_EQ(G.Items[34].Left, 0);
    for (std::size_t n = 0; n < kLevelTableSize; ++n) {
        EXPECT_EQ(G.Buildings[n].Left, exact.Buildings[n].Left) << n;
        EXPECT_EQ(G.Buildings[n].Top, exact.Buildings[n].Top) << n;
        EXPECT_EQ(G.Items[n].Right, exact.Items[n].Right) << n;
        EXPECT_EQ(G.Items[n].Kind, exact.Items[n].Kind) << n;
    }
    // A whole count of records followed by part of another loads as well.
    Write("biru.dat", Buildings(17), 19);
    EXPECT_EQ(LoadError(), "");
}

TEST_F(LevelTest, MissingOrShortFilesStopTheProgramWithTheirName) {
    Write("biru.dat", Buildings(12));
    EXPECT_EQ(LoadError(), "data\\biru.dat: 12 records, 17 needed");
    Write("biru.dat", Buildings(16), 19);
    EXPECT_EQ(LoadError(), "data\\biru.dat: 16 records, 17 needed");
    Write("biru.dat", {});
    EXPECT_EQ(LoadError(), "data\\biru.dat: 0 records, 17 needed");
    Write("biru.dat", Buildings(17));
    Write("item.dat", Items(32));
    EXPECT_EQ(LoadError(), "data\\item.dat: 32 records, 33 needed");
    fs::remove(dir_ / "data" / "item.dat");
    EXPECT_EQ(LoadError(), "data\\item.dat: cannot be opened (No such file or directory)");
    fs::remove(dir_ / "data" / "biru.dat");
    EXPECT_EQ(LoadError(), "data\\biru.dat: cannot be opened (No such file or directory)");
}

// A record no course can hold stops the program with the file, the record
// and the field; values a course can hold, however odd, load as they are.
TEST_F(LevelTest, RecordsNoCourseCanHoldAreRefusedNamingFileRecordAndField) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        bool item;
        int record;
        std::function<void(Record&)> change;
        std::string message;
    };
    const Case refused[] = {
        {false, 2, [](Record& r) { r.top = -1e9f; }, "data\\biru.dat record 2: Top is -1e+09, outside 0 to 600"},
        {false, 1, [&](Record& r) { r.top = nan; }, "data\\biru.dat record 1: Top is nan, not a finite number"},
        {false, 17, [&](Record& r) { r.right = inf; }, "data\\biru.dat record 17: Right is inf, not a finite number"},
        {false, 5, [&](Record& r) { r.bottom = -inf; }, "data\\biru.dat record 5: Bottom is -inf, not a finite number"},
        {false, 3, [](Record& r) { r.top = 600.5f; }, "data\\biru.dat record 3: Top is 600.5, outside 0 to 600"},
        {false, 4, [](Record& r) { r.right = r.left - 1; }, "data\\biru.dat record 4: Right is 899, left of its Left 900"},
        {false, 6, [](Record& r) { r.left = 1240; }, "data\\biru.dat record 6: Left is 1240, left of the Right of record 5 (1450)"},
        {false, 9, [](Record& r) { r.left = -3.4e38f; }, "data\\biru.dat record 9: Left is -3.4e+38, beyond any course"},
        {true, 33, [](Record& r) { r.bottom = 600.25f; }, "data\\item.dat record 33: Bottom is 600.25, outside 0 to 600"},
        {true, 1, [](Record& r) { r.top = -0.5f; }, "data\\item.dat record 1: Top is -0.5, outside 0 to 600"},
        {true, 8, [](Record& r) { r.right = 2e38f; }, "data\\item.dat record 8: Right is 2e+38, beyond any course"},
        {true, 12, [](Record& r) { r.left = 2000; }, "data\\item.dat record 12: Right is 1210.5, left of its Left 2000"},
    };
    for (const Case& c : refused) {
        std::vector<Record> buildings = Buildings(17), items = Items(33);
        c.change((c.item ? items : buildings)[static_cast<std::size_t>(c.record - 1)]);
        Write("biru.dat", buildings);
        Write("item.dat", items);
        EXPECT_EQ(LoadError(), c.message);
    }

    // Odd but holdable: unknown item kinds (taken with no effect), roofs
    // and items at the screen's edges, -0, a tiny value, a building's
    // unused Bottom anywhere, buildings touching, an empty item.
    std::vector<Record> buildings = Buildings(17), items = Items(33);
    buildings[0].top = -0.0f;
    buildings[1].top = 600;
    buildings[2].bottom = 1e30f;
    buildings[3].left = buildings[2].right;
    buildings[4].top = 1e-40f;
    items[0].kind = 7;
    items[1].kind = -32768;
    items[2] = {5, 0, 5, 600, 3, 1};
    Write("biru.dat", buildings);
    Write("item.dat", items);
    EXPECT_EQ(LoadError(), "");
    EXPECT_EQ(G.Items[1].Kind, 7);
    EXPECT_EQ(G.Items[2].Kind, -32768);
    EXPECT_EQ(G.Buildings[3].Bottom, 1e30f);
    EXPECT_EQ(G.Buildings[5].Top, 1e-40f);
}

TEST_F(LevelTest, TheSineTableUsesTheFactor3Point141) {
    LoadLevelFiles();
    EXPECT_EQ(G.SineTable[0], 0);
    EXPECT_EQ(G.SineTable[90], static_cast<float>(std::sin(1.5705)));
    EXPECT_LT(G.SineTable[90], 1);
    EXPECT_EQ(G.SineTable[30], static_cast<float>(std::sin(30 * 3.141 / 180)));
    EXPECT_NEAR(G.SineTable[180], 0.00059, 0.000005);
    EXPECT_EQ(G.SineTable[180], static_cast<float>(std::sin(3.141)));
}

TEST_F(LevelTest, BasePathEndsInOneBackslashWhateverTheFolderIsWrittenWith) {
    const std::string expected = [&] {
        std::string s = dir_.string();
        for (char& c : s)
            if (c == '/') c = '\\';
        return s + "\\";
    }();
    LoadLevelFiles();
    EXPECT_EQ(G.BasePath, expected);
    platform::files::SetProgramDirectoryOverride(dir_.string() + "/");
    LoadLevelFiles();
    EXPECT_EQ(G.BasePath, expected);
    EXPECT_EQ(G.Buildings[1].Top, 449);
}

class ResetTest : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        forms::Initialise(true);
    }
    void TearDown() override {
        Ending.Unload();
        Hyouka.Unload();
        LevelTest::TearDown();
    }
};

// The width and height of a BMP file of the game folder.
std::pair<int, int> BmpSize(const std::string& name) {
    std::ifstream in(fs::path(ROOFRIDER_GAME_DIR) / "bmp" / name, std::ios::binary);
    unsigned char header[26] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    auto at = [&](int i) { return header[i] | header[i + 1] << 8 | header[i + 2] << 16 | header[i + 3] << 24; };
    return {at(18), std::abs(at(22))};
}

// The reset puts the hero on the first roof, and gives every sheet the
// size its picture is made at, so that no sheet is stretched to fit.
TEST_F(ResetTest, TheHeroStandsOnTheFirstRoofAndEverySheetHasItsPicturesSize) {
    std::vector<Record> buildings = Buildings(17);
    buildings[0].top = 450;
    Write("biru.dat", buildings);
    LoadLevelFiles();
    ResetGame();
    EXPECT_EQ(G.PlayerY + G.PlayerHeight, 450);
    EXPECT_EQ(G.BuildingIndex, 1);
    struct Sheet {
        const char* file;
        float width, height;
    };
    const Sheet sheets[] = {
        {"biru.bmp", G.CourseWidth, G.CourseHeight},
        {"chara.bmp", G.PlayerFrameCount * G.PlayerWidth, G.PlayerHeight},
        {"kumo.bmp", G.CloudWidth, G.CloudHeight},
        {"kabe.bmp", G.PanelWidth, G.PanelHeight},
        {"suji.bmp", G.DigitWidth, 12 * G.DigitHeight},
        {"item.bmp", G.ItemKindCount * G.ItemWidth, G.ItemHeight},
        {"jump.bmp", 3 * G.Pads[0].Width, G.Pads[0].Height},
        {"ready_go.bmp", 2 * G.ReadyGoWidth, G.ReadyGoHeight},
    };
    for (const Sheet& sheet : sheets) {
        const auto [w, h] = BmpSize(sheet.file);
        EXPECT_EQ(sheet.width, w) << sheet.file;
        EXPECT_EQ(sheet.height, h) << sheet.file;
    }
    for (const Pad& pad : G.Pads) EXPECT_EQ(pad.State, 0);
}

TEST_F(ResetTest, TheStaffRollAndTheEvaluationArePlacedOnTheScreen) {
    LoadLevelFiles();
    ResetGame();
    const float screen_w = forms::ScreenWidth(), screen_h = forms::ScreenHeight();
    EXPECT_EQ(screen_w, 1024 * 15);
    EXPECT_EQ(screen_h, 768 * 15);
    EXPECT_EQ(Ending.Width(), 15360);
    EXPECT_EQ(Ending.Height(), 11520);
    EXPECT_EQ(Ending.Left(), 0);
    EXPECT_EQ(Ending.Top(), 0);
    for (int j = 0; j <= 5; ++j) {
        EXPECT_EQ(Ending.Ob[j].Top(), 11520 + 400 + 3000 * j) << j;
        EXPECT_EQ(Ending.Name1[j].Top(), 11520 + 750 + 3000 * j) << j;
        EXPECT_FLOAT_EQ(Ending.Ob[j].Left(), 7680 - Ending.Ob[j].Width() / 2) << j;
        EXPECT_FLOAT_EQ(Ending.Name1[j].Left(), 7680 - Ending.Name1[j].Width() / 2) << j;
    }
    EXPECT_FLOAT_EQ(Ending.Label1.Left(), Ending.ScaleWidth() / 2 - Ending.Label1.Width() / 2);
    EXPECT_FLOAT_EQ(Ending.Label1.Top(), Ending.ScaleHeight() / 2 - Ending.Label1.Height() / 2);
    EXPECT_FLOAT_EQ(Hyouka.Left(), screen_w / 2 - Hyouka.Width() / 2);
    EXPECT_FLOAT_EQ(Hyouka.Top(), screen_h / 2 - Hyouka.Height() / 2);
}

}  // namespace

#endif  // ROOFRIDER_PROGRAM_COMPLETE
