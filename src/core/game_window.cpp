// Game_Main — the play field window, its play loop and its five play keys.
//
// Showing the window takes the display and runs the play loop, which never
// returns in an ordinary run: the program ends from the key handler (Esc,
// or any key after the game is over) or from the windows shown after the
// goal.
#include "core/game_window.h"

#include "core/game_state.h"
#include "core/main_scenes.h"
#include "display/frame.h"
#include "display/surfaces.h"
#include "game/jump_pads.h"
#include "game/player.h"
#include "game/scrolling.h"
#include "sound/sound.h"

GameWindow Game;
std::function<void()> OnPlayLoopPass;

namespace {

constexpr int16_t kKeyEscape = 27, kKeySpace = 32, kKeyM = 77, kKeyN = 78, kKeyV = 86;

// StartFrames counts on while the game-over picture waits for a key; it
// stops at the largest value it can hold.
constexpr Integer kStartFramesLimit = 32767;

// The play keys act only while the hero runs or flies, no pad is in the
// air, the world is not frozen after a respawn and the start is over.
bool PlayKeysAccepted() {
    return G.PlayerState < 2 && G.PadInFlight == 0 && G.RespawnDelay <= 0 && G.StartFrames >= 200;
}

// Throws a pad of the kind into the first free slot; nothing if all three
// are in use.
void ThrowPad(Integer kind) {
    for (Integer slot = 0; slot <= 2; ++slot) {
        if (G.Pads[static_cast<size_t>(slot)].State == 0) {
            G.Pads[static_cast<size_t>(slot)].Kind = kind;
            StartJump(slot);
            return;
        }
    }
}

// A dash, once per airborne phase, after the first third of the arc.
void StartDash() {
    if (!(G.JumpAngle > 60 && G.PlayerState > 0 && G.DashUsed == 0)) return;
    G.ScrollSpeed = static_cast<Single>(G.ScrollSpeed * 1.8);
    G.DashFrame = 0;
    G.PlayerFrame = 4;
    G.PlayerState = 4;
    G.DashTimer = 40;
    G.DashUsed = 1;
    G.CloudSpeed = 2;
    PlayEffect(5);
}

}  // namespace

// One pass of the world: the start frames and the game-over count, the
// freeze after a respawn, or a step of the simulation.
void AdvanceWorld() {
    if (G.StartFrames < 200 || G.PlayPhase >= 2) {
        if (G.StartFrames < kStartFramesLimit) G.StartFrames += 1;
    } else if (G.RespawnDelay > 0) {
        G.RespawnDelay -= 1;
    } else {
        ScrollWorld();
        UpdatePlayer();
        UpdateJump();
    }
}

GameWindow::GameWindow() : forms::Form("Game") {
    // Closing the play field from the window manager leads nowhere: it ends
    // the program as Esc does.
    SetCloseEndsProgram(true);
}

void GameWindow::Layout() {
    SetCaption("Roof Rider");
    SetBorderStyle(forms::BorderStyle::Fixed);
    SetClientSize(800 * forms::kTwipsPerPixel, 600 * forms::kTwipsPerPixel);
    SetBackColor(forms::kBlack);
}

void GameWindow::Form_Activate() {
    StartDisplay();
}

void GameWindow::Form_KeyDown(int16_t key_code, int16_t /*shift*/) {
    if (PlayKeysAccepted()) {
        switch (key_code) {
            case kKeyEscape:
                CloseDisplay();
                forms::End();
            case kKeySpace:
                ThrowPad(0);
                break;
            case kKeyN:
                ThrowPad(1);
                break;
            case kKeyM:
                ThrowPad(2);
                break;
            case kKeyV:
                StartDash();
                break;
            default:
                break;
        }
    }
    if (G.PlayPhase == 2) {
        CloseDisplay();
        forms::End();
    }
}

void PlayLoop() {
    PlayEffect(2);
    for (;;) {
        AdvanceWorld();
        DrawFrame();
        PlayEffect(1);
        if (OnPlayLoopPass) OnPlayLoopPass();
        forms::DoEvents();
    }
}
