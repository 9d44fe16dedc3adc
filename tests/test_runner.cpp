// The runner: its trace (header, rows, reading back) and, with the runner
// built, scripted runs of the real program.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "demo/trace.h"
#include "runner_support.h"

namespace {

const char kHeader[] =
    "frame,StartFrames,PlayPhase,RespawnDelay,PadInFlight,ScrollX,ScrollSpeed,CloudX,CloudSpeed,"
    "PlayerX,PlayerY,PlayerState,PlayerFrame,BuildingIndex,JumpAngle,JumpStartY,JumpBoost,"
    "LastPadKind,DashTimer,DashUsed,DashFrame,Lives,Score,ClockMinutes,ClockSeconds,ClockCentis,"
    "Pad0State,Pad0X,Pad0Y,Pad0Angle,Pad0Kind,Pad0Building,"
    "Pad1State,Pad1X,Pad1Y,Pad1Angle,Pad1Kind,Pad1Building,"
    "Pad2State,Pad2X,Pad2Y,Pad2Angle,Pad2Kind,Pad2Building,ItemsTaken";

}  // namespace

TEST(Trace, HeaderIsExactlyTheAgreedColumns) {
    EXPECT_EQ(demo::TraceHeader(), kHeader);
    EXPECT_EQ(demo::TraceColumns().size(), 45u);
}

TEST(Trace, RowCarriesEveryFieldAndFloatsReadBackExactly) {
    GameState g{};
    g.StartFrames = 200;
    g.PlayPhase = 1;
    g.ScrollX = 14200;
    g.ScrollSpeed = 5.0f * 1.8f;
    g.PlayerY = static_cast<float>(500 - 96 - 96 * std::sin(20 * 3.141 / 180));
    g.JumpBoost = -40;
    g.CloudX = 0.1f;
    g.Lives = 99;
    g.Score = 123456789;
    g.ClockSeconds = 59;
    g.ClockCentis = 99;
    g.Pads[1].State = 2;
    g.Pads[1].X = 1e-7f;
    g.Pads[1].Angle = 123.456789f;
    g.Pads[2].Kind = 2;
    g.Pads[2].Building = 17;
    g.ItemCount = 5;
    g.Items[2].Taken = 1;
    g.Items[5].Taken = 1;
    g.Items[6].Taken = 1;  // beyond the count: not part of the string

    std::string text = demo::TraceHeader() + "\n" + demo::TraceRow(4321, g) + "\n";
    demo::TraceTable t;
    std::string error;
    ASSERT_TRUE(t.Parse(text, &error)) << error;
    ASSERT_EQ(t.RowCount(), 1u);
    EXPECT_EQ(t.Integer(0, "frame"), 4321);
    EXPECT_EQ(t.Integer(0, "StartFrames"), 200);
    EXPECT_EQ(t.Integer(0, "PlayPhase"), 1);
    EXPECT_EQ(t.Text(0, "ScrollX"), "14200");
    EXPECT_EQ(t.Float(0, "ScrollSpeed"), g.ScrollSpeed);
    EXPECT_EQ(t.Float(0, "PlayerY"), g.PlayerY);
    EXPECT_EQ(t.Float(0, "CloudX"), 0.1f);
    EXPECT_EQ(t.Text(0, "JumpBoost"), "-40");
    EXPECT_EQ(t.Integer(0, "Lives"), 99);
    EXPECT_EQ(t.Integer(0, "Score"), 123456789);
    EXPECT_EQ(t.Integer(0, "ClockCentis"), 99);
    EXPECT_EQ(t.Integer(0, "Pad1State"), 2);
    EXPECT_EQ(t.Float(0, "Pad1X"), 1e-7f);
    EXPECT_EQ(t.Float(0, "Pad1Angle"), 123.456789f);
    EXPECT_EQ(t.Integer(0, "Pad2Kind"), 2);
    EXPECT_EQ(t.Integer(0, "Pad2Building"), 17);
    EXPECT_EQ(t.Integer(0, "Pad0State"), 0);
    EXPECT_EQ(t.Text(0, "ItemsTaken"), "01001");
    EXPECT_EQ(t.RowOfFrame(4321), 0u);
    EXPECT_FALSE(t.RowOfFrame(1).has_value());
    EXPECT_THROW(t.Text(0, "NoSuchColumn"), std::out_of_range);
    EXPECT_THROW(t.Text(1, "frame"), std::out_of_range);
}

TEST(Trace, ItemStringFollowsTheCountAndNeverLeavesTheTable) {
    GameState g{};
    g.ItemCount = 0;
    std::string row = demo::TraceRow(1, g);
    EXPECT_EQ(row.back(), ',');  // an empty last field
    g.ItemCount = 32767;
    row = demo::TraceRow(1, g);
    EXPECT_EQ(row.size() - row.rfind(',') - 1, 200u);
    g.ItemCount = -3;
    row = demo::TraceRow(1, g);
    EXPECT_EQ(row.back(), ',');
}

