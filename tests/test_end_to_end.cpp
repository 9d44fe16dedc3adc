// The whole game end to end through the runner: both endings with every
// screen a player passes on the way, the texts those screens showed, Esc
// on each screen where it ends the program and where it must not, and the
// whole game played with the gamepad alone.
// The play keys are the committed winning run's (tests/scripts/win.txt).
#include <gtest/gtest.h>

#ifdef ROOFRIDER_DEMO

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "demo/trace.h"
#include "runner_support.h"

namespace {

using runner_test::Ended;
using runner_test::RunDemo;
using runner_test::ScratchDir;

std::string Fixture(const std::string& name) {
    std::ifstream in(std::string(ROOFRIDER_SOURCE_DIR) + "/tests/scripts/" + name);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The winning run's play keys (its `frame` lines), without its front end
// and its ending.
std::string WinningPlayKeys() {
    std::istringstream in(Fixture("win.txt"));
    std::string keys;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("frame ", 0) == 0) keys += line + "\n";
    return keys;
}

// The lines the runner printed that start with prefix.
std::vector<std::string> Lines(const Ended& run, const std::string& prefix) {
    std::vector<std::string> found;
    std::istringstream in(run.out);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) found.push_back(line.substr(prefix.size()));
    return found;
}

// The windows in the order they came to the top, each once in a row.
std::vector<std::string> WindowsInOrder(const Ended& run) {
    std::vector<std::string> names;
    for (const std::string& line : Lines(run, "window: ")) {
        const std::string name = line.substr(0, line.find(' '));
        if (names.empty() || names.back() != name) names.push_back(name);
    }
    return names;
}

// The texts a window showed the last time it left the top.
std::string TextsOf(const Ended& run, const std::string& window) {
    std::string texts;
    for (const std::string& line : Lines(run, "texts: " + window + ":")) texts = line;
    return texts;
}

bool Shows(const std::string& texts, const std::string& text) {
    return (" " + texts + " |").find(" " + text + " |") != std::string::npos;
}

class EndToEnd : public testing::Test {
protected:
    Ended Play(const std::string& name, const std::string& script,
               std::vector<std::string> extra = {}) {
        const std::string path = (scratch_ / name).string();
        std::ofstream(path) << script;
        std::vector<std::string> args = {path, "--windows"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunDemo(args);
    }
    ScratchDir scratch_{"end-to-end"};
};

// The evaluation's page and the staff roll as a player who finishes sees them.
void ExpectTheGoalScreens(const Ended& run) {
    const std::string evaluation = TextsOf(run, "Hyouka");
    for (const char* text : {"総合評価", "タ イ ム", "0", "分", "35", "秒", "43", "得    点", "12900", "点",
                             "ラ ン ク", "デルモマスター"})
        EXPECT_TRUE(Shows(evaluation, text)) << text << " in: " << evaluation;
    const std::string roll = TextsOf(run, "Ending");
    for (const char* text : {"メインプログラマー", "PRESENTED BY", "TOMBELIX", "おわり"})
        EXPECT_TRUE(Shows(roll, text)) << text << " in: " << roll;
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.LastLine(), "ended: Ending ended the program (End)");
    EXPECT_NE(run.out.find("score 12900, lives 5"), std::string::npos) << run.Describe();
}

TEST_F(EndToEnd, TheWholeStoryAVisitToTheOptionsThenTheSameGoal) {
    const Ended run = Play("story-options-goal.txt",
                           "# the story ends by itself at 52.65 s; the menu shows 3.3 s later\n"
                           "at 56500 Down\nat 56800 Down\nat 57100 Return   # Option\n"
                           "at 57400 Down\nat 57700 Return   # the life row\n"
                           "at 58000 Right\nat 58300 Right\nat 58600 Return  # ×８: a message\n"
                           "at 58900 Return\n"
                           "at 59200 Down\nat 59500 Down\nat 59800 Return   # Back\n"
                           "at 60100 Up\nat 60400 Up\nat 60700 Return   # New Game\n" +
                               WinningPlayKeys() + "on Hyouka 8000 Return\non Ending 78000 Return\n");
    ASSERT_TRUE(run.EndedCleanly()) << run.Describe();
    EXPECT_EQ(WindowsInOrder(run), (std::vector<std::string>{"Form1", "Title", "OP", "MsgBox", "OP", "Title",
                                                             "Game", "Hyouka", "Ending"}))
        << run.out;
    EXPECT_TRUE(Shows(TextsOf(run, "MsgBox"), "ライフを×８に設定しました")) << run.out;
    // The options change nothing: the same play gives the same page.
    ExpectTheGoalScreens(run);
}

