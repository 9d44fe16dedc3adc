// The play field run in-process on virtual time against stand-in assets of
// flat colours: what each pass shows (read back from the shown frame's
// pixels), which keys act when, the score, clock and lives on the panel,
// copies that do not fit, and the display lost and regained.
#include <gtest/gtest.h>
#include <unistd.h>

#ifdef ROOFRIDER_PROGRAM_COMPLETE

#include <climits>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "core/game_state.h"
#include "core/game_window.h"
#include "display/surfaces.h"
#include "game/scrolling.h"
#include "platform/audio_backend.h"
#include "platform/call_log.h"
#include "platform/clock.h"
#include "platform/ddraw.h"
#include "platform/forms.h"
#include "platform/winmm.h"
#include "play_field_support.h"
#include "screens/hyouka.h"
#include "synthetic_assets.h"

namespace {

namespace fs = std::filesystem;
using play_field_test::Outcome;
using play_field_test::TimedAction;
using synthetic::Px;

class PlayField : public play_field_test::PlayHarness {
protected:
    static void SetUpTestSuite() { dir_ = WriteStandIns("play"); }
    static void TearDownTestSuite() { fs::remove_all(dir_); }
    void SetUp() override { Start(dir_.string()); }

    // The glyph shown in cell i (0 rightmost) of a digit row at y, or -1.
    static int GlyphAt(int cell, int y) {
        const int x = 13 * (7 - cell) + 100 + 6;
        for (int g = 0; g < 12; ++g)
            if (Shown(x, y) == Px(synthetic::Glyph(g))) return g;
        return -1;
    }
    static int ScoreGlyph(int cell) { return GlyphAt(cell, 566); }  // below the clock, above the lives
    static int ClockGlyph(int cell) { return GlyphAt(cell, 536); }  // the clock's top row
    static int LivesGlyph(int x) {
        for (int g = 0; g < 12; ++g)
            if (Shown(x + 6, 590) == Px(synthetic::Glyph(g))) return g;
        return -1;
    }

