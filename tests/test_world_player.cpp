// The hero: the bob on a roof, the jump arc and its landing, the fall beside
// a building and down a wall, the dash, and the respawn after a fall.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/game_state.h"
#include "game/jump_pads.h"
#include "game/player.h"
#include "test_world_helpers.h"

namespace {

using world_test::StateBefore;
using world_test::WorldTest;

class PlayerTest : public WorldTest {};

// The bob n = r x 5 - 3 rounded halves to even: -3 below r = 0.1, then -2,
// -1, 0 and 1 for a fifth each, 2 from r = 0.9 on. Each boundary is tried
// with the generator's values on both sides of it.
TEST_F(PlayerTest, TheBobsSixStepsAndTheirBoundaries) {
    struct Case {
        uint32_t r;  // Rnd() will return r / 2^24
        float sink;
    };
    const Case cases[] = {
        {0, 3},         {1677721, 3},   {1677722, 2},   {5033164, 2},   {5033165, 1},
        {8388607, 1},   {0x800000, 0},  // 0.5: -0.5 goes to 0, not to -1
        {11744051, 0},  {11744052, -1}, {15099494, -1}, {15099495, -2}, {0xFFFFFF, -2},
    };
    for (const Case& c : cases) {
        G.PlayerY = 200;  // far above the roof
        basic::SetRndState(StateBefore(c.r));
        UpdatePlayer();
        EXPECT_EQ(G.PlayerY, 200 + c.sink) << c.r;
    }
}

TEST_F(PlayerTest, TheRoofCatchesHisFeetButLetsHimHover) {
    float highest = G.PlayerY;
    for (int i = 0; i < 1000; ++i) {
        UpdatePlayer();
        ASSERT_LE(G.PlayerY, 354);
        highest = std::min(highest, G.PlayerY);
    }
    EXPECT_LT(highest, 354);
    G.PlayerY = 380;  // sunk into the roof: put back on it
    basic::SetRndState(StateBefore(0xFFFFFF));  // he would rise by 2
    UpdatePlayer();
    EXPECT_EQ(G.PlayerY, 354);
}

TEST_F(PlayerTest, AMiddlePadGivesTheWorkedArc) {
    SetRoof(1, 0, 500, 5000);
    StandOn(1, 200);
    EXPECT_EQ(G.PlayerY, 404);
    Pad& pad = G.Pads[0];
    pad.State = 2;
    pad.Kind = 1;
    pad.X = 150;
    pad.Y = 484;
    pad.Building = 1;
    UpdateJump();
    ASSERT_EQ(G.PlayerState, 1);

    UpdatePlayer();
    EXPECT_NEAR(G.PlayerY, 371.2, 0.05);
    EXPECT_FLOAT_EQ(G.PlayerY, 404 - 96 * G.SineTable[20]);
    EXPECT_EQ(G.JumpAngle, 22);

    float top = G.PlayerY;
    float angle_at_top = 0;
    while (G.JumpAngle <= 145) {
        const float angle = G.JumpAngle;
        UpdatePlayer();
        if (G.PlayerY < top) {
            top = G.PlayerY;
            angle_at_top = angle;
        }
    }
    EXPECT_EQ(top, 308);
    EXPECT_EQ(angle_at_top, 90);
    EXPECT_EQ(G.JumpAngle, 146);

    // From 146 on he falls straight: 5 px a frame after a middle pad that
    // still rests in slot 0.
    const float y = G.PlayerY;
    UpdatePlayer();
    EXPECT_EQ(G.PlayerY, y + 5);
    EXPECT_EQ(G.JumpAngle, 146);
    int frames = 0;
    while (G.PlayerState == 1 && frames < 100) {
        UpdatePlayer();
        ++frames;
    }
    EXPECT_EQ(G.PlayerState, 0);
    EXPECT_EQ(G.PlayerY, 404);
    EXPECT_EQ(G.PlayerFrame, 0);
    EXPECT_EQ(G.JumpBoost, 0);
}

TEST_F(PlayerTest, TheRoofsLeftEndIsExclusiveAndItsRightEndInclusive) {
    struct Case {
        float centre;
        bool lands;
    };
    // Roof 2 runs from 880 to 1660.
    const Case cases[] = {{880, false}, {880.5f, true}, {1660, true}, {1660.5f, false}};
    for (const Case& c : cases) {
        Fresh();
        G.BuildingIndex = 2;
        G.ScrollX = c.centre - 148;
        G.PlayerState = 1;
        G.JumpAngle = 150;
        G.JumpBoost = 80;
        G.DashUsed = 1;
        G.PlayerFrame = 3;
        G.PlayerY = 353;  // feet at 449; 2 px further they are past the roof line
        UpdatePlayer();
        if (c.lands) {
            EXPECT_EQ(G.PlayerState, 0) << c.centre;
            EXPECT_EQ(G.PlayerY, 354) << c.centre;
            EXPECT_EQ(G.PlayerFrame, 0) << c.centre;
            EXPECT_EQ(G.DashUsed, 0) << c.centre;
            EXPECT_EQ(G.JumpBoost, 0) << c.centre;
        } else {
            EXPECT_EQ(G.PlayerState, 2) << c.centre;
            EXPECT_EQ(G.PlayerY, 355) << c.centre;
            EXPECT_EQ(G.PlayerFrame, 3) << c.centre;
            EXPECT_EQ(G.JumpBoost, 80) << c.centre;
        }
    }
}

TEST_F(PlayerTest, AnArcAboveTheScreenIsHeldAtTheTop) {
    G.PlayerState = 1;
    G.JumpStartY = 100;
    G.JumpBoost = 80;
    G.JumpAngle = 60;
    UpdatePlayer();
    EXPECT_EQ(G.PlayerY, 0);
    EXPECT_EQ(G.JumpAngle, 64);  // a high pad's arc takes 4 degrees a frame
    G.JumpBoost = -40;
    UpdatePlayer();
    EXPECT_EQ(G.JumpAngle, 65);  // a low pad's, 1
}

TEST_F(PlayerTest, StraightFallSpeedsDifferBetweenAirborneAndBesideABuilding) {
    struct Case {
        Integer state, kind, slot0;
        float fall;
    };
    const Case cases[] = {
        // Airborne: slot 0 free means 2 px, whatever the kind.
        {1, 0, 0, 2}, {1, 1, 0, 2}, {1, 2, 0, 2},
        {1, 0, 2, 15}, {1, 1, 2, 5}, {1, 2, 2, 15}, {1, 2, 1, 15},
        // Beside a building only the kind counts.
        {2, 0, 0, 2}, {2, 1, 0, 5}, {2, 2, 0, 15},
        {2, 0, 2, 2}, {2, 1, 2, 5}, {2, 2, 2, 15},
    };
    for (const Case& c : cases) {
        Fresh();
        G.BuildingIndex = 2;
        G.ScrollX = 600;  // his front at 796, short of roof 2's wall
        G.PlayerState = c.state;
        G.LastPadKind = c.kind;
        G.Pads[0].State = c.slot0;
        G.JumpAngle = 180;
        G.PlayerY = 100;
        UpdatePlayer();
        EXPECT_EQ(G.PlayerY, 100 + c.fall)
            << "state " << c.state << " kind " << c.kind << " slot 0 " << c.slot0;
    }
}

TEST_F(PlayerTest, BesideABuildingTheArcGoesOnAtItsOwnStepUntilTheWall) {
    G.BuildingIndex = 2;
    G.ScrollX = 600;
    G.PlayerState = 2;
    G.JumpStartY = 400;
    G.JumpAngle = 100;
    UpdatePlayer();
    EXPECT_FLOAT_EQ(G.PlayerY, 400 - 96 * G.SineTable[100]);
    EXPECT_EQ(G.JumpAngle, 102.5f);
    UpdatePlayer();  // 102.5 is read as 102
    EXPECT_FLOAT_EQ(G.PlayerY, 400 - 96 * G.SineTable[102]);
    G.JumpBoost = 80;
    UpdatePlayer();
    EXPECT_EQ(G.JumpAngle, 109.5f);

    // His front exactly at the wall: against it, and the world stops.
    G.ScrollX = 880 - 196;
    UpdatePlayer();
    EXPECT_EQ(G.PlayerState, 3);
    EXPECT_EQ(G.PlayerX, 100);
    EXPECT_EQ(G.ScrollSpeed, 0);
    // Past the wall he is put back against it.
    G.PlayerState = 2;
    G.ScrollX = 690;
    UpdatePlayer();
    EXPECT_EQ(G.PlayerX, 94);
}

TEST_F(PlayerTest, AgainstAWallHeSlidesDownAndKeepsHisPlaceIfTheWorldMoves) {
    G.PlayerState = 3;
    G.PlayerY = 300;
    G.ScrollSpeed = 0;
    UpdatePlayer();
    EXPECT_EQ(G.PlayerX, 100);
    EXPECT_EQ(G.PlayerY, 310);
    G.ScrollSpeed = 1.5;  // a slow-down item set the world moving again
    UpdatePlayer();
    EXPECT_EQ(G.PlayerX, 98.5f);
    EXPECT_EQ(G.PlayerY, 320);
}

TEST_F(PlayerTest, ADashHangsFortyFramesWithTheBlastAtTen) {
    G.PlayerState = 4;
    G.PlayerFrame = 4;
    G.PlayerY = 200;
    G.JumpAngle = 90;
    G.DashTimer = 40;
    G.ScrollSpeed = static_cast<float>(5 * 1.8);
    for (int frame = 1; frame <= 29; ++frame) UpdatePlayer();
    EXPECT_EQ(G.DashTimer, 11);
    EXPECT_TRUE(Heard().empty());
    UpdatePlayer();
    EXPECT_EQ(G.DashTimer, 10);
    const auto heard = Heard();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].rfind("play ", 0), 0u) << heard[0];
    EXPECT_NE(heard[0].find("laserbom.wav"), std::string::npos) << heard[0];
    for (int frame = 31; frame <= 39; ++frame) UpdatePlayer();
    EXPECT_EQ(G.PlayerState, 4);
    EXPECT_EQ(G.PlayerY, 200);
    UpdatePlayer();
    EXPECT_EQ(G.DashTimer, 0);
    EXPECT_EQ(G.PlayerState, 1);
    EXPECT_EQ(G.PlayerFrame, 1);
    EXPECT_EQ(G.JumpAngle, 150);
    EXPECT_EQ(G.ScrollSpeed, 5);
    EXPECT_EQ(G.PlayerY, 200);
    EXPECT_TRUE(Heard().empty());
}

