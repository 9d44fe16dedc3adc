// Accompaniment from a piece's chords: stabs, pads, arpeggios and bass
// lines written as one-bar step patterns, voiced with smooth voice leading.
//
// Step patterns have one character per step of a bar (16 characters:
// sixteenths; 8: eighths). In rhythm patterns 'x' strikes (accented 'X'),
// '-' holds the previous strike, '.' is silent. Bass patterns use
//   'R' the chord's bass note   'O' an octave above it   'F' its fifth
//   'T' its third               'S' its seventh (or the octave if none)
//   'A' a semitone below the next bar's bass   'W' a tone above it
//   '-' hold   '.' silent
// and arpeggio patterns digits: the n-th note of the voicing from below
// ('4' and up wrap an octave higher).
#pragma once

#include <string_view>

#include "score.h"

namespace audiogen {

struct Range {
    int low;
    int high;
};

// Chord strikes on the rhythm, every bar from `from` to `to` (ticks).
void AddStabs(Part& part, const Piece& piece, int64_t from, int64_t to, std::string_view rhythm,
              Range range, int velocity);
// Each chord held for its whole length (a pad or sustained strings).
void AddPad(Part& part, const Piece& piece, int64_t from, int64_t to, Range range, int velocity);
// Broken chords.
void AddArpeggio(Part& part, const Piece& piece, int64_t from, int64_t to,
                 std::string_view pattern, Range range, int velocity);
// A bass line; `low` is the lowest pitch the bass note may take.
void AddBass(Part& part, const Piece& piece, int64_t from, int64_t to, std::string_view pattern,
             int low, int velocity);

// The sustain pedal, caught anew at every chord change (piano, e-piano).
void AddPedal(Part& part, const Piece& piece, int64_t from, int64_t to);

// GM drum keys.
namespace drum {
constexpr int kKick = 36, kSideStick = 37, kSnare = 38, kClap = 39, kLowTom = 45,
              kClosedHat = 42, kPedalHat = 44, kOpenHat = 46, kMidTom = 47, kHighTom = 50,
              kCrash = 49, kRide = 51, kSplash = 55, kCrash2 = 57, kTambourine = 54,
              kShaker = 70, kTriangle = 81, kWoodBlock = 76, kCabasa = 69;
}  // namespace drum

}  // namespace audiogen
