// The toolkit on desktops of every size: the windows' scale chosen from the
// desktop's setting or its size, windows drawn at that scale with their
// twips unchanged, sharp pixels and text drawn at the larger size, the
// screen's size in designed pixels, the play field's screen switched by
// Alt+Enter and F11, and windows that cannot place themselves (Wayland).
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/forms_internal.h"
#include "platform/window_access.h"
#include "test_forms_support.h"

namespace {

using forms::Color;
using forms::RGB;
using forms_test::Png;
namespace fs = std::filesystem;

class Plain : public forms::Form {
public:
    explicit Plain(std::string name, bool border = true) : Form(std::move(name)), border_(border) {}
    void Layout() override {
        SetCaption(Name());
        SetBorderStyle(border_ ? forms::BorderStyle::Fixed : forms::BorderStyle::None);
        SetClientSize(40 * 15, 30 * 15);
        SetBackColor(forms::kWhite);
    }
    void Form_KeyDown(int16_t key, int16_t) override { keys.push_back(key); }
    forms::Label Text{this};
    forms::Image Photo{this};
    forms::PictureBox Box{this};
    std::vector<int16_t> keys;

private:
    bool border_;
};

// A 2 x 2 picture: red, green / blue, yellow.
forms::Picture FourColours() {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 2, 2, 24, SDL_PIXELFORMAT_BGR24);
    const Uint8 px[4][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {0, 255, 255}};  // B, G, R
    for (int i = 0; i < 4; ++i)
        std::copy_n(px[i], 3, static_cast<Uint8*>(s->pixels) + (i / 2) * s->pitch + (i % 2) * 3);
    std::vector<unsigned char> bytes(1024);
    SDL_RWops* rw = SDL_RWFromMem(bytes.data(), static_cast<int>(bytes.size()));
    SDL_SaveBMP_RW(s, rw, 0);
    bytes.resize(static_cast<size_t>(SDL_RWtell(rw)));
    SDL_RWclose(rw);
    SDL_FreeSurface(s);
    return forms::Picture::FromBmpBytes(bytes, "four colours");
}
constexpr Color kFour[4] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF};

