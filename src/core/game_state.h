// 宣言 — the declarations module: the whole state of one game in one record.
//
// Every module of the play reads and writes these fields in place; there are
// no accessors and no copies (the bot copies G only to branch its search).
// `G = GameState{}` is the state at program start: every number 0, every
// string empty, every pad free. LoadLevelFiles and ResetGame fill it once.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// The original language's scalar types, kept by name so that every field
// reads as its declaration does.
using Integer = int16_t;  // 16-bit signed
using Long = int32_t;     // 32-bit signed
using Single = float;     // 32-bit IEEE float; every result is stored back as float

// One jump pad of the three-slot table `Pads`. Field order as declared.
struct Pad {
    Single StartY = 0;    // screen y at the launch: base line of the arc
    Single X = 0;         // screen x of the left edge
    Single Y = 0;         // screen y of the top edge
    Single Height = 0;    // 16 after the reset
    Single Width = 0;     // 16 after the reset
    Integer State = 0;    // 0 free, 1 flying, 2 resting, 3 missed, 4 down the wall
    Single Angle = 0;     // degrees on the pad's arc
    Integer Kind = 0;     // 0, 1, 2 (Space, N, M)
    Integer Building = 0; // index into Buildings of the building under the pad
};

// A building or an item; the in-memory form of one 20-byte level record.
struct LevelRecord {
    Single Left = 0;    // world x (already multiplied by CourseScale)
    Single Top = 0;     // screen y
    Single Right = 0;   // world x
    Single Bottom = 0;  // screen y
    Integer Kind = 0;   // item kind 0..3
    Integer Taken = 0;  // 0 present, 1 taken or scrolled away
};

constexpr int kLevelTableSize = 201;  // indices 0..200; 0 is never used

struct GameState {
    // Scene dispatcher (Main): 1 start-up, 2 title, 3 play field.
    Integer Scene = 0;

    // Play phase and counters.
    Integer PlayPhase = 0;    // 0 scrolling, 1 final stretch, 2 game over
    Integer StartFrames = 0;  // frames of the READY/GO start
    Integer RespawnDelay = 0; // frames the world stays frozen after a respawn
    Integer PadInFlight = 0;  // 1 while a thrown pad is in the air

    // Player.
    Single PlayerX = 0;
    Single PlayerY = 0;
    Single PlayerWidth = 0;
    Single PlayerHeight = 0;
    Integer PlayerState = 0;  // 0 roof, 1 air, 2 missed, 3 wall, 4 dash
    Integer PlayerFrame = 0;
    Integer PlayerFrameCount = 0;
    Integer BuildingIndex = 0;
    Integer Lives = 0;

    // Jump and dash.
    Single JumpAngle = 0;
    Single JumpStartY = 0;
    Single JumpBoost = 0;
    Integer LastPadKind = 0;
    Integer DashTimer = 0;
    Integer DashUsed = 0;
    Integer DashFrame = 0;

    // Jump pads.
    std::array<Pad, 3> Pads{};

    // Level tables and their constants.
    std::array<LevelRecord, kLevelTableSize> Buildings{};
    std::array<LevelRecord, kLevelTableSize> Items{};
    Integer BuildingCount = 0;
    Integer ItemCount = 0;
    Integer CourseScale = 0;

    // Scrolling and the course.
    Single ScrollX = 0;
    Single ScrollSpeed = 0;
    Single CourseWidth = 0;
    Single CourseHeight = 0;
    Single CloudX = 0;
    Integer CloudSpeed = 0;
    Single CloudWidth = 0;
    Single CloudHeight = 0;

    // Picture sizes and screen layout.
    Single PanelX = 0;
    Single PanelY = 0;
    Single PanelWidth = 0;
    Single PanelHeight = 0;
    Single DigitWidth = 0;
    Single DigitHeight = 0;
    Single ReadyGoWidth = 0;
    Single ReadyGoHeight = 0;
    Single ItemWidth = 0;
    Single ItemHeight = 0;
    Integer ItemKindCount = 0;

    // Score and clock.
    Long Score = 0;
    std::array<Integer, 8> ScoreDigits{};
    Long ClockStart = 0;
    Long ClockNow = 0;
    Integer ClockMinutes = 0;
    Integer ClockSeconds = 0;
    Integer ClockCentis = 0;
    std::array<Integer, 8> ClockDigits{};

    // Tables and strings.
    std::array<Single, 181> SineTable{};
    std::string BasePath;  // the program directory, always ending in "\"
    std::array<std::string, 3> JumpSoundFiles{};
};

// The one instance.
extern GameState G;

// G.SineTable at the angle rounded to a whole degree, halves to even: the
// arcs of the hero and of the pads. An angle outside 0..180 is an error
// (an index outside the table).
Single TableSine(Single angle);
