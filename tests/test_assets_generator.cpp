// The picture generator's parts: the file encoders, the course reader and
// its tables, the drawing operations, and the promises the pictures are
// built on (roof lines where the table says, props clear of the walls, the
// hero inside his cell).
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "assetgen/pictures/course.h"
#include "assetgen/pictures/file_formats.h"
#include "assetgen/pictures/hero.h"
#include "assetgen/pictures/image.h"
#include "assetgen/pictures/scenery.h"
#include "assetgen/pictures/text.h"

namespace {

using namespace pictures;

uint32_t Read32(const std::vector<unsigned char>& b, size_t at, bool big) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t{b[at + i]} << (big ? 8 * (3 - i) : 8 * i);
    return v;
}

Image Sample() {
    Image img(5, 3, 0x102030);
    img.Set(0, 0, 0xFF0000);
    img.Set(4, 0, 0x00FF00);
    img.Set(2, 2, 0x0000FF);
    return img;
}

TEST(PictureFiles, BmpIsBottomUpBgrWithPaddedRows) {
    std::vector<unsigned char> b = EncodeBmp(Sample());
    const size_t stride = 16;  // 5 pixels * 3 bytes, padded to 4
    ASSERT_EQ(b.size(), 54 + stride * 3);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(Read32(b, 2, false), b.size());
    EXPECT_EQ(Read32(b, 18, false), 5u);
    EXPECT_EQ(Read32(b, 22, false), 3u);
    EXPECT_EQ(b[28], 24);
    // Top-left red is in the last row of the file, as blue, green, red.
    const size_t top = 54 + stride * 2;
    EXPECT_EQ(b[top + 0], 0x00);
    EXPECT_EQ(b[top + 2], 0xFF);
    EXPECT_EQ(b[top + 4 * 3 + 1], 0xFF);  // top-right green
    EXPECT_EQ(b[54 + 2 * 3 + 0], 0xFF);   // bottom row, x 2: blue
    EXPECT_EQ(b[54 + 15], 0);             // padding
}

TEST(PictureFiles, PngInflatesToTheRows) {
    std::vector<unsigned char> b = EncodePng(Sample());
    ASSERT_EQ(Read32(b, 16, true), 5u);
    ASSERT_EQ(Read32(b, 20, true), 3u);
    // One IDAT after the 8-byte signature and the 25-byte IHDR chunk.
    size_t at = 8 + 25;
    uint32_t length = Read32(b, at, true);
    ASSERT_EQ(std::memcmp(&b[at + 4], "IDAT", 4), 0);
    std::vector<unsigned char> raw(3 * (1 + 15));
    uLongf raw_size = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &raw_size, &b[at + 8], length), Z_OK);
    ASSERT_EQ(raw_size, raw.size());
    EXPECT_EQ(raw[0], 0);  // no filter
    EXPECT_EQ(raw[1], 0xFF);
    EXPECT_EQ(raw[2 * 16 + 1 + 2 * 3 + 2], 0xFF);  // (2, 2) blue
    EXPECT_EQ(std::string(b.end() - 8, b.end() - 4), "IEND");
}

std::string SmallCourse() {
    std::string text = "# buildings\n";
    for (int i = 0; i < 16; ++i)
        text += "building " + std::to_string(i * 290) + " " + std::to_string(i * 290 + 250) + " 400\n";
    text += "building 4740 5000 380   # the last\n";
    const char* kinds[] = {"life", "speed", "slow", "bonus"};
    for (int i = 0; i < 33; ++i)
        text += std::string("item ") + kinds[i % 4] + " " + std::to_string(100 + i * 140) + " 300\n";
    return text;
}

float FloatAt(const std::vector<unsigned char>& b, size_t at) {
    float f;
    std::memcpy(&f, &b[at], 4);
    return f;
}

