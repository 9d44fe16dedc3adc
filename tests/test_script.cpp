// The runner's script parser, command line and schedule.
#include <gtest/gtest.h>

#include <string>

#include "demo/options.h"
#include "demo/schedule.h"
#include "demo/script.h"

using demo::Action;
using demo::ParseScript;
using demo::Trigger;

TEST(Script, ReadsBothFormsWithCommentsAndBlankLines) {
    demo::ScriptParse p = ParseScript(
        "# the story skipped, then the play\n"
        "\n"
        "at 500 Return   # any key ends the story\n"
        "   \t\n"
        "at 0 escape\r\n"
        "frame 1 Space\n"
        "frame 340 n\n"
        "FRAME 341 V");
    ASSERT_TRUE(p.ok) << p.error;
    ASSERT_EQ(p.script.events.size(), 5u);
    const auto& e = p.script.events;
    EXPECT_EQ(e[0].trigger, Trigger::AtMs);
    EXPECT_EQ(e[0].when, 500u);
    EXPECT_EQ(e[0].key, 13);
    EXPECT_EQ(e[0].line, 3);
    EXPECT_EQ(e[1].when, 0u);
    EXPECT_EQ(e[1].key, 27);
    EXPECT_EQ(e[1].line, 5);
    EXPECT_EQ(e[2].trigger, Trigger::AfterPass);
    EXPECT_EQ(e[2].when, 1u);
    EXPECT_EQ(e[2].key, 32);
    EXPECT_EQ(e[3].key, 78);  // N, written in lower case
    EXPECT_EQ(e[4].key, 86);
    EXPECT_EQ(e[4].line, 8);
}

TEST(Script, EmptyAndCommentOnlyScriptsHaveNoEvents) {
    for (const char* text : {"", "\n\n", "# nothing\n   # at 5 Return\n"}) {
        demo::ScriptParse p = ParseScript(text);
        EXPECT_TRUE(p.ok) << text;
        EXPECT_TRUE(p.script.events.empty()) << text;
    }
}

TEST(Script, KeyNamesAreCaseBlindAndMapToVirtualKeys) {
    struct Case {
        const char* name;
        int code;
    } cases[] = {{"Return", 13}, {"RETURN", 13}, {"Escape", 27}, {"space", 32}, {"Left", 37},
                 {"up", 38},     {"Right", 39},  {"DOWN", 40},   {"Shift", 16}, {"a", 65},
                 {"A", 65},      {"z", 90},      {"M", 77}};
    for (const Case& c : cases) {
        ASSERT_TRUE(demo::KeyCodeOf(c.name).has_value()) << c.name;
        EXPECT_EQ(*demo::KeyCodeOf(c.name), c.code) << c.name;
    }
    for (const char* bad : {"", "Enter", "Esc", "1", "AB", "\xC3\xA9", "F1", "Ctrl"}) {
        EXPECT_FALSE(demo::KeyCodeOf(bad).has_value()) << bad;
    }
    // Every code the parser produces formats back to a name it accepts.
    for (int code : {13, 27, 32, 37, 38, 39, 40, 16, 65, 90}) {
        std::string name = demo::KeyNameOf(static_cast<int16_t>(code));
        ASSERT_FALSE(name.empty()) << code;
        EXPECT_EQ(*demo::KeyCodeOf(name), code);
    }
    demo::ScriptEvent e{Trigger::AfterPass, 340, 78, 1, ""};
    EXPECT_EQ(demo::FormatEvent(e), "frame 340 N");
    EXPECT_EQ(demo::FormatEvent({Trigger::AtMs, 1200, 13, 1, ""}), "at 1200 Return");
}