    static fs::path dir_;
};

fs::path PlayField::dir_;

// What the play asks of the platform (sounds, display modes, flips) while
// a test looks.
struct PlatformCalls {
    PlatformCalls() { platform::call_log::Start(&calls); }
    ~PlatformCalls() { platform::call_log::Start(nullptr); }
    // The calls from `from` on.
    std::vector<std::string> Since(size_t from) const {
        return {calls.begin() + static_cast<std::ptrdiff_t>(std::min(from, calls.size())), calls.end()};
    }
    std::vector<std::string> calls;
};

const std::string kPlayMusic = "mci play mcifile notify | reply 256";

TEST_F(PlayField, ReadyThenGoThenTheClockFromFrame200) {
    std::vector<uint16_t> ready_go(202), clock_cell(202);
    std::vector<Integer> clock_before_start;
    Run([&](int pass) {
        ready_go[static_cast<size_t>(pass)] = Shown(300, 150);
        clock_cell[static_cast<size_t>(pass)] = static_cast<uint16_t>(ClockGlyph(0) + 1);
        if (pass == 199) clock_before_start = {G.ClockMinutes, G.ClockSeconds, G.ClockCentis};
        return pass < 201;
    });
    EXPECT_EQ(clock_before_start, (std::vector<Integer>{0, 0, 0})) << "the clock reads zero until it starts";
    for (int pass : {1, 139}) EXPECT_EQ(ready_go[static_cast<size_t>(pass)], Px(synthetic::kReady)) << pass;
    for (int pass : {140, 199}) EXPECT_EQ(ready_go[static_cast<size_t>(pass)], Px(synthetic::kGo)) << pass;
    EXPECT_EQ(ready_go[200], Px(synthetic::kSky));
    EXPECT_EQ(clock_cell[199], 0) << "no clock before frame 200";
    EXPECT_NE(clock_cell[200], 0) << "the clock from frame 200";
}

// The music is opened (through SendMci, so a failure beeps) before the
// loop, the go sound plays once before the first frame, and the music's
// play command follows every frame. The stand-in folder has no music, so
// every music command fails.
TEST_F(PlayField, TheMusicIsOpenedBeforeTheLoopAndPlayedAfterEveryFrame) {
    winmm::ResetAudioForTests();  // nothing open under the alias
    PlatformCalls log;
    std::vector<std::vector<std::string>> per_pass;
    size_t seen = 0;
    Run([&](int pass) {
        per_pass.push_back(log.Since(seen));
        seen = log.calls.size();
        return pass < 3;
    });
    const std::string music = "mci open " + G.BasePath + "sound\\bgm1.mid alias mcifile  | reply 256";
    const std::vector<std::string> first = {"cooperative level 81",
                                            "display mode",
                                            "mci close mcifile | reply 256",
                                            "beep",
                                            music,
                                            "beep",
                                            "wave " + G.BasePath + "sound\\go.wav | 1",
                                            "flip",
                                            kPlayMusic,
                                            "beep"};
    ASSERT_EQ(per_pass.size(), 3u);
    EXPECT_EQ(per_pass[0], first);
    for (size_t pass = 1; pass < 3; ++pass)
        EXPECT_EQ(per_pass[pass], (std::vector<std::string>{"flip", kPlayMusic, "beep"})) << "pass " << pass + 1;
}

// Each sheet is made at the size the game state gives it, whatever its
// picture's size (a hero sheet drawn at half size is stretched to the five
// 96-pixel frames); a sheet that cannot be loaded stops the start before
// the music is touched.
TEST_F(PlayField, SheetsTakeTheGamesSizesAndAMissingOneStopsTheStartBeforeTheMusic) {
    const fs::path hero = dir_ / "bmp" / "chara.bmp", kept_hero = dir_ / "bmp" / "chara.kept";
    fs::rename(hero, kept_hero);
    synthetic::WriteBmp(hero, 240, 48, [](int x, int) { return synthetic::Hero(x / 48); });
    Run([&](int pass) { return pass < 205; });
    fs::remove(hero);
    fs::rename(kept_hero, hero);
    EXPECT_EQ(Shown(160, 400), Px(synthetic::Hero(0)));
    EXPECT_EQ(Shown(190, 445), Px(synthetic::Hero(0)));

    const fs::path sky = dir_ / "bmp" / "kumo.bmp", kept_sky = dir_ / "bmp" / "kumo.kept";
    fs::rename(sky, kept_sky);
    Restart(dir_.string());
    PlatformCalls log;
    EXPECT_ANY_THROW(Run([](int) { return false; }));
    fs::rename(kept_sky, sky);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"cooperative level 81", "display mode"}));
}

TEST_F(PlayField, LayersFallInTheirPlaces) {
    Run([&](int pass) { return pass < 210; });
    EXPECT_EQ(Shown(148, 300), Px(synthetic::kSky));
    EXPECT_EQ(Shown(148, 400), Px(synthetic::Hero(0))) << "the hero over the course";
    EXPECT_EQ(Shown(300, 470), Px(synthetic::kBuilding));
    EXPECT_EQ(Shown(400, 560), Px(synthetic::kPanel));
    EXPECT_EQ(Shown(400, 505), Px(synthetic::kBuilding)) << "the panel's keyed top rows";
    EXPECT_EQ(ScoreGlyph(0), 0);
    EXPECT_EQ(ScoreGlyph(1), -1) << "no leading zeros";
    EXPECT_EQ(LivesGlyph(180), 4);
    EXPECT_EQ(ClockGlyph(2), 11) << "the separator";
}

TEST_F(PlayField, KeysDuringTheStartAreIgnoredAndEscEndsThePlayAfterIt) {
    Outcome early = Run([&](int pass) {
        if (pass == 100) forms::PostKey(forms::vk::Escape);
        if (pass == 100) forms::PostKey(32);
        return pass < 150;
    });
    EXPECT_FALSE(early.ended);
    EXPECT_EQ(G.Pads[0].State, 0);
    TearDown();
    SetUp();
    PlatformCalls log;
    Outcome later = Run([&](int pass) {
        if (pass == 210) forms::PostKey(forms::vk::Escape);
        return pass < 300;
    });
    EXPECT_TRUE(later.ended);
    EXPECT_EQ(later.passes, 210);
    // The display is given back after the music has been closed.
    std::vector<std::string> end = log.Since(log.calls.size() - 6);
    std::erase(end, "beep");
    EXPECT_EQ(end, (std::vector<std::string>{kPlayMusic, "mci close mcifile | reply 256", "restore display mode",
                                             "cooperative level 8"}));
}

