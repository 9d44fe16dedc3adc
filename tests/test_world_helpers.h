// Test helpers for the world simulation (pads, player, scrolling, items): a
// fixture with the start values of a new game on a course of 17 roofs given
// in world pixels, and the multimedia recorder installed so that the jump
// voices and the dash's blast can be heard.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "game/scrolling.h"
#include "platform/basic.h"
#include "test_winmm_recorder.h"

namespace world_test {

// The generator's state that makes the next Rnd() return exactly value / 2^24.
inline uint32_t StateBefore(uint32_t value) {
    uint32_t inverse = 0x43FD43FDu;  // Newton's steps for the inverse mod 2^32
    for (int i = 0; i < 5; ++i) inverse *= 2u - 0x43FD43FDu * inverse;
    return ((value - 0xC39EC3u) * inverse) & 0xFFFFFFu;
}

class WorldTest : public winmm_test::SoundFolderTest {
protected:
    void SetUp() override {
        SoundFolderTest::SetUp();
        winmm_test::WriteFile(dir_ / "sound" / "laserbom.wav", winmm_test::ToneWav(400));
        StopAtFinish = [] {};  // no display or windows here: nothing to hand over to
        Fresh();
    }
    void TearDown() override {
        StopAtFinish = nullptr;
        basic::ResetRnd();
        SoundFolderTest::TearDown();
    }

    // A new game: G as at program start, the generator unseeded, then the
    // start values below.
    void Fresh() {
        G = GameState{};
        basic::ResetRnd();
        StartOfGame();
    }

    // What the loader and the reset leave in G, on a plain course: roof k
    // (1..17) from 880 (k - 1) to 880 (k - 1) + 780 at y 450, so that every
    // gap is 100 px wide. The hero stands on roof 1 at x 100.
    void StartOfGame() {
        G.BasePath = base_;
        G.CourseScale = 3;
        G.Lives = 4;
        G.ScrollSpeed = 5;
        G.BuildingCount = 17;
        G.ItemCount = 33;
        for (int d = 0; d <= 180; ++d)
            G.SineTable[static_cast<std::size_t>(d)] =
                static_cast<float>(std::sin(d * 3.141 / 180));
        for (int k = 1; k <= 17; ++k) SetRoof(k, 880.0f * (k - 1), 450, 880.0f * (k - 1) + 780);
        G.PlayerHeight = 96;
        G.PlayerWidth = 96;
        G.BuildingIndex = 1;
        G.PlayerX = 100;
        G.PlayerY = 450 - 96;
        G.PlayerFrameCount = 5;
        G.CourseHeight = 600;
        G.CourseWidth = 15000;
        G.CloudHeight = 600;
        G.CloudWidth = 1800;
        for (Pad& pad : G.Pads) {
            pad.Height = 16;
            pad.Width = 16;
        }
        G.ItemKindCount = 4;
        G.ItemHeight = 32;
        G.ItemWidth = 32;
        G.CloudSpeed = 1;
        G.JumpSoundFiles = {"jump1.wav", "jump2.wav", "jump3.wav"};
    }

    static void SetRoof(int k, float left, float top, float right) {
        LevelRecord& b = G.Buildings[static_cast<std::size_t>(k)];
        b.Left = left;
        b.Top = top;
        b.Right = right;
    }

    // Puts the hero on building k, running, his back edge at world x.
    static void StandOn(int k, float world_x) {
        G.BuildingIndex = static_cast<Integer>(k);
        G.PlayerState = 0;
        G.PlayerY = G.Buildings[static_cast<std::size_t>(k)].Top - G.PlayerHeight;
        G.ScrollX = world_x - G.PlayerX;
    }

    // The sounds that reached the back-end since the last look.
    std::vector<std::string> Heard() { return Calls(); }
};

}  // namespace world_test