TEST_F(PlayerTest, AFallBelowTheViewCostsALifeAndPutsHimBackOnARoof) {
    G.BuildingIndex = 2;
    G.ScrollX = 684;  // against roof 2's wall
    G.PlayerState = 3;
    G.ScrollSpeed = 0;
    G.DashUsed = 1;
    G.PadInFlight = 1;
    G.PlayerFrame = 3;
    for (Pad& pad : G.Pads) pad.State = 3;
    G.PlayerY = 590;
    UpdatePlayer();  // exactly 600 is still in the view
    EXPECT_EQ(G.PlayerY, 600);
    EXPECT_EQ(G.Lives, 4);
    UpdatePlayer();
    EXPECT_EQ(G.Lives, 3);
    EXPECT_EQ(G.PlayPhase, 0);
    EXPECT_EQ(G.PlayerState, 0);
    EXPECT_EQ(G.PlayerFrame, 0);
    EXPECT_EQ(G.BuildingIndex, 2);  // his back edge had not passed the wall
    EXPECT_EQ(G.PlayerY, 354);
    EXPECT_EQ(G.ScrollX, 780);  // the wall at his back edge
    EXPECT_EQ(G.PlayerX, 100);
    EXPECT_EQ(G.ScrollSpeed, 5);
    EXPECT_EQ(G.DashUsed, 0);
    EXPECT_EQ(G.PadInFlight, 0);
    for (const Pad& pad : G.Pads) EXPECT_EQ(pad.State, 0);
    EXPECT_EQ(G.RespawnDelay, 200);
}