TEST_F(PlayField, EscIsIgnoredWhileSlidingDashingWithAPadUpOrFrozen) {
    const std::vector<std::function<void()>> busy = {
        [] { G.PlayerState = 3; },
        [] { G.PlayerState = 4; },
        [] { G.PadInFlight = 1; },
        [] { G.RespawnDelay = 50; },
    };
    for (size_t i = 0; i < busy.size(); ++i) {
        if (i > 0) {
            TearDown();
            SetUp();
        }
        Outcome out = Run([&](int pass) {
            if (pass == 210) {
                busy[i]();
                forms::PostKey(forms::vk::Escape);
            }
            return pass < 212;
        });
        EXPECT_FALSE(out.ended) << "case " << i;
    }
}

TEST_F(PlayField, GameOverShowsTheEndPictureAndAnyKeyEnds) {
    PlatformCalls log;
    Outcome out = Run([&](int pass) {
        if (pass == 210) {
            G.PlayPhase = 2;
            G.Lives = 0;
            G.RespawnDelay = 200;
        }
        if (pass == 212) {
            EXPECT_EQ(Shown(10, 10), Px(synthetic::kEnd));
            EXPECT_EQ(Shown(400, 560), Px(synthetic::kEnd)) << "nothing but the end picture";
            forms::PostKey('Q');
        }
        return pass < 300;
    });
    EXPECT_TRUE(out.ended);
    EXPECT_EQ(out.passes, 212);
    std::vector<std::string> end = log.Since(log.calls.size() - 6);
    std::erase(end, "beep");
    EXPECT_EQ(end, (std::vector<std::string>{kPlayMusic, "mci close mcifile | reply 256", "restore display mode",
                                             "cooperative level 8"}));
}

// The goal through the program's own hand-over: the display given back,
// the play field unloaded, and the evaluation shown modally over it.
TEST_F(PlayField, AtTheFinishTheEvaluationIsShownOverTheUnloadedPlayField) {
    std::optional<PlatformCalls> log;
    std::optional<TimedAction> look;
    bool looked = false;
    Run([&](int pass) {
        if (pass == 205) {
            G.PlayPhase = 1;
            G.ScrollX = G.CourseWidth - 800;
            G.PlayerX = 700;  // the next step puts his right edge at 801
            log.emplace();
            look.emplace(platform::clock::NowUs() + 500000, [&] {
                looked = true;
                EXPECT_EQ(log->calls, (std::vector<std::string>{"restore display mode", "cooperative level 8"}));
                EXPECT_FALSE(Game.IsLoaded());
                EXPECT_EQ(forms::TopmostWindow(), &Hyouka);
                EXPECT_TRUE(Hyouka.IsShown());
                throw play_field_test::StopPlay{};
            });
            forms::SetInputSource(&*look);
        }
        return pass < 300;
    });
    EXPECT_TRUE(looked) << "the play went on past the finish";
    Hyouka.Unload();
    Hyouka.EvalStep = 0;
}

TEST_F(PlayField, StartFramesStopAtTheirLimitOnTheEndPicture) {
    Run([&](int pass) {
        if (pass == 210) {
            G.PlayPhase = 2;
            G.StartFrames = 32760;
        }
        return pass < 230;
    });
    EXPECT_EQ(G.StartFrames, 32767);
}