// One run written for the keyboard and for the gamepad alone: each line is
// TRIGGER KEY PAD, with "-" where one of the two does nothing.
struct TwoScripts {
    std::string keys, pad;
};
TwoScripts KeysAndPad(const std::string& lines) {
    TwoScripts out;
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) {
        std::istringstream split(line.substr(0, line.find('#')));
        std::vector<std::string> w;
        for (std::string word; split >> word;) w.push_back(word);
        if (w.size() < 3) continue;
        std::string trigger;
        for (std::size_t i = 0; i + 2 < w.size(); ++i) trigger += w[i] + " ";
        if (w[w.size() - 2] != "-") out.keys += trigger + w[w.size() - 2] + "\n";
        if (w.back() != "-") out.pad += trigger + w.back() + "\n";
    }
    return out;
}

// The winning run's play keys beside the buttons that give them: A the low
// pad, X the middle, Y the high, and the dash on B and the right shoulder
// by turns.
std::string WinningPlayKeysAndButtons() {
    std::istringstream in(WinningPlayKeys());
    std::string lines;
    bool shoulder = false;
    for (std::string line; std::getline(in, line);) {
        const std::string key = line.substr(line.rfind(' ') + 1);
        std::string button = key == "Space" ? "pad:a" : key == "N" ? "pad:x" : key == "M" ? "pad:y" : "";
        if (key == "V") button = (shoulder = !shoulder) ? "pad:rightshoulder" : "pad:b";
        lines += line + " " + button + "\n";
    }
    return lines;
}

TEST_F(EndToEnd, TheWholeGameWithThePadAlonePlaysAsWithTheKeyboard) {
    const TwoScripts scripts = KeysAndPad(
        "at 500 Return pad:a               # A's Enter ends the story\n"
        "at 6000 Down pad:dpdown           # Load Game\n"
        "at 6300 Return pad:a              # a message box, which A's Space leaves open\n"
        "at 6600 Return pad:a              # closed by the next press\n"
        "at 6900 Down stick:left:0,1       # Option\n"
        "at 6950 - stick:left:0,0\n"
        "at 7200 Return pad:a              # the options window\n"
        "at 7500 Down stick:left:0.2,0.9   # Life Points\n"
        "at 7550 - stick:left:0,0.4        # eased back, still past the dead zone:\n"
        "at 7560 - stick:left:0,0.6        # no second Down\n"
        "at 7600 - stick:left:0,0\n"
        "at 7800 Return pad:a              # the life row\n"
        "at 8100 Right pad:dpright\n"
        "at 8400 Right stick:left:1,0\n"
        "at 8450 - stick:left:0,0\n"
        "at 8700 Return pad:a              # ×８: a message\n"
        "at 9000 Return pad:start\n"
        "at 9300 Down pad:dpdown\n"
        "at 9600 Down pad:dpdown\n"
        "at 9900 Return pad:a              # Back\n"
        "at 10200 Up pad:dpup\n"
        "at 10500 Up pad:dpup\n"
        "at 10800 Return pad:start         # New Game\n" +
        WinningPlayKeysAndButtons() +
        "frame 990 - pad:unplug            # pulled out and plugged in again mid-play\n"
        "frame 1000 - pad:plug\n"
        "on Hyouka 8000 Return pad:a       # to the staff roll\n"
        "on Ending 78000 M pad:y           # after おわり any button ends the program\n");
    const std::string key_trace = (scratch_ / "keys.csv").string(), pad_trace = (scratch_ / "pad.csv").string();
    const Ended keys = Play("keys.txt", scripts.keys, {"--trace", key_trace});
    const Ended pad = Play("pad.txt", scripts.pad, {"--trace", pad_trace});
    ASSERT_TRUE(keys.EndedCleanly()) << keys.Describe();
    ASSERT_TRUE(pad.EndedCleanly()) << pad.Describe();
    const std::vector<std::string> screens = {"Form1", "Title", "MsgBox", "Title", "OP", "MsgBox", "OP",
                                              "Title", "Game",  "Hyouka", "Ending"};
    EXPECT_EQ(WindowsInOrder(keys), screens) << keys.out;
    EXPECT_EQ(WindowsInOrder(pad), screens) << pad.out;
    EXPECT_EQ(Lines(pad, "texts: MsgBox: "),
              (std::vector<std::string>{"OK | そんなんないわ！", "OK | ライフを×８に設定しました"}));
    ExpectTheGoalScreens(keys);
    ExpectTheGoalScreens(pad);
    EXPECT_EQ(pad.Outcome(), keys.Outcome());
    const std::string key_rows = runner_test::ReadText(key_trace);
    EXPECT_GT(key_rows.size(), 100000u);
    EXPECT_TRUE(key_rows == runner_test::ReadText(pad_trace)) << "the traces differ";
}

