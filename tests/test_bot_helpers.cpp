// The bot's own parts: the snapshot it branches with, the keys it tries,
// its judgement of a finished play, and the scripts it writes.
#include <gtest/gtest.h>

#ifdef ROOFRIDER_BOT

#include <fstream>
#include <sstream>
#include <string>

#include "bot/run_script.h"
#include "bot/search.h"
#include "bot/simulation.h"
#include "core/game_state.h"
#include "demo/script.h"
#include "demo/trace.h"
#include "game/scrolling.h"
#include "platform/basic.h"
#include "platform/files.h"

namespace {

class BotSimulation : public testing::Test {
protected:
    void SetUp() override {
        bot::StartNewGame(ROOFRIDER_GAME_DIR);
        start_ = bot::Save();
    }
    void TearDown() override {
        StopAtFinish = nullptr;
        G = GameState{};
        basic::ResetRnd();
        platform::files::SetProgramDirectoryOverride("");
    }
    // Runs passes first..last with `key` pressed after pass `key_pass`.
    static void Run(int32_t first, int32_t last, int32_t key_pass = 0, int16_t key = bot::kNoKey) {
        for (int32_t pass = first; pass <= last; ++pass)
            bot::Pass(pass == key_pass ? key : bot::kNoKey);
    }
    static std::string ItemsTaken() {
        std::string s;
        for (int n = 1; n <= G.ItemCount; ++n) s += G.Items[static_cast<std::size_t>(n)].Taken ? '1' : '0';
        return s;
    }
    bot::Snapshot start_;
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST_F(BotSimulation, SnapshotPutsBackEverythingThePlayChanges) {
    // A high pad, a launch, a dash and the items on the way: then the
    // state at pass 280 comes back whole, the generator with it.
    Run(1, 280, 210, bot::kKeyM);
    const bot::Snapshot at280 = bot::Save();
    const std::string row = demo::TraceRow(280, G);
    const std::string items = ItemsTaken();
    const uint32_t rnd = basic::RndState();
    Run(281, 330, 300, bot::kKeyV);
    Run(331, 700);
    ASSERT_NE(demo::TraceRow(280, G), row) << "the play went on";
    bot::Restore(at280);
    EXPECT_EQ(demo::TraceRow(280, G), row);
    EXPECT_EQ(ItemsTaken(), items);
    EXPECT_EQ(basic::RndState(), rnd);
    EXPECT_TRUE(bot::SameState(bot::Save(), at280));
    // The same passes again give the same play.
    Run(281, 330, 300, bot::kKeyV);
    Run(331, 700);
    const bot::Snapshot again = bot::Save();
    bot::Restore(at280);
    Run(281, 330, 300, bot::kKeyV);
    Run(331, 700);
    EXPECT_TRUE(bot::SameState(bot::Save(), again));
}

TEST_F(BotSimulation, KeysActOnlyWhenThePlayFieldTakesThem) {
    Run(1, 199);
    EXPECT_FALSE(bot::KeyActs(bot::kKeySpace)) << "the start frames";
    Run(200, 200);
    EXPECT_TRUE(bot::KeyActs(bot::kKeySpace));
    EXPECT_TRUE(bot::KeyActs(bot::kKeyM));
    EXPECT_FALSE(bot::KeyActs(bot::kKeyV)) << "no dash on a roof";
    bot::PressKey(bot::kKeyN);
    EXPECT_EQ(G.PadInFlight, 1);
    EXPECT_FALSE(bot::KeyActs(bot::kKeySpace)) << "a pad in flight";
}

TEST_F(BotSimulation, CommittedWinningScriptWinsInTheBotsSimulationToo) {
    const std::string script = ReadText(std::string(ROOFRIDER_SOURCE_DIR) + "/tests/scripts/win.txt");
    bot::Plan plan;
    std::string error;
    ASSERT_TRUE(bot::PlanOfScript(script, &plan, &error)) << error;
    ASSERT_FALSE(plan.empty());
    const bot::Outcome o = bot::Play(start_, plan, 20000);
    EXPECT_EQ(o.end, bot::PassEnd::Finished);
    EXPECT_EQ(o.lives_lost, 0);
    EXPECT_EQ(std::to_string(o.passes), bot::ExpectedValue(script, "finish").value_or("?"));
    const bot::Evaluation e = bot::Evaluate(o.passes, o.score, o.lives);
    EXPECT_EQ(std::to_string(e.final_score), bot::ExpectedValue(script, "score").value_or("?"));
    // Without its keys the hero does not get far.
    EXPECT_NE(bot::Play(start_, {}, 20000).end, bot::PassEnd::Finished);
}

TEST(BotEvaluation, ClockAndBonusesOfAFinishedPlay) {
    // The clock starts with pass 199's drawing and was last drawn in the
    // pass before the finish, 60 passes a second.
    EXPECT_EQ(bot::ClockMsAtFinish(200), 0);
    EXPECT_EQ(bot::ClockMsAtFinish(260), 1000);
    // 3199: 2999 ticks, 49.98 s; 3200: 50.00 s, a smaller time bonus.
    bot::Evaluation fast = bot::Evaluate(3199, 5000, 4);
    EXPECT_EQ(fast.seconds, 49);
    EXPECT_EQ(fast.centis, 98);
    EXPECT_EQ(fast.time_bonus, 2000);
    EXPECT_EQ(fast.lives_bonus, 1000);
    EXPECT_EQ(fast.final_score, 8000);
    EXPECT_EQ(fast.rank, "トップモデル");
    bot::Evaluation slow = bot::Evaluate(3200, 5000, 5);
    EXPECT_EQ(slow.seconds, 50);
    EXPECT_EQ(slow.centis, 0);
    EXPECT_EQ(slow.time_bonus, 1000);
    EXPECT_EQ(slow.lives_bonus, 2000);
    bot::Evaluation late = bot::Evaluate(200 + 61 * 60, 100, 3);
    EXPECT_EQ(late.minutes, 1);
    EXPECT_EQ(late.time_bonus, -1000);
    EXPECT_EQ(late.rank, "村人A");
}

TEST(BotScriptText, PlanBecomesARunnerScriptAndComesBack) {
    const bot::Plan plan = {{200, bot::kKeyM}, {264, bot::kKeyV}, {305, bot::kKeySpace}, {352, bot::kKeyN}};
    const std::string text = bot::ScriptText(
        {"a comment", bot::ExpectLine({{"finish", "2587"}, {"clock", "0:39.78"}})}, plan,
        {"on Hyouka 1000 Up"});
    const demo::ScriptParse parse = demo::ParseScript(text);
    ASSERT_TRUE(parse.ok) << parse.error;
    const auto& events = parse.script.events;
    ASSERT_EQ(events.size(), 7u);
    // The front end: the story skipped, New Game once the menu shows
    // (66 ticks of 50 ms after the title opened, and a margin).
    EXPECT_EQ(demo::FormatEvent(events[0]), "at 500 Space");
    EXPECT_EQ(events[1].trigger, demo::Trigger::AtMs);
    EXPECT_GT(events[1].when, 500u + 66 * 50);
    EXPECT_EQ(events[1].key, 13);
    EXPECT_EQ(demo::FormatEvent(events[6]), "on Hyouka 1000 Up");

    bot::Plan back;
    std::string error;
    ASSERT_TRUE(bot::PlanOfScript(text, &back, &error)) << error;
    ASSERT_EQ(back.size(), plan.size());
    for (std::size_t i = 0; i < plan.size(); ++i) {
        EXPECT_EQ(back[i].pass, plan[i].pass);
        EXPECT_EQ(back[i].key, plan[i].key);
    }
    EXPECT_EQ(bot::ExpectedValue(text, "finish"), "2587");
    EXPECT_EQ(bot::ExpectedValue(text, "clock"), "0:39.78");
    EXPECT_FALSE(bot::ExpectedValue(text, "score").has_value());
    EXPECT_FALSE(bot::PlanOfScript("frame x Space\n", &back, &error));

    const bot::PlanCounts c = bot::CountKeys(plan);
    EXPECT_EQ(c.low + c.middle + c.high + c.dashes, 4);
    EXPECT_EQ(c.high, 1);
}

#endif  // ROOFRIDER_BOT
