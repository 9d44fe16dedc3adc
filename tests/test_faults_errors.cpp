// Faults: the error that no procedure handles. Its message box opens while
// windows stopped half-way are still loaded; their timers must not tick
// under it (a tick that raised a second error would leave the box by an
// exception nothing catches), and the play field must give the screen back
// so that the box is seen.
#include "core/unhandled_error.h"
#include "display/surfaces.h"
#include "platform/ddraw.h"
#include "test_screens_support.h"

namespace {

using screens_test::OpenMessageText;
using screens_test::Script;

// A window whose timer raises an error on every tick, as a window whose
// loading failed half-way may.
class FailingTicker : public forms::Form {
public:
    FailingTicker() : forms::Form("FailingTicker") {}
    void Layout() override {
        SetCaption("Ticker");
        Timer1.SetInterval(10);
        Timer1.OnTick = [this] {
            ++ticks;
            throw forms::Error("a second error, raised by a tick");
        };
    }
    forms::Timer Timer1{this};
    int ticks = 0;
};

class UnhandledErrorTest : public testing::Test {
protected:
    void SetUp() override {
        platform::clock::UseVirtualTime(true);
        forms::Initialise(/*headless=*/true);
        forms::SetEndHandler([] { throw forms::ProgramEnded{"", 1}; });
    }
    void TearDown() override {
        forms::SetInputSource(nullptr);
        ticker_.Unload();
        D = DisplayState{};
        forms::SetEndHandler(nullptr);
        platform::clock::UseVirtualTime(false);
    }
    FailingTicker ticker_;
};

TEST_F(UnhandledErrorTest, WithoutStoppingTheTimersATickRaisesOutOfTheBox) {
    // What the program did before: the box alone lets the window tick.
    ticker_.Show(false);
    Script script;
    script.Key(1000, forms::vk::Return);
    script.Start();
    EXPECT_THROW(forms::MsgBox("the first error"), forms::Error);
    EXPECT_GT(ticker_.ticks, 0);
}

TEST_F(UnhandledErrorTest, TheBoxShowsTheErrorWithEveryTimerStopped) {
    ticker_.Show(false);
    Script script;
    std::string shown;
    script.At(500, [&] { shown = OpenMessageText(); });
    script.Key(1000, forms::vk::Return);
    script.Start();
    EXPECT_EQ(ShowUnhandledError("bmp\\chara.bmp: cannot open the file"), 1);
    EXPECT_EQ(shown, "bmp\\chara.bmp: cannot open the file");
    EXPECT_EQ(ticker_.ticks, 0);
    EXPECT_EQ(ticker_.Timer1.Interval(), 0);
    EXPECT_EQ(forms::TopmostWindow(), &ticker_) << "the box closed with its key";
}

TEST_F(UnhandledErrorTest, ThePlayFieldGivesTheScreenBackBeforeTheBox) {
    ticker_.Show(false);
    D.DxRoot = std::make_unique<ddraw::DirectX7>();
    D.DDraw = D.DxRoot->DirectDrawCreate("");
    D.DDraw->SetCooperativeLevel(ticker_.hWnd(), ddraw::DDSCL_FULLSCREEN | ddraw::DDSCL_EXCLUSIVE);
    D.DDraw->SetDisplayMode(800, 600, 16, 0, 0);  // allowed while the screen is the program's
    Script script;
    script.Key(100, forms::vk::Escape);
    script.Start();
    EXPECT_EQ(ShowUnhandledError("an error of the play"), 1);
    EXPECT_THROW(D.DDraw->SetDisplayMode(800, 600, 16, 0, 0), ddraw::DDrawError) << "the screen was given back";
}

}  // namespace
