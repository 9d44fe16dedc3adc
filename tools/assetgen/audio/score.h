// A piece of music as the generator composes it: parts of notes on a tick
// grid, with the small notations the pieces are written in.
//
// Melody lines are written as tokens of pitch and length in sixteenths:
//   "E5/2"      E in octave 5 (C4 is middle C, MIDI 60) for an eighth
//   "r/4"       a quarter rest
//   "C5+E5/4"   several pitches struck together
//   suffixes    "." short (staccato), "-" held the full length,
//               ">" accented, "<" soft; they may be combined ("G5/2.>")
// Chord progressions are written bar by bar: "C | G/B | Am F | Dm7 G7";
// the chords of one bar share it equally.
// Drum patterns are one string per instrument and bar, one character a
// step: 'X' accent, 'x' normal, 'o' soft, 'g' ghost, '.' or '-' rest; the
// string's length sets the step (16 sixteenths, 8 eighths, 12 triplets).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace audiogen {

constexpr int kTicksPerQuarter = 480;
constexpr int kTicksPerSixteenth = kTicksPerQuarter / 4;

struct Note {
    int64_t tick = 0;
    int64_t length = 0;
    int pitch = 60;
    int velocity = 90;
};

struct Controller {
    int64_t tick = 0;
    int number = 0;
    int value = 0;
};

// One instrument on one MIDI channel (9 is the drum kit).
struct Part {
    std::string name;
    int channel = 0;
    int program = 0;  // General MIDI program, or the kit on channel 9
    int volume = 100;
    int pan = 64;
    int reverb = 40;
    int chorus = 0;
    std::vector<Note> notes;
    std::vector<Controller> controllers;  // after the start-up settings
};

struct Chord {
    std::string symbol;
    int root = 0;                // pitch class 0..11 (C = 0)
    int bass = 0;                // pitch class of the lowest note
    std::vector<int> intervals;  // above the root, 0 first
    // The chord's pitch classes.
    std::vector<int> PitchClasses() const;
    bool Contains(int pitch) const;
};

struct TimedChord {
    int64_t tick = 0;
    int64_t length = 0;
    Chord chord;
};

// A named stretch of bars, for the printed outline.
struct Section {
    std::string name;
    int first_bar = 0;
    int bars = 0;
};

struct Piece {
    std::string title;
    double bpm = 120;
    int beats_per_bar = 4;
    int key_sharps = 0;  // key signature: sharps (+) or flats (-)
    int bars = 0;
    std::vector<Part> parts;
    std::vector<TimedChord> chords;  // the harmony, for the outline and checks
    std::vector<Section> sections;

    int64_t TicksPerBar() const { return int64_t{beats_per_bar} * kTicksPerQuarter; }
    int64_t EndTick() const { return bars * TicksPerBar(); }
    int64_t BarTick(int bar) const { return bar * TicksPerBar(); }
    double Seconds(int64_t tick) const {
        return static_cast<double>(tick) / kTicksPerQuarter * 60.0 / bpm;
    }
    double LengthSeconds() const { return Seconds(EndTick()); }
    Part& PartNamed(std::string_view name);
    const Part* FindPart(std::string_view name) const;
    // The chord sounding at a tick (the last one when past the end).
    const Chord& ChordAt(int64_t tick) const;
};

// "C#5" → 73. Throws std::invalid_argument on a bad name.
int PitchOf(std::string_view name);
// 73 → "C#5".
std::string PitchName(int pitch);
// "F#m7/C#" and the like. Throws std::invalid_argument on a bad symbol.
Chord ParseChord(std::string_view symbol);
// Bars of chords from `start`; throws if the text is empty.
std::vector<TimedChord> ParseProgression(std::string_view text, int64_t start,
                                         int64_t ticks_per_bar);

// Writes a melody line into the part from `start`, transposed by
// `transpose`, around `velocity`; returns the tick after its last token.
// Throws std::invalid_argument on a bad token.
int64_t AddLine(Part& part, int64_t start, std::string_view line, int velocity,
                int transpose = 0);
// How many sixteenths a line lasts.
int LineSixteenths(std::string_view line);
// A line that must fill exactly `bars` bars from `first_bar`; throws when
// it is longer or shorter (a miscounted bar would shift everything after).
void AddBars(Part& part, const Piece& piece, int first_bar, int bars, std::string_view line,
             int velocity, int transpose = 0);
// Appends a section to the piece with its chords (bar by bar, as above);
// returns its first bar.
int AddSection(Piece& piece, std::string name, std::string_view chords);
// Moves a pitch by `steps` degrees of the major scale on `tonic` (a pitch
// class); a pitch outside the scale moves from the degree below it.
int DiatonicShift(int pitch, int steps, int tonic);

// One bar of drums: (GM drum key, pattern) pairs.
struct DrumLane {
    int key;
    std::string_view pattern;
};
void AddDrumBar(Part& part, int64_t bar_tick, int64_t ticks_per_bar,
                const std::vector<DrumLane>& lanes, int velocity_scale = 100);

// A voicing of the chord's pitch classes (without doubling) inside
// [low, high], the one closest to `previous` (or to the middle of the
// range when previous is empty).
std::vector<int> VoiceChord(const Chord& chord, int low, int high,
                            const std::vector<int>& previous);

// Small, repeatable deviations so that the parts do not sound machine-made:
// each note's start moves by up to `timing` ticks (never before 0 nor for
// notes on a bar line), each velocity by up to `velocity` steps.
void Humanise(Part& part, uint64_t seed, int timing, int velocity, int64_t ticks_per_bar);

// Makes the part safe to write: notes sorted, none past `end`, and a note
// that starts while the same pitch still sounds ends the earlier one.
void Tidy(Part& part, int64_t end);

// The outline of a piece: sections, chords per bar, and how many of the
// named part's notes on a beat are tones of the chord sounding then.
std::string Describe(const Piece& piece, std::string_view melody_part);
// The share of `part`'s notes that start on a beat and belong to the chord
// sounding then (0..1); 0 when the part has no such notes.
double ChordToneShare(const Piece& piece, std::string_view part);

}  // namespace audiogen