class ScaleTest : public forms_test::FormsTest {
protected:
    void SetUp() override {
        FormsTest::SetUp();
        dir_ = fs::temp_directory_path() / ("rr_scale_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        unsetenv("ROOFRIDER_SCALE");
        forms::SimulateDesktop(1024, 768);
        forms::SimulateUnplacedWindows(false);
        if (forms::PlaysInWindow()) forms::ToggleScreen();
        fs::remove_all(dir_);
        FormsTest::TearDown();
    }
    // A desktop of w x h, with ROOFRIDER_SCALE set to scale unless 0.
    static void Desktop(int w, int h, int scale = 0) {
        if (scale)
            setenv("ROOFRIDER_SCALE", std::to_string(scale).c_str(), 1);
        else
            unsetenv("ROOFRIDER_SCALE");
        forms::SimulateDesktop(w, h);
    }
    Png Shot(forms::Form& w) {
        const std::string path = (dir_ / "w.png").string();
        Png png;
        EXPECT_TRUE(forms::SaveWindowPng(w, path));
        EXPECT_TRUE(forms_test::ReadPng(path, &png));
        return png;
    }
    Png DesktopShot() {
        const std::string path = (dir_ / "d.png").string();
        Png png;
        EXPECT_TRUE(forms::SaveDesktopPng(path));
        EXPECT_TRUE(forms_test::ReadPng(path, &png));
        return png;
    }
    fs::path dir_;
};

TEST(WindowScale, FollowsTheDesktopsSettingElseItsSize) {
    struct Case {
        int w, h;
        forms::ScaleSettings settings;
        int scale;
    };
    const Case cases[] = {
        // By size: the evaluation window stays below two thirds of the height.
        {1024, 768, {}, 1},
        {1280, 800, {}, 1},
        {1920, 1080, {}, 1},
        {2560, 1440, {}, 1},
        {3840, 2160, {}, 2},
        {7680, 4320, {}, 4},
        // The desktop's setting, as far as the evaluation window still fits.
        {3840, 2160, {"", "3", 0}, 3},
        {1920, 1080, {"", "2", 0}, 1},
        {3840, 2160, {"", "", 192}, 2},
        {3840, 2160, {"", "", 96}, 1},
        {2560, 1440, {"", "", 144}, 2},
        // ROOFRIDER_SCALE over everything, even where a window will not fit.
        {1024, 768, {"3", "2", 192}, 3},
        {3840, 2160, {"1", "", 192}, 1},
    };
    for (const Case& c : cases) {
        const forms::ScaleChoice choice = forms::ChooseScale(c.w, c.h, c.settings);
        EXPECT_EQ(choice.scale, c.scale) << c.w << " x " << c.h << " ROOFRIDER_SCALE=" << c.settings.roofrider_scale
                                         << " GDK_SCALE=" << c.settings.gdk_scale << " Xft.dpi=" << c.settings.xft_dpi;
        EXPECT_EQ(choice.warning, "");
    }
    for (const char* bad : {"0", "9", "two", "2x", "-1"}) {
        const forms::ScaleChoice choice = forms::ChooseScale(3840, 2160, {bad, "", 0});
        EXPECT_EQ(choice.scale, 2) << bad;
        EXPECT_NE(choice.warning.find(std::string("ROOFRIDER_SCALE=\"") + bad + "\""), std::string::npos);
    }
    EXPECT_EQ(forms::XftDpiOf("Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n"), 192);
    EXPECT_EQ(forms::XftDpiOf("Xft.dpi: 144.0"), 144);
    EXPECT_EQ(forms::XftDpiOf("Xcursor.size:\t24\n"), 0);
    EXPECT_EQ(forms::XftDpiOf(""), 0);
}

TEST_F(ScaleTest, WindowsKeepTheirTwipsAndGrowByTheScaleOnEveryDesktop) {
    struct Desk {
        int w, h, scale;
    };
    for (const Desk d : {Desk{1024, 768, 1}, Desk{1920, 1080, 1}, Desk{2560, 1440, 1}, Desk{3840, 2160, 2}}) {
        SCOPED_TRACE(std::to_string(d.w) + " x " + std::to_string(d.h));
        Desktop(d.w, d.h);
        ASSERT_EQ(forms::WindowScale(), d.scale);
        EXPECT_EQ(forms::ScreenWidth(), static_cast<float>(d.w / d.scale * 15));
        EXPECT_EQ(forms::ScreenHeight(), static_cast<float>(d.h / d.scale * 15));
        Plain w("Centred");
        // Centred as the screens centre themselves, in twips.
        w.Move(forms::ScreenWidth() / 2 - w.Width() / 2, forms::ScreenHeight() / 2 - w.Height() / 2);
        EXPECT_EQ(w.ScaleWidth(), 600);  // the twips the program sees do not change
        EXPECT_EQ(w.Width(), 600 + 6 * 15);
        w.Show(false);
        SDL_Window* window = forms::internal::WindowOf(w.hWnd());
        int ww = 0, wh = 0, wx = 0, wy = 0;
        SDL_GetWindowSize(window, &ww, &wh);
        SDL_GetWindowPosition(window, &wx, &wy);
        EXPECT_EQ(ww, 40 * d.scale);
        EXPECT_EQ(wh, 30 * d.scale);
        const int left = forms::ToPx(w.Left()) + 3, top = forms::ToPx(w.Top()) + 22;
        EXPECT_EQ(wx, left * d.scale);
        EXPECT_EQ(wy, top * d.scale);
        // The desktop, in its own pixels, shows the window centred.
        const Png png = DesktopShot();
        EXPECT_EQ(png.width, d.w);
        EXPECT_EQ(png.height, d.h);
        EXPECT_EQ(png.At(wx, wy), forms::kWhite);
        EXPECT_EQ(png.At(wx + ww - 1, wy + wh - 1), forms::kWhite);
        EXPECT_NEAR(wx + ww / 2, d.w / 2, 2 * d.scale);
        EXPECT_EQ(png.At(wx - 1, wy + 1), RGB(192, 192, 192));  // its frame, at the scale too
        EXPECT_EQ(png.At(wx - 3 * d.scale, wy + 1), RGB(192, 192, 192));
        EXPECT_EQ(png.At(wx - 3 * d.scale - 1, wy + 1), RGB(58, 58, 58));
    }
}

TEST_F(ScaleTest, PicturesStaySharpAndTextIsDrawnAtTheLargerSize) {
    auto ink_rows = [](const Png& png, int x0, int x1) {
        int first = -1, last = -1;
        for (int y = 0; y < png.height; ++y)
            for (int x = x0; x < x1; ++x)
                if (png.At(x, y) != forms::kWhite) {
                    if (first < 0) first = y;
                    last = y;
                    break;
                }
        return first < 0 ? 0 : last - first + 1;
    };
    int ink_at_1 = 0;
    for (int s : {1, 2, 3}) {
        SCOPED_TRACE("scale " + std::to_string(s));
        Desktop(1024, 768, s);
        Plain w("Sharp");
        w.Photo.SetPicture(FourColours());
        w.Photo.Move(0, 0, 30, 30);
        w.Text.SetTransparent(true);
        w.Text.SetFont("ＭＳ Ｐゴシック", 12);
        w.Text.SetCaption("Ag");
        w.Text.Move(10 * 15, 0, 30 * 15, 30 * 15);
        // The box's picture, by BitBlt onto the window's own client area
        // (as the title draws its band), at 4, 4.
        w.Box.SetPicture(FourColours());
        w.Box.SetVisible(false);
        ASSERT_TRUE(forms::BitBlt(w.hDC(), 4, 4, 2, 2, w.Box.hDC(), 0, 0, forms::SRCCOPY));
        const Png png = Shot(w);
        ASSERT_EQ(png.width, 40 * s);
        ASSERT_EQ(png.height, 30 * s);
        // Every pixel of both pictures is an s x s block of its exact colour.
        for (int y = 0; y < 2 * s; ++y)
            for (int x = 0; x < 2 * s; ++x) {
                const Color want = kFour[(y / s) * 2 + x / s];
                ASSERT_EQ(png.At(x, y), want) << x << "," << y;
                ASSERT_EQ(png.At(4 * s + x, 4 * s + y), want) << "BitBlt " << x << "," << y;
            }
        EXPECT_EQ(png.At(2 * s, 0), forms::kWhite);
        EXPECT_EQ(png.At(6 * s, 4 * s), forms::kWhite);
        // The text is as many times taller, and drawn at that size: its
        // edges do not fall on the s x s grid of an enlarged small text.
        const int ink = ink_rows(png, 10 * s, 40 * s);
        if (s == 1) {
            ink_at_1 = ink;
            continue;
        }
        EXPECT_NEAR(ink, s * ink_at_1, s);
        bool off_grid = false;
        for (int y = 0; y + 1 < png.height && !off_grid; ++y)
            for (int x = 10 * s; x + 1 < png.width && !off_grid; ++x)
                off_grid = (x % s != 0 && png.At(x, y) != png.At(x - 1, y)) ||
                           (y % s != 0 && y > 0 && png.At(x, y) != png.At(x, y - 1));
        EXPECT_TRUE(off_grid);
    }
}

TEST_F(ScaleTest, AWindowOfTheScreensSizeCoversTheWholeDesktop) {
    // The staff roll: borderless, at 0, 0, as large as Screen says.
    Desktop(3840, 2160);
    Plain roll("Ending", /*border=*/false);
    roll.SetBackColor(forms::kBlack);
    roll.Move(0, 0, forms::ScreenWidth(), forms::ScreenHeight());
    roll.Show(false);
    const Png png = DesktopShot();
    for (auto [x, y] : {std::pair{0, 0}, {3839, 0}, {0, 2159}, {3839, 2159}, {1920, 1080}})
        EXPECT_EQ(png.At(x, y), forms::kBlack) << x << "," << y;
}

TEST_F(ScaleTest, AltEnterAndF11SwitchThePlayFieldsScreenAndReachNoWindow) {
    Desktop(3840, 2160);
    Plain field("Field");
    field.Show(false);
    ASSERT_EQ(forms::internal::TakeScreen(field.hWnd()), 0);
    SDL_Window* window = forms::internal::WindowOf(field.hWnd());
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
    forms_test::PushKeyDown(SDLK_RETURN, KMOD_LALT);
    forms::DoEvents();
    EXPECT_TRUE(forms::PlaysInWindow());
    EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
    int w = 0, h = 0, x = 0, y = 0;
    SDL_GetWindowSize(window, &w, &h);
    SDL_GetWindowPosition(window, &x, &y);
    EXPECT_EQ(w, 80);  // its designed size at the windows' scale
    EXPECT_EQ(h, 60);
    // Centred on the desktop, the toolkit's record and the desktop's window alike.
    EXPECT_EQ(field.Left(), forms::ScreenWidth() / 2 - field.Width() / 2);
    EXPECT_EQ(field.Top(), forms::ScreenHeight() / 2 - field.Height() / 2);
    EXPECT_EQ(x, (forms::ToPx(field.Left()) + 3) * 2);
    EXPECT_EQ(y, (forms::ToPx(field.Top()) + 22) * 2);
    forms_test::PushKeyDown(SDLK_F11, 0);
    forms_test::PushKeyDown(SDLK_RETURN, 0);
    forms::DoEvents();
    EXPECT_FALSE(forms::PlaysInWindow());
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
    EXPECT_EQ(field.keys, std::vector<int16_t>{13});  // only the plain Enter
    // Given back, the choice stays for the next time the screen is taken.
    forms_test::PushKeyDown(SDLK_F11, 0);
    forms::DoEvents();
    forms::internal::GiveScreenBack(field.hWnd());
    EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
    ASSERT_EQ(forms::internal::TakeScreen(field.hWnd()), 0);
    EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
}

TEST_F(ScaleTest, WhereWindowsCannotPlaceThemselvesABorderlessOneIsDrawnInTheOneBelow) {
    // The story over the start-up window, on Wayland.
    forms::SimulateUnplacedWindows(true);
    Desktop(1024, 768, 2);
    Plain below("Below");
    below.Move(100 * 15, 100 * 15);
    below.SetBackColor(RGB(141, 207, 244));
    below.Show(false);
    Plain story("Story", /*border=*/false);
    story.SetBackColor(RGB(200, 0, 0));
    story.Move(below.Left() + 5 * 15, below.Top() + 25 * 15, 10 * 15, 5 * 15);
    story.Show(false);
    EXPECT_EQ(forms::HostOf(story), &below);
    EXPECT_EQ(forms::HostOf(below), nullptr);
    // At 2, 3 of the client area (outer + 5, 25, less the frame and bar).
    Png png = Shot(below);
    EXPECT_EQ(png.At(2 * 2, 3 * 2), RGB(200, 0, 0));
    EXPECT_EQ(png.At(2 * 2 - 1, 3 * 2), RGB(141, 207, 244));
    EXPECT_EQ(png.At(12 * 2 - 1, 8 * 2 - 1), RGB(200, 0, 0));
    story.Move(story.Left(), story.Top() + 10 * 15);  // steps down
    png = Shot(below);
    EXPECT_EQ(png.At(2 * 2, 3 * 2), RGB(141, 207, 244));
    EXPECT_EQ(png.At(2 * 2, 13 * 2), RGB(200, 0, 0));
    story.Unload();
    png = Shot(below);
    EXPECT_EQ(png.At(2 * 2, 13 * 2), RGB(141, 207, 244));
    // A desktop that places windows shows it as a window of its own.
    forms::SimulateUnplacedWindows(false);
    story.Move(below.Left() + 5 * 15, below.Top() + 25 * 15);
    story.Show(false);
    EXPECT_EQ(forms::HostOf(story), nullptr);
}

}  // namespace