TEST(Script, BadLinesAreRejectedWithTheirLineNumber) {
    struct Case {
        const char* text;
        int line;
        const char* says;  // part of the message
    } cases[] = {
        {"at 10 Return\ntap 20 Return\n", 2, "unknown event 'tap'"},
        {"\n\nat 10\n", 3, "too few words"},
        {"at\n", 1, "too few words"},
        {"at 10 Return Space\n", 1, "unexpected 'Space'"},
        {"at -5 Return\n", 1, "bad time '-5'"},
        {"at 1.5 Return\n", 1, "bad time '1.5'"},
        {"at 12x Return\n", 1, "bad time '12x'"},
        {"at 99999999999999999999999 Return\n", 1, "bad time"},
        {"frame 0 Space\n", 1, "count from 1"},
        {"frame two Space\n", 1, "bad frame 'two'"},
        {"# ok\nframe 5 Enter\n", 2, "unknown key 'Enter'"},
        {"at 5 7\n", 1, "unknown key '7'"},
        {"at 5 \x01\xFF\n", 1, "unknown key '\\x01\\xFF'"},
        {"at 10 Return\nat 20 Return\r\nat 30 Retrun\n", 3, "unknown key 'Retrun'"},
    };
    for (const Case& c : cases) {
        demo::ScriptParse p = ParseScript(c.text);
        EXPECT_FALSE(p.ok) << c.text;
        EXPECT_TRUE(p.script.events.empty()) << c.text;
        EXPECT_EQ(p.error_line, c.line) << c.text;
        EXPECT_EQ(p.error.rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << p.error;
        EXPECT_NE(p.error.find(c.says), std::string::npos) << p.error;
    }
}

TEST(Script, LimitsAndOddBytesNeverBreakTheParser) {
    EXPECT_TRUE(ParseScript("at 1000000000000 A").ok);
    EXPECT_FALSE(ParseScript("at 1000000000001 A").ok);
    EXPECT_TRUE(ParseScript("frame 1000000000 A").ok);
    EXPECT_FALSE(ParseScript("frame 1000000001 A").ok);
    std::string nul("at 5 A\n", 7);
    nul += std::string("\0at 6 B\n", 8);
    EXPECT_FALSE(ParseScript(nul).ok);
    std::string longword(100000, 'x');
    demo::ScriptParse p = ParseScript("at 5 " + longword);
    ASSERT_FALSE(p.ok);
    EXPECT_LT(p.error.size(), 200u);  // the word is cut in the message
}

TEST(Options, ReadsEveryOptionInBothSpellings) {
    demo::OptionsParse p = demo::ParseOptions(
        {"run.txt", "--trace", "t.csv", "--shot", "200:a.png", "--shot=300:b.png", "--shot-at",
         "4000:c.png", "--grace=250", "--max-ms", "90000", "--assets", "/tmp/x", "--timedemo", "--desktop",
         "3840x2160"});
    ASSERT_TRUE(p.ok) << p.error;
    const demo::Options& o = p.options;
    EXPECT_EQ(o.script_path, "run.txt");
    EXPECT_EQ(o.trace_path, "t.csv");
    ASSERT_EQ(o.frame_shots.size(), 2u);
    EXPECT_EQ(o.frame_shots[1].when, 300u);
    EXPECT_EQ(o.frame_shots[1].path, "b.png");
    ASSERT_EQ(o.time_shots.size(), 1u);
    EXPECT_EQ(o.time_shots[0].when, 4000u);
    EXPECT_EQ(o.grace_ms, 250u);
    EXPECT_EQ(o.max_ms, 90000u);
    EXPECT_EQ(o.assets_dir, "/tmp/x");
    EXPECT_TRUE(o.timedemo);
    EXPECT_FALSE(o.realtime);
    EXPECT_EQ(o.desktop_w, 3840);
    EXPECT_EQ(o.desktop_h, 2160);

    demo::OptionsParse d = demo::ParseOptions({"s.txt"});
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.options.grace_ms, 1000u);
    EXPECT_EQ(d.options.max_ms, 1800000u);
    // A path with a colon keeps everything after the first one.
    demo::OptionsParse c = demo::ParseOptions({"s.txt", "--shot-at", "5:dir:x/y.png"});
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.options.time_shots[0].path, "dir:x/y.png");
}

