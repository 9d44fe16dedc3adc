// What keeps a frame cheap must not change a pixel: sheets decoded
// straight to 565 against SDL's own reading, keyed copies run by run
// against the pixel-by-pixel rule (and after every kind of change to the
// sheet), the window scaler against nearest-pixel scaling, and the
// per-frame cost records the runner's --frame-stats writes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/ddraw.h"
#include "platform/ddraw_impl.h"
#include "platform/forms.h"
#include "platform/window_access.h"
#include "synthetic_assets.h"
#include "test_forms_support.h"

namespace {

using namespace ddraw;
namespace fs = std::filesystem;

// A 24-bit BMP of random pixels; top_down stores the top row first.
std::vector<unsigned char> RandomBmp(int w, int h, bool top_down, uint32_t seed) {
    synthetic::Bmp24 bmp = synthetic::BlankBmp24(w, h, top_down);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * 3; ++x) bmp.bytes[54 + static_cast<size_t>(y) * bmp.stride + x] = static_cast<unsigned char>(rng());
    return bmp.bytes;
}

class CostsTest : public testing::Test {
protected:
    void SetUp() override {
        platform::clock::UseVirtualTime(true);
        dd = DirectX7().DirectDrawCreate("");
        dir = fs::temp_directory_path() / ("rr_costs_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        RecordFrameCosts(false);
        SetCopyLog(nullptr);
        SetFramePacing(true);
        fs::remove_all(dir);
        platform::clock::UseVirtualTime(false);
    }
    std::shared_ptr<DirectDrawSurface7> Make(int w, int h) {
        DDSURFACEDESC2 d;
        d.lFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
        d.ddsCaps.lCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        d.lWidth = w;
        d.lHeight = h;
        return dd->CreateSurface(d);
    }
    std::shared_ptr<DirectDraw7> dd;
    fs::path dir;
};

TEST_F(CostsTest, SheetsReadStraightTo565MatchSdlsOwnReading) {
    struct Case {
        int w, h;
        bool top_down;
    };
    for (const Case c : {Case{1, 1, false}, Case{7, 5, false}, Case{33, 17, true}, Case{640, 3, false}}) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h << (c.top_down ? " top-down" : ""));
        const std::vector<unsigned char> bytes = RandomBmp(c.w, c.h, c.top_down, static_cast<uint32_t>(c.w * 31 + c.h));
        const fs::path file = dir / "sheet.bmp";
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<long>(bytes.size()));
        DDSURFACEDESC2 desc;
        desc.lFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
        desc.ddsCaps.lCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        desc.lWidth = c.w;
        desc.lHeight = c.h;
        auto sheet = dd->CreateSurfaceFromFile(file.string(), desc);

        SDL_Surface* loaded = SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
        ASSERT_NE(loaded, nullptr) << SDL_GetError();
        SDL_Surface* reference = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB565, 0);
        SDL_FreeSurface(loaded);
        ASSERT_NE(reference, nullptr);
        ASSERT_EQ(sheet->Width(), c.w);
        ASSERT_EQ(sheet->Height(), c.h);
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                ASSERT_EQ(sheet->Pixels()[y * c.w + x],
                          reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(reference->pixels) +
                                                            y * reference->pitch)[x])
                    << x << ", " << y;
        SDL_FreeSurface(reference);
    }
}

// The rule of a keyed copy, pixel by pixel.
void ReferenceKeyedCopy(std::vector<uint16_t>& back, const DirectDrawSurface7& sheet, const RECT& r, int x, int y,
                        uint16_t key) {
    for (int row = r.Top; row < r.Bottom; ++row)
        for (int col = r.Left; col < r.Right; ++col) {
            const uint16_t p = sheet.Pixels()[row * sheet.Width() + col];
            if (p != key) back[static_cast<size_t>((y + row - r.Top) * 800 + x + col - r.Left)] = p;
        }
}

