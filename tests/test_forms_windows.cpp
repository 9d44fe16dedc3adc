// The toolkit's windows: loading on first use, unloading and loading again,
// nested modal loops with every window's timers ticking at exact virtual
// times, keys for the topmost window, End, the close button and focus.
#include <functional>
#include <string>
#include <vector>

#include "platform/window_access.h"
#include "test_forms_support.h"

namespace {

using forms_test::FormsTest;
using forms_test::NowMs;
using forms_test::ScriptedKeys;

// A small window with one timer, a label, and hooks for each event.
class TestWindow : public forms::Form {
public:
    TestWindow(std::string name, int interval = 0) : Form(std::move(name)), interval_(interval) {
        Timer1.OnTick = [this] {
            ticks.push_back(NowMs());
            if (on_tick) on_tick();
        };
    }
    void Layout() override {
        SetCaption(Name());
        SetClientSize(100 * 15, 60 * 15);
        Label1.SetCaption("designed");
        Label1.Move(150, 300, 900, 300);
        Timer1.SetInterval(interval_);
    }
    void Form_Load() override { ++loads; }
    void Form_Unload() override {
        ++unloads;
        if (on_unload) on_unload();
    }
    void Form_Activate() override {
        ++activations;
        if (on_activate) on_activate();
    }
    void Form_KeyDown(int16_t key, int16_t) override {
        keys.push_back(key);
        if (on_key) on_key(key);
    }
    void CloseEndsProgram() { SetCloseEndsProgram(true); }

