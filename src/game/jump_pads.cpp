// 弾処理 — the jump module: throwing a pad, moving the three pads, and the
// launch of the hero by a pad that rests on a roof.
//
// A pad flies in a short arc ahead of the hero; when its bottom passes the
// roof line of its building it either settles on the roof (and from then
// on launches the hero whenever he runs over it) or, beside the building,
// keeps falling until the building's wall reaches it and it slides down.
#include "game/jump_pads.h"

#include "core/game_state.h"
#include "sound/sound.h"

namespace {

const LevelRecord& BuildingOf(const Pad& pad) {
    return G.Buildings.at(static_cast<std::size_t>(pad.Building));
}

void UpdateFlying(Pad& pad) {
    pad.X = pad.X + 3;
    if (G.ScrollX + pad.X > BuildingOf(pad).Right)
        pad.Building = static_cast<Integer>(pad.Building + 1);  // once a frame at most
    if (pad.Angle < 145) {
        pad.Y = pad.StartY - G.PlayerHeight * TableSine(pad.Angle);
        pad.Angle = pad.Angle + 10;
    } else {
        pad.Y = pad.Y + 10;
    }
    const LevelRecord& b = BuildingOf(pad);
    if (pad.Y + pad.Height > b.Top) {
        G.PadInFlight = 0;
        if (G.ScrollX + pad.X + pad.Width < b.Left || G.ScrollX + pad.X > b.Right) {
            pad.State = 3;
        } else {
            pad.Y = b.Top - pad.Height;
            pad.State = 2;
        }
    }
}

void Launch(const Pad& pad) {
    G.JumpStartY = G.PlayerY;
    G.JumpAngle = 20;
    G.PlayerState = 1;
    G.PlayerFrame = 1;
    G.LastPadKind = pad.Kind;
    PlayEffect(3);
    G.Score = G.Score + 50;
    if (pad.Kind == 0)
        G.JumpBoost = -40;
    else if (pad.Kind == 1)
        G.JumpBoost = 0;
    else if (pad.Kind == 2)
        G.JumpBoost = 80;
}

void UpdateResting(Pad& pad) {
    // In the final stretch the view stands still, and so does the pad.
    if (G.PlayPhase == 0) pad.X = pad.X - G.ScrollSpeed;
    const Single middle = pad.Y + pad.Height / 2;
    if (G.PlayerState == 0 && G.PlayerY + G.PlayerHeight >= middle &&
        G.PlayerX + G.PlayerWidth >= pad.X && pad.X >= G.PlayerX)
        Launch(pad);  // the pad stays: it launches again whenever he comes by
    if (pad.X <= -pad.Width) pad.State = 0;
}

void UpdateMissed(Pad& pad) {
    const LevelRecord& b = BuildingOf(pad);
    if (G.ScrollX + pad.X + pad.Width > b.Left) {
        pad.X = b.Left - G.ScrollX - pad.Width;  // against the wall
        pad.State = 4;
    } else if (pad.Angle < 145) {
        // Its screen x stays: the scrolling brings the wall towards it.
        pad.Y = pad.StartY - G.PlayerHeight * TableSine(pad.Angle);
        pad.Angle = pad.Angle + 5;
    } else {
        pad.Y = pad.Y + 10;
    }
}

void UpdateDownTheWall(Pad& pad) {
    pad.X = pad.X - G.ScrollSpeed;  // in every phase, unlike a resting pad
    pad.Y = pad.Y + 20;
    if (pad.X < -pad.Width || pad.Y > G.CourseHeight) pad.State = 0;
}

}  // namespace

void StartJump(int16_t slot) {
    Pad& pad = G.Pads.at(static_cast<std::size_t>(slot));
    pad.State = 1;
    G.PadInFlight = 1;
    pad.X = G.PlayerX + G.PlayerWidth;   // his front edge
    pad.Y = G.PlayerY + G.PlayerHeight;  // his feet
    pad.StartY = pad.Y;
    pad.Angle = 45;
    pad.Building = G.BuildingIndex;
    G.PlayerFrame = G.PlayerState == 0 ? 2 : 3;
}

void UpdateJump() {
    for (Pad& pad : G.Pads) {
        switch (pad.State) {
            case 1:
                UpdateFlying(pad);
                break;
            case 2:
                UpdateResting(pad);
                break;
            case 3:
                UpdateMissed(pad);
                break;
            case 4:
                UpdateDownTheWall(pad);
                break;
            default:
                break;
        }
    }
}
