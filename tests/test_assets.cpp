// The generated pictures and level tables: sizes, cells, colour keys, the
// sky's wrap, the course's limits, the roofs in the picture against the
// table, the embedded pictures, and that the generator is deterministic.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "screens/embedded_pictures.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000;

Bytes ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

uint32_t Little(const Bytes& b, size_t at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[at + i];
    return v;
}

// A picture as the game's files hold it (24-bit, or 16-bit 5-6-5 like the
// course), top row first, in 24-bit colour; width 0 when the bytes are not
// one.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> px;
    uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

// A 5-6-5 pixel widened as SDL widens it (the top bits repeated below).
uint32_t Widen565(uint32_t p) {
    const uint32_t r = p >> 11, g = (p >> 5) & 63, b = p & 31;
    return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

Picture Decode(const Bytes& b, std::string* why) {
    Picture p;
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return *why = "not a BMP", p;
    const uint32_t depth = Little(b, 28, 2), compression = Little(b, 30, 4);
    const bool rgb565 = depth == 16 && compression == 3 && Little(b, 54, 4) == 0xF800 &&
                        Little(b, 58, 4) == 0x07E0 && Little(b, 62, 4) == 0x001F;
    if (!rgb565 && (depth != 24 || compression != 0)) return *why = "neither 24-bit BI_RGB nor 5-6-5", p;
    if (Little(b, 2, 4) != b.size()) return *why = "file size field is wrong", p;
    int w = static_cast<int>(Little(b, 18, 4)), h = static_cast<int>(Little(b, 22, 4));
    const bool top_down = h < 0;
    h = top_down ? -h : h;
    const size_t bytes = depth / 8;
    size_t offset = Little(b, 10, 4), stride = (static_cast<size_t>(w) * bytes + 3) & ~size_t{3};
    if (w <= 0 || h <= 0 || offset + stride * h > b.size()) return *why = "bad size", p;
    p.width = w;
    p.height = h;
    p.px.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = b.data() + offset + stride * (top_down ? y : h - 1 - y);
        for (int x = 0; x < w; ++x)
            p.px[static_cast<size_t>(y) * w + x] =
                rgb565 ? Widen565(uint32_t{row[2 * x]} | uint32_t{row[2 * x + 1]} << 8)
                       : (uint32_t{row[3 * x + 2]} << 16) | (uint32_t{row[3 * x + 1]} << 8) | row[3 * x];
    }
    return p;
}

std::string Game(const std::string& relative) { return std::string(ROOFRIDER_GAME_DIR) + "/" + relative; }

Picture Load(const std::string& relative) {
    std::string why;
    Picture p = Decode(ReadBytes(Game(relative)), &why);
    EXPECT_GT(p.width, 0) << relative << ": " << why;
    return p;
}

int VisiblePixels(const Picture& p, int x0, int y0, int w, int h, uint32_t key) {
    int n = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) n += p.At(x, y) != key;
    return n;
}

// Key-coloured pixels whose four neighbours all show: a hole that would
// let the background through the middle of a sprite.
int Pinholes(const Picture& p, int x0, int y0, int w, int h, uint32_t key) {
    int n = 0;
    for (int y = y0 + 1; y < y0 + h - 1; ++y)
        for (int x = x0 + 1; x < x0 + w - 1; ++x)
            n += p.At(x, y) == key && p.At(x - 1, y) != key && p.At(x + 1, y) != key &&
                 p.At(x, y - 1) != key && p.At(x, y + 1) != key;
    return n;
}

struct Record {
    float left, top, right, bottom;
    int16_t kind, taken;
};

std::vector<Record> ReadTable(const std::string& relative) {
    Bytes b = ReadBytes(Game(relative));
    std::vector<Record> out(b.size() / 20);
    for (size_t i = 0; i < out.size(); ++i) {
        std::memcpy(&out[i].left, &b[i * 20], 4);
        std::memcpy(&out[i].top, &b[i * 20 + 4], 4);
        std::memcpy(&out[i].right, &b[i * 20 + 8], 4);
        std::memcpy(&out[i].bottom, &b[i * 20 + 12], 4);
        std::memcpy(&out[i].kind, &b[i * 20 + 16], 2);
        std::memcpy(&out[i].taken, &b[i * 20 + 18], 2);
    }
    return out;
}

