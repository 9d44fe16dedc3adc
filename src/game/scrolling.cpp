// 移動処理 — the movement module: moves the view (or, in the final stretch,
// the hero), scrolls the clouds, stops the view at the end of the course,
// detects the finish, and applies the two building rules the hero's own
// update does not: the next building's wall and the end of a roof.
#include "game/scrolling.h"

#include "core/game_state.h"
#include "core/game_window.h"
#include "display/surfaces.h"
#include "screens/hyouka.h"

std::function<void()> StopAtFinish;

namespace {

// The finish, the only good end of the play: the full-screen display goes
// back to the desktop (mode restored, cooperative level normal for the
// play field), the play field closes, and the evaluation is shown modally
// from inside the play loop. In a normal run this never returns: the
// program ends from the windows after it.
void HandOverToTheEvaluation() {
    if (StopAtFinish) {
        StopAtFinish();
        return;
    }
    D.DDraw->RestoreDisplayMode();
    D.DDraw->SetCooperativeLevel(Game.hWnd(), ddraw::DDSCL_NORMAL);
    Game.Unload();
    Hyouka.Show(true);
}

void BuildingRules() {
    const LevelRecord& b = G.Buildings.at(static_cast<std::size_t>(G.BuildingIndex));
    const LevelRecord& n = G.Buildings.at(static_cast<std::size_t>(G.BuildingIndex + 1));
    // A wall whose roof is not below his feet stops the world, whatever he
    // is doing; his x is not corrected here.
    if (G.ScrollX + G.PlayerX + G.PlayerWidth >= n.Left &&
        G.PlayerY + G.PlayerHeight >= n.Top) {
        G.PlayerState = 3;
        G.ScrollSpeed = 0;
    }
    if (G.ScrollX + G.PlayerX + G.PlayerWidth / 2 >= b.Right) {
        G.BuildingIndex = static_cast<Integer>(G.BuildingIndex + 1);
        if (G.PlayPhase == 0) {
            const LevelRecord& next = G.Buildings.at(static_cast<std::size_t>(G.BuildingIndex));
            const bool roof_under_him = G.PlayerY + G.PlayerHeight >= next.Top &&
                                        G.ScrollX + G.PlayerX > next.Left;
            // Running off the end of a roof: a straight fall at once.
            if (!roof_under_him && G.PlayerState == 0) {
                G.LastPadKind = 1;
                G.PlayerState = 1;
                G.JumpAngle = 180;
                G.JumpStartY = G.PlayerY;
            }
        }
    }
}

}  // namespace

void ScrollWorld() {
    if (G.PlayPhase == 1)
        G.PlayerX = G.PlayerX + G.ScrollSpeed;
    else
        G.ScrollX = G.ScrollX + G.ScrollSpeed;

    // The clouds move in every phase; at the end of the picture the window
    // jumps back to its start, dropping any overshoot.
    G.CloudX = static_cast<Single>(G.CloudX + G.CloudSpeed * G.ScrollSpeed * 1.5);
    if (G.CloudWidth - 800 <= G.CloudX) G.CloudX = 0;

    if (G.CourseWidth - 800 <= G.ScrollX && G.PlayPhase == 0) {
        G.PlayPhase = 1;
        G.ScrollX = G.CourseWidth - 800;
    }

    if (G.PlayerX + G.PlayerWidth >= 800 && G.PlayPhase >= 1) HandOverToTheEvaluation();

    // On the last building there is neither a wall ahead nor a roof end.
    if (G.BuildingIndex < G.BuildingCount) BuildingRules();
}