TEST_F(EndToEnd, GameOverEndsFromTheEndPictureWithoutAnEvaluation) {
    const std::string trace = (scratch_ / "over.csv").string();
    const Ended run = Play("over.txt", Fixture("game-over.txt"), {"--trace", trace});
    ASSERT_TRUE(run.EndedCleanly()) << run.Describe();
    EXPECT_EQ(WindowsInOrder(run), (std::vector<std::string>{"Form1", "Title", "Game"}));
    EXPECT_EQ(run.LastLine(), "ended: Game ended the program (End)");
    std::string error;
    const auto t = demo::ReadTraceFile(trace, &error);
    ASSERT_TRUE(t) << error;
    EXPECT_EQ(t->Integer(t->RowCount() - 1, "PlayPhase"), 2);
    EXPECT_EQ(t->Integer(t->RowCount() - 1, "Lives"), 0);
}

TEST_F(EndToEnd, EscEndsTheProgramFromEveryScreenWhereItMay) {
    struct Case {
        const char* where;
        std::string script;
        const char* ended_by;
    };
    const std::vector<Case> cases = {
        {"story", "at 1000 Escape\n", "Form1"},
        {"title menu", "at 500 Return\nat 5000 Escape\n", "Title"},
        {"options", "at 500 Return\nat 5000 Down\nat 5300 Down\nat 5600 Return\nat 6000 Escape\n", "OP"},
        {"play", "at 500 Return\nat 4000 Return\nframe 201 Escape\n", "Game"},
        {"evaluation", "at 500 Return\nat 4000 Return\n" + WinningPlayKeys() + "on Hyouka 3000 Escape\n",
         "Hyouka"},
        {"staff roll", "at 500 Return\nat 4000 Return\n" + WinningPlayKeys() +
                           "on Hyouka 8000 Return\non Ending 5000 Escape\n",
         "Ending"},
    };
    for (const Case& c : cases) {
        const Ended run = Play("esc.txt", c.script);
        EXPECT_TRUE(run.EndedCleanly()) << c.where << "\n" << run.Describe();
        EXPECT_EQ(run.LastLine(), std::string("ended: ") + c.ended_by + " ended the program (End)")
            << c.where << "\n" << run.out;
    }
}

TEST_F(EndToEnd, EscIsIgnoredDuringTheTitlesAnimationTheStartAndASlide) {
    // The frame of the game-over run where the hero first slides down a wall.
    const std::string trace = (scratch_ / "slide.csv").string();
    const Ended over = Play("over.txt", Fixture("game-over.txt"), {"--trace", trace});
    std::string error;
    const auto t = demo::ReadTraceFile(trace, &error);
    ASSERT_TRUE(t) << error;
    long long slide = 0;
    for (std::size_t row = 0; row < t->RowCount() && !slide; ++row)
        if (t->Integer(row, "PlayerState") == 3) slide = t->Integer(row, "frame");
    ASSERT_GT(slide, 200) << "the game-over run never slides down a wall";

    std::istringstream keys(Fixture("game-over.txt"));
    std::string script = "at 500 Return\nat 1500 Escape   # the lettering still slides in\nat 4000 Return\n"
                         "frame 100 Escape   # READY\n";
    for (std::string line; std::getline(keys, line);)
        if (line.rfind("frame ", 0) == 0 && std::stoll(line.substr(6)) < slide) script += line + "\n";
    script += "frame " + std::to_string(slide) + " Escape   # sliding down a wall\n";
    const std::string after = (scratch_ / "after.csv").string();
    const Ended run = Play("ignored.txt", script, {"--trace", after, "--grace", "2000"});
    ASSERT_TRUE(run.EndedCleanly()) << run.Describe();
    EXPECT_EQ(run.exit_code, 2) << "nothing ended the program:\n" << run.out;
    const auto a = demo::ReadTraceFile(after, &error);
    ASSERT_TRUE(a) << error;
    EXPECT_GT(a->Integer(a->RowCount() - 1, "frame"), slide + 60);
}

}  // namespace

#endif  // ROOFRIDER_DEMO
