// Faults: the sounds of the evaluation and the staff roll missing. The
// player reaches these windows only by finishing the course, so they are
// driven here in-process: without "powa.wav", "oto.wav" and "end01.wav" the
// platform's beep stands in for each, every step comes on time, and the
// roll rolls and ends as it does with its music.
#include "test_screens_support.h"

namespace {

using screens_test::Count;
using screens_test::Script;

class MissingLateSounds : public screens_test::ScreensTest {
protected:
    void SetUp() override {
        ScreensTest::SetUp();
        PlaceLateWindows();
        G.Scene = 3;
        G.Score = 6800;
        G.Lives = 4;
        G.ClockSeconds = 5;
    }
};

TEST_F(MissingLateSounds, TheEvaluationAndTheRollGoOnWithTheBeep) {
    for (const char* wave : {"powa.wav", "oto.wav", "end01.wav"})
        std::filesystem::remove(dir_ / "sound" / wave);
    Script script;
    script.At(2000.5, [&] {
        EXPECT_TRUE(Hyouka.Label1.Visible()) << "the step of the time came";
        EXPECT_EQ(Count(Sounds(), "play 0 beep"), 1) << "the beep instead of powa.wav";
    });
    script.At(8000.5, [&] {
        EXPECT_EQ(Hyouka.Label6.Caption(), "デルモマスター");
        EXPECT_EQ(Count(Sounds(), "play 0 beep"), 3) << "powa.wav at steps 4 and 6, oto.wav at step 8";
    });
    float first_top = 0;
    script.Key(8350, forms::vk::Return);
    script.At(8360, [&] {
        ASSERT_EQ(forms::TopmostWindow(), &Ending);
        first_top = Ending.Name1[0].Top();
        EXPECT_EQ(Count(Sounds(), "play 0 beep"), 1) << "end01.wav at the show";
    });
    script.At(18360, [&] {
        EXPECT_LT(Ending.Name1[0].Top(), first_top - 90 * 38) << "the roll rises";
        // The tick asks again every 100 ms; the beep sounds again once the
        // previous one has ended.
        const int beeps = Count(Sounds(), "play 0 beep");
        EXPECT_GT(beeps, 5);
        EXPECT_LE(beeps, 100);
    });
    script.Key(90000, forms::vk::Return);  // the roll has ended: any key ends
    script.Start();
    try {
        Hyouka.Show(true);
        FAIL() << "the staff roll returned";
    } catch (const forms::ProgramEnded& e) {
        EXPECT_EQ(e.window, "Ending");
    }
    EXPECT_EQ(Ending.RollEnded, 1);
}

}  // namespace
