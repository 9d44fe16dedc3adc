// Form2 and Form1 — the story's fade rules and timing, its window steps,
// its music, and the ways out to the title or to the end of the program.
#include "core/game_window.h"
#include "core/main_scenes.h"
#include "display/surfaces.h"
#include "platform/ddraw.h"
#include "platform/files.h"
#include "synthetic_assets.h"
#include "test_screens_support.h"

namespace {

using screens_test::Count;
using screens_test::Script;

class StoryTest : public screens_test::ScreensTest {
protected:
    void SetUp() override {
        ScreensTest::SetUp();
        G.Scene = 1;
    }
};

TEST_F(StoryTest, FifteenLinesOf351TicksThenTheTitle) {
    Script script;
    float first_top = 0, form2_left = 0, form2_top = 0, first_left = 0;
    std::vector<float> tops;  // the window's top while each line is shown
    std::vector<int16_t> lines;
    script.At(5, [&] {
        first_top = Form1.Top();
        first_left = Form1.Left();
        form2_left = Form2.Left();
        form2_top = Form2.Top();
    });
    // The first tick prints line 0 one step darker than the background.
    script.At(10.5, [] {
        EXPECT_EQ(Form1.ForeColor(), forms::RGB(140, 206, 243));
        EXPECT_EQ(Form2.BackColor(), forms::RGB(141, 207, 244));
        EXPECT_EQ(forms::TopmostWindow(), &Form1);
    });
    // Darkest at tick 234, faded out one above the background at tick 351;
    // then the next line starts one step darker again.
    script.At(2340.5, [] { EXPECT_EQ(Form1.ForeColor(), forms::RGB(0, 0, 10)); });
    script.At(3510.5, [] { EXPECT_EQ(Form1.ForeColor(), forms::RGB(142, 208, 244)); });
    script.At(3520.5, [] { EXPECT_EQ(Form1.ForeColor(), forms::RGB(141, 207, 243)); });
    for (int line = 0; line < 15; ++line) {
        script.At(line * 3510 + 100.5, [&] {
            tops.push_back(Form1.Top());
            lines.push_back(Form1.LineIndex);
        });
    }
    script.At(52649.5, [] { EXPECT_TRUE(Form1.IsShown()); });
    script.Start();
    Form2.Show(true);

    EXPECT_EQ(script.ElapsedMs(), 52650u) << "15 lines of 351 ticks of 10 ms";
    EXPECT_EQ(G.Scene, 2);
    EXPECT_FALSE(Form1.IsLoaded());
    EXPECT_FALSE(Form2.IsLoaded());
    EXPECT_EQ(Form2.StoryShown, 1);
    EXPECT_EQ(Form1.FadeStep, 15);

    EXPECT_EQ(first_left, form2_left + 500);
    EXPECT_EQ(first_top, form2_top + 500);
    ASSERT_EQ(tops.size(), 15u);
    for (int line = 0; line < 15; ++line) {
        EXPECT_EQ(lines[line], line);
        EXPECT_EQ(tops[line], first_top + 500 * line) << "line " << line;
    }
    EXPECT_EQ(tops.back() - first_top, 7000) << "14 steps down, none after the last line";

    // The music starts at the load and stops with the story.
    std::vector<std::string> sounds = Sounds();
    ASSERT_FALSE(sounds.empty());
    EXPECT_EQ(sounds.front(), "music psmat045.mid");
    EXPECT_EQ(Count(sounds, "halt music"), 1);
    EXPECT_EQ(Count(sounds, "play 1 beep"), 0) << "the story's commands never beep";
}

// The window is cleared before every line is printed: one line, at the
// top, is all it ever shows.
TEST_F(StoryTest, EachTickShowsOnlyTheCurrentLineAtTheTop) {
    const forms::Color background = forms::RGB(141, 207, 244);
    Script script;
    for (double at : {100.5, 2340.5, 4510.5}) {  // line 0 fading in, darkest, line 1
        script.At(at, [&, at] {
            int last_row_with_ink = -1;
            for (int y = 0; y < 152; ++y)
                for (int x = 0; x < 410; ++x)
                    if (screens_test::ClientPixel(Form1, x, y) != background) last_row_with_ink = y;
            EXPECT_GE(last_row_with_ink, 10) << "nothing printed at " << at;
            EXPECT_LT(last_row_with_ink, 40) << "more than one line at " << at;
        });
    }
    script.Stop(4600);
    script.Start();
    EXPECT_THROW(Form2.Show(true), screens_test::StopRun);
}

// Main shows the window of the scene, and the same window again when it
// closes without changing the scene: the story, the start-up window again,
// the title twice, then the play.
TEST_F(StoryTest, MainShowsEachScenesWindowAgainWhileTheSceneStays) {
    synthetic::WriteAssets(dir_);  // the play field's sheets and the course
    platform::files::SetProgramDirectoryOverride(dir_.string());
    ddraw::SetFramePacing(false);  // the 60 Hz grid on this test's clock
    ddraw::SetFramePacing(true);
    Script script;
    script.At(3000, [] { forms::SimulateCloseButton(Form1); });
    script.At(3100, [] {
        EXPECT_EQ(forms::TopmostWindow(), &Form2);
        EXPECT_FALSE(Form1.IsLoaded());
    });
    script.Key(3200, 'A');
    script.At(3300, [] {
        EXPECT_EQ(forms::TopmostWindow(), &Title);
        EXPECT_EQ(Title.Timer2.Interval(), 50);
    });
    script.At(3400, [] { forms::SimulateCloseButton(Title); });
    script.At(3500, [] {
        EXPECT_EQ(forms::TopmostWindow(), &Title);
        EXPECT_EQ(Title.MenuLocked, 1) << "shown again from the start";
    });
    script.Key(6500, forms::vk::Return);  // New Game, once the animation has ended
    script.At(10500, [] {
        EXPECT_EQ(forms::TopmostWindow(), &Game);
        EXPECT_GE(G.StartFrames, 200);
        EXPECT_NEAR(G.PlayerY, 450 - 96, 3) << "on the first roof";
    });
    script.Key(10600, forms::vk::Escape);
    script.Start();
    try {
        Main();
    } catch (const forms::ProgramEnded& e) {
        EXPECT_EQ(e.window, "Game");
    }
    EXPECT_EQ(script.ElapsedMs() / 100, 106u);
    Game.Unload();
    D = DisplayState{};
    platform::files::SetProgramDirectoryOverride("");
}

TEST_F(StoryTest, ShiftAloneEndsTheStoryAndLeadsToTheTitle) {
    Script script;
    script.Key(1500, forms::vk::Shift);
    script.Start();
    Form2.Show(true);

    EXPECT_EQ(script.ElapsedMs(), 1500u);
    EXPECT_EQ(G.Scene, 2);
    EXPECT_FALSE(Form1.IsLoaded());
    EXPECT_FALSE(Form2.IsLoaded());
    EXPECT_EQ(Form2.StoryShown, 1);
    std::vector<std::string> sounds = Sounds();
    EXPECT_EQ(Count(sounds, "music psmat045.mid"), 1);
    EXPECT_EQ(Count(sounds, "halt music"), 1);
}

TEST_F(StoryTest, EscEndsTheProgramFromTheStory) {
    Script script;
    script.Key(20000, forms::vk::Escape);
    script.Start();
    try {
        Form2.Show(true);
        FAIL() << "the story returned instead of ending the program";
    } catch (const forms::ProgramEnded& e) {
        EXPECT_EQ(e.window, "Form1");
    }
    EXPECT_EQ(script.ElapsedMs(), 20000u);
    EXPECT_EQ(G.Scene, 1) << "no title follows";
}

TEST_F(StoryTest, ASilentStoryRunsAllTheSame) {
    std::filesystem::remove(dir_ / "sound" / "psmat045.mid");
    Script script;
    script.Start();
    Form2.Show(true);
    EXPECT_EQ(script.ElapsedMs(), 52650u);
    EXPECT_EQ(G.Scene, 2);
    EXPECT_EQ(Sounds(), std::vector<std::string>{}) << "no beep for a missing story piece";
}

// Closing the story from the window manager does not set Scene: the
// dispatcher shows the start-up window again, which no longer shows the
// story and takes the keys itself.
TEST_F(StoryTest, TheStartUpWindowShownAgainTakesTheKeys) {
    Script script;
    script.At(3000, [] { forms::SimulateCloseButton(Form1); });
    script.Start();
    Form2.Show(true);
    EXPECT_EQ(G.Scene, 1);
    EXPECT_FALSE(Form2.IsLoaded());
    EXPECT_EQ(Form2.StoryShown, 1);

    Script again;
    again.At(100, [] {
        EXPECT_EQ(forms::TopmostWindow(), &Form2);
        EXPECT_FALSE(Form1.IsLoaded());
    });
    again.Key(200, 'A');
    again.Start();
    Form2.Show(true);
    EXPECT_EQ(G.Scene, 2);
    EXPECT_FALSE(Form2.IsLoaded());

    G.Scene = 1;
    Script esc;
    esc.Key(200, forms::vk::Escape);
    esc.Start();
    EXPECT_THROW(Form2.Show(true), forms::ProgramEnded);
    EXPECT_EQ(G.Scene, 1);
}

}  // namespace
