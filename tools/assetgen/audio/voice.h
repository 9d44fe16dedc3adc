// A small voice synthesiser for the shouted syllables ("hup!") and the soft
// "pwah": a glottal source built from harmonics shaped by four formants,
// with breath noise through the same formants. Every quantity follows a
// piecewise-linear track over the syllable's time.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "dsp.h"

namespace audiogen {

// Values at times (seconds), linear in between, held before and after.
class Track {
public:
    Track(std::initializer_list<std::pair<double, double>> points) : points_(points) {}
    double At(double t) const;

private:
    std::vector<std::pair<double, double>> points_;
};

struct Syllable {
    double seconds = 0.3;
    Track pitch{{0, 120}};   // fundamental, Hz
    Track voiced{{0, 1}};    // level of the voiced sound, 0..1
    Track breath{{0, 0}};    // level of breath noise through the formants
    Track burst{{0, 0}};     // level of a plain noise burst (a released p)
    Track f1{{0, 700}}, f2{{0, 1200}}, f3{{0, 2600}}, f4{{0, 3400}};
    double bandwidths[4] = {90, 110, 150, 220};
    // Formant frequencies are multiplied by this (smaller heads, higher).
    double formant_scale = 1.0;
    // The source falls by k^-tilt over its harmonics: about 1 for a shout,
    // more for a soft voice.
    double tilt = 1.0;
    // Highest harmonic frequency, Hz.
    double brightness = 6000;
    // Cycle-to-cycle wobble of pitch and level.
    double jitter = 0.006;
    double shimmer = 0.05;
    uint64_t seed = 1;
};

Signal SynthesiseSyllable(const Syllable& s, int rate);

}  // namespace audiogen