TEST_F(PlayField, ThrowsTakeTheFirstFreeSlotAndNothingWhenAllAreUsed) {
    Run([&](int pass) {
        if (pass == 209) forms::PostKey(forms::vk::Space);
        if (pass == 210) {
            EXPECT_EQ(G.Pads[0].State, 1) << "Space throws one pad";
            EXPECT_EQ(G.Pads[0].Kind, 0);
            EXPECT_EQ(G.Pads[1].State, 0) << "and only one";
            EXPECT_EQ(G.Pads[2].State, 0);
            G.PadInFlight = 0;
            G.Pads[0].State = 2;
            G.Pads[0].X = 400;  // resting well ahead of him
            forms::PostKey('N');
        }
        if (pass == 211) {
            EXPECT_EQ(G.Pads[1].State, 1);
            EXPECT_EQ(G.Pads[1].Kind, 1);
            EXPECT_EQ(G.PadInFlight, 1);
            G.PadInFlight = 0;
            G.Pads[1].State = 2;
            forms::PostKey('M');
        }
        if (pass == 212) {
            EXPECT_EQ(G.Pads[2].State, 1) << "the last slot";
            EXPECT_EQ(G.Pads[2].Kind, 2);
            G.PadInFlight = 0;
            G.Pads[2].State = 2;
            forms::PostKey(forms::vk::Space);
        }
        return pass < 213;
    });
    EXPECT_EQ(G.PadInFlight, 0);
    for (const Pad& pad : G.Pads) EXPECT_EQ(pad.State, 2);
    EXPECT_EQ(G.Pads[1].Kind, 1);
    EXPECT_EQ(G.Pads[2].Kind, 2);
}

TEST_F(PlayField, DashNeedsAnAirborneHeroPastSixtyDegreesOnceAJump) {
    struct Case {
        Integer state;
        Single angle;
        Integer used;
        bool dashes;
    };
    const Case cases[] = {{1, 61, 0, true}, {1, 60, 0, false}, {0, 90, 0, false},
                          {1, 180, 0, true}, {1, 90, 1, false}, {2, 90, 0, false}};
    for (const Case& c : cases) {
        G.StartFrames = 200;
        G.PlayerState = c.state;
        G.JumpAngle = c.angle;
        G.DashUsed = c.used;
        G.ScrollSpeed = 5;
        G.CloudSpeed = 1;
        G.DashFrame = 7;
        Game.Form_KeyDown(86, 0);
        EXPECT_EQ(G.PlayerState == 4, c.dashes) << c.state << " " << c.angle << " " << c.used;
        if (c.dashes) {
            EXPECT_EQ(G.ScrollSpeed, static_cast<float>(5 * 1.8));
            EXPECT_EQ(G.DashFrame, 0);
            EXPECT_EQ(G.PlayerFrame, 4);
            EXPECT_EQ(G.DashTimer, 40);
            EXPECT_EQ(G.DashUsed, 1);
            EXPECT_EQ(G.CloudSpeed, 2);
        } else {
            EXPECT_EQ(G.ScrollSpeed, 5.0f);
        }
    }
}

// Layer 5: each frame of a dash shows the next of the blast's sixteen
// cells, 3 px further behind the hero, keyed black; then no more.
TEST_F(PlayField, TheDashBlastRunsThroughItsSixteenCellsOnceTrailingTheHero) {
    int checked = 0;
    Run([&](int pass) {
        if (pass == 205) {
            G.PlayerState = 4;
            G.DashFrame = 0;
            G.DashTimer = 40;
        }
        if (pass == 220) {  // a resting pad under the last cell, clear of the hero
            G.Pads[0].State = 2;
            G.Pads[0].X = 70;
            G.Pads[0].Y = 392;
        }
        const int cell = pass - 206;
        if (cell >= 0 && cell < 16) {
            const int x = 100 - 3 * cell - 10;  // the hero stands at x 100, y 354
            // Each cell: four black columns (the key), four white, then its colour.
            EXPECT_EQ(Shown(x + 8, 400), Px(synthetic::Blast(cell))) << "cell " << cell;
            EXPECT_EQ(Shown(x + 7, 400), Px(synthetic::kKeyWhite)) << "cell " << cell;
            EXPECT_EQ(Shown(x + 4, 400), Px(synthetic::kKeyWhite)) << "cell " << cell;
            EXPECT_EQ(Shown(x + 3, 400), Px(synthetic::kSky)) << "black is the blast's key";
            EXPECT_EQ(Shown(x - 1, 400), Px(synthetic::kSky));
            EXPECT_EQ(G.DashFrame, cell + 1);
            ++checked;
        }
        if (cell == 15) {
            const Pad& pad = G.Pads[0];
            EXPECT_EQ(Shown(static_cast<int>(pad.X) + 8, static_cast<int>(pad.Y) + 8), Px(synthetic::Blast(15)))
                << "the blast is drawn over the pads";
            G.Pads[0].State = 0;
        }
        if (cell >= 16) {
            EXPECT_EQ(Shown(100 - 3 * cell + 1, 400), Px(synthetic::kSky)) << "frame " << cell;
            EXPECT_EQ(G.DashFrame, 16);
        }
        return pass < 230;
    });
    EXPECT_EQ(checked, 16);
}

