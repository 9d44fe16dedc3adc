// The sound generator's signal toolkit: a seeded random source, filters,
// envelopes and the finishing steps every sound goes through (edge fades,
// peak normalisation, 16-bit rounding). Everything is plain double-precision
// arithmetic, so the same sources give the same samples on every build.
#pragma once

#include <cstdint>
#include <vector>

namespace audiogen {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

// One channel of samples in [-1, 1] (before normalisation anything goes).
using Signal = std::vector<double>;

// SplitMix64: small, fast and the same everywhere. Each sound seeds its own.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next();
    // Uniform in [0, 1).
    double Uniform();
    // Uniform in [-1, 1).
    double Bipolar() { return 2.0 * Uniform() - 1.0; }
    // Uniform in [lo, hi).
    double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    // An integer in [lo, hi].
    int Int(int lo, int hi);

private:
    uint64_t state_;
};

// A second-order section in transposed direct form II with the usual
// audio-cookbook designs. Coefficients may change every sample (sweeps).
class Biquad {
public:
    void LowPass(double rate, double freq, double q);
    void HighPass(double rate, double freq, double q);
    // Constant 0 dB peak gain at the centre.
    void BandPass(double rate, double freq, double q);
    double Process(double x);
    void Reset() { z1_ = z2_ = 0; }

private:
    void Set(double b0, double b1, double b2, double a0, double a1, double a2);
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double z1_ = 0, z2_ = 0;
};

// A two-pole resonator that rings at a frequency with a bandwidth in Hz;
// its gain is scaled so the peak is about 1 whatever the bandwidth. Used
// for the formants of the voices.
class Resonator {
public:
    void Set(double rate, double freq, double bandwidth);
    double Process(double x);

private:
    double a_ = 0, b_ = 0, c_ = 0;
    double y1_ = 0, y2_ = 0;
};

// A one-pole smoother (for parameters and gentle low-passing).
class OnePole {
public:
    void LowPass(double rate, double freq);
    double Process(double x) { return y_ += k_ * (x - y_); }

private:
    double k_ = 1, y_ = 0;
};

// Envelope shapes as functions of time in seconds.
// A linear rise over `attack`, then an exponential fall with time
// constant `decay` (the level is 1/e after `decay` seconds).
double AttackDecay(double t, double attack, double decay);
// Smooth 0 → 1 over [start, start + length] (raised cosine).
double SmoothStep(double t, double start, double length);

// Seconds → samples, rounded.
int Samples(double seconds, int rate);

// Raised-cosine fades over the first and last milliseconds.
void FadeEdges(Signal& s, int rate, double in_ms, double out_ms);
// Largest absolute sample.
double Peak(const Signal& s);
// Scales so that the largest absolute sample is `db` dBFS.
void NormalisePeak(Signal& s, double db);
// Scales interleaved channels together the same way.
void NormalisePeak(std::vector<Signal*> channels, double db);
// Rounds to 16 bits (nearest, clipped).
int16_t ToPcm16(double x);
// Mixes `src` into `dst` from sample `at`, scaled, growing `dst` as needed.
void MixInto(Signal& dst, const Signal& src, int at, double gain);

}  // namespace audiogen