TEST(Trace, ReaderRejectsRowsOfTheWrongWidthAndMissingFiles) {
    demo::TraceTable t;
    std::string error;
    EXPECT_FALSE(t.Parse("", &error));
    EXPECT_FALSE(t.Parse("a,b,c\n1,2\n", &error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_TRUE(t.Parse("a,b\r\n1,2\r\n\n3,4", &error)) << error;
    EXPECT_EQ(t.RowCount(), 2u);
    EXPECT_EQ(t.Integer(1, "b"), 4);
    ASSERT_TRUE(t.Parse("a,b\nx,\n", &error));
    EXPECT_THROW(t.Number(0, "a"), std::invalid_argument);
    EXPECT_THROW(t.Number(0, "b"), std::invalid_argument);
    EXPECT_FALSE(demo::ReadTraceFile("/nonexistent/trace.csv", &error).has_value());
    EXPECT_NE(error.find("/nonexistent/trace.csv"), std::string::npos);
}

#ifdef ROOFRIDER_DEMO

namespace {

using runner_test::Ended;
using runner_test::RunDemo;
using runner_test::ScriptFixture;

// The folder the runs write into, for the whole test program.
const runner_test::ScratchDir& Scratch() {
    static const runner_test::ScratchDir dir("runner");
    return dir;
}

std::string WriteScript(const std::string& name, const std::string& text) {
    const std::filesystem::path p = Scratch() / name;
    std::ofstream(p) << text;
    return p.string();
}

}  // namespace

TEST(Runner, BadScriptIsRejectedBeforeTheRun) {
    const Ended run = RunDemo({WriteScript("bad.txt", "at 100 Return\nat 200 Enter\n")});
    EXPECT_EQ(run.exit_code, 1) << run.Describe();
    EXPECT_NE(run.LastErrorLine().find("line 2: unknown key 'Enter'"), std::string::npos) << run.Describe();
    EXPECT_EQ(run.Output().find("summary"), std::string::npos) << "nothing ran";

    const Ended missing = RunDemo({"/nonexistent/script.txt"});
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_NE(missing.LastErrorLine().find("/nonexistent/script.txt"), std::string::npos) << missing.Describe();
    EXPECT_EQ(RunDemo({"--no-such-option"}).exit_code, 1);
}

TEST(Runner, EscOnTheStoryEndsTheProgramFromForm1) {
    const Ended run = RunDemo({ScriptFixture("story-esc.txt")});
    EXPECT_EQ(run.exit_code, 0) << run.Describe();
    EXPECT_EQ(run.LastLine(), "ended: Form1 ended the program (End)") << run.Describe();
}

TEST(Runner, ScriptRunningOutEndsTheRunWithStatus2) {
    // The story lasts longer than the grace after the last key.
    const Ended run = RunDemo({WriteScript("short.txt", "at 200 Up  # not Esc: ends the story\n"),
                           "--grace", "1500"});
    EXPECT_EQ(run.exit_code, 2) << run.Describe();
    EXPECT_EQ(run.LastLine(), "ended: script ran out at 1700 ms in Title") << run.Describe();

    const Ended empty = RunDemo({WriteScript("empty.txt", "# nothing\n")});
    EXPECT_EQ(empty.exit_code, 2) << empty.Describe();
    EXPECT_EQ(empty.LastLine(), "ended: script ran out at 1000 ms in Form1") << empty.Describe();
}

TEST(Runner, MissingLevelFileIsAnErrorNamingIt) {
    const std::filesystem::path assets = Scratch() / "no-levels";
    std::filesystem::create_directories(assets);
    const Ended run = RunDemo({ScriptFixture("story-esc.txt"), "--assets", assets.string()});
    EXPECT_EQ(run.exit_code, 1) << run.Describe();
    EXPECT_EQ(run.LastLine().rfind("ended: error: ", 0), 0u) << run.Describe();
    EXPECT_NE(run.LastLine().find("biru.dat"), std::string::npos) << run.Describe();
}

TEST(Runner, TitleOptionsAndNewGameReachThePlayWithTraceAndShots) {
    std::string trace = (Scratch() / "title-options.csv").string();
    std::string field = (Scratch() / "field-150.png").string();
    std::string screen = (Scratch() / "title-7000.png").string();
    std::filesystem::remove(field);
    std::filesystem::remove(screen);
    const Ended run = RunDemo({ScriptFixture("title-options.txt"), "--trace", trace, "--shot",
                           "150:" + field, "--shot-at", "7000:" + screen});
    ASSERT_EQ(run.exit_code, 0) << run.Describe();
    EXPECT_EQ(run.LastLine(), "ended: Game ended the program (End)") << run.Describe();
    EXPECT_TRUE(std::filesystem::exists(field)) << run.Describe();
    EXPECT_TRUE(std::filesystem::exists(screen)) << run.Describe();

    std::string error;
    std::optional<demo::TraceTable> t = demo::ReadTraceFile(trace, &error);
    ASSERT_TRUE(t.has_value()) << error;
    ASSERT_EQ(t->Columns().size(), 45u);
    ASSERT_GE(t->RowCount(), 230u);
    // The start frames: one row a pass, the counter one ahead of nothing,
    // the world still; then the world moves at 5 a frame.
    for (std::size_t r = 0; r < 200; ++r) {
        ASSERT_EQ(t->Integer(r, "frame"), static_cast<long long>(r + 1));
        ASSERT_EQ(t->Integer(r, "StartFrames"), static_cast<long long>(r + 1));
        ASSERT_EQ(t->Float(r, "ScrollX"), 0.0f) << "row " << r;
    }
    EXPECT_EQ(t->Integer(200, "StartFrames"), 200);
    EXPECT_EQ(t->Float(200, "ScrollX"), 5.0f);
    EXPECT_EQ(t->Float(209, "ScrollX"), 50.0f);
    EXPECT_EQ(t->Integer(0, "Lives"), 4);
    EXPECT_EQ(t->Integer(0, "Score"), 0);
    EXPECT_EQ(t->Text(0, "ItemsTaken"), std::string(33, '0'));
    // The Esc of the script came after the last traced pass.
    EXPECT_EQ(t->Integer(t->RowCount() - 1, "frame"), 230);
}

#endif  // ROOFRIDER_DEMO
