// DirectDraw tests: BltFast's rectangle rules and colour keys, surfaces
// loaded from BMP files, the primary surface, Flip's pace and the shown
// frame (no window: the frames go to memory).
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "assetgen/pictures/file_formats.h"
#include "platform/clock.h"
#include "platform/ddraw.h"
#include "synthetic_assets.h"

namespace {

using namespace ddraw;
namespace fs = std::filesystem;

using synthetic::WriteBmp;

DDSURFACEDESC2 OffscreenDesc(int w, int h) {
    DDSURFACEDESC2 d;
    d.lFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    d.ddsCaps.lCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d.lWidth = w;
    d.lHeight = h;
    return d;
}

DDSURFACEDESC2 PrimaryDesc() {
    DDSURFACEDESC2 d;
    d.lFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    d.ddsCaps.lCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    d.lBackBufferCount = 1;
    return d;
}

class DDrawTest : public testing::Test {
protected:
    void SetUp() override {
        platform::clock::UseVirtualTime(true);
        dd = DirectX7().DirectDrawCreate("");
        dir = fs::temp_directory_path() / ("rr_ddraw_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        fs::remove_all(dir);
        SetFramePacing(true);
        platform::clock::UseVirtualTime(false);
    }
    std::shared_ptr<DirectDrawSurface7> Surface(int w, int h, uint16_t base) {
        DDSURFACEDESC2 d = OffscreenDesc(w, h);
        auto s = dd->CreateSurface(d);
        for (int i = 0; i < w * h; ++i) s->MutablePixels()[i] = static_cast<uint16_t>(base + i);
        return s;
    }
    std::shared_ptr<DirectDraw7> dd;
    fs::path dir;
};

TEST_F(DDrawTest, BltFastRefusesEveryRectangleNotWhollyInsideAndCopiesNothing) {
    auto src = Surface(20, 10, 1000);
    auto dst = Surface(30, 15, 5000);
    src->SetColorKey(DDCKEY_SRCBLT, {0xFFFFFF, 0xFFFFFF});
    const std::vector<uint16_t> before(dst->Pixels(), dst->Pixels() + 30 * 15);
    struct Case {
        const char* what;
        int x, y;
        RECT r;
    };
    const Case cases[] = {
        {"source left edge", 0, 0, {-1, 0, 5, 5}},
        {"source top edge", 0, 0, {0, -1, 5, 5}},
        {"source right edge", 0, 0, {15, 0, 21, 5}},
        {"source bottom edge", 0, 0, {0, 5, 5, 11}},
        {"empty width", 0, 0, {3, 0, 3, 5}},
        {"empty height", 0, 0, {0, 4, 5, 4}},
        {"inverted width", 0, 0, {5, 0, 2, 5}},
        {"inverted height", 0, 0, {0, 5, 5, 2}},
        {"destination left edge", -1, 0, {0, 0, 5, 5}},
        {"destination top edge", 0, -1, {0, 0, 5, 5}},
        {"destination right edge", 26, 0, {0, 0, 5, 5}},
        {"destination bottom edge", 0, 11, {0, 0, 5, 5}},
        {"destination far away", INT_MAX, INT_MAX, {0, 0, 5, 5}},
        {"destination far left", INT_MIN, 0, {0, 0, 5, 5}},
    };
    for (const Case& c : cases) {
        for (int32_t flags : {DDBLTFAST_WAIT, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY}) {
            EXPECT_EQ(dst->BltFast(c.x, c.y, src.get(), &c.r, flags), DDERR_INVALIDRECT)
                << c.what << ", flags " << flags;
            ASSERT_EQ(std::vector<uint16_t>(dst->Pixels(), dst->Pixels() + 30 * 15), before) << c.what;
        }
    }
    // Rectangles touching every edge exactly fit.
    RECT whole{0, 0, 20, 10};
    EXPECT_EQ(dst->BltFast(10, 5, src.get(), &whole, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(dst->Pixels()[5 * 30 + 10], 1000);
    EXPECT_EQ(dst->Pixels()[14 * 30 + 29], 1000 + 9 * 20 + 19);
    EXPECT_EQ(dst->Pixels()[4 * 30 + 10], before[4 * 30 + 10]);
    EXPECT_EQ(dst->Pixels()[5 * 30 + 9], before[5 * 30 + 9]);
}

TEST_F(DDrawTest, BltFastReturnsCodesAndNeverRaises) {
    auto src = Surface(8, 8, 0);
    auto dst = Surface(8, 8, 0);
    RECT r{0, 0, 8, 8};
    EXPECT_EQ(dst->BltFast(0, 0, nullptr, &r, DDBLTFAST_WAIT), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dst->BltFast(0, 0, src.get(), &r, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY);
    EXPECT_EQ(dst->BltFast(0, 0, src.get(), &r, 4), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dst->BltFast(0, 0, src.get(), nullptr, DDBLTFAST_WAIT), DD_OK);  // the whole source
}

TEST_F(DDrawTest, ColourKeysOfWhiteAndBlackMatchTheir565Pixels) {
    EXPECT_EQ(ColorTo565(0xFFFFFF), 0xFFFF);
    EXPECT_EQ(ColorTo565(0x000000), 0x0000);
    EXPECT_EQ(ColorTo565(0x0000FF), 0xF800);  // red is the low byte
    EXPECT_EQ(ColorTo565(0xFF0000), 0x001F);
    for (uint16_t key : {uint16_t{0xFFFF}, uint16_t{0x0000}}) {
        const int32_t colour = key ? 0xFFFFFF : 0;
        // 37 wide: whole groups of eight, a group all key, and a tail.
        auto src = Surface(37, 3, 0);
        uint16_t* s = src->MutablePixels();
        for (int i = 0; i < 37 * 3; ++i) s[i] = (i % 3 == 0 || (i >= 8 && i < 16)) ? key : static_cast<uint16_t>(0x1234 + i);
        src->SetColorKey(DDCKEY_SRCBLT, {colour, colour});
        auto dst = Surface(40, 5, 0);
        for (int i = 0; i < 40 * 5; ++i) dst->MutablePixels()[i] = 0x4242;
        RECT r{0, 0, 37, 3};
        ASSERT_EQ(dst->BltFast(2, 1, src.get(), &r, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY), DD_OK);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 37; ++x) {
                const uint16_t sp = s[y * 37 + x];
                ASSERT_EQ(dst->Pixels()[(y + 1) * 40 + x + 2], sp == key ? 0x4242 : sp) << x << "," << y;
            }
        EXPECT_EQ(dst->Pixels()[0], 0x4242);
        // Without the key flag the same copy is opaque.
        ASSERT_EQ(dst->BltFast(2, 1, src.get(), &r, DDBLTFAST_WAIT), DD_OK);
        EXPECT_EQ(dst->Pixels()[1 * 40 + 2], key);
    }
}

TEST_F(DDrawTest, AKeyRangeSkipsEveryPixelWithinItsChannels) {
    auto src = Surface(3, 1, 0);
    src->MutablePixels()[0] = ColorTo565(0x101010);
    src->MutablePixels()[1] = ColorTo565(0x202020);
    src->MutablePixels()[2] = ColorTo565(0x808080);
    src->SetColorKey(DDCKEY_SRCBLT, {0x080808, 0x303030});
    auto dst = Surface(3, 1, 7);
    RECT r{0, 0, 3, 1};
    ASSERT_EQ(dst->BltFast(0, 0, src.get(), &r, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY), DD_OK);
    EXPECT_EQ(dst->Pixels()[0], 7);
    EXPECT_EQ(dst->Pixels()[1], 8);
    EXPECT_EQ(dst->Pixels()[2], ColorTo565(0x808080));
    EXPECT_THROW(src->SetColorKey(4, {0, 0}), DDrawError);
}

TEST_F(DDrawTest, ACopyWithinOneSurfaceOverlapsCorrectly) {
    auto s = Surface(10, 1, 0);
    RECT r{0, 0, 8, 1};
    ASSERT_EQ(s->BltFast(2, 0, s.get(), &r, DDBLTFAST_WAIT), DD_OK);
    const std::vector<uint16_t> expect{0, 1, 0, 1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(std::vector<uint16_t>(s->Pixels(), s->Pixels() + 10), expect);
}

TEST_F(DDrawTest, PicturesLoadAtTheirOwnSizeOrScaledToTheDescription) {
    auto colour = [](int x, int y) -> uint32_t { return x < 2 ? 0xFFFFFF : (y == 0 ? 0x0000FF : 0x00FF00); };
    WriteBmp(dir / "Pic.bmp", 4, 2, colour);
    const std::string path = dir.string() + "/pic.bmp";  // found regardless of case

    DDSURFACEDESC2 own = OffscreenDesc(0, 0);
    auto s = dd->CreateSurfaceFromFile(path, own);
    ASSERT_EQ(s->Width(), 4);
    ASSERT_EQ(s->Height(), 2);
    EXPECT_EQ(own.lWidth, 0);  // the description is left as it was
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)  // SDL's conversion gives the pixel ColorTo565 names
            EXPECT_EQ(s->Pixels()[y * 4 + x], ColorTo565(static_cast<int32_t>(colour(x, y))));

    DDSURFACEDESC2 big = OffscreenDesc(8, 6);
    auto b = dd->CreateSurfaceFromFile(path, big);
    ASSERT_EQ(b->Width(), 8);
    ASSERT_EQ(b->Height(), 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(b->Pixels()[y * 8 + x], ColorTo565(static_cast<int32_t>(colour(x / 2, y / 3))));

    DDSURFACEDESC2 small = OffscreenDesc(2, 1);
    auto m = dd->CreateSurfaceFromFile(path, small);
    EXPECT_EQ(m->Pixels()[0], 0xFFFF);
    EXPECT_EQ(m->Pixels()[1], ColorTo565(0x0000FF));

    DDSURFACEDESC2 wide = OffscreenDesc(12, 0);  // height 0: the file's own
    auto w = dd->CreateSurfaceFromFile(path, wide);
    EXPECT_EQ(w->Width(), 12);
    EXPECT_EQ(w->Height(), 2);
}

// The course is stored as 5-6-5 pixels and read straight into its
// surface: the generator's 16-bit file must give the very pixels its 24-bit
// file gives through the converting reader, stored either way up, with
// padded rows; a 16-bit file cut short is named like any other.
TEST_F(DDrawTest, A565PictureGivesThePixelsOfIts24BitTwin) {
    pictures::Image img(5, 3);  // odd width: every row is padded
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) img.Set(x, y, static_cast<uint32_t>(0x3F1E07 * (x + 5 * y + 1)) & 0xFFFFFF);
    auto write = [&](const std::string& name, const std::vector<unsigned char>& bytes) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return dir.string() + "/" + name;
    };
    std::vector<unsigned char> top_down = pictures::EncodeBmp565(img);
    ASSERT_EQ(top_down[28], 16);
    std::vector<unsigned char> bottom_up = top_down;  // the same rows, stored last row first
    const size_t offset = top_down[10], stride = 12;
    for (int y = 0; y < 3; ++y)
        std::copy_n(top_down.begin() + static_cast<long>(offset + stride * y), stride,
                    bottom_up.begin() + static_cast<long>(offset + stride * (2 - y)));
    for (int i = 0; i < 4; ++i) bottom_up[22 + i] = i == 0 ? 3 : 0;

    DDSURFACEDESC2 d = OffscreenDesc(5, 3);
    auto twin = dd->CreateSurfaceFromFile(write("twin24.bmp", pictures::EncodeBmp(img)), d);
    const std::vector<uint16_t> expect(twin->Pixels(), twin->Pixels() + 15);
    for (const std::string& name : {write("top.bmp", top_down), write("bottom.bmp", bottom_up)}) {
        auto s = dd->CreateSurfaceFromFile(name, d);
        ASSERT_EQ(s->Width(), 5);
        EXPECT_EQ(std::vector<uint16_t>(s->Pixels(), s->Pixels() + 15), expect) << name;
    }
    top_down.pop_back();
    try {
        dd->CreateSurfaceFromFile(write("short.bmp", top_down), d);
        FAIL() << "a 16-bit picture cut short loaded";
    } catch (const DDrawError& e) {
        EXPECT_NE(std::string(e.what()).find("short.bmp: file is"), std::string::npos) << e.what();
    }
}

TEST_F(DDrawTest, MissingDamagedOrWronglySizedPicturesRaiseErrorsNamingTheFile) {
    DDSURFACEDESC2 d = OffscreenDesc(0, 0);
    const std::string missing = dir.string() + "/bmp\\none.bmp";
    try {
        dd->CreateSurfaceFromFile(missing, d);
        FAIL() << "a missing file loaded";
    } catch (const DDrawError& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
    }
    std::ofstream(dir / "bad.bmp") << "BM but nothing else";
    try {
        dd->CreateSurfaceFromFile(dir.string() + "/bad.bmp", d);
        FAIL() << "a damaged file loaded";
    } catch (const DDrawError& e) {
        EXPECT_NE(std::string(e.what()).find("bad.bmp: "), std::string::npos) << e.what();
    }
    WriteBmp(dir / "ok.bmp", 2, 2, [](int, int) { return 0u; });
    for (auto [w, h] : {std::pair{-3, 5}, std::pair{40000, 5}, std::pair{30000, 30000}}) {
        DDSURFACEDESC2 bad = OffscreenDesc(w, h);
        EXPECT_THROW(dd->CreateSurfaceFromFile(dir.string() + "/ok.bmp", bad), DDrawError) << w << "x" << h;
    }
}

TEST_F(DDrawTest, SurfacesAndModesAreMadeAsThePlayFieldAsksForThem) {
    dd->SetCooperativeLevel(0, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX);
    EXPECT_THROW(dd->SetDisplayMode(640, 480, 16, 0, 0), DDrawError);
    EXPECT_THROW(dd->SetDisplayMode(800, 600, 32, 0, 0), DDrawError);
    dd->SetDisplayMode(800, 600, 16, 0, 0);
    DDSURFACEDESC2 pd = PrimaryDesc();
    auto primary = dd->CreateSurface(pd);
    EXPECT_EQ(primary->Width(), 800);
    EXPECT_EQ(primary->Height(), 600);
    DirectDrawSurface7* back = primary->GetAttachedSurface(DDSCAPS2{DDSCAPS_BACKBUFFER});
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Width(), 800);
    EXPECT_EQ(back->Height(), 600);
    EXPECT_EQ(dd->TestCooperativeLevel(), DD_OK);

    DDSURFACEDESC2 od = OffscreenDesc(16, 4);
    auto off = dd->CreateSurface(od);
    EXPECT_EQ(off->Width(), 16);
    EXPECT_THROW(off->GetAttachedSurface(DDSCAPS2{DDSCAPS_BACKBUFFER}), DDrawError);
    EXPECT_THROW(off->Flip(nullptr, DDFLIP_WAIT), DDrawError);

    DDSURFACEDESC2 two = PrimaryDesc();
    two.lBackBufferCount = 2;
    EXPECT_THROW(dd->CreateSurface(two), DDrawError);
    DDSURFACEDESC2 zero = OffscreenDesc(0, 10);
    EXPECT_THROW(dd->CreateSurface(zero), DDrawError);
    EXPECT_THROW(dd->SetCooperativeLevel(0, 3), DDrawError);
    EXPECT_THROW(DirectX7().DirectDrawCreate("{other}"), DDrawError);

    dd->RestoreDisplayMode();
    dd->SetCooperativeLevel(0, DDSCL_NORMAL);
    EXPECT_THROW(dd->SetDisplayMode(800, 600, 16, 0, 0), DDrawError);  // not exclusive any more
}

TEST_F(DDrawTest, FlipShowsTheBackBufferOnASteadySixtyHertzGrid) {
    dd->SetCooperativeLevel(0, 81);
    dd->SetDisplayMode(800, 600, 16, 0, 0);
    DDSURFACEDESC2 pd = PrimaryDesc();
    auto primary = dd->CreateSurface(pd);
    DirectDrawSurface7* back = primary->GetAttachedSurface(DDSCAPS2{DDSCAPS_BACKBUFFER});

    for (int i = 0; i < 800 * 600; ++i) back->MutablePixels()[i] = static_cast<uint16_t>(i * 31);
    primary->Flip(nullptr, DDFLIP_WAIT);
    const uint64_t start = platform::clock::NowUs();
    const std::vector<uint16_t> shown = ShownFrame();
    ASSERT_EQ(shown.size(), 800u * 600u);
    EXPECT_EQ(shown[12345], static_cast<uint16_t>(12345 * 31));
    EXPECT_EQ(primary->Pixels()[12345], shown[12345]);

    const size_t intervals_before = FlipTimesUs().size();
    for (int n = 1; n <= 120; ++n) {
        platform::clock::AdvanceVirtualUs(3000);  // a frame's work
        primary->Flip(nullptr, DDFLIP_WAIT);
        ASSERT_EQ(platform::clock::NowUs(), start + static_cast<uint64_t>(n) * 1000000 / 60) << n;
    }
    ASSERT_EQ(FlipTimesUs().size(), intervals_before + 120);
    EXPECT_EQ(FlipTimesUs().back(), 16667u);

    // A late frame (50 ms of work) goes on the next tick of the same grid.
    platform::clock::AdvanceVirtualUs(50000);
    primary->Flip(nullptr, DDFLIP_WAIT);
    EXPECT_EQ(platform::clock::NowUs(), start + 124 * 1000000 / 60);
    primary->Flip(nullptr, DDFLIP_WAIT);
    EXPECT_EQ(platform::clock::NowUs(), start + 125 * 1000000 / 60);

    // A pass that ends before its flip still takes its frame.
    WaitForNextFrame();
    EXPECT_EQ(platform::clock::NowUs(), start + 126 * 1000000 / 60);

    // Timedemo: no wait at all.
    SetFramePacing(false);
    const uint64_t before = platform::clock::NowUs();
    for (int n = 0; n < 10; ++n) primary->Flip(nullptr, DDFLIP_WAIT);
    EXPECT_EQ(platform::clock::NowUs(), before);
    SetFramePacing(true);

    const fs::path png = dir / "shown.png";
    ASSERT_TRUE(SaveShownFramePng(png.string()));
    std::ifstream in(png, std::ios::binary);
    char magic[4] = {};
    in.read(magic, 4);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");
}

}  // namespace
