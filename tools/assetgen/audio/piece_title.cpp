// The title's fanfare: brass and drums, 120 a minute in B flat major,
// twelve bars (24 s) that the title screen plays again and again.
//
// A two-bar call ("ta-ta-ta taa"), a four-bar march tune, its answer in the
// relative minor, and a two-bar cadence whose last chord is released
// within the last bar, so the piece can start again straight away.
#include "arrange.h"
#include "pieces.h"

namespace audiogen {
namespace {

constexpr const char* kCall =
    "F4/1> F4/1 F4/2 Bb4/6> F4/2 Bb4/2 D5/2 "
    "F5/8 Eb5/2 D5/2 C5/4 ";
constexpr const char* kMarch =
    "Bb4/3> C5/1 D5/4 F5/4 D5/4 "
    "Eb5/3> F5/1 G5/4 Bb5/6 G5/2 "
    "F5/3 Eb5/1 D5/4 C5/4 A4/4 "
    "Bb4/8 r/4 F4/2. F4/2. ";
constexpr const char* kAnswer =
    "Bb4/3> C5/1 D5/4 G5/4 D5/4 "
    "Eb5/3> F5/1 G5/4 Bb5/4 C6/4 "
    "Eb6/4 C6/4 A5/4 F5/4 "
    "Bb5/8 r/4 F5/2. F5/2. ";
constexpr const char* kCadence =
    "G5/4> Bb5/4 A5/4> C6/4 "
    "D6/10> r/6 ";

using drum::kCrash, drum::kCrash2, drum::kKick, drum::kSnare;

}  // namespace

Piece ComposeTitle() {
    Piece p;
    p.title = "Roof Rider: title";
    p.bpm = 120;
    p.key_sharps = -2;
    const int call = AddSection(p, "call", "Bb | F7");
    const int march = AddSection(p, "A march", "Bb | Eb | Bb/F F | Bb");
    const int answer = AddSection(p, "A answer", "Gm | Eb | Cm F | Bb");
    const int cadence = AddSection(p, "cadence", "Eb F | Bb");

    // name, channel, program, volume, pan, reverb, chorus
    p.parts = {
        {"trumpet", 0, 56, 127, 64, 50, 0, {}, {}},
        {"horns", 1, 60, 84, 44, 60, 0, {}, {}},
        {"brass", 2, 61, 120, 84, 50, 0, {}, {}},
        {"tuba", 3, 58, 100, 60, 30, 0, {}, {}},
        {"timpani", 4, 47, 100, 70, 50, 0, {}, {}},
        {"strings", 5, 48, 54, 30, 70, 0, {}, {}},
        {"glocken", 6, 9, 127, 96, 60, 0, {}, {}},
        {"drums", 9, 48, 100, 64, 40, 0, {}, {}},  // the orchestra kit
    };
    Part& trumpet = p.PartNamed("trumpet");
    Part& horns = p.PartNamed("horns");
    Part& brass = p.PartNamed("brass");
    Part& tuba = p.PartNamed("tuba");
    Part& timpani = p.PartNamed("timpani");
    Part& strings = p.PartNamed("strings");
    Part& glocken = p.PartNamed("glocken");
    Part& drums = p.PartNamed("drums");
    const int64_t bar = p.TicksPerBar();
    auto at = [&](int bar_number) { return p.BarTick(bar_number); };

    AddBars(trumpet, p, call, 2, kCall, 104);
    AddBars(trumpet, p, march, 4, kMarch, 100);
    AddBars(trumpet, p, answer, 4, kAnswer, 104);
    AddBars(trumpet, p, cadence, 2, kCadence, 110);
    // The glockenspiel doubles the answer and the cadence an octave up.
    AddBars(glocken, p, answer, 4, kAnswer, 100, 12);
    AddBars(glocken, p, cadence, 2, kCadence, 104, 12);

    // The call: the section answers the trumpet's notes, then holds.
    AddStabs(brass, p, at(call), at(march), "XxX---x-x-x-x---", {58, 72}, 96);
    AddStabs(brass, p, at(march), at(cadence), "x-..x-..x-..x-x.", {58, 72}, 84);
    AddStabs(brass, p, at(cadence), at(cadence + 1), "X---x---X---x---", {58, 74}, 96);
    AddStabs(brass, p, at(cadence + 1), p.EndTick(), "X---------......", {58, 74}, 104);
    AddPad(horns, p, at(march), at(cadence + 1), {53, 67}, 72);
    AddStabs(horns, p, at(cadence + 1), p.EndTick(), "X---------......", {53, 67}, 96);
    AddPad(strings, p, at(call), at(cadence + 1), {58, 79}, 64);
    AddStabs(strings, p, at(cadence + 1), p.EndTick(), "X---------......", {58, 79}, 90);

    AddBass(tuba, p, at(call), at(march), "R-.R-.R-R-------", 34, 92);
    AddBass(tuba, p, at(march), at(cadence), "R-..F-..R-..F-..", 34, 90);
    AddBass(tuba, p, at(cadence), at(cadence + 1), "R-..R-..R-..R-..", 34, 96);
    AddBass(tuba, p, at(cadence + 1), p.EndTick(), "R---------......", 34, 104);

    // Timpani on the strong beats, a roll into the march and the last chord.
    AddBass(timpani, p, at(call), at(call + 1), "R.......R.......", 41, 96);
    AddLine(timpani, at(call + 1), "F2/1 F2/1 F2/1 F2/1 F2/1 F2/1 F2/1 F2/1 F2/1 F2/1 F2/1 F2/1 "
                                   "F2/1> F2/1> F2/1> F2/1>", 70);
    AddBass(timpani, p, at(march), at(cadence), "R.......F.......", 41, 92);
    AddLine(timpani, at(cadence), "Bb2/4 F2/4 F2/1 F2/1 F2/1 F2/1 F2/1> F2/1> F2/1> F2/1>", 84);
    AddLine(timpani, at(cadence + 1), "Bb2/8> r/8", 110);

    // Drums: a snare rudiment answering the call, a march, rolls into
    // each part.
    AddDrumBar(drums, at(call), bar, {{kKick, "X.......X......."}, {kSnare, "XxX.........oooo"}});
    AddDrumBar(drums, at(call + 1), bar, {{kKick, "X..............."}, {kSnare, "ggggooooxxxxXXXX"}});
    for (int i = march; i < cadence; ++i) {
        const bool roll = i == answer - 1 || i == cadence - 1;
        AddDrumBar(drums, at(i), bar,
                   {{kKick, "X.......X......."},
                    {kSnare, roll ? "X.ox..o.x.xxXXXX" : "X.oox.o.X.oox.o."}});
    }
    AddDrumBar(drums, at(cadence), bar, {{kKick, "X...X...X...X..."}, {kSnare, "x.o.x.o.oooxxxXX"}});
    AddDrumBar(drums, at(cadence + 1), bar, {{kKick, "X..............."}});
    for (int b : {call, march, answer, cadence + 1})
        drums.notes.push_back({at(b), bar / 2, b == cadence + 1 ? kCrash2 : kCrash, 112});

    Humanise(trumpet, 0x7101, 4, 5, bar);
    Humanise(horns, 0x7102, 0, 4, bar);
    Humanise(brass, 0x7103, 4, 6, bar);
    Humanise(tuba, 0x7104, 3, 5, bar);
    Humanise(timpani, 0x7105, 2, 6, bar);
    Humanise(strings, 0x7106, 0, 4, bar);
    Humanise(glocken, 0x7107, 4, 6, bar);
    Humanise(drums, 0x7108, 3, 8, bar);
    for (Part& part : p.parts) Tidy(part, p.EndTick());
    return p;
}

}  // namespace audiogen
