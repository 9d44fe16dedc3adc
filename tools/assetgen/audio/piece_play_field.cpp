// The play field's music: an upbeat loop at 150 a minute in C major.
//
// Form: a four-bar intro, the eight-bar hook (A) twice, a contrasting B,
// the hook again, a breakdown (C) with the brass taking the tune, and the
// hook once more whose last bar turns on G7 with a fill, so that the jump
// back to the intro's C is a resolution and the loop has no seam. The piece
// starts on the downbeat with bass, kick and crash together and its tracks
// end exactly on the last bar line.
#include "arrange.h"
#include "pieces.h"

namespace audiogen {
namespace {

constexpr const char* kHookChords = "C | G | Am | F | C | G | F G | C";

// The hook: a leap up to C and back, answered on G, sighing over Am and F.
constexpr const char* kHookFirstHalf =
    "E5/2 G5/2 C6/3 B5/1 C6/2 G5/2. E5/2. G5/2. "
    "D6/3 B5/1 G5/4 r/2 G5/2. A5/2. B5/2. "
    "C6/3 B5/1 A5/2 E5/2 A5/4 C6/2 B5/2 "
    "A5/6 G5/2 F5/2. E5/2. F5/2. G5/2. ";
constexpr const char* kHookThirdQuarter =
    "E5/2 G5/2 C6/3 B5/1 C6/2 G5/2. E6/4 "
    "D6/3 C6/1 B5/2 G5/2 B5/2 D6/2 G6/4 ";
constexpr const char* kHookHome =
    "F6/3 E6/1 C6/2 A5/2 G5/2 B5/2 D6/2 F6/2 "
    "E6/6 D6/2 C6/8 ";
// The same cadence, running on into B.
constexpr const char* kHookOnward =
    "F6/3 E6/1 C6/2 A5/2 G5/2 B5/2 D6/2 F6/2 "
    "E6/4 C6/2 G5/2 E5/2. G5/2. A5/2. B5/2. ";
// The last time: Dm and Em instead of C and G, and a run up over G7 that
// lands on the intro's C.
constexpr const char* kHookTurnaround =
    "F5/2 A5/2 D6/3 C6/1 D6/2 A5/2. F6/4 "
    "E6/3 D6/1 B5/2 G5/2 B5/2 E6/2 G6/4 "
    "A5/2 C6/2 F6/4 E6/2 C6/2 A5/4 "
    "G5/2 A5/2 B5/2 C6/2 D6/2 E6/2 F6/2 G6/2> ";

// B: long notes climbing through the relative minor.
constexpr const char* kBridge =
    "A5/4 C6/4 F6/6 E6/2 "
    "D6/4 B5/4 G5/6 A5/2 "
    "B5/4 E6/4 G6/6 E6/2 "
    "C6/6 B5/2 A5/4 E5/4 "
    "F5/4 A5/4 D6/6 C6/2 "
    "B5/4 D6/4 G6/6 F6/2 "
    "E6/4 G6/4 C#6/4 A5/4 "
    "D6/4 F6/4 G6/2 F6/2 D6/2 B5/2 ";

// C: the brass answers itself over Am F C G.
constexpr const char* kBreakdownTune =
    "A5/2. r/2 A5/2 C6/2 E6/4 D6/2 C6/2 "
    "C6/4 A5/4 F5/4 A5/4 "
    "G5/2. r/2 G5/2 C6/2 E6/4 D6/2 C6/2 "
    "D6/8 B5/4 G5/4 "
    "A5/2. r/2 A5/2 C6/2 E6/4 G6/2 E6/2 "
    "F6/4 E6/2 C6/2 A5/4 C6/4 "
    "F#6/4 E6/2 D6/2 C6/4 A5/4 "
    "B5/2 C6/2 D6/4 F6/4 G6/4 ";

using drum::kClap, drum::kClosedHat, drum::kCrash, drum::kHighTom, drum::kKick, drum::kLowTom,
    drum::kMidTom, drum::kOpenHat, drum::kRide, drum::kSnare;

const std::vector<DrumLane> kGroove = {
    {kKick, "X.....x.x.....x."}, {kSnare, "....X.......X..."}, {kClosedHat, "x.o.x.o.x.o.x.o."}};
const std::vector<DrumLane> kGrooveOpen = {{kKick, "X.....x.x.....x."},
                                           {kSnare, "....X.......X..."},
                                           {kClosedHat, "x.o.x.o.x.o.x..."},
                                           {kOpenHat, "..............o."}};
const std::vector<DrumLane> kRideGroove = {
    {kKick, "X.......x.x....."}, {kSnare, "....X.......X..g"}, {kRide, "x.o.x.o.x.o.x.o."}};
const std::vector<DrumLane> kBreak = {
    {kKick, "X.......X......."}, {kClap, "....o.......o..."}, {kClosedHat, "..o...o...o...o."}};
const std::vector<DrumLane> kBuild = {
    {kKick, "X...X...X...X..."}, {kSnare, "g.g.o.o.o.o.xxXX"}, {kClosedHat, "x.x.x.x........."}};
const std::vector<DrumLane> kFill = {{kKick, "X.....x........."}, {kSnare, "....X.........XX"},
                                     {kClosedHat, "x.o.x.o........."}, {kHighTom, "........xx......"},
                                     {kMidTom, "..........xx...."}, {kLowTom, "............xx.."}};

}  // namespace

Piece ComposePlayField() {
    Piece p;
    p.title = "Roof Rider: on the roofs";
    p.bpm = 150;
    p.key_sharps = 0;
    const int intro = AddSection(p, "intro", "C | F | C | G");
    const int a1 = AddSection(p, "A hook", kHookChords);
    const int a2 = AddSection(p, "A hook, thirds", kHookChords);
    const int bridge = AddSection(p, "B", "F | G | Em | Am | Dm | G | Em A7 | Dm G");
    const int a3 = AddSection(p, "A hook", kHookChords);
    const int breakdown = AddSection(p, "C breakdown", "Am | F | C | G | Am | F | D7 | G");
    const int a4 = AddSection(p, "A hook, turnaround", "C | G | Am | F | Dm | Em | F | G7");

    // name, channel, program, volume, pan, reverb, chorus
    p.parts = {
        {"lead", 0, 80, 115, 64, 48, 40, {}, {}},     // square lead
        {"harmony", 1, 81, 60, 40, 48, 40, {}, {}},  // saw lead a third below
        {"bass", 2, 36, 104, 64, 10, 0, {}, {}},     // slap bass
        {"guitar", 3, 27, 76, 94, 40, 24, {}, {}},   // clean guitar on the offbeats
        {"pad", 4, 89, 74, 34, 70, 40, {}, {}},      // warm pad
        {"brass", 5, 62, 100, 80, 50, 20, {}, {}},    // synth brass
        {"bells", 6, 9, 127, 30, 60, 0, {}, {}},      // glockenspiel
        {"drums", 9, 0, 104, 64, 28, 0, {}, {}},
    };
    Part& lead = p.PartNamed("lead");
    Part& harmony = p.PartNamed("harmony");
    Part& bass = p.PartNamed("bass");
    Part& guitar = p.PartNamed("guitar");
    Part& pad = p.PartNamed("pad");
    Part& brass = p.PartNamed("brass");
    Part& bells = p.PartNamed("bells");
    Part& drums = p.PartNamed("drums");
    const int64_t bar = p.TicksPerBar();
    auto at = [&](int bar_number) { return p.BarTick(bar_number); };

    // The tune.
    const std::string hook_first = std::string(kHookFirstHalf) + kHookThirdQuarter;
    AddBars(lead, p, a1, 8, hook_first + kHookHome, 100);
    AddBars(lead, p, a2, 8, hook_first + kHookOnward, 100);
    AddBars(lead, p, bridge, 8, kBridge, 94);
    AddBars(lead, p, a3, 8, hook_first + kHookHome, 102);
    AddBars(lead, p, a4, 8, std::string(kHookFirstHalf) + kHookTurnaround, 104);
    AddBars(brass, p, breakdown, 8, kBreakdownTune, 96);
    // The third time the hook comes round, bells sparkle an octave above.
    AddBars(bells, p, a3, 8, hook_first + kHookHome, 114, 12);
    // Thirds below the hook the second and the last time.
    for (const Note& n : lead.notes) {
        const bool second = n.tick >= at(a2) && n.tick < at(bridge);
        const bool last = n.tick >= at(a4);
        if (second || last)
            harmony.notes.push_back({n.tick, n.length, DiatonicShift(n.pitch, -2, 0), n.velocity - 12});
    }

    // Brass pushes in the intro, on a 3-3-2 figure.
    AddStabs(brass, p, at(intro), at(a1), "X--x--x---x-x-..", {60, 76}, 92);

    // Bass: octaves in eighths, a chromatic step into each new bar.
    AddBass(bass, p, at(intro), at(bridge), "R.O.R.O.R.O.R.OA", 36, 96);
    AddBass(bass, p, at(bridge), at(a3), "R..OR.O.R..OR.OA", 36, 96);
    AddBass(bass, p, at(a3), at(breakdown), "R.O.R.O.R.O.R.OA", 36, 98);
    AddBass(bass, p, at(breakdown), at(breakdown + 7), "R-------R---F--A", 36, 92);
    AddBass(bass, p, at(breakdown + 7), at(a4), "R.R.R.R.O.O.O.OA", 36, 96);
    AddBass(bass, p, at(a4), p.EndTick(), "R.O.R.O.R.O.R.OA", 36, 100);

    // Guitar on the offbeats wherever the hook or B plays.
    AddStabs(guitar, p, at(a1), at(breakdown), "..x...x...x...x.", {55, 74}, 78);
    AddStabs(guitar, p, at(a4), p.EndTick(), "..x...x...x...x.", {55, 74}, 80);

    // The pad fills out the second hook, B, the breakdown and the last hook.
    AddPad(pad, p, at(a2), at(a3), {55, 72}, 52);
    AddPad(pad, p, at(breakdown), p.EndTick(), {55, 72}, 56);

    // Drums: grooves per section, a fill into every section, a crash on
    // every section's first beat (the first bar's included, for the loop).
    for (int bar_index = 0; bar_index < p.bars; ++bar_index) {
        const Section* s = nullptr;
        for (const Section& sec : p.sections)
            if (bar_index >= sec.first_bar && bar_index < sec.first_bar + sec.bars) s = &sec;
        const int in_section = bar_index - s->first_bar;
        const bool last_bar = in_section == s->bars - 1;
        const std::vector<DrumLane>* lanes = in_section % 2 ? &kGrooveOpen : &kGroove;
        if (s->first_bar == bridge) lanes = &kRideGroove;
        if (s->first_bar == breakdown) lanes = last_bar ? &kBuild : &kBreak;
        if (last_bar && s->first_bar != breakdown) lanes = &kFill;
        AddDrumBar(drums, at(bar_index), bar, *lanes, s->first_bar == intro ? 88 : 100);
        if (in_section == 0) drums.notes.push_back({at(bar_index), bar / 2, kCrash, 112});
    }

    Humanise(lead, 0xB61, 5, 6, bar);
    Humanise(harmony, 0xB62, 5, 6, bar);
    Humanise(bass, 0xB63, 3, 6, bar);
    Humanise(guitar, 0xB64, 6, 8, bar);
    Humanise(pad, 0xB65, 0, 4, bar);
    Humanise(brass, 0xB66, 5, 6, bar);
    Humanise(bells, 0xB68, 4, 6, bar);
    Humanise(drums, 0xB67, 3, 8, bar);
    for (Part& part : p.parts) Tidy(part, p.EndTick());
    return p;
}

}  // namespace audiogen