TEST_F(CostsTest, LargeKeyedSheetsCopyRunByRunExactlyAsPixelByPixel) {
    // A wide sheet (copied run by run) with long key stretches, short
    // runs and single pixels, and rectangles starting inside and outside
    // runs, against the rule applied pixel by pixel.
    auto sheet = Make(3000, 120);
    auto back = Make(800, 600);
    std::mt19937 rng(7);
    uint16_t* px = sheet->MutablePixels();
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 3000; ++x) {
            const bool key = (x / 97 + y / 11) % 3 == 0 || rng() % 13 == 0;
            px[y * 3000 + x] = key ? 0xFFFF : static_cast<uint16_t>(rng() % 0xFFFF);
        }
    sheet->SetColorKey(DDCKEY_SRCBLT, DDCOLORKEY{0xFFFFFF, 0xFFFFFF});
    std::vector<uint16_t> expected(800 * 600);
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<uint16_t>(i * 7);
    std::copy(expected.begin(), expected.end(), back->MutablePixels());

    auto copy_and_check = [&](const RECT& r, int x, int y) {
        ASSERT_EQ(back->BltFast(x, y, sheet.get(), &r, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY), DD_OK);
        ReferenceKeyedCopy(expected, *sheet, r, x, y, 0xFFFF);
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(back->Pixels()[i], expected[i]) << "pixel " << i << " after copying from " << r.Left;
    };
    // Rectangles within one band of the runs and across two (at 1024, 2048).
    for (int left : {0, 1, 96, 97, 700, 1234, 1500, 2199}) copy_and_check(RECT{left, 3, left + 800, 120}, 0, 100);
    copy_and_check(RECT{2990, 0, 3000, 120}, 790, 480);  // the sheet's last columns
    copy_and_check(RECT{500, 60, 501, 61}, 5, 5);         // one pixel

    // A change through MutablePixels shows in the next copy.
    sheet->MutablePixels()[10 * 3000 + 40] = 0x1234;
    sheet->MutablePixels()[10 * 3000 + 41] = 0xFFFF;
    copy_and_check(RECT{0, 0, 800, 120}, 0, 0);
    // So does a copy onto the sheet.
    auto patch = Make(50, 50);
    std::fill(patch->MutablePixels(), patch->MutablePixels() + 2500, uint16_t{0x0F0F});
    RECT whole{0, 0, 50, 50};
    ASSERT_EQ(sheet->BltFast(20, 20, patch.get(), &whole, DDBLTFAST_WAIT), DD_OK);
    copy_and_check(RECT{0, 0, 800, 120}, 0, 0);
    // And a new key: black now, so white pixels are copied.
    sheet->SetColorKey(DDCKEY_SRCBLT, DDCOLORKEY{0, 0});
    RECT r{100, 0, 900, 120};
    ASSERT_EQ(back->BltFast(0, 200, sheet.get(), &r, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY), DD_OK);
    ReferenceKeyedCopy(expected, *sheet, r, 0, 200, 0x0000);
    for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(back->Pixels()[i], expected[i]) << i;
}

// Nearest pixel with the 565 channels widened by repeating their top bits.
uint32_t Widened(uint16_t p) {
    const uint32_t r5 = p >> 11, g6 = (p >> 5) & 63, b5 = p & 31;
    return (((r5 << 3) | (r5 >> 2)) << 16) | (((g6 << 2) | (g6 >> 4)) << 8) | ((b5 << 3) | (b5 >> 2));
}