TEST_F(PlayerTest, ARespawnPastTheWallMovesOnToTheNextBuildingButNotPastTheLast) {
    SetRoof(3, 1760, 400, 2540);
    G.BuildingIndex = 2;
    G.ScrollX = 780;  // his back edge exactly at roof 2's wall
    RespawnPlayer();
    EXPECT_EQ(G.BuildingIndex, 3);
    EXPECT_EQ(G.PlayerY, 304);
    EXPECT_EQ(G.ScrollX, 1660);

    G.BuildingIndex = 17;
    G.ScrollX = 14100;
    RespawnPlayer();
    EXPECT_EQ(G.BuildingIndex, 17);
    EXPECT_EQ(G.ScrollX, 14080 - 100);
}

TEST_F(PlayerTest, ARespawnInTheFinalStretchKeepsTheViewAtTheEnd) {
    SetRoof(17, 14400, 420, 15000);
    G.PlayPhase = 1;
    G.BuildingIndex = 17;
    G.ScrollX = 14200;
    G.PlayerX = 150;
    G.PlayerState = 1;
    G.JumpAngle = 180;
    G.PlayerY = 599;
    UpdatePlayer();
    EXPECT_EQ(G.ScrollX, 14200);
    EXPECT_EQ(G.PlayerX, 200);  // at the wall of roof 17, on the screen
    EXPECT_EQ(G.PlayerY, 324);
    EXPECT_EQ(G.Lives, 3);
    EXPECT_EQ(G.PlayPhase, 1);
}

TEST_F(PlayerTest, TheLastLifeRespawnsFirstAndThenEndsTheGame) {
    G.Lives = 1;
    G.BuildingIndex = 2;
    G.ScrollX = 684;
    G.PlayerState = 3;
    G.PlayerY = 595;
    UpdatePlayer();
    EXPECT_EQ(G.Lives, 0);
    EXPECT_EQ(G.PlayPhase, 2);
    EXPECT_EQ(G.PlayerState, 0);
    EXPECT_EQ(G.PlayerY, 354);
    EXPECT_EQ(G.RespawnDelay, 200);
}

TEST_F(PlayerTest, PastTheEndOfTheLastRoofHeMissesItAndMeetsItsWallAtOnce) {
    G.BuildingIndex = 17;  // roof 17: 14080 to 14860
    G.ScrollX = 14200;
    G.PlayerX = 700;  // centre 14948
    G.PlayerState = 1;
    G.JumpAngle = 150;
    G.PlayerY = 353;
    UpdatePlayer();
    EXPECT_EQ(G.PlayerState, 2);
    UpdatePlayer();
    EXPECT_EQ(G.PlayerState, 3);
    EXPECT_EQ(G.PlayerX, 14080 - 14200 - 96);
    EXPECT_EQ(G.ScrollSpeed, 0);
}

}  // namespace
