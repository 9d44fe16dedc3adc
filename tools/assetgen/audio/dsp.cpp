// The sound generator's signal toolkit (see dsp.h).
#include "dsp.h"

#include <algorithm>
#include <cmath>

namespace audiogen {

uint64_t Random::Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Random::Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

int Random::Int(int lo, int hi) {
    return lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1));
}

void Biquad::Set(double b0, double b1, double b2, double a0, double a1, double a2) {
    b0_ = b0 / a0;
    b1_ = b1 / a0;
    b2_ = b2 / a0;
    a1_ = a1 / a0;
    a2_ = a2 / a0;
}

void Biquad::LowPass(double rate, double freq, double q) {
    const double w = kTwoPi * std::min(freq, rate * 0.45) / rate;
    const double alpha = std::sin(w) / (2 * q);
    const double c = std::cos(w);
    Set((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::HighPass(double rate, double freq, double q) {
    const double w = kTwoPi * std::min(freq, rate * 0.45) / rate;
    const double alpha = std::sin(w) / (2 * q);
    const double c = std::cos(w);
    Set((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::BandPass(double rate, double freq, double q) {
    const double w = kTwoPi * std::min(freq, rate * 0.45) / rate;
    const double alpha = std::sin(w) / (2 * q);
    const double c = std::cos(w);
    Set(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
}

double Biquad::Process(double x) {
    const double y = b0_ * x + z1_;
    z1_ = b1_ * x - a1_ * y + z2_;
    z2_ = b2_ * x - a2_ * y;
    return y;
}

void Resonator::Set(double rate, double freq, double bandwidth) {
    const double r = std::exp(-kPi * bandwidth / rate);
    const double w = kTwoPi * freq / rate;
    b_ = 2 * r * std::cos(w);
    c_ = -r * r;
    // Unity gain at the centre frequency, roughly: (1 - r) scaled.
    a_ = (1 - r) * std::sqrt(1 - 2 * r * std::cos(2 * w) + r * r);
}

double Resonator::Process(double x) {
    const double y = a_ * x + b_ * y1_ + c_ * y2_;
    y2_ = y1_;
    y1_ = y;
    return y;
}

void OnePole::LowPass(double rate, double freq) { k_ = 1 - std::exp(-kTwoPi * freq / rate); }

double AttackDecay(double t, double attack, double decay) {
    if (t < 0) return 0;
    if (t < attack) return t / attack;
    return std::exp(-(t - attack) / decay);
}

double SmoothStep(double t, double start, double length) {
    if (t <= start) return 0;
    if (t >= start + length) return 1;
    return 0.5 - 0.5 * std::cos(kPi * (t - start) / length);
}

int Samples(double seconds, int rate) { return static_cast<int>(std::lround(seconds * rate)); }

void FadeEdges(Signal& s, int rate, double in_ms, double out_ms) {
    const int n = static_cast<int>(s.size());
    const int in = std::min(n, Samples(in_ms / 1000.0, rate));
    const int out = std::min(n, Samples(out_ms / 1000.0, rate));
    for (int i = 0; i < in; ++i) s[i] *= 0.5 - 0.5 * std::cos(kPi * i / in);
    // The very last sample reaches 0.
    for (int i = 0; i < out; ++i) s[n - 1 - i] *= 0.5 - 0.5 * std::cos(kPi * i / out);
}

double Peak(const Signal& s) {
    double peak = 0;
    for (double x : s) peak = std::max(peak, std::fabs(x));
    return peak;
}

void NormalisePeak(Signal& s, double db) { NormalisePeak(std::vector<Signal*>{&s}, db); }

void NormalisePeak(std::vector<Signal*> channels, double db) {
    double peak = 0;
    for (const Signal* c : channels) peak = std::max(peak, Peak(*c));
    if (peak <= 0) return;
    const double gain = std::pow(10.0, db / 20.0) / peak;
    for (Signal* c : channels)
        for (double& x : *c) x *= gain;
}

int16_t ToPcm16(double x) {
    const double v = std::nearbyint(x * 32767.0);
    return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
}

void MixInto(Signal& dst, const Signal& src, int at, double gain) {
    if (at < 0) return;
    const std::size_t need = static_cast<std::size_t>(at) + src.size();
    if (dst.size() < need) dst.resize(need, 0.0);
    for (std::size_t i = 0; i < src.size(); ++i) dst[static_cast<std::size_t>(at) + i] += gain * src[i];
}

}  // namespace audiogen