struct Sheet {
    const char* file;
    int width, height, cell_w, cell_h;
    uint32_t key;
};

const Sheet kSheets[] = {
    {"bmp/biru.bmp", 15000, 600, 15000, 600, kWhite}, {"bmp/chara.bmp", 480, 96, 96, 96, kWhite},
    {"bmp/kumo.bmp", 1800, 600, 1800, 600, kWhite},   {"bmp/kabe.bmp", 800, 100, 800, 100, kWhite},
    {"bmp/suji.bmp", 12, 288, 12, 24, kWhite},        {"bmp/item.bmp", 128, 32, 32, 32, kWhite},
    {"bmp/jump.bmp", 48, 16, 16, 16, kWhite},         {"bmp/ready_go.bmp", 1080, 133, 540, 133, kWhite},
    {"bmp/end.bmp", 800, 600, 800, 600, kWhite},      {"bmp/baku.bmp", 768, 192, 96, 96, kBlack},
};

TEST(Assets, EverySheetHasItsSizeAndEveryCellShowsSomething) {
    for (const Sheet& s : kSheets) {
        Picture p = Load(s.file);
        ASSERT_EQ(p.width, s.width) << s.file;
        ASSERT_EQ(p.height, s.height) << s.file;
        for (int y = 0; y < s.height; y += s.cell_h)
            for (int x = 0; x < s.width; x += s.cell_w) {
                EXPECT_GT(VisiblePixels(p, x, y, s.cell_w, s.cell_h, s.key), 40)
                    << s.file << " cell at " << x << "," << y;
                EXPECT_EQ(Pinholes(p, x, y, s.cell_w, s.cell_h, s.key), 0)
                    << s.file << " cell at " << x << "," << y;
            }
    }
}

TEST(Assets, HeroFramesAreOutlinedAndStandOnTheCellFoot) {
    Picture p = Load("bmp/chara.bmp");
    for (int frame = 0; frame < 5; ++frame) {
        const int ox = frame * 96;
        // The wheels touch the bottom row: the game puts his feet on the roof there.
        EXPECT_GT(VisiblePixels(p, ox, 95, 96, 1, kWhite), 0) << "frame " << frame;
        // The figure's edge against the key is dark (speed lines aside).
        int edge = 0, dark = 0;
        for (int y = 1; y < 95; ++y)
            for (int x = ox + 1; x < ox + 95; ++x) {
                uint32_t c = p.At(x, y);
                if (c == kWhite) continue;
                if (p.At(x - 1, y) != kWhite && p.At(x + 1, y) != kWhite && p.At(x, y - 1) != kWhite &&
                    p.At(x, y + 1) != kWhite)
                    continue;
                ++edge;
                int luma = ((c >> 16) * 3 + ((c >> 8) & 0xFF) * 6 + (c & 0xFF)) / 10;
                dark += luma < 60;
            }
        EXPECT_GT(dark, edge * 8 / 10) << "frame " << frame;
    }
}

int Luma(uint32_t c) { return static_cast<int>(((c >> 16) * 3 + ((c >> 8) & 0xFF) * 6 + (c & 0xFF)) / 10); }

// The first row of a cell with anything visible in it.
int TopRow(const Picture& p, int x0, int y0, int w, int h, uint32_t key) {
    for (int y = y0; y < y0 + h; ++y)
        if (VisiblePixels(p, x0, y, w, 1, key) > 0) return y - y0;
    return h;
}

TEST(Assets, PanelKeepsTheDigitPlacesDarkAndOpaque) {
    Picture panel = Load("bmp/kabe.bmp");
    // The clock and score rows: eight cells from x 100, rows 36..81; the
    // lives digit at x 180, rows 75..98.
    auto dark = [&](int x0, int y0, int w, int h) {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) {
                ASSERT_NE(panel.At(x, y), kWhite) << x << "," << y;
                ASSERT_LT(Luma(panel.At(x, y)), 40) << x << "," << y;
            }
    };
    dark(100, 36, 104, 46);
    dark(180, 75, 12, 24);
    // Below its top corners the panel is opaque all the way across.
    EXPECT_EQ(VisiblePixels(panel, 0, 6, 800, 94, kWhite), 800 * 94);
}

