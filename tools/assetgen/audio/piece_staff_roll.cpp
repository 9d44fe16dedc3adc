// The staff roll's piece: warm and proud, 96 a minute in D major, 32 bars
// (80 s) that the staff roll plays again and again.
//
// Piano alone for four bars, then the tune (A) on the piano over strings
// and a soft beat; the violins take it over (A') while the piano breaks the
// chords; B climbs with horns and the piano striking every beat; a
// four-bar ending settles on D and is released within the last bar.
#include "arrange.h"
#include "pieces.h"

namespace audiogen {
namespace {

constexpr const char* kTuneOpening =
    "F#5/6 E5/2 D5/4 A4/4 "
    "E5/6 D5/2 C#5/4 A4/4 "
    "D5/4 F#5/4 B5/6 A5/2 "
    "G5/8 F#5/4 E5/4 "
    "F#5/6 E5/2 D5/4 F#5/4 "
    "G5/4 B5/4 D6/6 C#6/2 "
    "B5/4 G5/4 E5/4 C#5/4 ";
constexpr const char* kTuneRest = "D5/12 r/4 ";
constexpr const char* kTuneOnward = "D5/8 F#5/4 A5/4 ";

constexpr const char* kBridge =
    "D5/4 G5/4 B5/6 A5/2 "
    "C#5/4 E5/4 A5/6 G5/2 "
    "F#5/4 A5/4 C#6/6 B5/2 "
    "D6/8 C#6/4 B5/4 "
    "G5/4 B5/4 E6/6 D6/2 "
    "C#6/8 B5/4 A5/4 "
    "B5/4 A5/4 G5/4 B5/4 "
    "D6/8 C#6/8 ";

constexpr const char* kEnding =
    "D6/6 B5/2 G5/4 B5/4 "
    "A5/6 B5/2 C#6/4 E6/4 "
    "D6/16 "
    "r/16 ";

using drum::kClosedHat, drum::kKick, drum::kSideStick, drum::kShaker;

}  // namespace

Piece ComposeStaffRoll() {
    Piece p;
    p.title = "Roof Rider: staff roll";
    p.bpm = 96;
    p.key_sharps = 2;
    const int intro = AddSection(p, "intro", "D | G/D | Em7 | Asus4 A");
    const int a1 = AddSection(p, "A", "D | A/C# | Bm | G | D/F# | G | Em7 A7 | D");
    const int a2 = AddSection(p, "A'", "D | A/C# | Bm | G | D/F# | G | Em7 A7 | D");
    const int b = AddSection(p, "B", "G | A | F#m | Bm | Em7 | A | G | Asus4 A");
    const int ending = AddSection(p, "ending", "G | A | D | D");

    // name, channel, program, volume, pan, reverb, chorus
    p.parts = {
        {"piano", 0, 0, 127, 58, 60, 0, {}, {}},
        {"piano2", 1, 0, 110, 70, 60, 0, {}, {}},
        {"strings", 2, 49, 94, 40, 80, 0, {}, {}},
        {"violins", 3, 48, 72, 84, 70, 0, {}, {}},
        {"bass", 4, 32, 96, 60, 30, 0, {}, {}},
        {"horns", 5, 60, 78, 46, 70, 0, {}, {}},
        {"drums", 9, 40, 90, 64, 40, 0, {}, {}},  // the brush kit
    };
    Part& piano = p.PartNamed("piano");
    Part& piano2 = p.PartNamed("piano2");
    Part& strings = p.PartNamed("strings");
    Part& violins = p.PartNamed("violins");
    Part& bass = p.PartNamed("bass");
    Part& horns = p.PartNamed("horns");
    Part& drums = p.PartNamed("drums");
    const int64_t bar = p.TicksPerBar();
    auto at = [&](int bar_number) { return p.BarTick(bar_number); };

    // The tune: piano, then violins, then both (the violins an octave
    // below) in B and the ending.
    AddBars(piano, p, a1, 8, std::string(kTuneOpening) + kTuneRest, 112);
    AddBars(violins, p, a2, 8, std::string(kTuneOpening) + kTuneOnward, 84);
    AddBars(violins, p, b, 8, kBridge, 88, -12);
    AddBars(piano, p, b, 8, kBridge, 104);
    AddBars(violins, p, ending, 4, kEnding, 88, -12);
    AddBars(piano, p, ending, 4, kEnding, 104);

    // Broken chords under the piano's tune and the violins'; struck chords
    // on every beat in B; the last chord spread upwards and let ring.
    AddArpeggio(piano2, p, at(intro), at(a2), "0-1-2-3-4-3-2-1-", {50, 67}, 70);
    AddArpeggio(piano2, p, at(a2), at(b), "0-2-1-3-2-4-3-1-", {57, 74}, 70);
    AddStabs(piano2, p, at(b), at(ending + 3), "x---x---x---x---", {55, 72}, 70);
    AddArpeggio(piano2, p, at(ending + 3), p.EndTick(), "0-1-2-3-4-5-6---", {50, 67}, 66);
    AddPedal(piano2, p, at(intro), p.EndTick());
    AddPedal(piano, p, at(a1), p.EndTick());

    AddPad(strings, p, at(a1), at(ending + 3), {55, 74}, 56);
    AddStabs(strings, p, at(ending + 3), p.EndTick(), "x-----------....", {55, 74}, 56);
    AddPad(horns, p, at(b), at(ending + 3), {53, 67}, 58);

    AddBass(bass, p, at(a1), at(b), "R-------F---R---", 38, 84);
    AddBass(bass, p, at(b), at(ending + 2), "R-----R-F---R-A-", 38, 86);
    AddBass(bass, p, at(ending + 2), p.EndTick(), "R---------------", 38, 84);

    // The soft beat: brushes from A, fuller from A', resting at the end.
    for (int i = a1; i < ending + 2; ++i) {
        const bool full = i >= a2;
        AddDrumBar(drums, at(i), bar,
                   {{kKick, full ? "x.......x.x....." : "o.......o......."},
                    {kSideStick, "....o.......o..."},
                    {full ? kClosedHat : kShaker, "g.g.g.g.g.g.g.g."}});
    }
    AddDrumBar(drums, at(ending + 2), bar, {{kKick, "o..............."}});

    Humanise(piano, 0xE101, 6, 6, bar);
    Humanise(piano2, 0xE102, 5, 6, bar);
    Humanise(strings, 0xE103, 0, 4, bar);
    Humanise(violins, 0xE104, 6, 6, bar);
    Humanise(bass, 0xE105, 4, 5, bar);
    Humanise(horns, 0xE106, 0, 4, bar);
    Humanise(drums, 0xE107, 4, 6, bar);
    for (Part& part : p.parts) Tidy(part, p.EndTick());
    return p;
}

}  // namespace audiogen
