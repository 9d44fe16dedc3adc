// Hyouka — the bonuses and ranks at their bounds, the eight steps of the
// page with their layout and sounds, the blinking rank, and the keys.
#include "display/surfaces.h"
#include "sound/sound.h"
#include "test_screens_support.h"

namespace {

using screens_test::Count;
using screens_test::Script;

TEST(EvaluationJudgement, TheTimeBonusJudgesTheWholePlayTime) {
    EXPECT_EQ(TimeBonus(0, 0, 0), 2000);
    EXPECT_EQ(TimeBonus(0, 49, 99), 2000);
    EXPECT_EQ(TimeBonus(0, 50, 0), 1000);
    EXPECT_EQ(TimeBonus(0, 52, 99), 1000);
    EXPECT_EQ(TimeBonus(0, 53, 0), 0);
    EXPECT_EQ(TimeBonus(0, 55, 99), 0);
    EXPECT_EQ(TimeBonus(0, 56, 0), -1000);
    EXPECT_EQ(TimeBonus(0, 59, 99), -1000);
    EXPECT_EQ(TimeBonus(1, 5, 0), -1000) << "a minute and five seconds is slow";
    EXPECT_EQ(TimeBonus(99, 59, 99), -1000);
}

TEST(EvaluationJudgement, LivesBonus) {
    EXPECT_EQ(LivesBonus(0), 0);
    EXPECT_EQ(LivesBonus(3), 0);
    EXPECT_EQ(LivesBonus(4), 1000);
    EXPECT_EQ(LivesBonus(5), 2000);
    EXPECT_EQ(LivesBonus(8), 2000);
}

TEST(EvaluationJudgement, RankBoundsAreInclusive) {
    const std::pair<int32_t, const char*> cases[] = {
        {-1, "村人A"},          {-1000, "村人A"},       {0, "村人A"},
        {3000, "村人A"},        {3001, "ただのナルシスト"}, {4500, "ただのナルシスト"},
        {4501, "普通のモデル"}, {7000, "普通のモデル"}, {7001, "トップモデル"},
        {9000, "トップモデル"}, {9001, "デルモマスター"}, {99999999, "デルモマスター"},
    };
    for (const auto& [score, rank] : cases) EXPECT_EQ(RankFor(score), rank) << score;
}

class EvaluationTest : public screens_test::ScreensTest {
protected:
    void SetUp() override {
        ScreensTest::SetUp();
        // Thirty half-second notes: the play's music outlasts the page.
        winmm_test::WriteFile(dir_ / "sound" / "bgm1.mid",
                              winmm_test::Midi(std::vector<int>(30, 60)));
        PlaceLateWindows();
        G.Scene = 3;
    }
    // As the play leaves it: the music open and playing under the alias.
    void StartPlayMusic() {
        SendMci("open " + G.BasePath + "sound\\bgm1.mid alias mcifile ", MciReply);
        SendMci("play mcifile notify", MciReply);
        Sounds();
    }
    int Plays(const std::string& file) {
        int n = 0;
        for (const std::string& s : Sounds())
            if (s == "play 0 " + file) ++n;
        return n;
    }
};

TEST_F(EvaluationTest, ActivationAddsTheBonusesAndChoosesTheRank) {
    G.Score = 550;
    G.Lives = 5;
    G.ClockMinutes = 0;
    G.ClockSeconds = 51;
    G.ClockCentis = 3;
    Script script;
    script.At(1, [] {
        EXPECT_EQ(G.Score, 550 + 1000 + 2000);
        EXPECT_EQ(Hyouka.RankText, "ただのナルシスト");
        EXPECT_EQ(Hyouka.BlinkState, 1);
        // Portrait and title centred over the background picture.
        EXPECT_EQ(Hyouka.Image2.Left(), (0 + 11055 - 1815) / 2);
        EXPECT_EQ(Hyouka.Label7.Left(), (11055 - Hyouka.Label7.Width()) / 2);
    });
    script.Key(100, forms::vk::Escape);
    script.Start();
    EXPECT_THROW(Hyouka.Show(true), forms::ProgramEnded);
}

TEST_F(EvaluationTest, ATimeBonusThatMakesTheScoreNegativeGivesTheLowestRank) {
    G.Score = 0;
    G.Lives = 3;
    G.ClockMinutes = 1;
    G.ClockSeconds = 5;
    Script script;
    script.At(7000.5, [] {
        EXPECT_EQ(G.Score, -1000);
        EXPECT_EQ(Hyouka.score1.Caption(), "-1000");
        EXPECT_EQ(Hyouka.Label6.Caption(), "村人A");
    });
    script.Key(7100, forms::vk::Escape);
    script.Start();
    EXPECT_THROW(Hyouka.Show(true), forms::ProgramEnded);
}

// The page, step by step, and the way on to the staff roll.
TEST_F(EvaluationTest, EightStepsThenEnterOrSpaceLeadsToTheStaffRoll) {
    G.Score = 6800;
    G.Lives = 4;
    G.ClockMinutes = 0;
    G.ClockSeconds = 5;
    G.ClockCentis = 7;
    StartPlayMusic();
    Script script;
    float minute_w = 0, second_w = 0, score_w = 0;
    script.At(500, [&] {
        // Before step 3 the labels sized to text hold their designed captions.
        EXPECT_EQ(Hyouka.minute.Caption(), "00");
        minute_w = Hyouka.minute.Width();
        second_w = Hyouka.second.Width();
        score_w = Hyouka.score1.Width();
        EXPECT_GT(minute_w, 0);
        EXPECT_TRUE(Hyouka.Image1.Visible());
        for (forms::Control* c : std::initializer_list<forms::Control*>{
                 &Hyouka.Label7, &Hyouka.Image2, &Hyouka.Label1, &Hyouka.minute,
                 &Hyouka.Label2, &Hyouka.score1, &Hyouka.Frame1, &Hyouka.Label6})
            EXPECT_FALSE(c->Visible());
    });
    script.Key(600, forms::vk::Return);  // too early: ignored
    script.At(1000.5, [&] {
        EXPECT_TRUE(Hyouka.Label7.Visible());
        EXPECT_TRUE(Hyouka.Image2.Visible());
        EXPECT_FALSE(Hyouka.Label1.Visible());
        EXPECT_EQ(Plays("powa.wav"), 0);
    });
    script.At(2000.5, [&] {
        EXPECT_TRUE(Hyouka.Label1.Visible());
        EXPECT_EQ(Hyouka.Label1.Left(), Hyouka.Label7.Left() - 1000);
        EXPECT_EQ(Hyouka.Label1.Top(), 9135.0f / 2 + 500);
        EXPECT_EQ(Plays("powa.wav"), 1);
    });
    script.At(3000.5, [&] {
        auto& h = Hyouka;
        EXPECT_EQ(h.minute.Caption(), "0");
        EXPECT_EQ(h.second.Caption(), "5") << "no leading zero";
        EXPECT_EQ(h.msecond.Caption(), "7");
        EXPECT_EQ(h.minute.Left(), h.Label1.Left() + 1575 + 1000);
        EXPECT_EQ(h.Label8.Left(), h.minute.Left() + minute_w + 100);
        EXPECT_EQ(h.second.Left(), h.Label8.Left() + h.Label8.Width() + 100);
        EXPECT_EQ(h.Label10.Left(), h.second.Left() + second_w + 100);
        EXPECT_EQ(h.msecond.Left(), h.Label10.Left() + 495 + 100);
        for (forms::Label* l : {&h.minute, &h.Label8, &h.second, &h.Label10, &h.msecond}) {
            EXPECT_EQ(l->Top(), h.Label1.Top());
            EXPECT_TRUE(l->Visible());
        }
    });
    script.At(4000.5, [&] {
        EXPECT_TRUE(Hyouka.Label2.Visible());
        EXPECT_EQ(Hyouka.Label2.Left(), Hyouka.Label1.Left());
        EXPECT_EQ(Hyouka.Label2.Top(), Hyouka.Label1.Top() + 1000);
        EXPECT_EQ(Plays("powa.wav"), 1);
    });
    script.At(5000.5, [&] {
        auto& h = Hyouka;
        EXPECT_EQ(h.score1.Caption(), "9800");
        EXPECT_EQ(h.score1.Left(), h.Label2.Left() + 1575 + 1000);
        EXPECT_EQ(h.Label11.Left(), h.score1.Left() + score_w + 300);
        EXPECT_EQ(h.score1.Top(), h.Label2.Top());
        EXPECT_EQ(h.Label11.Top(), h.Label2.Top());
        EXPECT_TRUE(h.Label11.Visible());
    });
    script.At(6000.5, [&] {
        EXPECT_TRUE(Hyouka.Frame1.Visible());
        EXPECT_TRUE(Hyouka.Label3.Visible());
        EXPECT_FALSE(Hyouka.Label6.Visible());
        EXPECT_EQ(Hyouka.Frame1.Left(), Hyouka.Label1.Left() - 400);
        EXPECT_EQ(Hyouka.Frame1.Top(), Hyouka.Label2.Top() + 1000);
        EXPECT_EQ(Plays("powa.wav"), 1);
    });
    script.At(7000.5, [&] {
        EXPECT_TRUE(Hyouka.Label6.Visible());
        EXPECT_EQ(Hyouka.Label6.Caption(), "デルモマスター");
    });
    script.Key(7999, forms::vk::Space);  // a moment before step 8: ignored
    script.At(8000.5, [&] {
        EXPECT_EQ(forms::TopmostWindow(), &Hyouka);
        EXPECT_EQ(Hyouka.Timer1.Interval(), 0);
        EXPECT_EQ(Plays("oto.wav"), 1);
        EXPECT_EQ(Hyouka.Label6.ForeColor(), forms::kWhite);
    });
    // Dark red first, then white, every 100 ms.
    script.At(8100.5, [] { EXPECT_EQ(Hyouka.Label6.ForeColor(), forms::RGB(192, 0, 0)); });
    script.At(8200.5, [] { EXPECT_EQ(Hyouka.Label6.ForeColor(), forms::kWhite); });
    script.At(8300.5, [] { EXPECT_EQ(Hyouka.Label6.ForeColor(), forms::RGB(192, 0, 0)); });
    script.At(8301, [&] {
        EXPECT_EQ(winmm::QueryDeviceState("mcifile"), winmm::DeviceState::kPlaying)
            << "the play's music plays on";
        Sounds();
    });
    script.Key(8350, forms::vk::Space);
    script.At(8360, [&] {
        EXPECT_EQ(forms::TopmostWindow(), &Ending);
        EXPECT_FALSE(Hyouka.IsLoaded());
        EXPECT_EQ(Ending.Timer1.Interval(), 100);
        EXPECT_EQ(winmm::QueryDeviceState("mcifile"), winmm::DeviceState::kClosed);
        EXPECT_EQ(MciReply, "");
        std::vector<std::string> s = Sounds();
        EXPECT_EQ(Count(s, "halt music"), 1);
        EXPECT_EQ(Count(s, "play 0 end01.wav"), 1);
        EXPECT_EQ(Count(s, "play 1 beep"), 0);
    });
    script.Key(8500, forms::vk::Escape);
    script.Start();
    try {
        Hyouka.Show(true);
        FAIL() << "the staff roll returned";
    } catch (const forms::ProgramEnded& e) {
        EXPECT_EQ(e.window, "Ending");
    }
    EXPECT_EQ(G.Scene, 3) << "the evaluation does not touch Scene";
}

TEST_F(EvaluationTest, EscEndsTheProgramDuringTheSteps) {
    G.Lives = 4;
    Script script;
    script.Key(4500, forms::vk::Escape);
    script.Start();
    try {
        Hyouka.Show(true);
        FAIL();
    } catch (const forms::ProgramEnded& e) {
        EXPECT_EQ(e.window, "Hyouka");
    }
    EXPECT_EQ(script.ElapsedMs(), 4500u);
    EXPECT_EQ(Hyouka.EvalStep, 4);
}

TEST_F(EvaluationTest, ClosingItFromTheWindowManagerEndsTheProgram) {
    Script script;
    script.At(2500, [] { forms::SimulateCloseButton(Hyouka); });
    script.Start();
    EXPECT_THROW(Hyouka.Show(true), forms::ProgramEnded);
}

}  // namespace