TEST(Assets, DigitsAreDistinctAndEdgedInDark) {
    Picture digits = Load("bmp/suji.bmp");
    std::vector<std::vector<uint32_t>> cells;
    for (int g = 0; g < 12; ++g) {
        std::vector<uint32_t> cell;
        for (int y = g * 24; y < g * 24 + 24; ++y)
            for (int x = 0; x < 12; ++x) {
                uint32_t c = digits.At(x, y);
                cell.push_back(c);
                bool edge = c != kWhite && (x == 0 || x == 11 || digits.At(x - 1, y) == kWhite ||
                                            digits.At(x + 1, y) == kWhite);
                if (edge) {
                    EXPECT_LT(Luma(c), 60) << "glyph " << g << " at " << x << "," << y;
                }
            }
        for (size_t k = 0; k < cells.size(); ++k) EXPECT_NE(cells[k], cell) << "glyphs " << k << " and " << g;
        cells.push_back(cell);
    }
}

TEST(Assets, HigherPadsStandTaller) {
    Picture pads = Load("bmp/jump.bmp");
    int low = TopRow(pads, 0, 0, 16, 16, kWhite), middle = TopRow(pads, 16, 0, 16, 16, kWhite),
        high = TopRow(pads, 32, 0, 16, 16, kWhite);
    EXPECT_GT(low, middle);
    EXPECT_GT(middle, high);
    // Every pad rests on the cell's foot: the game puts that row on the roof.
    for (int kind = 0; kind < 3; ++kind) EXPECT_GT(VisiblePixels(pads, kind * 16, 15, 16, 1, kWhite), 8);
}

TEST(Assets, BlastSwellsThenFades) {
    Picture blast = Load("bmp/baku.bmp");
    std::vector<int> sizes;
    for (int n = 0; n < 16; ++n) sizes.push_back(VisiblePixels(blast, (n % 8) * 96, (n / 8) * 96, 96, 96, kBlack));
    EXPECT_LT(sizes[0], sizes[4]);
    EXPECT_LT(sizes[1], sizes[5]);
    EXPECT_GT(sizes[8], sizes[15]);
    EXPECT_GT(sizes[10], sizes[14]);
    // Fire while young: the first cells hold hot yellows, the last only smoke.
    auto hot = [&](int n) {
        int count = 0;
        for (int y = (n / 8) * 96; y < (n / 8) * 96 + 96; ++y)
            for (int x = (n % 8) * 96; x < (n % 8) * 96 + 96; ++x) {
                uint32_t c = blast.At(x, y);
                count += (c >> 16) > 0xE0 && ((c >> 8) & 0xFF) > 0xB0;
            }
        return count;
    };
    EXPECT_GT(hot(3), 100);
    EXPECT_LT(hot(15), 10);
}

TEST(Assets, SkyRepeatsWhereTheViewJumpsBack) {
    Picture sky = Load("bmp/kumo.bmp");
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) ASSERT_EQ(sky.At(x, y), sky.At(x + 1000, y)) << x << "," << y;
}

TEST(Assets, TitleMaskCoversExactlyTheLettering) {
    Picture mozi = Load("bmp/mozi.bmp"), mask = Load("bmp/mask.bmp"), band = Load("bmp/back(1).bmp");
    ASSERT_EQ(mozi.width, mask.width);
    ASSERT_EQ(mozi.height, mask.height);
    EXPECT_GE(mask.width, 200);
    EXPECT_LE(mask.width, 300);
    EXPECT_GE(band.width, 480);
    EXPECT_GE(band.height, 150);
    int letters = 0;
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x) {
            uint32_t m = mask.At(x, y);
            ASSERT_TRUE(m == kWhite || m == kBlack) << x << "," << y;
            ASSERT_EQ(m == kWhite, mozi.At(x, y) != kWhite) << x << "," << y;
            letters += m == kWhite;
        }
    EXPECT_GT(letters, 2000);
}

