// The bot's view of the play: the real world step, frame effects and key
// handler of the play field, run one pass at a time without a display, and
// a snapshot of everything a pass can change so that a search can branch.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/game_state.h"

namespace bot {

// The virtual-key codes of the play keys.
constexpr int16_t kNoKey = 0;
constexpr int16_t kKeySpace = 32;  // low pad
constexpr int16_t kKeyN = 78;      // middle pad
constexpr int16_t kKeyM = 77;      // high pad
constexpr int16_t kKeyV = 86;      // dash

// What the play changes in G (the level tables, sizes and strings stay as
// loaded), with the random generator's state. Small, so that a search can
// hold many thousands of them.
struct Snapshot {
    Integer PlayPhase = 0, StartFrames = 0, RespawnDelay = 0, PadInFlight = 0;
    Single PlayerX = 0, PlayerY = 0;
    Integer PlayerState = 0, PlayerFrame = 0, BuildingIndex = 0, Lives = 0;
    Single JumpAngle = 0, JumpStartY = 0, JumpBoost = 0;
    Integer LastPadKind = 0, DashTimer = 0, DashUsed = 0, DashFrame = 0;
    std::array<Pad, 3> Pads{};
    uint64_t ItemsTaken = 0;  // bit n-1 for item n
    Single ScrollX = 0, ScrollSpeed = 0, CloudX = 0;
    Integer CloudSpeed = 0;
    Long Score = 0;
    uint32_t Rnd = 0;
};

Snapshot Save();
void Restore(const Snapshot& s);
// Whether two snapshots hold the same values, field for field.
bool SameState(const Snapshot& a, const Snapshot& b);

// Starts the toolkit headless and the audio silent, reads the level files
// from the game folder (empty: the folder of the program) and gives G the
// values it has when the play loop starts its first pass. Throws with a
// message naming the file when a level file is missing or damaged.
void StartNewGame(const std::string& game_dir);

enum class PassEnd {
    Playing,   // the pass ran; the play goes on
    LifeLost,  // the hero fell below the view in this pass (the play goes on)
    Finished,  // the hero reached the right edge in the final stretch
    GameOver,  // the pass ended the game (the last life was lost)
};

// One pass of the play loop: the world step, then what composing the frame
// does to the state (the blast's cell counter, the item step), then `key`
// through the play field's key handler (kNoKey for none). A finished pass
// stops after the world step, as the real loop hands over to the
// evaluation there. Once the game is over no key is passed on: the real
// key handler would end the program.
PassEnd Pass(int16_t key);
// The same in two halves, so that a search can branch on the key after
// one shared world step.
PassEnd AdvancePass();
void PressKey(int16_t key);

// Whether a key, pressed now, would change anything.
bool KeyActs(int16_t key);

}  // namespace bot