TEST(PictureCourse, TablesHoldTwentyByteRecordsInCourseUnits) {
    Course c = ParseCourse(SmallCourse(), "course.txt");
    ASSERT_EQ(c.buildings.size(), 17u);
    ASSERT_EQ(c.items.size(), 33u);
    std::vector<unsigned char> b = BuildingTable(c), it = ItemTable(c);
    ASSERT_EQ(b.size(), 17u * 20);
    ASSERT_EQ(it.size(), 33u * 20);
    EXPECT_FLOAT_EQ(FloatAt(b, 20 + 0), 290);   // building 2: Left
    EXPECT_FLOAT_EQ(FloatAt(b, 20 + 4), 400);   // Top
    EXPECT_FLOAT_EQ(FloatAt(b, 20 + 8), 540);   // Right
    EXPECT_FLOAT_EQ(FloatAt(b, 16 * 20), 4740);
    // Item 2 (speed): its sprite's box, 32 world pixels wide.
    EXPECT_FLOAT_EQ(FloatAt(it, 20 + 0), 240);
    EXPECT_NEAR(FloatAt(it, 20 + 8) * 3 - FloatAt(it, 20) * 3, 32, 0.01);
    EXPECT_FLOAT_EQ(FloatAt(it, 20 + 12), 332);
    EXPECT_EQ(it[20 + 16], 1);  // Kind
    EXPECT_EQ(it[60 + 16], 3);  // item 4: bonus
    EXPECT_EQ(it[20 + 18], 0);  // Taken
}

