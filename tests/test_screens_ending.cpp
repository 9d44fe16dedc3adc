// Ending — the roll's pace, the tick on which "おわり" appears, its keys,
// its music, and an hour of rolling.
#include "test_screens_support.h"

namespace {

using screens_test::Count;
using screens_test::Script;

class StaffRollTest : public screens_test::ScreensTest {
protected:
    void SetUp() override {
        ScreensTest::SetUp();
        PlaceLateWindows();
    }
    // As the evaluation does it.
    void ShowRoll() {
        Ending.Timer1.SetInterval(100);
        Ending.Show(true);
    }
    // The tick (from 1) at the end of which "おわり" shows, for a window H
    // twips high: the first on which Name1(5), starting at H + 15750, is
    // below -2000.
    static int EndTick(float h) {
        const float start = h + 750 + 5 * 3000;
        int n = 0;
        while (start - 38.0f * static_cast<float>(n) >= -2000) ++n;
        return n;
    }
};

TEST_F(StaffRollTest, OnThe768PixelScreenTheRollEndsOnTick771) {
    ASSERT_EQ(forms::ScreenHeight(), 768 * 15) << "the dummy display";
    ASSERT_EQ(Ending.Height(), 11520);
    ASSERT_EQ(EndTick(11520), 771);
    EXPECT_EQ(Ending.Name1[5].Top(), 27270);
    EXPECT_EQ(Ending.Ob[5].Top(), 11520 + 400 + 15000);
    EXPECT_EQ(Ending.Ob[5].Left() - Ending.Ob[4].Left(), 3720 - 3240) << "the last role has a narrower box of its own";
    EXPECT_EQ(Ending.Ob[5].Height(), 375);
    const float label_top = Ending.Label1.Top();

    Script script;
    script.Key(50000, forms::vk::Return);  // before the end: ignored
    script.Key(60000, forms::vk::Space);
    script.Key(70000, 'A');
    script.At(77050, [] {  // after tick 770
        EXPECT_EQ(Ending.Name1[5].Top(), 27270 - 38 * 770);
        EXPECT_EQ(Ending.Name1[5].Top(), -1990);
        EXPECT_FALSE(Ending.Label1.Visible());
        EXPECT_EQ(Ending.RollEnded, 0);
    });
    script.At(77150, [&] {  // after tick 771
        EXPECT_EQ(Ending.Name1[5].Top(), -2028);
        EXPECT_EQ(Ending.Ob[5].Top(), 11520 + 400 + 15000 - 38 * 771);
        EXPECT_EQ(Ending.Name1[0].Top(), 11520 + 750 - 38 * 771);
        EXPECT_TRUE(Ending.Label1.Visible());
        EXPECT_EQ(Ending.Label1.Top(), label_top) << "おわり does not move";
        EXPECT_EQ(Ending.RollEnded, 1);
    });
    script.Key(77160, forms::vk::Shift);  // any key now ends it
    script.Start();
    try {
        ShowRoll();
        FAIL() << "the staff roll returned";
    } catch (const forms::ProgramEnded& e) {
        EXPECT_EQ(e.window, "Ending");
    }
    EXPECT_EQ(script.ElapsedMs(), 77160u);
}

TEST_F(StaffRollTest, AWindow600PixelsHighEndsOnTick704) {
    Ending.SetHeight(600 * 15);
    PlaceCredits();
    ASSERT_EQ(EndTick(9000), 704);
    Script script;
    script.At(70350, [] { EXPECT_EQ(Ending.RollEnded, 0); });
    script.At(70450, [] {
        EXPECT_EQ(Ending.RollEnded, 1);
        EXPECT_EQ(Ending.Name1[5].Top(), 9000 + 15750 - 38 * 704);
    });
    script.Key(70500, forms::vk::Return);
    script.Start();
    EXPECT_THROW(ShowRoll(), forms::ProgramEnded);
    EXPECT_EQ(script.ElapsedMs(), 70500u);
}

TEST_F(StaffRollTest, TheEndingPieceStartsAtTheShowAndLoopsWhenItEnds) {
    // 2050 ms: the tick after its end, every 2.1 s, starts it again.
    winmm_test::WriteFile(dir_ / "sound" / "end01.wav", winmm_test::ToneWav(2050));
    Script script;
    script.At(1, [&] { EXPECT_EQ(Sounds(), std::vector<std::string>{"play 0 end01.wav"}); });
    script.At(2050, [&] { EXPECT_EQ(Sounds(), std::vector<std::string>{}); });
    script.At(2150, [&] { EXPECT_EQ(Sounds(), std::vector<std::string>{"play 0 end01.wav"}); });
    script.At(6350, [&] { EXPECT_EQ(Count(Sounds(), "play 0 end01.wav"), 2); });
    script.Key(6400, forms::vk::Escape);
    script.Start();
    EXPECT_THROW(ShowRoll(), forms::ProgramEnded);
}

TEST_F(StaffRollTest, AnHourOfRollingKeepsRising) {
    Script script;
    constexpr int kTicks = 36000;
    script.At(kTicks * 100.0 + 50, [] {
        EXPECT_EQ(Ending.Name1[5].Top(), 27270.0f - 38.0f * kTicks);
        EXPECT_EQ(Ending.Ob[0].Top(), 11520.0f + 400 - 38.0f * kTicks);
        EXPECT_EQ(Ending.RollEnded, 1);
    });
    script.Key(kTicks * 100.0 + 60, forms::vk::Escape);
    script.Start(2 * 3600 * 1000);
    EXPECT_THROW(ShowRoll(), forms::ProgramEnded);
}

}  // namespace