// Every sheet copied with a key lets white through (the blast: black) and
// shows the other colours, each from the exact place of its layer (the
// cells' columns 0 and 1 are white, 2 and 3 black); each pad shows its
// kind's cell.
TEST_F(PlayField, KeyedSheetsLetOnlyTheirKeyThroughAndPadsShowTheirKind) {
    // The sheet's first columns at the layer's left edge x: column 1 shows
    // what lies beneath, column 2 black, column 4 the cell's colour.
    auto check = [](const char* what, int x, int y, uint32_t beneath, uint32_t colour) {
        EXPECT_EQ(Shown(x + 1, y), Px(beneath)) << what << ": its key";
        EXPECT_EQ(Shown(x + 2, y), Px(synthetic::kKeyBlack)) << what;
        EXPECT_EQ(Shown(x + 4, y), Px(colour)) << what;
    };
    Run([&](int pass) {
        if (pass == 49) G.Items[1] = LevelRecord{G.ScrollX + 400, 150, G.ScrollX + 432, 182, 1, 0};
        if (pass == 50) {
            check("READY", 100, 150, synthetic::kSky, synthetic::kReady);
            check("an item over READY", 400, 166, synthetic::kReady, synthetic::Item(1));
            EXPECT_EQ(Shown(300, 100), Px(synthetic::kReady)) << "READY's top row";
            EXPECT_EQ(Shown(300, 99), Px(synthetic::kSky));
        }
        if (pass == 150) check("GO", 100, 150, synthetic::kSky, synthetic::kGo);
        if (pass == 205) {
            G.RespawnDelay = 10;  // the world stands still; the frame is drawn
            for (Integer kind = 0; kind < 3; ++kind)
                G.Pads[static_cast<size_t>(kind)] = Pad{0, 300.0f + 40 * kind, 300, 16, 16, 2, 0, kind, 1};
            G.Items[1] = LevelRecord{G.ScrollX + 500, 200, G.ScrollX + 532, 232, 2, 0};
        }
        if (pass == 206) {
            check("the hero", 100, 400, synthetic::kSky, synthetic::Hero(0));
            check("pad 0", 300, 308, synthetic::kSky, synthetic::PadColour(0));
            check("pad 1", 340, 308, synthetic::kSky, synthetic::PadColour(1));
            check("pad 2", 380, 308, synthetic::kSky, synthetic::PadColour(2));
            check("the item", 500, 216, synthetic::kSky, synthetic::Item(2));
            check("the lives digit", 180, 590, synthetic::kPanel, synthetic::Glyph(4));
        }
        return pass < 206;
    });
}

// Items run in every drawn frame of the play, frozen or not, but not on
// the game-over picture.
TEST_F(PlayField, ItemsAreCollectedOnFrozenFramesButNotOnTheEndPicture) {
    // An item over the hero (back edge 100, front 196, head 354, feet 450).
    auto touching = [](int n, Integer kind) {
        G.Items[static_cast<size_t>(n)] = LevelRecord{G.ScrollX + 150, 400, G.ScrollX + 250, 432, kind, 0};
    };
    Run([&](int pass) {
        if (pass == 50) touching(1, 3);  // during READY
        if (pass == 51) {
            EXPECT_EQ(G.Items[1].Taken, 1);
            EXPECT_EQ(G.Score, 300);
        }
        if (pass == 210) {
            G.RespawnDelay = 50;
            touching(2, 0);
        }
        if (pass == 211) {
            EXPECT_EQ(G.Items[2].Taken, 1);
            EXPECT_EQ(G.Lives, 5);
        }
        if (pass == 220) {
            G.PlayPhase = 2;
            touching(3, 3);
        }
        return pass < 223;
    });
    EXPECT_EQ(G.Items[3].Taken, 0);
    EXPECT_EQ(G.Score, 300);
}

