// Scrolling: the view and the clouds, the end of the course and the finish,
// the next building's wall and the end of a roof.
#include <gtest/gtest.h>

#include "core/game_state.h"
#include "game/jump_pads.h"
#include "game/player.h"
#include "game/scrolling.h"
#include "test_world_helpers.h"

namespace {

using world_test::WorldTest;

class ScrollTest : public WorldTest {
protected:
    // One frame of the world as the play loop runs it.
    static void Frame() {
        ScrollWorld();
        UpdatePlayer();
        UpdateJump();
    }
};

TEST_F(ScrollTest, TheViewReachesTheEndOfTheCourseAfter2840Frames) {
    G.BuildingIndex = 17;  // no building rules on the way
    for (int frame = 1; frame < 2840; ++frame) ScrollWorld();
    EXPECT_EQ(G.ScrollX, 14195);
    EXPECT_EQ(G.PlayPhase, 0);
    ScrollWorld();
    EXPECT_EQ(G.ScrollX, 14200);
    EXPECT_EQ(G.PlayPhase, 1);
    EXPECT_EQ(G.PlayerX, 100);
    // From now on the hero moves and the view stands.
    ScrollWorld();
    EXPECT_EQ(G.ScrollX, 14200);
    EXPECT_EQ(G.PlayerX, 105);
}

TEST_F(ScrollTest, AnOvershootingStepStopsTheViewExactlyAtTheEnd) {
    G.BuildingIndex = 17;
    G.ScrollSpeed = 7;
    G.ScrollX = 14196;
    ScrollWorld();
    EXPECT_EQ(G.PlayPhase, 1);
    EXPECT_EQ(G.ScrollX, 14200);
}

TEST_F(ScrollTest, TheCloudsJumpBackToTheStartAt1000) {
    for (int frame = 1; frame <= 133; ++frame) ScrollWorld();
    EXPECT_EQ(G.CloudX, 997.5f);
    ScrollWorld();  // 1005 would pass the end: back to 0, the overshoot dropped
    EXPECT_EQ(G.CloudX, 0);

    G.CloudX = 992.5f;  // exactly 1000 counts as the end too
    ScrollWorld();
    EXPECT_EQ(G.CloudX, 0);
    G.CloudX = 991.5f;  // 999 is still short of it
    ScrollWorld();
    EXPECT_EQ(G.CloudX, 999);

    // After the first dash they move twice as fast, also in the final stretch.
    G.CloudSpeed = 2;
    G.PlayPhase = 1;
    G.ScrollX = 14200;
    G.CloudX = 100;
    ScrollWorld();
    EXPECT_EQ(G.CloudX, 115);
}

TEST_F(ScrollTest, TheFinishComesWhenHisRightEdgeReachesTheScreensEdge) {
    int finishes = 0;
    StopAtFinish = [&] { ++finishes; };
    G.BuildingIndex = 17;
    G.PlayPhase = 1;
    G.ScrollX = 14200;
    G.PlayerX = 698;
    ScrollWorld();  // right edge at 799
    EXPECT_EQ(finishes, 0);
    G.PlayerX = 699;
    ScrollWorld();  // right edge at exactly 800
    EXPECT_EQ(finishes, 1);

    // Before the final stretch the edge of the screen is no finish.
    Fresh();
    StopAtFinish = [&] { ++finishes; };
    G.BuildingIndex = 17;
    G.PlayerX = 750;
    ScrollWorld();
    EXPECT_EQ(finishes, 1);
}

TEST_F(ScrollTest, AWholeRunToTheFinishOnTheLastRoof) {
    int finishes = 0;
    int frame_of_finish = 0;
    int frame = 0;
    StopAtFinish = [&] {
        ++finishes;
        frame_of_finish = frame;
    };
    SetRoof(17, 0, 450, 15000);
    G.BuildingIndex = 17;
    while (finishes == 0 && frame < 5000) {
        ++frame;
        Frame();
    }
    // 2840 frames of scrolling, then 604 px across the screen at 5 a frame.
    EXPECT_EQ(frame_of_finish, 2840 + 121);
    EXPECT_EQ(G.PlayerX, 705);
    EXPECT_EQ(G.PlayerState, 0);
    EXPECT_LE(G.PlayerY, 354);
}

TEST_F(ScrollTest, AWallWhoseRoofIsNotBelowHisFeetStopsTheWorld) {
    struct Case {
        float roof;
        Integer state;
        bool stops;
    };
    const Case cases[] = {
        {450, 0, true},   // equal height: a wall
        {449, 0, true},   // higher
        {451, 0, false},  // lower by a pixel: he may run onto it
        {449, 1, true},   // also in the air
        {449, 4, true},   // and dashing
    };
    for (const Case& c : cases) {
        Fresh();
        SetRoof(1, 0, 450, 880);  // no gap: roof 2 begins where roof 1 ends
        SetRoof(2, 880, c.roof, 1660);
        G.PlayerState = c.state;
        G.ScrollX = 880 - 196 - 5;  // the step brings his front to the wall
        ScrollWorld();
        EXPECT_EQ(G.PlayerState == 3, c.stops) << c.roof << " state " << c.state;
        EXPECT_EQ(G.ScrollSpeed, c.stops ? 0 : 5) << c.roof << " state " << c.state;
        EXPECT_EQ(G.PlayerX, 100);  // his x is left as it is
        EXPECT_EQ(G.BuildingIndex, 1);
    }
}

TEST_F(ScrollTest, RunningOffARoofsEndStartsAStraightFall) {
    G.PlayerY = 352;  // hovering after a bob
    G.ScrollX = 780 - 148 - 5;  // the step brings his centre to the end of roof 1
    G.LastPadKind = 2;
    ScrollWorld();
    EXPECT_EQ(G.BuildingIndex, 2);
    EXPECT_EQ(G.PlayerState, 1);
    EXPECT_EQ(G.LastPadKind, 1);
    EXPECT_EQ(G.JumpAngle, 180);
    EXPECT_EQ(G.JumpStartY, 352);
}

TEST_F(ScrollTest, OffTheEndOntoALowerRoofHeFallsAndLandsOnIt) {
    SetRoof(2, 700, 460, 1500);  // already under him, 10 px lower
    G.ScrollX = 780 - 148 - 5;
    ScrollWorld();
    EXPECT_EQ(G.BuildingIndex, 2);
    EXPECT_EQ(G.PlayerState, 1);
    int frames = 0;
    while (G.PlayerState == 1 && frames < 50) {
        Frame();
        ++frames;
    }
    EXPECT_EQ(G.PlayerState, 0);
    EXPECT_EQ(G.PlayerY, 364);
}

TEST_F(ScrollTest, OffTheEndOntoARoofAtTheSameHeightHeIsStoppedAsByAWall) {
    SetRoof(2, 700, 450, 1500);
    G.ScrollX = 780 - 148 - 5;
    ScrollWorld();
    EXPECT_EQ(G.BuildingIndex, 2);
    EXPECT_EQ(G.PlayerState, 3);
    EXPECT_EQ(G.JumpAngle, 0);  // no fall was started
}

TEST_F(ScrollTest, OffTheEndInTheAirOrInTheFinalStretchOnlyTheBuildingChanges) {
    G.PlayerState = 1;
    G.JumpAngle = 90;
    G.ScrollX = 780 - 148 - 5;
    ScrollWorld();
    EXPECT_EQ(G.BuildingIndex, 2);
    EXPECT_EQ(G.PlayerState, 1);
    EXPECT_EQ(G.JumpAngle, 90);

    Fresh();
    SetRoof(16, 13200, 450, 13980);
    SetRoof(17, 14080, 500, 15000);
    G.PlayPhase = 1;
    G.BuildingIndex = 16;
    G.ScrollX = 14200;
    G.PlayerX = 13980 - 14200 - 48 - 5;
    ScrollWorld();
    EXPECT_EQ(G.BuildingIndex, 17);
    EXPECT_EQ(G.PlayerState, 0);
    EXPECT_EQ(G.JumpAngle, 0);
}

TEST_F(ScrollTest, TheLastBuildingHasNeitherWallNorRoofEnd) {
    SetRoof(17, 14080, 450, 14500);
    SetRoof(18, 14600, 300, 15000);  // beyond the course's last building: never looked at
    G.BuildingIndex = 17;
    G.ScrollX = 14000;
    G.PlayerX = 500;  // centre 14548, front 14596
    for (int frame = 0; frame < 20; ++frame) Frame();
    EXPECT_EQ(G.BuildingIndex, 17);
    EXPECT_EQ(G.PlayerState, 0);
    EXPECT_EQ(G.ScrollSpeed, 5);
    EXPECT_LE(G.PlayerY, 354);  // still held by the roof line, past its end
}

TEST_F(ScrollTest, WithoutAPadHeFallsIntoTheFirstGapAndComesBackOnTheNextRoof) {
    int frames = 0;
    while (G.RespawnDelay == 0 && frames < 1000) {
        Frame();
        ++frames;
    }
    EXPECT_EQ(G.Lives, 3);
    EXPECT_EQ(G.BuildingIndex, 2);
    EXPECT_EQ(G.PlayerState, 0);
    EXPECT_EQ(G.PlayerY, 354);
    EXPECT_EQ(G.ScrollX + G.PlayerX, 880);  // his back edge at roof 2's wall
    EXPECT_EQ(G.ScrollSpeed, 5);
}

}  // namespace
