// The story's music: calm and a little comic, 90 a minute in F major.
//
// A bassoon "oom" on one and three and the electric piano's "pah" on two
// and four carry a vibraphone tune over soft strings and brushes. Form: a
// two-bar vamp, the tune (A), a gentler B that sighs over B flat minor,
// and a two-bar tag in the rhythm of a knock on the door whose last chord
// falls on the third beat of the last bar, about when the story closes
// the music (20 bars, 53.3 s; the story runs 52.65 s).
#include "arrange.h"
#include "pieces.h"

namespace audiogen {
namespace {

constexpr const char* kTune =
    "A4/2. C5/2. F5/3 E5/1 F5/4 r/2 C5/2. "
    "D5/2. F5/2. A5/3 G#5/1 A5/4 r/2 F5/2. "
    "G5/3 F5/1 E5/2 F5/2 G5/2 A5/2 Bb5/4 "
    "A5/2. G5/2. E5/2. C5/2. Bb4/4 r/4 "
    "A4/2. C5/2. F5/3 E5/1 F5/4 r/2 A5/2. "
    "D6/4 C6/2 A5/2 F5/4 D5/4 "
    "Bb5/3 A5/1 G5/4 E5/3 F5/1 G5/4 "
    "F5/4 C5/2. A4/2. F4/4 r/4 ";

constexpr const char* kBridge =
    "D5/4 F5/4 Bb5/6 A5/2 "
    "G5/4 E5/4 C#5/6 E5/2 "
    "F5/4 A5/4 D6/6 C6/2 "
    "A5/4 F5/2 Eb5/2 C5/4 Eb5/4 "
    "D5/2 F5/2 Bb5/2 D6/2 F6/6 D6/2 "
    "Db6/4 Bb5/4 F5/4 Db5/4 "
    "C5/4 A5/4 G5/4 Bb5/4 "
    "A5/4 G5/2 F5/2 C5/4 r/4 ";

// Knock, knock-knock, knock, knock ... knock, knock.
constexpr const char* kTag =
    "F5/4 C5/2. C5/2. D5/4 C5/4 "
    "r/4 E5/4.> F5/4> r/4 ";

using drum::kClosedHat, drum::kKick, drum::kSnare;

}  // namespace

Piece ComposeStory() {
    Piece p;
    p.title = "Roof Rider: the story";
    p.bpm = 90;
    p.key_sharps = -1;
    const int vamp = AddSection(p, "vamp", "F | C7");
    const int a = AddSection(p, "A", "F | Dm | Gm7 | C7 | F | Dm | Gm7 C7 | F");
    const int b = AddSection(p, "B", "Bb | A7 | Dm | F7 | Bb | Bbm | F/C C7 | F");
    const int tag = AddSection(p, "tag", "F | C7 F");

    // name, channel, program, volume, pan, reverb, chorus
    p.parts = {
        {"vibes", 0, 11, 110, 72, 60, 10, {}, {}},
        {"epiano", 1, 4, 82, 50, 50, 30, {}, {}},
        {"strings", 2, 48, 48, 40, 80, 20, {}, {}},
        {"bassoon", 3, 70, 96, 60, 30, 0, {}, {}},
        {"pizz", 4, 45, 110, 90, 50, 0, {}, {}},
        {"drums", 9, 40, 100, 64, 40, 0, {}, {}},  // the brush kit
    };
    Part& vibes = p.PartNamed("vibes");
    Part& epiano = p.PartNamed("epiano");
    Part& strings = p.PartNamed("strings");
    Part& bassoon = p.PartNamed("bassoon");
    Part& pizz = p.PartNamed("pizz");
    Part& drums = p.PartNamed("drums");
    const int64_t bar = p.TicksPerBar();
    auto at = [&](int bar_number) { return p.BarTick(bar_number); };

    AddBars(vibes, p, a, 8, kTune, 92);
    AddBars(vibes, p, b, 8, kBridge, 84);
    AddBars(vibes, p, tag, 2, kTag, 96);

    // Oom-pah.
    AddBass(bassoon, p, at(vamp), at(b), "R-..F-..R-..F-..", 41, 88);
    AddBass(bassoon, p, at(b), at(tag), "R-..F-..R-..A-..", 41, 84);
    AddBass(bassoon, p, at(tag), at(tag + 1), "R-..F-..R-..F-..", 41, 88);
    AddBass(bassoon, p, at(tag + 1), p.EndTick(), "R-......R-------", 41, 92);
    AddStabs(epiano, p, at(vamp), at(tag + 1), "....x-......x-..", {53, 70}, 70);
    AddStabs(epiano, p, at(tag + 1), p.EndTick(), "....x-..X-------", {53, 70}, 74);
    AddPedal(epiano, p, at(tag + 1), p.EndTick());

    // Strings under the tune; pizzicato broken chords answer in B.
    AddPad(strings, p, at(a), p.EndTick(), {53, 74}, 50);
    AddArpeggio(pizz, p, at(b), at(tag), "0.1.2.1.0.1.2.1.", {55, 72}, 62);
    // The vamp's second bar walks up to the tune.
    AddLine(pizz, at(vamp + 1), "r/8 C4/2. D4/2. E4/2. G4/2.", 66);

    for (int i = 0; i < p.bars; ++i) {
        if (i < a) {
            AddDrumBar(drums, at(i), bar, {{kClosedHat, "g.g.g.g.g.g.g.g."}});
        } else if (i == p.bars - 1) {
            AddDrumBar(drums, at(i), bar, {{kKick, "o.......o......."}, {kSnare, "....g.......-..."}});
        } else {
            AddDrumBar(drums, at(i), bar,
                       {{kKick, "o.......o......."}, {kSnare, "....g.......g..."},
                        {kClosedHat, "g.g.g.g.g.g.g.g."}});
        }
    }

    Humanise(vibes, 0x5701, 6, 6, bar);
    Humanise(epiano, 0x5702, 6, 6, bar);
    Humanise(strings, 0x5703, 0, 3, bar);
    Humanise(bassoon, 0x5704, 4, 5, bar);
    Humanise(pizz, 0x5705, 5, 6, bar);
    Humanise(drums, 0x5706, 4, 6, bar);
    for (Part& part : p.parts) Tidy(part, p.EndTick());
    return p;
}

}  // namespace audiogen
