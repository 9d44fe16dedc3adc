// Faults during the play, in-process on virtual time: the display taken
// away and given back while the world moves, during the freeze after a
// respawn and on the game-over picture; and the millisecond counter
// wrapping in the middle of a whole play.
#include <gtest/gtest.h>
#include <unistd.h>

#ifdef ROOFRIDER_PROGRAM_COMPLETE

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "core/game_window.h"
#include "platform/clock.h"
#include "platform/forms.h"
#include "platform/winmm.h"
#include "play_field_support.h"
#include "synthetic_assets.h"

namespace {

namespace fs = std::filesystem;
using play_field_test::TimedAction;
using synthetic::Px;

// What the world is after a pass, apart from the play clock (which counts
// real time, and so also the time the display was away).
struct World {
    Integer start_frames, play_phase, respawn_delay, lives, player_state, building;
    Single scroll_x, player_x, player_y, cloud_x;
    Long score;
    bool operator==(const World&) const = default;
};

World Now() {
    return World{G.StartFrames, G.PlayPhase, G.RespawnDelay, G.Lives, G.PlayerState, G.BuildingIndex,
                 G.ScrollX,     G.PlayerX,   G.PlayerY,      G.CloudX, G.Score};
}

std::string Describe(const World& w) {
    return "StartFrames " + std::to_string(w.start_frames) + ", PlayPhase " + std::to_string(w.play_phase) +
           ", RespawnDelay " + std::to_string(w.respawn_delay) + ", ScrollX " + std::to_string(w.scroll_x) +
           ", PlayerY " + std::to_string(w.player_y);
}

class PlayFaults : public play_field_test::PlayHarness {
protected:
    static void SetUpTestSuite() { dir_ = WriteStandIns("play-faults"); }
    static void TearDownTestSuite() { fs::remove_all(dir_); }
    void SetUp() override { Start(dir_.string()); }

    static fs::path dir_;
};

fs::path PlayFaults::dir_;

// The display goes away after pass 250 for two seconds, in three states
// of the play: each pass after it is the pass the uninterrupted play has,
// and the pictures are loaded again (the sky, or the game-over picture,
// was changed on disk meanwhile).
TEST_F(PlayFaults, TheDisplayLostAndRegainedPausesThePlayInEveryState) {
    constexpr int kLostAfter = 250, kLastPass = 256;
    struct Case {
        const char* name;
        std::function<void()> set_up;  // at pass kLostAfter - 5
        const char* picture;           // changed while away
        int width, height;             // its size
        int x, y;                      // a pixel of that picture on the screen
    };
    const Case cases[] = {
        {"riding", [] {}, "kumo.bmp", 1800, 600, 600, 50},
        {"frozen after a respawn", [] { G.RespawnDelay = 100; }, "kumo.bmp", 1800, 600, 600, 50},
        {"the game-over picture",
         [] {
             G.PlayPhase = 2;
             G.Lives = 0;
             G.RespawnDelay = 200;
         },
         "end.bmp", 800, 600, 400, 300},
    };
    const fs::path bmp = dir_ / "bmp";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::map<int, World> expected;
        Run([&](int pass) {
            if (pass == kLostAfter - 5) c.set_up();
            if (pass > kLostAfter) expected[pass] = Now();
            return pass < kLastPass;
        });
        Restart(dir_.string());

        const fs::path picture = bmp / c.picture;
        const fs::path kept = bmp / (std::string(c.picture) + ".kept");
        fs::rename(picture, kept);
        synthetic::WriteBmp(picture, c.width, c.height, [](int, int) { return synthetic::kBuilding; });
        std::optional<TimedAction> regain;
        uint64_t lost_at_us = 0, next_pass_at_us = 0;
        std::map<int, World> seen;
        uint16_t after_regain = 0;
        Run([&](int pass) {
            if (pass == kLostAfter - 5) c.set_up();
            if (pass == kLostAfter) {
                lost_at_us = platform::clock::NowUs();
                forms::SimulateFocus(Game, false);
                regain.emplace(lost_at_us + 2000000, [] { forms::SimulateFocus(Game, true); });
                forms::SetInputSource(&*regain);
            }
            if (pass == kLostAfter + 1) {
                next_pass_at_us = platform::clock::NowUs();
                after_regain = Shown(c.x, c.y);
            }
            if (pass > kLostAfter) seen[pass] = Now();
            return pass < kLastPass;
        });
        fs::remove(picture);
        fs::rename(kept, picture);

        EXPECT_GE(next_pass_at_us - lost_at_us, 2000000u) << "the play waited for the display";
        EXPECT_EQ(after_regain, Px(synthetic::kBuilding)) << "the picture was loaded again";
        for (int pass = kLostAfter + 1; pass <= kLastPass; ++pass)
            EXPECT_TRUE(seen[pass] == expected[pass])
                << "pass " << pass << ": " << Describe(seen[pass]) << " instead of " << Describe(expected[pass]);
        Restart(dir_.string());
    }
}

