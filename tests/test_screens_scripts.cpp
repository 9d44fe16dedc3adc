// The front end through the scripted runner: the real program from Main,
// with the shipped assets, ended by the windows' own keys.
#include <gtest/gtest.h>

#ifdef ROOFRIDER_DEMO

#include <filesystem>
#include <string>
#include <vector>

#include "runner_support.h"

namespace {

using runner_test::Ended;

Ended RunScript(const std::string& script, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args{runner_test::ScriptFixture(script)};
    args.insert(args.end(), extra.begin(), extra.end());
    return runner_test::RunDemo(args);
}

TEST(FrontEndScripts, TheWholeStoryThenExitOnTheTitle) {
    const runner_test::ScratchDir scratch("screens");
    const std::string story = (scratch / "story-20s.png").string();
    const std::string title = (scratch / "title-57s.png").string();
    const Ended run = RunScript("story-whole.txt", {"--shot-at", "20000:" + story, "--shot-at", "56900:" + title});
    EXPECT_EQ(run.exit_code, 0) << run.Describe();
    EXPECT_EQ(run.LastLine(), "ended: Title ended the program (End)") << run.Describe();
    EXPECT_TRUE(std::filesystem::exists(story)) << run.Describe();
    EXPECT_TRUE(std::filesystem::exists(title)) << run.Describe();
}

TEST(FrontEndScripts, LoadGameTwiceThenEsc) {
    const Ended run = RunScript("title-load-game.txt");
    EXPECT_EQ(run.exit_code, 0) << run.Describe();
    EXPECT_EQ(run.LastLine(), "ended: Title ended the program (End)") << run.Describe();
}

TEST(FrontEndScripts, EscInAnOpenRowWaitsEscAtTheTopEnds) {
    const Ended run = RunScript("options-esc.txt");
    EXPECT_EQ(run.exit_code, 0) << run.Describe();
    EXPECT_EQ(run.LastLine(), "ended: OP ended the program (End)") << run.Describe();
}

}  // namespace

#endif  // ROOFRIDER_DEMO