TEST(Options, RejectsWhatCannotRun) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"a.txt", "b.txt"},
        {"a.txt", "--trace"},
        {"a.txt", "--shot", "200"},
        {"a.txt", "--shot", "0:x.png"},
        {"a.txt", "--shot", "x:y.png"},
        {"a.txt", "--shot-at", "100:"},
        {"a.txt", "--grace", "-1"},
        {"a.txt", "--max-ms", "1e6"},
        {"a.txt", "--fast"},
        {"a.txt", "--timedemo", "--realtime"},
        {"a.txt", "--desktop", "3840"},
        {"a.txt", "--desktop", "320x200"},
        {"a.txt", "--desktop=1920x1080", "--realtime"},
    };
    for (const auto& args : bad) {
        demo::OptionsParse p = demo::ParseOptions(args);
        EXPECT_FALSE(p.ok) << (args.empty() ? "(none)" : args.back());
        EXPECT_FALSE(p.error.empty());
    }
    EXPECT_TRUE(demo::ParseOptions({"--help"}).ok);
}

namespace {

demo::Schedule MakeSchedule(const char* script_text, demo::Options options = {}) {
    demo::ScriptParse p = ParseScript(script_text);
    EXPECT_TRUE(p.ok) << p.error;
    return demo::Schedule(p.script, options);
}

constexpr uint64_t kMs = 1000;

}  // namespace

TEST(Schedule, TimedKeysFallDueInTimeOrderAndTheScriptRunsOutAfterTheGrace) {
    demo::Options o;
    o.grace_ms = 1000;
    demo::Schedule s = MakeSchedule("at 3000 B\nat 1000 A\nat 3000 C\n", o);
    EXPECT_EQ(s.NextWakeUs(), 1000 * kMs);
    EXPECT_TRUE(s.TakeDue(999 * kMs).empty());
    auto a = s.TakeDue(1000 * kMs);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].key, 'A');
    EXPECT_EQ(s.NextWakeUs(), 3000 * kMs);
    EXPECT_EQ(s.Check(2000 * kMs), demo::Stop::None);
    // Delivered late (the toolkit looked at 3050 ms): both, in written order.
    auto bc = s.TakeDue(3050 * kMs);
    ASSERT_EQ(bc.size(), 2u);
    EXPECT_EQ(bc[0].key, 'B');
    EXPECT_EQ(bc[1].key, 'C');
    EXPECT_TRUE(s.Exhausted());
    // The grace counts from the delivery.
    EXPECT_EQ(s.NextWakeUs(), 4050 * kMs);
    EXPECT_EQ(s.Check(4049 * kMs), demo::Stop::None);
    EXPECT_EQ(s.Check(4050 * kMs), demo::Stop::ScriptRanOut);
}

TEST(Schedule, AnEmptyScriptRunsOutAfterTheGraceFromTheStart) {
    demo::Options o;
    o.grace_ms = 250;
    demo::Schedule s = MakeSchedule("", o);
    EXPECT_EQ(s.NextWakeUs(), 250 * kMs);
    EXPECT_EQ(s.Check(249 * kMs), demo::Stop::None);
    EXPECT_EQ(s.Check(250 * kMs), demo::Stop::ScriptRanOut);
}

TEST(Schedule, PassEventsKeepTheRunGoingUntilTheTimeLimit) {
    demo::Options o;
    o.grace_ms = 1000;
    o.max_ms = 60000;
    o.frame_shots.push_back({200, "field.png"});
    demo::Schedule s = MakeSchedule("at 100 Return\nframe 200 Escape\nframe 3 Space\n", o);
    s.TakeDue(100 * kMs);
    // Waiting for the play loop: only the time limit wakes the run.
    EXPECT_EQ(s.NextWakeUs(), 60000 * kMs);
    EXPECT_EQ(s.Check(50000 * kMs), demo::Stop::None);
    EXPECT_EQ(s.Check(60000 * kMs), demo::Stop::TimeLimit);

    EXPECT_TRUE(s.TakePass(1, 5000 * kMs).empty());
    EXPECT_TRUE(s.TakePass(2, 5017 * kMs).empty());
    auto p3 = s.TakePass(3, 5033 * kMs);
    ASSERT_EQ(p3.size(), 1u);
    EXPECT_EQ(p3[0].key, 32);
    ASSERT_EQ(s.PendingFieldShots().size(), 1u);
    // The shot of a pass comes before its keys.
    auto p200 = s.TakePass(200, 8300 * kMs);
    ASSERT_EQ(p200.size(), 2u);
    EXPECT_EQ(p200[0].kind, Action::Kind::FieldShot);
    EXPECT_EQ(p200[0].path, "field.png");
    EXPECT_EQ(p200[1].kind, Action::Kind::Key);
    EXPECT_EQ(p200[1].key, 27);
    EXPECT_TRUE(s.PendingFieldShots().empty());
    EXPECT_EQ(s.Check(9299 * kMs), demo::Stop::None);
    EXPECT_EQ(s.Check(9300 * kMs), demo::Stop::ScriptRanOut);
}