// A whole play on the game's own files, keys at the passes of
// tests/scripts/faults-play.txt, to the game-over picture and the key that
// ends it: once with the millisecond counter far from its wrap, once with
// the wrap in the middle of the play. The clock shows the same time on
// every pass, and the play is the same.
TEST_F(PlayFaults, AWholePlayAcrossTheCounterWrapKeepsItsClock) {
    const std::map<int, int16_t> keys = {{205, forms::vk::Space}, {280, 'V'},  {330, 'N'},
                                         {620, forms::vk::Space}, {990, 'M'},  {1480, 'N'},
                                         {1990, forms::vk::Space}, {2300, forms::vk::Space}};
    struct Pass {
        World world;
        Integer minutes, seconds, centis;
        bool operator==(const Pass&) const = default;
    };
    // Plays with the counter offset by offset_for(the counter's reading as
    // the play starts); the clock's first and last readings come back.
    auto play = [&](const std::function<uint32_t(uint32_t)>& offset_for, std::vector<Pass>* passes,
                    uint32_t* first_clock, uint32_t* last_clock) {
        Restart(ROOFRIDER_GAME_DIR);
        platform::clock::SetTimeGetTimeOffset(offset_for(winmm::timeGetTime()));
        const auto step = [&](int pass) {
            passes->push_back(Pass{Now(), G.ClockMinutes, G.ClockSeconds, G.ClockCentis});
            if (pass == 200) *first_clock = static_cast<uint32_t>(G.ClockNow);
            *last_clock = static_cast<uint32_t>(G.ClockNow);
            if (auto k = keys.find(pass); k != keys.end()) forms::PostKey(k->second);
            return true;
        };
        EXPECT_TRUE(Run(step, 5000).ended) << "the key on the game-over picture ended the program";
    };
    std::vector<Pass> plain, wrapped;
    uint32_t start = 0, first = 0, last = 0;
    play(
        [&](uint32_t now) {
            start = now;
            return 0u;
        },
        &plain, &first, &last);
    ASSERT_EQ(plain.size(), 2300u);
    ASSERT_EQ(plain.back().world.play_phase, 2) << "the play ended on the game-over picture";
    const uint32_t play_ms = last - first;
    ASSERT_GT(play_ms, 30000u);

    // The counter reads 2^32 - 1 halfway between the first and the last
    // clock reading of the play.
    uint32_t wrapped_first = 0, wrapped_last = 0;
    play(
        [&](uint32_t now) {
            return static_cast<uint32_t>(0x100000000ULL - (now + (first - start)) - play_ms / 2);
        },
        &wrapped, &wrapped_first, &wrapped_last);
    EXPECT_GT(wrapped_first, 0xF0000000u) << "the play started before the wrap";
    EXPECT_LT(wrapped_last, 0x10000000u) << "and ended after it";
    ASSERT_EQ(wrapped.size(), plain.size());
    for (size_t i = 0; i < plain.size(); ++i) {
        ASSERT_TRUE(wrapped[i] == plain[i]) << "pass " << i + 1 << ": " << wrapped[i].minutes << ":"
                                            << wrapped[i].seconds << "." << wrapped[i].centis << " instead of "
                                            << plain[i].minutes << ":" << plain[i].seconds << "."
                                            << plain[i].centis;
    }
}

}  // namespace

#endif  // ROOFRIDER_PROGRAM_COMPLETE