TEST_F(PlayField, CopiesThatDoNotFitAreSkippedAndTheFrameGoesOn) {
    size_t flips_before = 0;
    Run([&](int pass) {
        if (pass == 209) flips_before = ddraw::FlipTimesUs().size();
        if (pass == 210) {
            G.PlayerState = 3;  // sliding: the simulation moves him on
            G.PlayerY = 530;    // the hero's copy reaches below the screen
            G.Pads[0] = Pad{0, -2, 525, 16, 16, 2, 0, 2, 1};  // going off the left edge
            G.Score = 12345;
            G.Lives = 12;
        }
        return pass < 212;
    });
    EXPECT_EQ(ddraw::FlipTimesUs().size() - flips_before, 3u) << "passes 210 to 212 flipped";
    EXPECT_EQ(Shown(110, 590), Px(synthetic::kPanel)) << "the hero was not drawn";
    EXPECT_EQ(Shown(2, 530), Px(synthetic::kPanel)) << "the pad was not drawn";
    for (int cell = 0; cell < 5; ++cell) EXPECT_EQ(ScoreGlyph(cell), 5 - cell);
    EXPECT_EQ(ScoreGlyph(5), -1);
    EXPECT_EQ(LivesGlyph(180), 2);
    EXPECT_EQ(LivesGlyph(167), 1);
    EXPECT_EQ(ClockGlyph(2), 11) << "the clock still ran";
}

TEST_F(PlayField, LivesAreShownInFull) {
    for (int lives : {9, 10, 99}) {
        Run([&](int pass) {
            if (pass == 205) G.Lives = static_cast<Integer>(lives);
            return pass < 206;
        });
        EXPECT_EQ(LivesGlyph(180), lives % 10) << lives;
        EXPECT_EQ(LivesGlyph(167), lives >= 10 ? lives / 10 : -1) << lives;
        TearDown();
        SetUp();
    }
}

TEST_F(PlayField, ScoreShowsItsEightLowestDigits) {
    Run([&](int pass) {
        if (pass == 205) G.Score = 100000007;
        return pass < 206;
    });
    EXPECT_EQ(ScoreGlyph(0), 7);
    for (int cell = 1; cell < 8; ++cell) EXPECT_EQ(ScoreGlyph(cell), 0) << cell;
    EXPECT_EQ(G.ScoreDigits[7], 0);
}

TEST_F(PlayField, ClockShowsMinutesOnlyOnceAWholeMinuteHasPassed) {
    Run([&](int pass) {
        const Long now = static_cast<Long>(winmm::timeGetTime());
        if (pass == 203) G.ClockStart = now - 10100;
        if (pass == 204) {  // 10.10 s: every cell from right to left
            EXPECT_EQ(ClockGlyph(0), 0);
            EXPECT_EQ(ClockGlyph(1), 1);
            EXPECT_EQ(ClockGlyph(3), 0);
            EXPECT_EQ(ClockGlyph(4), 1);
        }
        if (pass == 205) G.ClockStart = now - 59990;
        if (pass == 206) {
            EXPECT_EQ(G.ClockMinutes, 0);
            EXPECT_EQ(G.ClockSeconds, 59);
            EXPECT_EQ(G.ClockCentis, 99);
            EXPECT_EQ(ClockGlyph(6), -1);
            EXPECT_EQ(ClockGlyph(7), -1);
            EXPECT_EQ(ClockGlyph(4), 5);
            EXPECT_EQ(ClockGlyph(0), 9);
            G.ClockStart = now - 60000;
        }
        return pass < 207;
    });
    EXPECT_EQ(G.ClockMinutes, 1);
    EXPECT_EQ(G.ClockSeconds, 0);
    EXPECT_EQ(ClockGlyph(7), 0) << "a leading zero";
    EXPECT_EQ(ClockGlyph(6), 1);
    EXPECT_EQ(ClockGlyph(5), 11);
    EXPECT_EQ(ClockGlyph(4), 0);
    EXPECT_EQ(ClockGlyph(0), 0);
}