std::string ParseError(const std::string& from, const std::string& to) {
    std::string text = SmallCourse();
    size_t at = text.find(from);
    if (at == std::string::npos) return "(test course has no " + from + ")";
    text.replace(at, from.size(), to);
    try {
        ParseCourse(text, "course.txt");
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

TEST(PictureCourse, BrokenCoursesAreRefusedWithTheirLine) {
    EXPECT_EQ(ParseError("item life 100", "item lives 100"),
              "course.txt:19: unknown item kind \"lives\" (life, speed, slow or bonus)");
    EXPECT_EQ(ParseError("building 290 540 400", "building 290 540"),
              "course.txt:3: expected: building LEFT RIGHT ROOF");
    EXPECT_EQ(ParseError("building 0 250 400", "building 0 250 4x0"),
              "course.txt:2: ROOF \"4x0\" is not a number");
    EXPECT_EQ(ParseError("building 0 250 400", "tower 0 250 400"),
              "course.txt:2: unknown entry \"tower\" (building or item)");
    EXPECT_NE(ParseError("building 580 830 400", "building 530 830 400").find("course.txt:4: the building overlaps"),
              std::string::npos);
    EXPECT_NE(ParseError("building 580 830 400", "building 580 830 490").find("roof line must lie between"),
              std::string::npos);
    EXPECT_NE(ParseError("building 0 250 400", "building 50 250 400").find("under the hero"), std::string::npos);
    EXPECT_NE(ParseError("building 4350 4600 400", "building 4740 4745 400").find("only the last building"),
              std::string::npos);
    EXPECT_NE(ParseError("building 4740 5000 380", "building 4770 5000 380").find("must start between"),
              std::string::npos);
    EXPECT_NE(ParseError("building 4740 5000 380", "building 4740 4999 380").find("reach the end"),
              std::string::npos);
    EXPECT_NE(ParseError("item life 100 300", "item life -1 300").find("outside course x"), std::string::npos);
    EXPECT_NE(ParseError("item life 100 300", "item life 100 470").find("above the panel"), std::string::npos);
    EXPECT_NE(ParseError("item life 100 300\n", "").find("the course has 32 items"), std::string::npos);
    EXPECT_EQ(ParseError("# buildings", "# buildings and items"), "");
}

// Whatever the look and the size, a building's roof line is its first row
// at both walls and across it, and its props stay off the wall columns and
// inside its own columns.
TEST(PictureCity, RoofLineAndWallsHoldForEveryLook) {
    Random rnd(99);
    for (int trial = 0; trial < 40; ++trial) {
        const int width = rnd.Range(60, 900), roof = rnd.Range(200, 470);
        const int x0 = 40, x1 = x0 + width;
        Image img(x1 + 40, 600);
        BuildingLook look = ChooseLook(static_cast<uint64_t>(trial) + 1);
        look.style = trial % 4;
        Random props(static_cast<uint64_t>(trial));
        DrawRooftop(img, x0, x1, roof, props);
        DrawBuilding(img, x0, x1, roof, 600, look);
        auto first_shown = [&](int x) {
            for (int y = 0; y < 600; ++y)
                if (img.At(x, y) != kKeyWhite) return y;
            return 600;
        };
        for (int x : {x0, x0 + 1, x0 + 2, x1 - 3, x1 - 2, x1 - 1})
            ASSERT_EQ(first_shown(x), roof) << "trial " << trial << " column " << x - x0;
        for (int x = x0; x < x1; ++x) ASSERT_LE(first_shown(x), roof) << "trial " << trial;
        EXPECT_EQ(first_shown(x0 - 1), 600) << "trial " << trial;
        EXPECT_EQ(first_shown(x1), 600) << "trial " << trial;
    }
}

TEST(PictureHero, EveryFrameStaysInItsCellWithTheWheelsOnTheFoot) {
    for (int frame = 0; frame < 5; ++frame) {
        Image img(96 * 3, 96 * 3);
        DrawHero(img, 96, 96, HeroFramePose(frame));
        int inside = 0, outside = 0, foot = 0;
        for (int y = 0; y < img.Height(); ++y)
            for (int x = 0; x < img.Width(); ++x) {
                if (img.At(x, y) == kKeyWhite) continue;
                bool in = x >= 96 && x < 192 && y >= 96 && y < 192;
                (in ? inside : outside) += 1;
                foot += y == 191;
            }
        EXPECT_EQ(outside, 0) << "frame " << frame;
        EXPECT_GT(inside, 1500) << "frame " << frame;
        EXPECT_GT(foot, 0) << "frame " << frame;
    }
}

TEST(PictureDrawing, OutlineRingsAShapeAndPinholesClose) {
    Image img(9, 9);
    FillRect(img, 3, 3, 3, 3, 0x404040);
    img.Set(4, 4, kKeyWhite);  // a hole in the middle
    FillPinholes(img, 0, 0, 9, 9, kKeyWhite);
    EXPECT_EQ(img.At(4, 4), 0x404040u);
    Outline(img, 0, 0, 9, 9, kKeyWhite, 0x101010, false);
    EXPECT_EQ(img.At(2, 4), 0x101010u);
    EXPECT_EQ(img.At(4, 6), 0x101010u);
    EXPECT_EQ(img.At(2, 2), kKeyWhite);  // corners only with a diagonal pen
    Outline(img, 0, 0, 9, 9, kKeyWhite, 0x101010, true);
    EXPECT_EQ(img.At(2, 2), 0x101010u);
    EXPECT_EQ(img.At(1, 4), kKeyWhite);  // an outline is not outlined again
    // A two-pixel gap is a gap, not a pinhole.
    Image gap(6, 3, 0x404040);
    gap.Set(2, 1, kKeyWhite);
    gap.Set(3, 1, kKeyWhite);
    FillPinholes(gap, 0, 0, 6, 3, kKeyWhite);
    EXPECT_EQ(gap.At(2, 1), kKeyWhite);
}

TEST(PictureDrawing, ClipKeepsDrawingInsideACell) {
    Image img(20, 10);
    img.SetClip(10, 0, 10, 10);
    FillCircle(img, 10, 5, 6, 0x808080);
    img.ClearClip();
    EXPECT_EQ(img.At(8, 5), kKeyWhite);
    EXPECT_EQ(img.At(12, 5), 0x808080u);
    EXPECT_EQ(Mix(0x000000, 0xFF8040, 0.5), MakeRgb(128, 64, 32));
}

TEST(PictureText, FontsRenderWithoutGreyPixelsAndMasksSlantAndGrow) {
    Fonts fonts;
    Mask word = fonts.Render(Face::Pop, 24, "ROOF");
    Mask kana = fonts.Render(Face::Gothic, 12, "モデル");
    ASSERT_GT(word.width, 40);
    ASSERT_GT(kana.width, 24);
    EXPECT_LE(word.height, 30);
    Mask bar(4, 3);
    for (int x = 0; x < 4; ++x) bar.Put(x, 0);  // the top row only
    Mask leaning = Slant(bar, 1.0);
    EXPECT_EQ(leaning.width, 6);
    EXPECT_TRUE(leaning.At(2, 0));
    EXPECT_FALSE(leaning.At(0, 0));
    Mask dot(5, 5);
    dot.Put(2, 2);
    Mask round = Grow(dot, 1);
    EXPECT_TRUE(round.At(2, 1) && round.At(1, 2) && round.At(3, 2) && round.At(2, 3));
    Image img(8, 8);
    Stamp(img, round, 1, 1, 0x223344);
    EXPECT_EQ(img.At(3, 2), 0x223344u);
    EXPECT_EQ(img.At(0, 0), kKeyWhite);
}

}  // namespace
