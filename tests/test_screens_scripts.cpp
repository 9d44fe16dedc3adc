// The front end through the scripted runner: the real program from Main,
// with the shipped assets, ended by the windows' own keys.
#include <gtest/gtest.h>

#ifdef ROOFRIDER_DEMO

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct DemoResult {
    int status = -1;
    std::string output;
    std::string LastLine() const {
        std::string s = output;
        while (!s.empty() && s.back() == '\n') s.pop_back();
        std::size_t nl = s.rfind('\n');
        return nl == std::string::npos ? s : s.substr(nl + 1);
    }
};

DemoResult RunScript(const std::string& script, const std::vector<std::string>& extra = {}) {
    auto quote = [](const std::string& s) {
        std::string out = "'";
        for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return out + "'";
    };
    std::string command = quote(ROOFRIDER_DEMO) + " " +
                          quote(std::string(ROOFRIDER_SOURCE_DIR) + "/tests/scripts/" + script);
    for (const std::string& a : extra) command += " " + quote(a);
    command += " 2>&1";
    DemoResult run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) run.output.append(buf, n);
    int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

std::filesystem::path Scratch(const std::string& name) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("roofrider-screens-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir / name;
}

TEST(FrontEndScripts, TheWholeStoryThenExitOnTheTitle) {
    const std::string story = Scratch("story-20s.png").string();
    const std::string title = Scratch("title-57s.png").string();
    DemoResult run = RunScript("story-whole.txt",
                        {"--shot-at", "20000:" + story, "--shot-at", "56900:" + title});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.LastLine(), "ended: Title ended the program (End)") << run.output;
    EXPECT_TRUE(std::filesystem::exists(story)) << run.output;
    EXPECT_TRUE(std::filesystem::exists(title)) << run.output;
}

TEST(FrontEndScripts, LoadGameTwiceThenEsc) {
    DemoResult run = RunScript("title-load-game.txt");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.LastLine(), "ended: Title ended the program (End)") << run.output;
}

TEST(FrontEndScripts, EscInAnOpenRowWaitsEscAtTheTopEnds) {
    DemoResult run = RunScript("options-esc.txt");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.LastLine(), "ended: OP ended the program (End)") << run.output;
}

}  // namespace

#endif  // ROOFRIDER_DEMO
