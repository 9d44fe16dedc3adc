// The toolkit's drawing: BitBlt's raster operations and clipping, picture
// boxes, labels sized to their text, Print and Cls, frames, and the
// screenshots of one window and of the whole desktop.
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/forms_fonts.h"
#include "platform/forms_internal.h"
#include "platform/window_access.h"
#include "test_forms_support.h"

namespace {

using forms::Color;
using forms::RGB;
using forms_test::FormsTest;
using forms_test::Png;
namespace fs = std::filesystem;

class Canvas : public forms::Form {
public:
    Canvas(std::string name = "Canvas") : Form(std::move(name)) {}
    void Layout() override {
        SetCaption("Canvas");
        SetClientSize(40 * 15, 30 * 15);
        SetBackColor(forms::kWhite);
    }
    forms::PictureBox A{this}, B{this};
    forms::Label Text{this};
    forms::Frame Panel{this};
    forms::Label Inside{this};
    forms::Image Photo{this};
};

// A picture of w x h pixels, every pixel colour(x, y), as BMP bytes.
template <typename F>
forms::Picture MakePicture(int w, int h, F colour) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 24, SDL_PIXELFORMAT_BGR24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Color c = colour(x, y);
            uint8_t* p = static_cast<uint8_t*>(s->pixels) + y * s->pitch + x * 3;
            p[0] = static_cast<uint8_t>(c >> 16);
            p[1] = static_cast<uint8_t>(c >> 8);
            p[2] = static_cast<uint8_t>(c);
        }
    std::vector<unsigned char> bytes(256 + static_cast<size_t>(w) * h * 4);
    SDL_RWops* rw = SDL_RWFromMem(bytes.data(), static_cast<int>(bytes.size()));
    SDL_SaveBMP_RW(s, rw, 0);
    bytes.resize(static_cast<size_t>(SDL_RWtell(rw)));
    SDL_RWclose(rw);
    SDL_FreeSurface(s);
    return forms::Picture::FromBmpBytes(bytes, "test picture");
}