TEST(Schedule, ScreenShotsAreTimedEventsAfterTheKeysOfTheirMillisecond) {
    demo::Options o;
    o.time_shots.push_back({4000, "title.png"});
    o.time_shots.push_back({500, "story.png"});
    demo::Schedule s = MakeSchedule("at 4000 Down\n", o);
    EXPECT_EQ(s.NextWakeUs(), 500 * kMs);
    auto first = s.TakeDue(500 * kMs);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].kind, Action::Kind::ScreenShot);
    EXPECT_EQ(first[0].path, "story.png");
    auto second = s.TakeDue(4000 * kMs);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0].kind, Action::Kind::Key);
    EXPECT_EQ(second[1].kind, Action::Kind::ScreenShot);
}

TEST(Script, WindowEventsNameTheirWindowAndWriteBack) {
    demo::ScriptParse p = ParseScript("on Hyouka 9000 Return  # after the eight steps\nON MsgBox 0 space\n");
    ASSERT_TRUE(p.ok) << p.error;
    ASSERT_EQ(p.script.events.size(), 2u);
    EXPECT_EQ(p.script.events[0].trigger, Trigger::OnWindow);
    EXPECT_EQ(p.script.events[0].window, "Hyouka");
    EXPECT_EQ(p.script.events[0].when, 9000u);
    EXPECT_EQ(p.script.events[1].key, 32);
    EXPECT_EQ(demo::FormatEvent(p.script.events[0]), "on Hyouka 9000 Return");
    for (const char* bad : {"on Hyouka 9000", "on 9000 Return", "on Hyo-uka 1 Return",
                            "on Hyouka x Return", "on Hyouka 1 Return Return"}) {
        demo::ScriptParse q = ParseScript(bad);
        EXPECT_FALSE(q.ok) << bad;
        EXPECT_EQ(q.error_line, 1) << bad;
    }
}

TEST(Schedule, WindowEventsWaitForTheirWindowAndKeepTheRunGoing) {
    demo::Options o;
    o.grace_ms = 1000;
    o.max_ms = 600000;
    demo::Schedule s = MakeSchedule("at 100 A\non Hyouka 9000 B\non Ending 0 C\non Hyouka 500 D\n", o);
    EXPECT_EQ(s.TakeDue(100 * kMs).size(), 1u);
    // Long past the grace, the run goes on while windows are awaited.
    EXPECT_EQ(s.Check(50000 * kMs), demo::Stop::None);
    EXPECT_EQ(s.NextWakeUs(), 600000 * kMs);
    s.WindowShown("Game", 40000 * kMs);
    EXPECT_EQ(s.NextWakeUs(), 600000 * kMs);
    s.WindowShown("Hyouka", 50000 * kMs + 300);  // mid-millisecond: due at the next whole one
    EXPECT_EQ(s.NextWakeUs(), 50501 * kMs);
    s.WindowShown("Hyouka", 52000 * kMs);  // only the first time counts
    auto d = s.TakeDue(50501 * kMs);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].key, 'D');
    EXPECT_EQ(s.TakeDue(59001 * kMs).size(), 1u);
    EXPECT_FALSE(s.Exhausted()) << "Ending has not come";
    s.WindowShown("Ending", 60000 * kMs);
    EXPECT_EQ(s.TakeDue(60000 * kMs).size(), 1u);
    EXPECT_TRUE(s.Exhausted());
    EXPECT_EQ(s.Check(61000 * kMs), demo::Stop::ScriptRanOut);
}