TEST_F(PlayField, ClockStaysRightAcrossTheCounterWrap) {
    // Pass 199 is drawn 198 frames (3300 ms) into the play: the counter
    // then reads 2^32 - 1000 and wraps a second later.
    platform::clock::SetTimeGetTimeOffset(static_cast<uint32_t>(0x100000000ULL - 4300));
    Run([&](int pass) { return pass < 400; });
    EXPECT_GT(static_cast<uint32_t>(G.ClockStart), 0xFFFF0000u) << "started before the wrap";
    EXPECT_LT(static_cast<uint32_t>(G.ClockNow), 0x10000u) << "read after the wrap";
    EXPECT_EQ(G.ClockMinutes, 0);
    // Pass 400 is drawn 201 frames after pass 199: 3350 ms.
    EXPECT_EQ(G.ClockSeconds, 3);
    EXPECT_NEAR(G.ClockCentis, 35, 1);
}

TEST_F(PlayField, LostDisplayPausesThePlayAndComesBackWithItsPicturesReloaded) {
    const fs::path cloud = dir_ / "bmp" / "kumo.bmp";
    std::optional<TimedAction> regain;
    int passes_while_away = -1;
    Integer frames_when_lost = 0;
    uint64_t lost_at_ms = 0, back_at_ms = 0;
    Run([&](int pass) {
        if (pass == 50) {
            frames_when_lost = G.StartFrames;
            lost_at_ms = platform::clock::NowMs();
            forms::SimulateFocus(Game, false);
            // While away the sky picture changes on disk; it must be reloaded.
            synthetic::WriteBmp(cloud, 1800, 600, [](int, int) { return synthetic::kEnd; });
            regain.emplace(platform::clock::NowUs() + 2000000, [&] {
                back_at_ms = platform::clock::NowMs();
                forms::SimulateFocus(Game, true);
            });
            forms::SetInputSource(&*regain);
        }
        if (pass == 51) passes_while_away = G.StartFrames - frames_when_lost;
        return pass < 52;
    });
    synthetic::WriteBmp(cloud, 1800, 600, [](int, int) { return synthetic::kSky; });
    EXPECT_EQ(passes_while_away, 1) << "the world stood still while the display was away";
    EXPECT_GE(back_at_ms - lost_at_ms, 2000u);
    EXPECT_EQ(Shown(600, 50), Px(synthetic::kEnd)) << "the sheets were loaded again";
}

TEST_F(PlayField, AFailedReloadIsTriedAgainEachFrameAndEveryPassKeepsThePace) {
    const fs::path cloud = dir_ / "bmp" / "kumo.bmp";
    const fs::path hidden = dir_ / "bmp" / "kumo.hidden";
    std::optional<TimedAction> regain;
    std::vector<uint64_t> pass_ms;
    Run([&](int pass) {
        pass_ms.push_back(platform::clock::NowUs());
        if (pass == 20) {
            forms::SimulateFocus(Game, false);
            fs::rename(cloud, hidden);
            regain.emplace(platform::clock::NowUs() + 100000, [] { forms::SimulateFocus(Game, true); });
            forms::SetInputSource(&*regain);
        }
        if (pass == 25) fs::rename(hidden, cloud);
        return pass < 30;
    });
    if (fs::exists(hidden)) fs::rename(hidden, cloud);
    ASSERT_EQ(pass_ms.size(), 30u);
    for (size_t i = 22; i < pass_ms.size(); ++i) {
        EXPECT_NEAR(static_cast<double>(pass_ms[i] - pass_ms[i - 1]), 1e6 / 60, 2) << "pass " << i + 1;
    }
    EXPECT_EQ(Shown(600, 50), Px(synthetic::kSky)) << "the reload succeeded once the file was back";
    EXPECT_EQ(Shown(148, 400), Px(synthetic::Hero(0)));
}

}  // namespace

#endif  // ROOFRIDER_PROGRAM_COMPLETE
