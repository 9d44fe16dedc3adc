// The bot's simulation: the play loop's passes without a display.
//
// Everything that moves the world is the program's own code: AdvanceWorld
// (the start frames, the respawn freeze, ScrollWorld, UpdatePlayer,
// UpdateJump), UpdateItems and the play field's key handler. The random
// numbers of the hero's bob and of the jump voice are drawn by that code
// from the one generator, whose state the snapshot carries.
#include "bot/simulation.h"

#include <cstdlib>
#include <stdexcept>

#include "core/game_window.h"
#include "game/items.h"
#include "game/level.h"
#include "game/scrolling.h"
#include "platform/basic.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/winmm.h"

namespace bot {

namespace {

bool g_finished = false;

constexpr int kMaxItems = 64;  // the snapshot's item bits

}  // namespace

Snapshot Save() {
    Snapshot s;
    s.PlayPhase = G.PlayPhase;
    s.StartFrames = G.StartFrames;
    s.RespawnDelay = G.RespawnDelay;
    s.PadInFlight = G.PadInFlight;
    s.PlayerX = G.PlayerX;
    s.PlayerY = G.PlayerY;
    s.PlayerState = G.PlayerState;
    s.PlayerFrame = G.PlayerFrame;
    s.BuildingIndex = G.BuildingIndex;
    s.Lives = G.Lives;
    s.JumpAngle = G.JumpAngle;
    s.JumpStartY = G.JumpStartY;
    s.JumpBoost = G.JumpBoost;
    s.LastPadKind = G.LastPadKind;
    s.DashTimer = G.DashTimer;
    s.DashUsed = G.DashUsed;
    s.DashFrame = G.DashFrame;
    s.Pads = G.Pads;
    for (int n = 1; n <= G.ItemCount; ++n)
        if (G.Items[static_cast<std::size_t>(n)].Taken != 0) s.ItemsTaken |= uint64_t{1} << (n - 1);
    s.ScrollX = G.ScrollX;
    s.ScrollSpeed = G.ScrollSpeed;
    s.CloudX = G.CloudX;
    s.CloudSpeed = G.CloudSpeed;
    s.Score = G.Score;
    s.Rnd = basic::RndState();
    return s;
}

void Restore(const Snapshot& s) {
    G.PlayPhase = s.PlayPhase;
    G.StartFrames = s.StartFrames;
    G.RespawnDelay = s.RespawnDelay;
    G.PadInFlight = s.PadInFlight;
    G.PlayerX = s.PlayerX;
    G.PlayerY = s.PlayerY;
    G.PlayerState = s.PlayerState;
    G.PlayerFrame = s.PlayerFrame;
    G.BuildingIndex = s.BuildingIndex;
    G.Lives = s.Lives;
    G.JumpAngle = s.JumpAngle;
    G.JumpStartY = s.JumpStartY;
    G.JumpBoost = s.JumpBoost;
    G.LastPadKind = s.LastPadKind;
    G.DashTimer = s.DashTimer;
    G.DashUsed = s.DashUsed;
    G.DashFrame = s.DashFrame;
    G.Pads = s.Pads;
    for (int n = 1; n <= G.ItemCount; ++n)
        G.Items[static_cast<std::size_t>(n)].Taken =
            static_cast<Integer>((s.ItemsTaken >> (n - 1)) & 1);
    G.ScrollX = s.ScrollX;
    G.ScrollSpeed = s.ScrollSpeed;
    G.CloudX = s.CloudX;
    G.CloudSpeed = s.CloudSpeed;
    G.Score = s.Score;
    basic::SetRndState(s.Rnd);
}

bool SameState(const Snapshot& a, const Snapshot& b) {
    auto same_pad = [](const Pad& p, const Pad& q) {
        return p.StartY == q.StartY && p.X == q.X && p.Y == q.Y && p.Height == q.Height &&
               p.Width == q.Width && p.State == q.State && p.Angle == q.Angle &&
               p.Kind == q.Kind && p.Building == q.Building;
    };
    for (std::size_t i = 0; i < a.Pads.size(); ++i)
        if (!same_pad(a.Pads[i], b.Pads[i])) return false;
    return a.PlayPhase == b.PlayPhase && a.StartFrames == b.StartFrames &&
           a.RespawnDelay == b.RespawnDelay && a.PadInFlight == b.PadInFlight &&
           a.PlayerX == b.PlayerX && a.PlayerY == b.PlayerY && a.PlayerState == b.PlayerState &&
           a.PlayerFrame == b.PlayerFrame && a.BuildingIndex == b.BuildingIndex &&
           a.Lives == b.Lives && a.JumpAngle == b.JumpAngle && a.JumpStartY == b.JumpStartY &&
           a.JumpBoost == b.JumpBoost && a.LastPadKind == b.LastPadKind &&
           a.DashTimer == b.DashTimer && a.DashUsed == b.DashUsed && a.DashFrame == b.DashFrame &&
           a.ItemsTaken == b.ItemsTaken && a.ScrollX == b.ScrollX &&
           a.ScrollSpeed == b.ScrollSpeed && a.CloudX == b.CloudX &&
           a.CloudSpeed == b.CloudSpeed && a.Score == b.Score && a.Rnd == b.Rnd;
}

void StartNewGame(const std::string& game_dir) {
    // No one presses Ctrl+C in a window here: let SIGINT and SIGTERM stop
    // the process as they stop any other (timeout, kill) rather than
    // becoming a quit request that only a pumped event loop sees.
    setenv("SDL_NO_SIGNAL_HANDLERS", "1", 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    platform::clock::UseVirtualTime(true);
    if (!game_dir.empty()) platform::files::SetProgramDirectoryOverride(game_dir);
    forms::Initialise(true);
    winmm::InitialiseAudio();
    G = GameState{};
    basic::ResetRnd();
    LoadLevelFiles();
    ResetGame();
    if (G.ItemCount > kMaxItems)
        throw std::runtime_error("data\\item.dat: " + std::to_string(G.ItemCount) +
                                 " items, the bot follows at most " + std::to_string(kMaxItems));
    G.Scene = 3;
    StopAtFinish = [] { g_finished = true; };
}

PassEnd AdvancePass() {
    const Integer lives = G.Lives;
    g_finished = false;
    AdvanceWorld();
    if (g_finished) return PassEnd::Finished;
    const bool fell = G.Lives < lives;
    // Composing the frame: the blast's cell counter moves on right after
    // its copy, and the item step runs unless the game is over.
    if (G.PlayPhase >= 2) return PassEnd::GameOver;
    if (G.PlayerState == 4 && G.DashFrame < 16) G.DashFrame += 1;
    UpdateItems();
    return fell ? PassEnd::LifeLost : PassEnd::Playing;
}

void PressKey(int16_t key) {
    if (key != kNoKey && G.PlayPhase < 2) Game.Form_KeyDown(key, 0);
}

PassEnd Pass(int16_t key) {
    PassEnd end = AdvancePass();
    if (end != PassEnd::Finished) PressKey(key);
    return end;
}

bool KeyActs(int16_t key) {
    const Snapshot before = Save();
    PressKey(key);
    const bool acted = !SameState(before, Save());
    Restore(before);
    return acted;
}

}  // namespace bot