TEST(WindowScaler, EveryWindowSizeGetsTheNearestPixelOfTheFrame) {
    std::vector<uint16_t> frame(800 * 600);
    std::mt19937 rng(11);
    for (uint16_t& p : frame) p = static_cast<uint16_t>(rng());
    struct Size {
        int w, h;
    };
    // 1.8 times (a 1080-line desktop), whole multiples, odd sizes, and a
    // window smaller than the frame.
    for (const Size s : {Size{1920, 1080}, Size{800, 600}, Size{1600, 1200}, Size{1366, 768}, Size{1021, 767},
                         Size{640, 480}, Size{2560, 1440}}) {
        SCOPED_TRACE(testing::Message() << s.w << " x " << s.h);
        for (const Uint32 format : {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_RGB565}) {
            SDL_Surface* ws = SDL_CreateRGBSurfaceWithFormat(0, s.w, s.h, 32, format);
            ASSERT_NE(ws, nullptr);
            const SDL_Rect r = present::FitRect(s.w, s.h);
            present::ScaleInto(ws, r, frame.data());
            for (int y = 0; y < r.h; ++y) {
                const int sy = static_cast<int>(int64_t{y} * 600 / r.h);
                const auto* row = static_cast<const uint8_t*>(ws->pixels) + (r.y + y) * ws->pitch;
                for (int x = 0; x < r.w; ++x) {
                    const uint16_t p = frame[static_cast<size_t>(sy * 800 + x * 800 / r.w)];
                    if (format == SDL_PIXELFORMAT_RGB565)
                        ASSERT_EQ(reinterpret_cast<const uint16_t*>(row)[r.x + x], p) << x << ", " << y;
                    else
                        ASSERT_EQ(reinterpret_cast<const uint32_t*>(row)[r.x + x], Widened(p)) << x << ", " << y;
                }
            }
            SDL_FreeSurface(ws);
        }
    }
}

TEST(WindowScaler, FitKeepsTheAspectAndPrefersWholeMultiples) {
    auto fit = [](int w, int h) {
        const SDL_Rect r = present::FitRect(w, h);
        return std::vector<int>{r.x, r.y, r.w, r.h};
    };
    EXPECT_EQ(fit(800, 600), (std::vector<int>{0, 0, 800, 600}));
    EXPECT_EQ(fit(1920, 1080), (std::vector<int>{240, 0, 1440, 1080}));  // 1.8: 1 would fill too little
    EXPECT_EQ(fit(1680, 1260), (std::vector<int>{40, 30, 1600, 1200}));  // 2.1: twice
    EXPECT_EQ(fit(1024, 768), (std::vector<int>{0, 0, 1024, 768}));
    EXPECT_EQ(fit(640, 480), (std::vector<int>{0, 0, 640, 480}));
}