TEST(Assets, CourseKeepsTheLimitsTheGameNeeds) {
    std::vector<Record> b = ReadTable("data/biru.dat"), items = ReadTable("data/item.dat");
    ASSERT_EQ(b.size(), 17u);
    ASSERT_EQ(items.size(), 33u);
    EXPECT_LE(b[0].left * 3, 100.0f);
    EXPECT_GE(b[0].right * 3, 196.0f);
    for (size_t i = 0; i < 16; ++i) {
        EXPECT_LT(b[i].left * 3, 14200.0f) << "building " << i + 1;
        EXPECT_GT(b[i].right, b[i].left) << "building " << i + 1;
        EXPECT_GE(b[i + 1].left, b[i].right) << "building " << i + 2 << " overlaps";
    }
    EXPECT_GE(b[16].left * 3, 14200.0f);
    EXPECT_LE(b[16].left * 3, 14300.0f);
    EXPECT_GE(b[16].right * 3, 15000.0f);
    for (const Record& r : b) {
        EXPECT_GE(r.top, 200.0f);
        EXPECT_LE(r.top, 470.0f);
    }
    int kinds[4] = {};
    for (const Record& it : items) {
        EXPECT_GE(it.left, 0.0f);
        EXPECT_LE(it.right, 5000.0f);
        EXPECT_NEAR((it.right - it.left) * 3, 32.0f, 0.01f);
        EXPECT_FLOAT_EQ(it.bottom - it.top, 32.0f);
        EXPECT_LE(it.bottom, 500.0f);
        ASSERT_GE(it.kind, 0);
        ASSERT_LE(it.kind, 3);
        EXPECT_EQ(it.taken, 0);
        ++kinds[it.kind];
    }
    for (int k = 0; k < 4; ++k) EXPECT_GT(kinds[k], 0) << "no item of kind " << k;
}

TEST(Assets, CoursePictureMatchesTheBuildingTable) {
    Picture course = Load("bmp/biru.bmp");
    std::vector<Record> b = ReadTable("data/biru.dat");
    ASSERT_EQ(b.size(), 17u);
    auto first_shown = [&](int x) {
        for (int y = 0; y < 600; ++y)
            if (course.At(x, y) != kWhite) return y;
        return 600;
    };
    for (size_t i = 0; i < b.size(); ++i) {
        int left = static_cast<int>(std::lround(b[i].left * 3)), top = static_cast<int>(std::lround(b[i].top));
        int right = std::min(15000, static_cast<int>(std::lround(b[i].right * 3)));
        // Props stand on roofs, but never at the walls: the wall column's
        // first shown pixel is the roof line.
        EXPECT_EQ(first_shown(left), top) << "building " << i + 1;
        EXPECT_EQ(first_shown(right - 1), top) << "building " << i + 1;
        for (int x = left; x < right; x += 7) {
            EXPECT_NE(course.At(x, top), kWhite) << "building " << i + 1 << " x " << x;
            // Solid from the roof line down: no sky shows through a building.
            for (int y = top; y < 600; y += 3)
                ASSERT_NE(course.At(x, y), kWhite) << "building " << i + 1 << " at " << x << "," << y;
        }
        // The gap after it shows the sky down to the panel.
        int next = i + 1 < b.size() ? static_cast<int>(std::lround(b[i + 1].left * 3)) : 15000;
        for (int x = right; x < next; x += 5) EXPECT_EQ(first_shown(x), 600) << "gap at x " << x;
    }
}

TEST(Assets, EmbeddedPicturesAreWholeBmpFiles) {
    struct Want {
        std::span<const unsigned char> bytes;
        int width, height;
        const char* file;
    };
    const Want wants[] = {{embedded::TitleBackgroundBmp(), 574, 400, "title_background.bmp"},
                          {embedded::OptionsBackgroundBmp(), 400, 300, "options_background.bmp"},
                          {embedded::EvaluationBackgroundBmp(), 800, 600, "evaluation_background.bmp"},
                          {embedded::PortraitBmp(), 128, 128, "portrait.bmp"}};
    for (const Want& w : wants) {
        Bytes b(w.bytes.begin(), w.bytes.end());
        std::string why;
        Picture p = Decode(b, &why);
        EXPECT_EQ(p.width, w.width) << w.file << ": " << why;
        EXPECT_EQ(p.height, w.height) << w.file;
        EXPECT_EQ(b, ReadBytes(std::string(ROOFRIDER_BINARY_DIR) + "/generated/pictures/" + w.file))
            << w.file << " in the program differs from the generated file";
    }
}

