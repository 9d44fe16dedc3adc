// The bot's committed scripts replayed through the runner: the winning run
// still reaches the evaluation with the score, clock and lives the bot
// wrote down, without losing a life; the game-over run still loses every
// life and a key on the end picture ends the program.
#include <gtest/gtest.h>

#if defined(ROOFRIDER_DEMO) && defined(ROOFRIDER_BOT)

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bot/run_script.h"
#include "demo/trace.h"
#include "screens/hyouka.h"

namespace {

struct DemoRun {
    int status = -1;
    std::string output;  // standard output and error together
    // The last line of the output that starts with `prefix`, or "".
    std::string Line(const std::string& prefix) const {
        std::istringstream in(output);
        std::string line, found;
        while (std::getline(in, line))
            if (line.rfind(prefix, 0) == 0) found = line;
        return found;
    }
};

DemoRun RunDemo(const std::vector<std::string>& args) {
    std::string command = std::string("'") + ROOFRIDER_DEMO + "'";
    for (const std::string& a : args) command += " '" + a + "'";
    command += " 2>&1";
    DemoRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) run.output.append(buf, n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

std::string Fixture(const std::string& name) {
    return std::string(ROOFRIDER_SOURCE_DIR) + "/tests/scripts/" + name;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string TracePath(const std::string& name) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("roofrider-bot-scripts-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

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

    const std::string trace = TracePath("win.csv");
    const DemoRun run = RunDemo({Fixture("win.txt"), "--trace", trace});
    EXPECT_EQ(run.status, 2) << run.output;
    const std::string ended = run.Line("ended: ");
    EXPECT_EQ(ended.rfind("ended: script ran out at ", 0), 0u) << run.output;
    EXPECT_NE(ended.find(" ms in Hyouka"), std::string::npos) << run.output;
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
    std::filesystem::remove_all(std::filesystem::path(trace).parent_path());
}

TEST(BotScripts, GameOverRunLosesEveryLifeAndAKeyOnTheEndPictureEndsTheProgram) {
    const std::string script = ReadText(Fixture("game-over.txt"));
    ASSERT_FALSE(script.empty()) << "tests/scripts/game-over.txt";
    const long long over = Expected(script, "game-over");
    const long long key = Expected(script, "key");
    const long long score = Expected(script, "score");
    const long long lost = Expected(script, "lost");

    const std::string trace = TracePath("game-over.csv");
    const DemoRun run = RunDemo({Fixture("game-over.txt"), "--trace", trace});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.Line("ended: "), "ended: Game ended the program (End)") << run.output;
    EXPECT_NE(run.Line("summary: ").find(", score " + std::to_string(score) + ", lives 0"),
              std::string::npos)
        << run.output;

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
    std::filesystem::remove_all(std::filesystem::path(trace).parent_path());
}

#endif  // ROOFRIDER_DEMO && ROOFRIDER_BOT
