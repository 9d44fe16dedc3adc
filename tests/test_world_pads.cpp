// Jump pads: the throw, the flight and where it ends, the slide down a wall,
// the resting pad that moves with the world and launches the hero.
#include <gtest/gtest.h>

#include "core/game_state.h"
#include "game/jump_pads.h"
#include "test_world_helpers.h"

namespace {

using world_test::WorldTest;
using List = std::vector<std::string>;

class PadTest : public WorldTest {
protected:
    // A pad resting on roof 1 (its top at 434, its middle at 442).
    Pad& RestingPad(int slot, float x, int16_t kind = 1) {
        Pad& pad = G.Pads[static_cast<std::size_t>(slot)];
        pad.State = 2;
        pad.X = x;
        pad.Y = 450 - 16;
        pad.Kind = kind;
        pad.Building = 1;
        return pad;
    }
};

TEST_F(PadTest, ThrowStartsAtTheHerosFrontAndFeet) {
    StandOn(1, 200);
    G.Pads[0].Kind = 1;
    StartJump(0);
    const Pad& pad = G.Pads[0];
    EXPECT_EQ(pad.State, 1);
    EXPECT_EQ(G.PadInFlight, 1);
    EXPECT_EQ(pad.X, 196);
    EXPECT_EQ(pad.Y, 450);
    EXPECT_EQ(pad.StartY, 450);
    EXPECT_EQ(pad.Angle, 45);
    EXPECT_EQ(pad.Building, 1);
    EXPECT_EQ(G.PlayerFrame, 2);  // thrown from the roof

    G.PlayerState = 1;
    StartJump(2);
    EXPECT_EQ(G.PlayerFrame, 3);  // thrown in the air
}

TEST_F(PadTest, APadOnALongRoofFollowsItsArcAndSettlesOnTheRoof) {
    StandOn(1, 200);
    StartJump(0);
    UpdateJump();
    // It rises at once by 96 sin 45 and moves 3 px a frame.
    EXPECT_EQ(G.Pads[0].X, 199);
    EXPECT_FLOAT_EQ(G.Pads[0].Y, 450 - 96 * G.SineTable[45]);
    EXPECT_EQ(G.Pads[0].Angle, 55);
    int frames = 1;
    while (G.Pads[0].State == 1 && frames < 100) {
        UpdateJump();
        ++frames;
    }
    // Ten frames of arc up to 135 degrees, then 10 px a frame down to the roof.
    EXPECT_EQ(frames, 16);
    EXPECT_EQ(G.Pads[0].State, 2);
    EXPECT_EQ(G.Pads[0].Y, 434);
    EXPECT_EQ(G.Pads[0].X, 196 + 16 * 3);
    EXPECT_EQ(G.PadInFlight, 0);
    EXPECT_EQ(G.Pads[0].Building, 1);
}

TEST_F(PadTest, APadPassesAtMostOneBuildingEndAFrame) {
    // The pad is already past the ends of roofs 1 and 2.
    Pad& pad = G.Pads[1];
    pad.State = 1;
    pad.Building = 1;
    pad.X = 1700;
    pad.Angle = 150;
    pad.Y = 420;
    UpdateJump();  // its bottom at 446: still above the roof line
    EXPECT_EQ(pad.Building, 2);
    EXPECT_EQ(pad.State, 1);
    UpdateJump();  // its bottom at 456: below the roof line of roof 3
    EXPECT_EQ(pad.Building, 3);
    // Roof 3 starts at 1760: the pad (1706 to 1722) came down in the gap.
    EXPECT_EQ(pad.State, 3);
    EXPECT_EQ(G.PadInFlight, 0);
}

// A pad coming down exactly on either end of a roof lands; one pixel
// beyond, it has missed.
TEST_F(PadTest, APadMissesARoofOnlyBeyondItsEnds) {
    struct Case {
        float x;  // before this frame's 3 px
        Integer state, building;
    };
    // Roof 2 runs from 880 to 1660; the pad is 16 wide.
    const Case cases[] = {{861, 2, 2}, {860, 3, 2}, {1657, 2, 2}, {1658, 3, 3}};
    for (const Case& c : cases) {
        Pad& pad = G.Pads[0];
        pad = Pad{};
        pad.Width = pad.Height = 16;
        pad.State = 1;
        pad.Building = 2;
        pad.X = c.x;
        pad.Angle = 150;  // straight down, 10 px a frame
        pad.Y = 430;      // its bottom comes to 456, below the roof line
        G.PadInFlight = 1;
        UpdateJump();
        EXPECT_EQ(pad.State, c.state) << c.x;
        EXPECT_EQ(pad.Building, c.building) << c.x;
        EXPECT_EQ(G.PadInFlight, 0);
    }
}

TEST_F(PadTest, APadInAGapWaitsForItsWallThenSlidesDownIt) {
    StandOn(1, 700);  // view at 600: the pad's world x starts at 796
    StartJump(0);
    for (int i = 0; i < 16; ++i) UpdateJump();
    Pad& pad = G.Pads[0];
    EXPECT_EQ(pad.Building, 2);
    EXPECT_EQ(pad.State, 3);  // 844 to 860 lies before roof 2's wall at 880
    EXPECT_EQ(G.PadInFlight, 0);
    const float y = pad.Y;

    // The world scrolls; the pad keeps its screen x and falls on.
    for (int i = 1; i <= 4; ++i) {
        G.ScrollX += 5;
        UpdateJump();
        EXPECT_EQ(pad.X, 244);
        EXPECT_FLOAT_EQ(pad.Y, y + 10 * i);
        EXPECT_EQ(pad.State, 3) << "equality is not yet the wall";
    }
    G.ScrollX += 5;  // 625 + 244 + 16 > 880
    UpdateJump();
    EXPECT_EQ(pad.State, 4);
    EXPECT_EQ(pad.X, 880 - 625 - 16);
    EXPECT_FLOAT_EQ(pad.Y, y + 40);

    // Down the wall: 20 px a frame, left with the scroll, freed below 600.
    int frames = 0;
    while (pad.State == 4 && frames < 100) {
        const float before_x = pad.X, before_y = pad.Y;
        UpdateJump();
        EXPECT_EQ(pad.X, before_x - 5);
        EXPECT_EQ(pad.Y, before_y + 20);
        ++frames;
    }
    EXPECT_EQ(pad.State, 0);
    EXPECT_GT(pad.Y, 600);
    EXPECT_LE(pad.Y - 20, 600);
}

TEST_F(PadTest, TheLaunchTestTakesEachEdgeInclusively) {
    struct Case {
        float x_after_move, y;
        Integer player_state;
        bool launches;
        const char* what;
    };
    // Hero: back edge 100, front 196, feet 450. The pad moves 5 to the left first.
    const Case cases[] = {
        {196, 434, 0, true, "front edge exactly at the pad"},
        {196.5f, 434, 0, false, "front edge short of the pad"},
        {100, 434, 0, true, "pad exactly at the back edge"},
        {99.5f, 434, 0, false, "pad behind the back edge"},
        {150, 442, 0, true, "feet exactly at the pad's middle"},
        {150, 442.5f, 0, false, "feet above the pad's middle"},
        {150, 434, 1, false, "airborne"},
        {150, 434, 2, false, "beside a building"},
    };
    for (const Case& c : cases) {
        Fresh();
        G.Score = 0;
        G.PlayerState = c.player_state;
        Pad& pad = RestingPad(0, c.x_after_move + 5);
        pad.Y = c.y;
        UpdateJump();
        EXPECT_EQ(G.PlayerState == 1 && c.player_state == 0, c.launches) << c.what;
        EXPECT_EQ(G.Score, c.launches ? 50 : 0) << c.what;
        EXPECT_EQ(pad.State, 2) << c.what;
    }
}

TEST_F(PadTest, EachKindLaunchesWithItsBoostAndAJumpVoice) {
    const float boost[] = {-40, 0, 80};
    for (int16_t kind = 0; kind <= 2; ++kind) {
        Fresh();
        G.PlayerY = 350;  // hovering a little above the roof after a bob
        G.JumpBoost = 7;
        G.Score = 1000;
        RestingPad(2, 160, kind);
        UpdateJump();
        EXPECT_EQ(G.JumpStartY, 350);
        EXPECT_EQ(G.JumpAngle, 20);
        EXPECT_EQ(G.PlayerState, 1);
        EXPECT_EQ(G.PlayerFrame, 1);
        EXPECT_EQ(G.LastPadKind, kind);
        EXPECT_EQ(G.Score, 1050);
        EXPECT_EQ(G.JumpBoost, boost[kind]);
        EXPECT_EQ(G.Pads[2].State, 2) << "a pad is not used up";
        List heard = Heard();
        ASSERT_EQ(heard.size(), 1u);
        EXPECT_TRUE(heard[0] == "play 0 jump1.wav" || heard[0] == "play 0 jump2.wav" ||
                    heard[0] == "play 0 jump3.wav")
            << heard[0];
    }
}

TEST_F(PadTest, ARestingPadLaunchesAgainOnceHeHasLanded) {
    RestingPad(0, 180);
    UpdateJump();
    EXPECT_EQ(G.PlayerState, 1);
    G.PlayerState = 0;  // back on the roof, over the same pad
    UpdateJump();
    EXPECT_EQ(G.PlayerState, 1);
    EXPECT_EQ(G.Score, 100);
}

TEST_F(PadTest, ARestingPadIsFreedOnceItsRightEdgeLeavesTheScreen) {
    Pad& pad = RestingPad(0, -10.9f);
    UpdateJump();
    EXPECT_EQ(pad.X, -15.9f);
    EXPECT_EQ(pad.State, 2);
    pad.X = -11;
    UpdateJump();
    EXPECT_EQ(pad.X, -16);
    EXPECT_EQ(pad.State, 0);
}

TEST_F(PadTest, InTheFinalStretchRestingPadsStandButPadsOnAWallDrift) {
    G.PlayPhase = 1;
    G.PlayerX = 400;  // far from the pads
    RestingPad(0, 300);
    Pad& down = G.Pads[1];
    down.State = 4;
    down.X = 500;
    down.Y = 300;
    UpdateJump();
    EXPECT_EQ(G.Pads[0].X, 300);
    EXPECT_EQ(down.X, 495);
    EXPECT_EQ(down.Y, 320);
}

TEST_F(PadTest, InTheFinalStretchAPadShortOfItsWallFallsForEver) {
    G.PlayPhase = 1;
    G.ScrollX = 14200;
    SetRoof(17, 14500, 450, 15000);
    Pad& pad = G.Pads[0];
    pad.State = 3;
    pad.Building = 17;
    pad.X = 100;  // world 14300 to 14316, short of the wall at 14500
    pad.Angle = 145;
    pad.Y = 460;
    for (int i = 0; i < 100; ++i) UpdateJump();
    EXPECT_EQ(pad.State, 3);
    EXPECT_EQ(pad.X, 100);
    EXPECT_EQ(pad.Y, 1460);
}

TEST_F(PadTest, AMissedPadStillOnItsArcClimbsAtHalfTheStep) {
    Pad& pad = G.Pads[0];
    pad.State = 3;
    pad.Building = 2;
    pad.X = 600;  // world 600: the wall at 880 is far
    pad.StartY = 450;
    pad.Angle = 125;
    UpdateJump();
    EXPECT_FLOAT_EQ(pad.Y, 450 - 96 * G.SineTable[125]);
    EXPECT_EQ(pad.Angle, 130);
    // The angle is rounded to a whole degree, halves to even.
    pad.Angle = 132.5f;
    UpdateJump();
    EXPECT_FLOAT_EQ(pad.Y, 450 - 96 * G.SineTable[132]);
}

}  // namespace