#ifdef ROOFRIDER_PICTUREGEN
std::string RunGenerator(const std::string& arguments, int* status) {
    std::string command = std::string("\"") + ROOFRIDER_PICTUREGEN + "\" " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buf[256];
    while (pipe && fgets(buf, sizeof buf, pipe)) out += buf;
    int rc = pipe ? pclose(pipe) : -1;
    *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

TEST(Assets, GeneratorMakesTheSameBytesEveryTime) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("roofrider_pictures_" + std::to_string(getpid()));
    fs::remove_all(dir);
    int status = 0;
    std::string out = RunGenerator("--course \"" ROOFRIDER_COURSE_SOURCE "\" --game-dir \"" +
                                       (dir / "game").string() + "\" --generated-dir \"" +
                                       (dir / "generated").string() + "\"",
                                   &status);
    ASSERT_EQ(status, 0) << out;
    int compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        fs::path rel = fs::relative(entry.path(), dir);
        fs::path built = fs::path(ROOFRIDER_BINARY_DIR) / rel;
        Bytes made = ReadBytes(entry.path().string());
        if (entry.path().extension() == ".S") {
            // The embedding file names its pictures by path: the same but
            // for the folder.
            std::string text(made.begin(), made.end()), from = (dir / "generated").string(),
                                                       to = std::string(ROOFRIDER_BINARY_DIR) + "/generated";
            for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
                text.replace(at, from.size(), to);
            made.assign(text.begin(), text.end());
        }
        EXPECT_EQ(made, ReadBytes(built.string())) << rel;
        ++compared;
    }
    EXPECT_EQ(compared, 25);  // 13 sheets, 2 tables, 4 embedded pictures, their .S, 5 previews
    fs::remove_all(dir);
}

// A small valid course: 17 buildings, 33 items; line n + 1 is building n,
// lines 19 and on are the items.
std::string SmallCourse() {
    std::string text = "# a test course\n";
    for (int i = 0; i < 16; ++i)
        text += "building " + std::to_string(i * 290) + " " + std::to_string(i * 290 + 250) + " 400\n";
    text += "building 4740 5000 380\n";
    for (int i = 0; i < 33; ++i) text += "item bonus " + std::to_string(100 + i * 140) + " 300\n";
    return text;
}

TEST(Assets, GeneratorNamesTheLineOfABrokenCourse) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("roofrider_course_" + std::to_string(getpid()));
    fs::create_directories(dir);
    struct Case {
        std::string from, to, expect;
    };
    // The parser's cases are tested on the library; here the message must
    // reach the build's output and nothing may be written.
    const Case cases[] = {
        {"item bonus 100 300", "item lives 100 300", "course.txt:19: unknown item kind \"lives\""},
        {"building 4740 5000 380", "building 4600 5000 380", "course.txt:18: the last building must start between world x 14200"},
    };
    for (const Case& c : cases) {
        std::string broken = SmallCourse();
        size_t at = broken.find(c.from + "\n");
        ASSERT_NE(at, std::string::npos) << c.from;
        broken.replace(at, c.from.size(), c.to);
        std::ofstream((dir / "course.txt").string()) << broken;
        int status = 0;
        std::string out = RunGenerator("--course \"" + (dir / "course.txt").string() +
                                           "\" --game-dir \"" + (dir / "g").string() +
                                           "\" --generated-dir \"" + (dir / "x").string() + "\"",
                                       &status);
        EXPECT_NE(status, 0) << c.to;
        EXPECT_NE(out.find(c.expect), std::string::npos) << out;
        EXPECT_FALSE(fs::exists(dir / "g" / "data" / "biru.dat")) << "nothing is written for a broken course";
    }
    fs::remove_all(dir);
}
#endif

}  // namespace
