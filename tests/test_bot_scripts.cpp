// The bot's committed scripts replayed through the runner: the winning run
// still reaches the evaluation with the score, clock and lives the bot
// wrote down, without losing a life; the game-over run still loses every
// life and a key on the end picture ends the program.
#include <gtest/gtest.h>

#if defined(ROOFRIDER_DEMO) && defined(ROOFRIDER_BOT)

#include <cstdio>
#include <optional>
#include <string>

#include "bot/run_script.h"
#include "demo/trace.h"
#include "runner_support.h"
#include "screens/hyouka.h"

namespace {

using runner_test::Ended;
using runner_test::ReadText;
using runner_test::RunDemo;

std::string Fixture(const std::string& name) { return runner_test::ScriptFixture(name); }

long long Expected(const std::string& script, const char* name) {
    const std::optional<std::string> value = bot::ExpectedValue(script, name);
    if (!value) ADD_FAILURE() << "the script has no expected " << name;
    return value ? std::stoll(*value) : -1;
}

std::string ClockText(const demo::TraceTable& t, std::size_t row) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%02lld", t.Integer(row, "ClockMinutes"),
                  t.Integer(row, "ClockSeconds"), t.Integer(row, "ClockCentis"));
    return text;
}

}  // namespace

TEST(BotScripts, WinningRunReachesTheEvaluationWithTheExpectedScoreAndClock) {
    const std::string script = ReadText(Fixture("win.txt"));
    ASSERT_FALSE(script.empty()) << "tests/scripts/win.txt";
    const long long finish = Expected(script, "finish");
    const long long score = Expected(script, "score");
    const long long lives = Expected(script, "lives");
    const std::optional<std::string> clock = bot::ExpectedValue(script, "clock");
    ASSERT_TRUE(clock.has_value());

    const runner_test::ScratchDir scratch("bot-scripts");
    const std::string trace = (scratch / "win.csv").string();
    const Ended run = RunDemo({Fixture("win.txt"), "--trace", trace});
    EXPECT_EQ(run.exit_code, 2) << run.Describe();
    const std::string ended = run.Line("ended: ");
    EXPECT_EQ(ended.rfind("ended: script ran out at ", 0), 0u) << run.Describe();
    EXPECT_NE(ended.find(" ms in Hyouka"), std::string::npos) << run.Describe();
    // The finishing pass hands over before the runner sees it: one pass
    // fewer is traced. The score includes the evaluation's bonuses.
    const std::string summary = run.Line("summary: ");
    EXPECT_EQ(summary.rfind("summary: " + std::to_string(finish - 1) + " frames, ", 0), 0u) << summary;
    EXPECT_NE(summary.find(", score " + std::to_string(score) + ", lives " + std::to_string(lives)),
              std::string::npos)
        << summary;

    std::string error;
    const std::optional<demo::TraceTable> t = demo::ReadTraceFile(trace, &error);
    ASSERT_TRUE(t.has_value()) << error;
    ASSERT_EQ(t->RowCount(), static_cast<std::size_t>(finish - 1));
    // No life lost on the way: the lives only ever grow and the world is
    // never frozen for a respawn.
    for (std::size_t r = 1; r < t->RowCount(); ++r) {
        ASSERT_GE(t->Integer(r, "Lives"), t->Integer(r - 1, "Lives")) << "pass " << r + 1;
        ASSERT_EQ(t->Integer(r, "RespawnDelay"), 0) << "pass " << r + 1;
    }
    EXPECT_GE(lives, 4);
    // The last traced pass: the final stretch, the hero one step short of
    // the right edge.
    const std::size_t last = t->RowCount() - 1;
    EXPECT_EQ(t->Integer(last, "PlayPhase"), 1);
    const float right = t->Float(last, "PlayerX") + 96;
    EXPECT_LT(right, 800.0f);
    EXPECT_GE(right + t->Float(last, "ScrollSpeed"), 800.0f);
    // The evaluation judged the clock and lives of that last frame.
    EXPECT_EQ(ClockText(*t, last), *clock);
    const long long judged =
        t->Integer(last, "Score") +
        TimeBonus(static_cast<int16_t>(t->Integer(last, "ClockMinutes")),
                  static_cast<int16_t>(t->Integer(last, "ClockSeconds")),
                  static_cast<int16_t>(t->Integer(last, "ClockCentis"))) +
        LivesBonus(static_cast<int16_t>(t->Integer(last, "Lives")));
    EXPECT_EQ(judged, score);
}

TEST(BotScripts, GameOverRunLosesEveryLifeAndAKeyOnTheEndPictureEndsTheProgram) {
    const std::string script = ReadText(Fixture("game-over.txt"));
    ASSERT_FALSE(script.empty()) << "tests/scripts/game-over.txt";
    const long long over = Expected(script, "game-over");
    const long long key = Expected(script, "key");
    const long long score = Expected(script, "score");
    const long long lost = Expected(script, "lost");

    const runner_test::ScratchDir scratch("bot-scripts");
    const std::string trace = (scratch / "game-over.csv").string();
    const Ended run = RunDemo({Fixture("game-over.txt"), "--trace", trace});
    EXPECT_EQ(run.exit_code, 0) << run.Describe();
    EXPECT_EQ(run.Line("ended: "), "ended: Game ended the program (End)") << run.Describe();
    EXPECT_NE(run.Line("summary: ").find(", score " + std::to_string(score) + ", lives 0"),
              std::string::npos)
        << run.Describe();

    std::string error;
    const std::optional<demo::TraceTable> t = demo::ReadTraceFile(trace, &error);
    ASSERT_TRUE(t.has_value()) << error;
    // The key after pass `key` ended the program: it was the last pass.
    ASSERT_EQ(t->RowCount(), static_cast<std::size_t>(key));
    long long falls = 0;
    for (std::size_t r = 1; r < t->RowCount(); ++r)
        if (t->Integer(r, "Lives") < t->Integer(r - 1, "Lives")) ++falls;
    EXPECT_EQ(falls, lost);
    const std::size_t at = static_cast<std::size_t>(over - 1);
    EXPECT_LT(t->Integer(at - 1, "PlayPhase"), 2);
    for (std::size_t r = at; r < t->RowCount(); ++r) {
        ASSERT_EQ(t->Integer(r, "PlayPhase"), 2) << "pass " << r + 1;
        ASSERT_EQ(t->Integer(r, "Lives"), 0) << "pass " << r + 1;
    }
}

#endif  // ROOFRIDER_DEMO && ROOFRIDER_BOT