Color PixelOf(forms::HDC dc, int x, int y) {
    SDL_Surface* s = forms::SurfaceOf(dc);
    const Uint32 p = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(s->pixels) + y * s->pitch)[x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

class DrawingTest : public FormsTest {
protected:
    void SetUp() override {
        FormsTest::SetUp();
        dir = fs::temp_directory_path() / ("rr_forms_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        fs::remove_all(dir);
        FormsTest::TearDown();
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    fs::path dir;
};

TEST_F(DrawingTest, BitBltCopiesOrsAndAndsPixels) {
    Canvas w;
    w.A.SetPicture(MakePicture(4, 1, [](int x, int) {
        const Color c[4] = {0x0000F0, 0x00FF00, 0xFFFFFF, 0x000000};
        return c[x];
    }));
    w.B.SetPicture(MakePicture(4, 1, [](int, int) { return Color{0x0F0F0F}; }));
    EXPECT_EQ(w.A.Width(), 4 * 15);
    EXPECT_EQ(w.A.Height(), 15);

    forms::HDC a = w.A.hDC(), b = w.B.hDC();
    ASSERT_TRUE(forms::BitBlt(b, 0, 0, 4, 1, a, 0, 0, forms::SRCPAINT));
    EXPECT_EQ(PixelOf(b, 0, 0), 0x0F0FFFu);
    EXPECT_EQ(PixelOf(b, 1, 0), 0x0FFF0Fu);
    EXPECT_EQ(PixelOf(b, 2, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelOf(b, 3, 0), 0x0F0F0Fu);
    ASSERT_TRUE(forms::BitBlt(b, 0, 0, 4, 1, a, 0, 0, forms::SRCAND));
    EXPECT_EQ(PixelOf(b, 0, 0), 0x0000F0u);
    EXPECT_EQ(PixelOf(b, 1, 0), 0x00FF00u);
    EXPECT_EQ(PixelOf(b, 2, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelOf(b, 3, 0), 0x000000u);
    ASSERT_TRUE(forms::BitBlt(b, 1, 0, 2, 1, a, 2, 0, forms::SRCCOPY));
    EXPECT_EQ(PixelOf(b, 1, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelOf(b, 2, 0), 0x000000u);
    EXPECT_FALSE(forms::BitBlt(b, 0, 0, 4, 1, a, 0, 0, 0x00550009));  // an operation we do not draw
}

TEST_F(DrawingTest, BitBltClipsAtEveryEdgeOfBothSurfaces) {
    Canvas w;
    // Source: 4 x 4, pixel (x, y) = x + 16 y in the red channel.
    w.A.SetPicture(MakePicture(4, 4, [](int x, int y) { return static_cast<Color>(x + 16 * y); }));
    forms::HDC a = w.A.hDC();
    auto fresh_target = [&] {
        w.B.SetPicture(MakePicture(3, 3, [](int, int) { return Color{0xABCDEF}; }));
        return w.B.hDC();
    };
    const Color untouched = 0xABCDEF;

    // Off the target's left and top: the copy starts inside both.
    forms::HDC b = fresh_target();
    EXPECT_TRUE(forms::BitBlt(b, -1, -2, 4, 4, a, 0, 0, forms::SRCCOPY));
    EXPECT_EQ(PixelOf(b, 0, 0), 1u + 32u);
    EXPECT_EQ(PixelOf(b, 2, 1), 3u + 48u);
    EXPECT_EQ(PixelOf(b, 0, 2), untouched);

    // Off the target's right and bottom.
    b = fresh_target();
    EXPECT_TRUE(forms::BitBlt(b, 2, 2, 4, 4, a, 0, 0, forms::SRCCOPY));
    EXPECT_EQ(PixelOf(b, 2, 2), 0u);
    EXPECT_EQ(PixelOf(b, 1, 1), untouched);

    // Off the source's left and top: the target moves with it.
    b = fresh_target();
    EXPECT_TRUE(forms::BitBlt(b, 0, 0, 3, 3, a, -1, -1, forms::SRCCOPY));
    EXPECT_EQ(PixelOf(b, 0, 0), untouched);
    EXPECT_EQ(PixelOf(b, 1, 1), 0u);
    EXPECT_EQ(PixelOf(b, 2, 2), 1u + 16u);

    // Off the source's right and bottom.
    b = fresh_target();
    EXPECT_TRUE(forms::BitBlt(b, 0, 0, 3, 3, a, 2, 3, forms::SRCCOPY));
    EXPECT_EQ(PixelOf(b, 0, 0), 2u + 48u);
    EXPECT_EQ(PixelOf(b, 1, 0), 3u + 48u);
    EXPECT_EQ(PixelOf(b, 2, 0), untouched);
    EXPECT_EQ(PixelOf(b, 0, 1), untouched);

    // Wholly outside, or empty: nothing drawn, not an error.
    b = fresh_target();
    EXPECT_TRUE(forms::BitBlt(b, 100000, -100000, 4, 4, a, 0, 0, forms::SRCCOPY));
    EXPECT_TRUE(forms::BitBlt(b, 0, 0, 0, 4, a, 0, 0, forms::SRCCOPY));
    EXPECT_EQ(PixelOf(b, 0, 0), untouched);
}

TEST_F(DrawingTest, BitBltIntoTheWindowDrawsOnItsPersistentClientArea) {
    Canvas w;
    w.A.SetPicture(MakePicture(2, 2, [](int, int) { return Color{forms::kRed}; }));
    EXPECT_TRUE(forms::BitBlt(w.hDC(), 39, 29, 2, 2, w.A.hDC(), 0, 0, forms::SRCCOPY));
    EXPECT_TRUE(forms::BitBlt(w.A.hDC(), 0, 0, 1, 1, w.hDC(), 0, 0, forms::SRCCOPY));  // as a source too
    EXPECT_EQ(PixelOf(w.A.hDC(), 0, 0), forms::kWhite);
    ASSERT_TRUE(forms::SaveWindowPng(w, Path("w.png")));
    Png png;
    ASSERT_TRUE(forms_test::ReadPng(Path("w.png"), &png));
    EXPECT_EQ(png.width, 40);
    EXPECT_EQ(png.height, 30);
    EXPECT_EQ(png.At(39, 29), forms::kRed);
    EXPECT_EQ(png.At(38, 29), forms::kWhite);
    w.Cls();  // back to the background
    ASSERT_TRUE(forms::SaveWindowPng(w, Path("w.png")));
    ASSERT_TRUE(forms_test::ReadPng(Path("w.png"), &png));
    EXPECT_EQ(png.At(39, 29), forms::kWhite);
}

TEST_F(DrawingTest, APictureBoxKeepsItsContentWhenResizedAndFillsNewAreaWhite) {
    Canvas w;
    w.A.SetPicture(MakePicture(2, 2, [](int, int) { return Color{0x123456}; }));
    w.A.Move(0, 0, 4 * 15, 3 * 15);
    EXPECT_EQ(PixelOf(w.A.hDC(), 1, 1), 0x123456u);
    EXPECT_EQ(PixelOf(w.A.hDC(), 3, 2), forms::kWhite);
    EXPECT_EQ(PixelOf(w.A.hDC(), 2, 0), forms::kWhite);
    w.A.SetWidth(15);
    EXPECT_EQ(PixelOf(w.A.hDC(), 0, 1), 0x123456u);
    // A blank box given a size is white all over.
    w.B.Move(0, 0, 10 * 15, 10 * 15);
    EXPECT_EQ(PixelOf(w.B.hDC(), 9, 9), forms::kWhite);
}

TEST_F(DrawingTest, LoadingAMissingPictureNamesTheFile) {
    Canvas w;
    try {
        w.A.LoadPicture(Path("bmp\\nothere.bmp"));
        FAIL() << "a missing picture is an error";
    } catch (const forms::Error& e) {
        EXPECT_NE(std::string(e.what()).find("nothere.bmp"), std::string::npos) << e.what();
    }
}

TEST_F(DrawingTest, AutoSizedLabelsFollowTheirCaptionInTheirOwnFont) {
    Canvas w;
    forms::Label& l = w.Text;
    l.SetFont("ＭＳ Ｐゴシック", 24);
    l.Move(100, 100, 1305, 495);
    l.SetCaption("Label5");
    EXPECT_EQ(l.Width(), 1305);  // not sized to text: the designed size stays
    l.SetAutoSize(true);
    const float short_width = l.Width();
    EXPECT_GT(short_width, 0);
    EXPECT_EQ(static_cast<int>(l.Width()) % 15, 0);
    l.SetCaption("123456789012");
    EXPECT_GT(l.Width(), short_width * 1.5);
    const float digits_height = l.Height();
    EXPECT_GE(digits_height, 32 * 15);  // 24 points are 32 pixels at 96 dpi

    // Japanese text, in a bigger size, measured with the label's font.
    l.SetCaption("ラ ン ク");
    const float rank_24 = l.Width();
    l.SetFont("ＭＳ Ｐゴシック", 27.75);
    EXPECT_GT(l.Width(), rank_24);
    EXPECT_GT(l.Height(), digits_height);
    EXPECT_EQ(l.Left(), 100);  // sizing never moves the label
    l.SetCaption("");
    EXPECT_EQ(l.Width(), 0);
}

TEST_F(DrawingTest, LabelsFramesAndImagesAreComposedOverTheCanvas) {
    Canvas w;
    w.Photo.SetPicture(MakePicture(2, 2, [](int x, int) { return x == 0 ? Color{0x0000FF} : Color{0xFF0000}; }));
    w.Photo.SetStretch(true);
    w.Photo.Move(0, 0, 20 * 15, 10 * 15);  // stretched to 20 x 10
    w.Text.SetTransparent(false);
    w.Text.SetBackColor(forms::kBlack);
    w.Text.Move(15 * 15, 0, 5 * 15, 5 * 15);  // an opaque box over the image's right half
    w.Panel.SetBackColor(RGB(0, 128, 0));
    w.Panel.Move(0, 20 * 15, 10 * 15, 5 * 15);
    w.Inside.SetContainer(&w.Panel);
    w.Inside.SetTransparent(false);
    w.Inside.SetBackColor(RGB(1, 2, 3));
    w.Inside.Move(8 * 15, 15, 10 * 15, 15);  // reaches past the frame's right edge
    ASSERT_TRUE(forms::SaveWindowPng(w, Path("c.png")));
    Png png;
    ASSERT_TRUE(forms_test::ReadPng(Path("c.png"), &png));
    EXPECT_EQ(png.At(0, 0), 0x0000FFu);
    EXPECT_EQ(png.At(9, 9), 0x0000FFu);
    EXPECT_EQ(png.At(12, 9), 0xFF0000u);
    EXPECT_EQ(png.At(16, 1), forms::kBlack);  // the label lies over the image
    EXPECT_EQ(png.At(25, 1), forms::kWhite);
    EXPECT_EQ(png.At(0, 20), RGB(0, 128, 0));
    EXPECT_EQ(png.At(9, 21), RGB(1, 2, 3));  // the child, from the frame's corner
    EXPECT_EQ(png.At(10, 21), forms::kWhite);  // clipped to the frame
    w.Panel.SetVisible(false);
    ASSERT_TRUE(forms::SaveWindowPng(w, Path("c.png")));
    ASSERT_TRUE(forms_test::ReadPng(Path("c.png"), &png));
    EXPECT_EQ(png.At(9, 21), forms::kWhite);  // a hidden frame hides its children
}

TEST_F(DrawingTest, PrintWritesLinesDownwardAndClsClearsThem) {
    Canvas w;
    w.SetFont("HG創英角ﾎﾟｯﾌﾟ体", 14.25, true);
    w.SetForeColor(forms::kBlack);
    w.SetClientSize(300 * 15, 80 * 15);
    w.Print("いっちょやりまっかのー♪");
    w.Print("TVでモデルを募集した...");
    ASSERT_TRUE(forms::SaveWindowPng(w, Path("p.png")));
    Png png;
    ASSERT_TRUE(forms_test::ReadPng(Path("p.png"), &png));
    auto dark_rows = [&](int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < png.width; ++x)
                if (png.At(x, y) != forms::kWhite) {
                    ++n;
                    break;
                }
        return n;
    };
    const int line = forms::fonts::LineHeight(forms::FontChoice{"HG創英角ﾎﾟｯﾌﾟ体", 14.25, true, false});
    ASSERT_LT(2 * line, 80);
    EXPECT_GT(dark_rows(0, line), line / 3);         // the first line
    EXPECT_GT(dark_rows(line, 2 * line), line / 3);  // the second, one line lower
    EXPECT_EQ(dark_rows(2 * line, 80), 0);
    w.Cls();
    w.Print("ある敏腕プロデューサー（♂）が");
    ASSERT_TRUE(forms::SaveWindowPng(w, Path("p.png")));
    ASSERT_TRUE(forms_test::ReadPng(Path("p.png"), &png));
    EXPECT_GT(dark_rows(0, line), line / 3);
    EXPECT_EQ(dark_rows(line, 80), 0);
}

TEST_F(DrawingTest, TheDesktopShowsEveryWindowAtItsPlaceInStackingOrder) {
    Canvas back("Back"), front("Front");
    back.SetBackColor(RGB(200, 0, 0));
    back.Move(100 * 15, 50 * 15);
    back.Show(false);
    front.SetBorderStyle(forms::BorderStyle::None);
    front.SetBackColor(RGB(0, 0, 200));
    front.Move(120 * 15, 60 * 15);
    front.Show(false);
    ASSERT_TRUE(forms::SaveDesktopPng(Path("d.png")));
    Png png;
    ASSERT_TRUE(forms_test::ReadPng(Path("d.png"), &png));
    EXPECT_EQ(png.width, 1024);
    EXPECT_EQ(png.height, 768);
    EXPECT_EQ(png.At(5, 5), RGB(58, 58, 58));           // the desktop
    EXPECT_EQ(png.At(100 + 3, 50 + 22), RGB(200, 0, 0));  // the back window's client area
    EXPECT_EQ(png.At(141, 53), RGB(0, 0, 128));            // its caption bar
    EXPECT_EQ(png.At(100, 50), RGB(192, 192, 192));        // its frame
    EXPECT_EQ(png.At(120, 60), RGB(0, 0, 200));            // borderless, shown later, on top
    EXPECT_EQ(png.At(125, 80), RGB(0, 0, 200));
    EXPECT_EQ(png.At(159, 89), RGB(0, 0, 200));
    EXPECT_EQ(png.At(130, 95), RGB(200, 0, 0));

    // The play field's frame, full screen, covers the desktop.
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
    SDL_FillRect(frame, nullptr, 0xF800);  // red
    forms::internal::SetExternalContent(back.hWnd(), frame);
    SDL_SetWindowFullscreen(forms::internal::WindowOf(back.hWnd()), SDL_WINDOW_FULLSCREEN_DESKTOP);
    back.Show(false);  // brought to the front
    ASSERT_TRUE(forms::SaveDesktopPng(Path("d.png")));
    ASSERT_TRUE(forms_test::ReadPng(Path("d.png"), &png));
    EXPECT_EQ(png.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(png.At(1023, 767), RGB(255, 0, 0));
    forms::internal::SetExternalContent(back.hWnd(), nullptr);
    SDL_FreeSurface(frame);
}

}  // namespace

namespace {

TEST_F(DrawingTest, ALabelRisingForAnHourKeepsItsExactPlace) {
    // The staff roll's labels rise 38 twips every 100 ms for as long as it
    // stays open.
    struct Roll : forms::Form {
        Roll() : Form("Ending") {
            Timer1.OnTick = [this] {
                Credit.SetTop(Credit.Top() - 38);
                if (++ticks == 36000) Unload();
            };
        }
        void Layout() override {
            SetBackColor(forms::kBlack);
            SetClientSize(100 * 15, 60 * 15);
            Credit.SetFont("HG行書体", 14.25, true, true);
            Credit.SetTransparent(true);
            Credit.SetForeColor(forms::kWhite);
            Credit.SetCaption("メインプログラマー");
            Credit.Move(0, 27270, 3135, 495);
            Timer1.SetInterval(100);
        }
        forms::Label Credit{this};
        forms::Timer Timer1{this};
        int ticks = 0;
        float last_top = 0;
        void Form_Unload() override { last_top = Credit.Top(); }
    } roll;
    roll.Show(true);
    EXPECT_EQ(forms_test::NowMs(), 3'600'000u);
    EXPECT_EQ(roll.last_top, 27270.0f - 38.0f * 36000);
}

}  // namespace