    forms::Label Label1{this};
    forms::Timer Timer1{this};
    int interval_;
    int loads = 0, unloads = 0, activations = 0;
    std::vector<uint64_t> ticks;
    std::vector<int16_t> keys;
    std::function<void()> on_tick, on_activate, on_unload;
    std::function<void(int16_t)> on_key;
};

std::vector<uint64_t> Every(uint64_t step, uint64_t last) {
    std::vector<uint64_t> out;
    for (uint64_t t = step; t <= last; t += step) out.push_back(t);
    return out;
}

TEST_F(FormsTest, FirstUseLoadsTheWindowBeforeTheUseCompletes) {
    TestWindow w("First");
    EXPECT_FALSE(w.IsLoaded());
    EXPECT_EQ(w.hWnd(), 0);
    // The first use sees the layout's values, with Form_Load already run.
    EXPECT_EQ(w.Label1.Caption(), "designed");
    EXPECT_TRUE(w.IsLoaded());
    EXPECT_EQ(w.loads, 1);
    EXPECT_NE(w.hWnd(), 0);
    EXPECT_FALSE(w.IsShown());
    EXPECT_EQ(w.ScaleWidth(), 1500);
    EXPECT_EQ(w.Width(), 1500 + 6 * 15);    // the frame on both sides
    EXPECT_EQ(w.Height(), 900 + 25 * 15);   // frame and caption bar
    w.SetBorderStyle(forms::BorderStyle::None);
    EXPECT_EQ(w.Width(), 1500);
    EXPECT_EQ(w.loads, 1);
}

TEST_F(FormsTest, UnloadAndReloadGiveTheLayoutBackAndKeepTheWindowsVariables) {
    TestWindow w("Reload", 100);
    w.Label1.SetCaption("changed");
    w.Label1.Move(0, 0);
    w.Timer1.SetInterval(0);
    w.SetCaption("changed too");
    w.activations = 7;  // a variable of the window's own
    const intptr_t first = w.hWnd();

    w.Unload();
    EXPECT_FALSE(w.IsLoaded());
    EXPECT_EQ(w.unloads, 1);
    EXPECT_EQ(w.hWnd(), 0);
    EXPECT_EQ(forms::internal::FormOf(first), nullptr);
    w.Unload();  // nothing: not loaded
    EXPECT_EQ(w.unloads, 1);

    EXPECT_EQ(w.Label1.Left(), 150);  // loads again
    EXPECT_EQ(w.loads, 2);
    EXPECT_EQ(w.Label1.Caption(), "designed");
    EXPECT_EQ(w.Label1.Top(), 300);
    EXPECT_EQ(w.Timer1.Interval(), 100);
    EXPECT_EQ(w.Caption(), "Reload");
    EXPECT_EQ(w.activations, 7);
    EXPECT_NE(w.hWnd(), first);
    EXPECT_EQ(forms::internal::FormOf(w.hWnd()), &w);
    EXPECT_NE(forms::internal::WindowOf(w.hWnd()), nullptr);
}

// A window loaded and placed long before it is shown (the evaluation and
// the staff roll at every new game) gets its desktop window on first need,
// with the place, size, caption and border it has by then.
TEST_F(FormsTest, AHiddenWindowGetsItsDesktopWindowWithItsLatestLooks) {
    TestWindow w("Placed");
    w.Load();
    w.Move(1500, 750, 4500, 3000);
    w.SetCaption("Later");
    w.SetBorderStyle(forms::BorderStyle::None);
    w.SetClientSize(200 * 15, 120 * 15);
    SDL_Window* window = forms::internal::WindowOf(w.hWnd());
    ASSERT_NE(window, nullptr);
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    EXPECT_EQ(width, 200);
    EXPECT_EQ(height, 120);
    EXPECT_STREQ(SDL_GetWindowTitle(window), "Later");
    EXPECT_NE(SDL_GetWindowFlags(window) & SDL_WINDOW_BORDERLESS, 0u);
    EXPECT_EQ(forms::internal::WindowOf(w.hWnd()), window) << "made once";
    w.Unload();
}

TEST_F(FormsTest, ModalWindowsNestThreeDeepWhileEveryTimerTicksOnTime) {
    TestWindow a("A", 10), b("B", 25), c("C", 40);
    std::vector<std::string> top_at_c_ticks;
    a.on_activate = [&] { b.Show(true); };
    b.on_activate = [&] { c.Show(true); };
    c.on_tick = [&] {
        top_at_c_ticks.push_back(forms::TopmostWindow()->Name());
        if (c.ticks.size() == 3) c.Unload();
    };
    b.on_tick = [&] {
        if (NowMs() >= 200) b.Unload();
    };
    a.on_tick = [&] {
        if (NowMs() >= 300) a.Unload();
    };
    a.Show(true);

    EXPECT_EQ(NowMs(), 300u);
    EXPECT_EQ(a.ticks, Every(10, 300));
    EXPECT_EQ(b.ticks, Every(25, 200));
    EXPECT_EQ(c.ticks, Every(40, 120));
    EXPECT_EQ(top_at_c_ticks, (std::vector<std::string>{"C", "C", "C"}));
    EXPECT_EQ(a.unloads + b.unloads + c.unloads, 3);
    EXPECT_EQ(forms::TopmostWindow(), nullptr);
}

TEST_F(FormsTest, ATimerOfAHiddenLoadedWindowTicksUnderAnotherModalWindow) {
    // The title's pattern: its timers run from the first use, before it
    // is shown, and go on while a window above it is modal.
    TestWindow title("Title", 50), options("OP", 0);
    title.Timer1.SetInterval(50);
    EXPECT_EQ(title.loads, 1);
    options.on_activate = [&] {};
    title.on_tick = [&] {
        if (title.ticks.size() == 4) options.Unload();
    };
    options.Show(true);
    EXPECT_EQ(title.ticks, Every(50, 200));
    EXPECT_FALSE(title.IsShown());
}

TEST_F(FormsTest, AWindowUnloadedFromItsOwnHandlerEndsItsModalShow) {
    TestWindow w("Self");
    w.on_key = [&](int16_t key) {
        if (key == forms::vk::Escape) w.Unload();
    };
    ScriptedKeys keys({{30, forms::vk::Space}, {50, forms::vk::Escape}});
    forms::SetInputSource(&keys);
    w.Show(true);
    EXPECT_EQ(NowMs(), 50u);
    EXPECT_EQ(w.keys, (std::vector<int16_t>{forms::vk::Space, forms::vk::Escape}));
    EXPECT_EQ(w.unloads, 1);
    EXPECT_FALSE(w.IsLoaded());
}

TEST_F(FormsTest, HidingAModalWindowEndsItsShowAndKeepsItLoaded) {
    TestWindow w("Hidden", 10);
    w.on_tick = [&] { w.Hide(); };
    w.Show(true);
    EXPECT_TRUE(w.IsLoaded());
    EXPECT_FALSE(w.IsShown());
    EXPECT_EQ(w.unloads, 0);
}

TEST_F(FormsTest, TheStoryUnloadsBothWindowsAndTheOuterShowReturns) {
    // The start-up window's activation shows the story; the story's key
    // handler unloads the story and then the start-up window beneath it.
    TestWindow outer("Form2"), inner("Form1");
    int shown_after = 0;
    outer.on_activate = [&] {
        inner.Show(true);
        outer.Unload();  // already unloaded: no effect
        ++shown_after;
    };
    inner.on_key = [&](int16_t) {
        inner.Unload();
        outer.Unload();
    };
    ScriptedKeys keys({{20, 'A'}});
    forms::SetInputSource(&keys);
    outer.Show(true);
    EXPECT_EQ(shown_after, 1);
    EXPECT_EQ(outer.unloads, 1);
    EXPECT_EQ(inner.unloads, 1);
    EXPECT_FALSE(outer.IsLoaded());
    EXPECT_FALSE(inner.IsLoaded());
}

TEST_F(FormsTest, ShowingAWindowThatIsModalFurtherDownReturnsAtOnce) {
    TestWindow a("A"), b("B");
    a.on_activate = [&] { b.Show(true); };
    b.on_activate = [&] { a.Show(true); };  // must neither nest nor crash
    b.on_key = [&](int16_t) { b.Unload(); };
    a.on_key = [&](int16_t) { a.Unload(); };
    ScriptedKeys keys({{10, 'X'}, {20, 'Y'}});
    forms::SetInputSource(&keys);
    a.Show(true);
    EXPECT_EQ(b.keys, (std::vector<int16_t>{'X'}));
    EXPECT_EQ(a.keys, (std::vector<int16_t>{'Y'}));
    EXPECT_EQ(a.activations, 1);
}

TEST_F(FormsTest, KeysGoToTheTopmostModalWindowAndToAMessageBox) {
    TestWindow a("A", 5), b("B");
    std::vector<std::pair<uint64_t, std::string>> tops;
    a.on_tick = [&] { tops.emplace_back(NowMs(), forms::TopmostWindow()->Name()); };
    a.on_key = [&](int16_t key) {
        if (key == 'O') b.Show(true);
        if (key == forms::vk::Escape) a.Unload();
    };
    b.on_key = [&](int16_t key) {
        if (key == forms::vk::Return) forms::MsgBox("そんなんないわ！");
        if (key == forms::vk::Escape) b.Unload();
    };
    ScriptedKeys keys({{10, 'X'},
                       {20, 'O'},
                       {30, 'Y'},
                       {40, forms::vk::Return},
                       {50, 'Z'},
                       {60, forms::vk::Space},
                       {70, 'W'},
                       {80, forms::vk::Escape},
                       {90, forms::vk::Escape}});
    forms::SetInputSource(&keys);
    a.Show(true);

    EXPECT_EQ(a.keys, (std::vector<int16_t>{'X', 'O', forms::vk::Escape}));
    EXPECT_EQ(b.keys, (std::vector<int16_t>{'Y', forms::vk::Return, 'W', forms::vk::Escape}));
    auto top_at = [&](uint64_t ms) {
        for (auto& [t, name] : tops)
            if (t == ms) return name;
        return std::string("none");
    };
    EXPECT_EQ(top_at(15), "A");
    EXPECT_EQ(top_at(35), "B");
    EXPECT_EQ(top_at(45), "MsgBox");  // the message box is open; A's timer ticks on
    EXPECT_EQ(top_at(55), "MsgBox");  // 'Z' does not close it
    EXPECT_EQ(top_at(65), "B");
    EXPECT_EQ(top_at(85), "A");
}

TEST_F(FormsTest, MessageBoxClosesOnEnterSpaceOrEscOnly) {
    for (int16_t closing : {forms::vk::Return, forms::vk::Space, forms::vk::Escape}) {
        platform::clock::UseVirtualTime(true);
        ScriptedKeys keys({{10, 'A'}, {20, forms::vk::Left}, {30, closing}});
        forms::SetInputSource(&keys);
        forms::MsgBox("EASYに設定しました");
        EXPECT_EQ(NowMs(), 30u) << closing;
        EXPECT_EQ(forms::TopmostWindow(), nullptr);
    }
}

TEST_F(FormsTest, ATimerThatUnloadsItsOwnWindowTicksNoMore) {
    TestWindow w("Timer", 10);
    TestWindow other("Other", 7);
    other.Load();
    w.on_tick = [&] {
        if (w.ticks.size() == 3) w.Unload();
    };
    other.on_tick = [&] {
        if (NowMs() >= 70) other.Unload();
    };
    w.Show(true);
    EXPECT_EQ(w.ticks, Every(10, 30));
    EXPECT_EQ(w.unloads, 1);
    // The other window's timer still runs and nothing of w ticks again.
    other.Show(true);
    EXPECT_EQ(w.ticks, Every(10, 30));
    EXPECT_EQ(other.ticks, Every(7, 70));
}

TEST_F(FormsTest, ATickHandlerMayChangeIntervalsAndOpenAModalWindow) {
    TestWindow a("A", 10), b("B", 4);
    a.on_tick = [&] {
        if (a.ticks.size() == 1) {
            a.Timer1.SetInterval(20);  // the count restarts from now
            b.Show(true);              // a modal window from inside a tick
        }
        if (a.ticks.size() == 3) a.Unload();
    };
    b.on_tick = [&] {
        if (b.ticks.size() == 5) b.Unload();
    };
    a.Show(true);
    EXPECT_EQ(b.ticks, (std::vector<uint64_t>{14, 18, 22, 26, 30}));
    EXPECT_EQ(a.ticks, (std::vector<uint64_t>{10, 30, 50}));
}

TEST_F(FormsTest, ALateLoopGetsOneTickNotABurst) {
    TestWindow w("Late", 10);
    w.Load();
    platform::clock::AdvanceVirtualUs(95'000);  // a loop that did not look for 95 ms
    forms::DoEvents();
    EXPECT_EQ(w.ticks, (std::vector<uint64_t>{95}));
    EXPECT_EQ(*w.Timer1.NextDueUs(), 105'000u);
    platform::clock::AdvanceVirtualUs(10'000);
    forms::DoEvents();
    EXPECT_EQ(w.ticks, (std::vector<uint64_t>{95, 105}));
}

TEST_F(FormsTest, ThePlayLoopPatternRunsTimersAndKeysThroughDoEvents) {
    // A play field whose activation never returns by itself: it unloads
    // itself and shows the evaluation from inside its loop, which shows
    // the staff roll, which ends the program.
    TestWindow game("Game"), title("Title", 50), evaluation("Hyouka"), roll("Ending", 100);
    title.Load();
    int frames = 0;
    game.on_activate = [&] {
        for (;;) {
            platform::clock::WaitUntilUs(platform::clock::NowUs() + 16'667);
            ++frames;
            forms::DoEvents();
            if (frames == 60) {
                game.Unload();
                evaluation.Show(true);
            }
        }
    };
    evaluation.on_key = [&](int16_t) {
        evaluation.Unload();
        roll.Show(true);
    };
    roll.on_tick = [&] {
        if (roll.ticks.size() == 3) forms::End();
    };
    ScriptedKeys keys({{500, 'V'}, {2000, forms::vk::Return}});
    forms::SetInputSource(&keys);
    try {
        game.Show(true);
        FAIL() << "the program should have ended";
    } catch (const forms::ProgramEnded& e) {
        EXPECT_EQ(e.window, "Ending");
    }
    EXPECT_EQ(game.keys, (std::vector<int16_t>{'V'}));
    EXPECT_EQ(evaluation.keys, (std::vector<int16_t>{forms::vk::Return}));
    EXPECT_EQ(frames, 60);
    EXPECT_EQ(title.ticks, Every(50, 2300));  // the title's timer ticked through all of it
    EXPECT_EQ(NowMs(), 2300u);
    roll.Unload();
    title.Unload();
}

TEST_F(FormsTest, EndUnwindsEveryModalLoopToItsCaller) {
    TestWindow a("A"), b("B");
    a.on_activate = [&] { b.Show(true); };
    b.on_key = [&](int16_t) { forms::End(); };
    ScriptedKeys keys({{10, forms::vk::Escape}});
    forms::SetInputSource(&keys);
    EXPECT_THROW(a.Show(true), forms::ProgramEnded);
    EXPECT_EQ(a.unloads + b.unloads, 0);  // End runs no unload handler
    a.Unload();
    b.Unload();
    EXPECT_EQ(forms::TopmostWindow(), nullptr);
    // The stack is clean: a new modal show works as before.
    b.on_key = [&](int16_t) { b.Unload(); };
    ScriptedKeys more({{20, 'A'}});
    forms::SetInputSource(&more);
    b.Show(true);
    EXPECT_FALSE(b.IsLoaded());
}

TEST_F(FormsTest, WaitingWithNothingDueAsksTheInputSourceOrFails) {
    TestWindow w("Idle");
    ScriptedKeys keys({});
    forms::SetInputSource(&keys);
    EXPECT_THROW(w.Show(true), forms_test::Idle);
    forms::SetInputSource(nullptr);
    EXPECT_THROW(forms::WaitForEvents(), forms::Error);
    w.Unload();
}

TEST(FormsEnd, WithoutAHandlerEndExitsAtOnceWithStatusZero) {
    EXPECT_EXIT(
        {
            forms::SetEndHandler(nullptr);
            forms::End();
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(FormsTest, TheCloseButtonUnloadsOrEndsTheProgram) {
    TestWindow w("Closable", 10);
    w.on_tick = [&] { forms::SimulateCloseButton(w); };
    w.Show(true);
    EXPECT_EQ(w.unloads, 1);
    EXPECT_EQ(w.ticks, Every(10, 10));

    TestWindow field("Field", 10);
    field.CloseEndsProgram();
    field.on_tick = [&] { forms::SimulateCloseButton(field); };
    try {
        field.Show(true);
        FAIL() << "closing the play field ends the program";
    } catch (const forms::ProgramEnded& e) {
        EXPECT_EQ(e.window, "Field");
    }
    EXPECT_EQ(field.unloads, 0);
    field.Unload();
}

TEST_F(FormsTest, AWindowBeneathAModalWindowCannotBeClosed) {
    TestWindow title("Title", 10), options("OP");
    title.on_activate = [&] { options.Show(true); };
    title.on_tick = [&] {
        if (title.ticks.size() == 1) forms::SimulateCloseButton(title);    // disabled: nothing
        if (title.ticks.size() == 2) forms::SimulateCloseButton(options);  // the top one closes
        if (title.ticks.size() == 3) forms::SimulateCloseButton(title);    // now it is on top
    };
    title.Show(true);
    EXPECT_EQ(options.unloads, 1);
    EXPECT_EQ(title.unloads, 1);
    EXPECT_EQ(title.ticks, Every(10, 30));
}

TEST_F(FormsTest, FocusLossesAreCountedPerWindow) {
    TestWindow w("Focus");
    w.Show(false);
    const intptr_t h = w.hWnd();
    EXPECT_TRUE(forms::internal::HasFocus(h));
    EXPECT_FALSE(forms::internal::IsMinimised(h));
    EXPECT_EQ(forms::internal::FocusLossCount(h), 0u);
    forms::SimulateFocus(w, false);
    forms::SimulateFocus(w, false);  // already away: not a second loss
    EXPECT_FALSE(forms::internal::HasFocus(h));
    EXPECT_EQ(forms::internal::FocusLossCount(h), 1u);
    forms::SimulateFocus(w, true);
    forms::SimulateFocus(w, false);
    EXPECT_EQ(forms::internal::FocusLossCount(h), 2u);
    forms::SimulateMinimise(w, true);  // minimising counts as a loss too
    EXPECT_TRUE(forms::internal::IsMinimised(h));
    EXPECT_EQ(forms::internal::FocusLossCount(h), 3u);
    forms::SimulateMinimise(w, false);
    EXPECT_FALSE(forms::internal::IsMinimised(h));
    EXPECT_EQ(forms::internal::FocusLossCount(0), 0u);
    EXPECT_FALSE(forms::internal::HasFocus(h + 1000));
    EXPECT_EQ(forms::TopmostWindow(), &w);  // no modal window: the window shown last
    w.Unload();
}

}  // namespace
