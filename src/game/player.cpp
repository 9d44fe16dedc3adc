// 自機処理 — the player module: the hero's move in each of his five states,
// the fall below the view, and putting him back on a roof.
//
// States: 0 running on a roof, 1 airborne (arc or straight fall), 2 missed
// the roof (beside a building, still falling), 3 against a wall sliding
// down, 4 dashing (hanging in the air while the world speeds by).
#include "game/player.h"

#include "core/game_state.h"
#include "platform/basic.h"
#include "platform/winmm.h"

namespace {

const LevelRecord& CurrentBuilding() {
    return G.Buildings.at(static_cast<std::size_t>(G.BuildingIndex));
}

void Run() {
    // The board's bob: n is -3..2, so he rises a little more often than he
    // sinks, and the roof below catches him.
    const int32_t n = basic::CInt(static_cast<double>(basic::Rnd()) * 5 - 3);
    G.PlayerY = G.PlayerY - static_cast<Single>(n);
    const LevelRecord& b = CurrentBuilding();
    if (G.PlayerY + G.PlayerHeight >= b.Top) G.PlayerY = b.Top - G.PlayerHeight;
}

void Fly() {
    if (G.JumpAngle > 145) {
        // The straight fall is slow while the first pad slot is free.
        if (G.Pads[0].State == 0)
            G.PlayerY = G.PlayerY + 2;
        else if (G.LastPadKind == 1)
            G.PlayerY = G.PlayerY + 5;
        else
            G.PlayerY = G.PlayerY + 15;
    } else {
        G.PlayerY = G.JumpStartY - (G.JumpBoost + G.PlayerHeight) * TableSine(G.JumpAngle);
        G.JumpAngle = G.JumpAngle + 2 + G.JumpBoost / 40;
        if (G.PlayerY < 0) G.PlayerY = 0;  // held at the top of the screen
    }
    const LevelRecord& b = CurrentBuilding();
    if (G.PlayerY + G.PlayerHeight > b.Top) {
        const Single centre = G.ScrollX + G.PlayerX + G.PlayerWidth / 2;
        if (centre <= b.Left || centre > b.Right) {
            G.PlayerState = 2;
        } else {
            G.PlayerY = b.Top - G.PlayerHeight;
            G.PlayerState = 0;
            G.PlayerFrame = 0;
            G.DashUsed = 0;
            G.JumpBoost = 0;
        }
    }
}

void MissedTheRoof() {
    const LevelRecord& b = CurrentBuilding();
    if (G.ScrollX + G.PlayerX + G.PlayerWidth < b.Left) {
        if (G.JumpAngle > 145) {
            // Unlike the airborne fall, only the launching pad's kind counts.
            if (G.LastPadKind == 0)
                G.PlayerY = G.PlayerY + 2;
            else if (G.LastPadKind == 1)
                G.PlayerY = G.PlayerY + 5;
            else
                G.PlayerY = G.PlayerY + 15;
        } else {
            G.PlayerY = G.JumpStartY - (G.JumpBoost + G.PlayerHeight) * TableSine(G.JumpAngle);
            G.JumpAngle = static_cast<Single>(G.JumpAngle + 2.5 + G.JumpBoost / 40);
            if (G.PlayerY < 0) G.PlayerY = 0;
        }
    } else {
        G.PlayerX = b.Left - G.ScrollX - G.PlayerWidth;  // his front touches the wall
        G.PlayerState = 3;
        G.ScrollSpeed = 0;
    }
}

void SlideDownTheWall() {
    // Moving back by the scroll keeps his place at the wall when a speed
    // item has set the world moving again.
    G.PlayerX = G.PlayerX - G.ScrollSpeed;
    G.PlayerY = G.PlayerY + 10;
}

// He hangs where the key caught him while the world speeds by; when the
// dash runs out the speed drops back and he falls straight down.
void HangInTheDash() {
    G.DashTimer = static_cast<Integer>(G.DashTimer - 1);
    if (G.DashTimer == 10)
        winmm::mciSendStringA("play " + G.BasePath + "sound\\laserbom.wav", nullptr, 0, 0);
    if (G.DashTimer <= 0) {
        G.ScrollSpeed = static_cast<Single>(G.ScrollSpeed / 1.8);
        G.JumpAngle = 150;  // he drops straight from where he hung
        G.PlayerFrame = 1;
        G.PlayerState = 1;
    }
}

}  // namespace

void UpdatePlayer() {
    switch (G.PlayerState) {
        case 0:
            Run();
            break;
        case 1:
            Fly();
            break;
        case 2:
            MissedTheRoof();
            break;
        case 3:
            SlideDownTheWall();
            break;
        case 4:
            HangInTheDash();
            break;
        default:
            break;
    }
    if (G.PlayerY > 600) {
        RespawnPlayer();
        G.Lives = static_cast<Integer>(G.Lives - 1);
        if (G.Lives <= 0) G.PlayPhase = 2;
    }
}

void RespawnPlayer() {
    G.PlayerState = 0;
    // Once his back edge had passed the wall of his building, he is put on
    // the next one.
    if (G.ScrollX + G.PlayerX >= CurrentBuilding().Left && G.BuildingIndex < G.BuildingCount)
        G.BuildingIndex = static_cast<Integer>(G.BuildingIndex + 1);
    const LevelRecord& b = CurrentBuilding();
    G.PlayerFrame = 0;
    G.PlayerY = b.Top - G.PlayerHeight;
    if (G.PlayPhase == 0) {
        G.ScrollX = b.Left - G.PlayerX;  // the wall at his back edge
    } else {
        G.ScrollX = G.CourseWidth - 800;
        G.PlayerX = b.Left - G.ScrollX;
    }
    G.ScrollSpeed = 5;
    G.DashUsed = 0;
    for (Pad& pad : G.Pads) pad.State = 0;
    G.PadInFlight = 0;
    G.RespawnDelay = 200;
}