TEST(WindowScaler, OnlyHardwareRenderersAreTakenForTheFrame) {
    EXPECT_TRUE(present::IsSoftwareRenderer("software", ""));
    EXPECT_TRUE(present::IsSoftwareRenderer("opengl", "llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(present::IsSoftwareRenderer("opengles2", "Mesa softpipe"));
    EXPECT_TRUE(present::IsSoftwareRenderer("opengl", "Software Rasterizer"));
    EXPECT_FALSE(present::IsSoftwareRenderer("opengl", "Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
    EXPECT_FALSE(present::IsSoftwareRenderer("opengl", "NVIDIA GeForce RTX 3060/PCIe/SSE2"));
    EXPECT_FALSE(present::IsSoftwareRenderer("opengles2", "AMD Radeon Graphics (radeonsi, renoir)"));
}

TEST_F(CostsTest, EachFlipRecordsItsCostsAndTheCopiesOfItsFrame) {
    dd->SetCooperativeLevel(0, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX);
    dd->SetDisplayMode(800, 600, 16, 0, 0);
    DDSURFACEDESC2 pd;
    pd.lFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    pd.ddsCaps.lCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    pd.lBackBufferCount = 1;
    auto primary = dd->CreateSurface(pd);
    DirectDrawSurface7* back = primary->GetAttachedSurface(DDSCAPS2{DDSCAPS_BACKBUFFER});
    auto sky = Make(1800, 600);

    RecordFrameCosts(true);
    std::vector<CopyRecord> log;
    SetCopyLog(&log);
    const size_t before = FrameCosts().size();
    uint64_t last_shown = 0;
    for (int frame = 0; frame < 3; ++frame) {
        log.clear();
        ASSERT_EQ(dd->TestCooperativeLevel(), DD_OK);  // where DrawFrame's work begins
        RECT r{100 + frame, 0, 900 + frame, 600};
        ASSERT_EQ(back->BltFast(0, 0, sky.get(), &r, DDBLTFAST_WAIT), DD_OK);
        platform::clock::AdvanceVirtualUs(2000);
        primary->Flip(nullptr, DDFLIP_WAIT);

        ASSERT_EQ(FrameCosts().size(), before + static_cast<size_t>(frame) + 1);
        const FrameCost& c = FrameCosts().back();
        EXPECT_EQ(c.shown_us, platform::clock::NowUs());
        if (frame > 0) {
            EXPECT_GE(c.shown_us - last_shown, 16666u);  // one tick of the 60 Hz grid
            EXPECT_LE(c.shown_us - last_shown, 16667u);
        }
        last_shown = c.shown_us;
        EXPECT_GE(c.compose_cpu_ns, 0);
        EXPECT_GT(c.compose_wall_ns, 0);
        EXPECT_GT(c.present_wall_ns, 0);
        // The sky's rows and the flip's copy of the whole frame.
        ASSERT_EQ(log.size(), 2u);
        EXPECT_EQ(log[0].from, sky->Pixels() + 100 + frame);
        EXPECT_EQ(log[0].to, back->Pixels());
        EXPECT_EQ(log[0].from_stride, 1800);
        EXPECT_EQ(log[0].w, 800);
        EXPECT_EQ(log[1].from, back->Pixels());
        EXPECT_EQ(log[1].to, primary->Pixels());
        EXPECT_EQ(log[1].w * log[1].h, 800 * 600);
    }
    // A frame cut short (no flip) records nothing.
    WaitForNextFrame();
    EXPECT_EQ(FrameCosts().size(), before + 3);
}

// The display layer repaints a window it owns whole (black bars and all)
// only when the toolkit saw it exposed, resized or handed over; every
// other frame sends just the frame's rectangle.
class FieldWindow : public forms::Form {
public:
    FieldWindow() : Form("Field") {}
    void Layout() override { SetClientSize(800 * forms::kTwipsPerPixel, 600 * forms::kTwipsPerPixel); }
};

class RepaintTest : public forms_test::FormsTest {};

TEST_F(RepaintTest, AWindowTheDisplayOwnsAsksForAWholeRepaintOnlyAfterAChange) {
    FieldWindow field;
    field.Show(false);
    const intptr_t hwnd = field.hWnd();
    forms::DoEvents();
    // The toolkit paints its own windows: nothing is asked of the display.
    EXPECT_FALSE(forms::internal::TakeRepaintRequest(hwnd));

    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
    forms::internal::SetExternalContent(hwnd, frame);
    EXPECT_TRUE(forms::internal::TakeRepaintRequest(hwnd));  // newly handed over
    EXPECT_FALSE(forms::internal::TakeRepaintRequest(hwnd));
    forms::DoEvents();
    EXPECT_FALSE(forms::internal::TakeRepaintRequest(hwnd));  // nothing happened to it
    field.Move(150, 150);
    EXPECT_TRUE(forms::internal::TakeRepaintRequest(hwnd));  // moved: all of it again
    EXPECT_FALSE(forms::internal::TakeRepaintRequest(hwnd));

    forms::internal::SetExternalContent(hwnd, nullptr);  // back to the toolkit
    EXPECT_FALSE(forms::internal::TakeRepaintRequest(hwnd));
    field.Unload();
    SDL_FreeSurface(frame);
    EXPECT_FALSE(forms::internal::TakeRepaintRequest(hwnd));
}

}  // namespace
