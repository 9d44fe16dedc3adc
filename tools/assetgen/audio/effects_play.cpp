// The sounds of the play and the evaluation: the hero's voice, the dash,
// the blast, the "pwah" and the gong (see effects.h).
#include <cmath>

#include "effects.h"
#include "voice.h"

namespace audiogen {
namespace {

constexpr int kRate = kEffectRate;

}  // namespace

Signal JumpVoice(int which) {
    // "hup!": breath through the vowel's formants, the vowel with its
    // pitch lifted by the effort, then the lips close (the formants fall
    // and the voice stops) and open again with a faint pop.
    Syllable s;
    switch (which) {
        case 0:  // low, "hup"
            s.seconds = 0.27;
            s.pitch = {{0, 132}, {0.07, 150}, {0.2, 116}};
            s.f1 = {{0, 640}, {0.06, 700}, {0.15, 680}, {0.19, 300}};
            s.f2 = {{0, 1150}, {0.15, 1210}, {0.19, 850}};
            s.f3 = {{0, 2550}, {0.19, 2300}};
            s.voiced = {{0.03, 0}, {0.06, 1}, {0.15, 0.85}, {0.19, 0}};
            s.breath = {{0, 0}, {0.012, 0.5}, {0.04, 0.35}, {0.07, 0.05}, {0.19, 0.02}, {0.2, 0}};
            s.burst = {{0.232, 0}, {0.235, 0.12}, {0.25, 0}};
            s.tilt = 0.9;
            s.seed = 0x1A;
            break;
        case 1:  // middle, "hop"
            s.seconds = 0.25;
            s.pitch = {{0, 200}, {0.065, 228}, {0.18, 178}};
            s.f1 = {{0, 580}, {0.05, 620}, {0.14, 600}, {0.175, 300}};
            s.f2 = {{0, 920}, {0.14, 960}, {0.175, 760}};
            s.f3 = {{0, 2550}, {0.175, 2350}};
            s.voiced = {{0.028, 0}, {0.055, 1}, {0.14, 0.85}, {0.175, 0}};
            s.breath = {{0, 0}, {0.01, 0.5}, {0.035, 0.35}, {0.065, 0.05}, {0.175, 0.02}, {0.185, 0}};
            s.burst = {{0.215, 0}, {0.218, 0.12}, {0.232, 0}};
            s.formant_scale = 1.08;
            s.tilt = 0.95;
            s.seed = 0x2B;
            break;
        default:  // high, "hap"
            s.seconds = 0.23;
            s.pitch = {{0, 292}, {0.06, 340}, {0.165, 262}};
            s.f1 = {{0, 820}, {0.05, 880}, {0.13, 850}, {0.16, 330}};
            s.f2 = {{0, 1700}, {0.13, 1660}, {0.16, 1100}};
            s.f3 = {{0, 2700}, {0.16, 2450}};
            s.voiced = {{0.025, 0}, {0.05, 1}, {0.13, 0.85}, {0.16, 0}};
            s.breath = {{0, 0}, {0.01, 0.45}, {0.032, 0.3}, {0.06, 0.05}, {0.16, 0.02}, {0.17, 0}};
            s.burst = {{0.2, 0}, {0.203, 0.12}, {0.217, 0}};
            s.formant_scale = 1.17;
            s.tilt = 1.0;
            s.seed = 0x3C;
            break;
    }
    s.jitter = 0.008;
    s.shimmer = 0.06;
    return SynthesiseSyllable(s, kRate);
}

Signal Reveal() {
    // A soft, round "pwah": the lips part with a small pop, the vowel opens
    // from "oo" to "ah" and fades.
    Syllable s;
    s.seconds = 0.55;
    s.pitch = {{0, 196}, {0.09, 220}, {0.5, 200}};
    s.voiced = {{0.012, 0}, {0.06, 0.9}, {0.22, 0.7}, {0.52, 0}};
    s.breath = {{0, 0}, {0.008, 0.2}, {0.03, 0.05}, {0.55, 0.02}};
    s.burst = {{0, 0}, {0.003, 0.3}, {0.014, 0}};
    s.f1 = {{0.01, 300}, {0.12, 760}, {0.5, 700}};
    s.f2 = {{0.01, 650}, {0.12, 1150}, {0.5, 1100}};
    s.f3 = {{0, 2500}};
    s.tilt = 1.5;
    s.brightness = 4000;
    s.jitter = 0.004;
    s.shimmer = 0.03;
    s.seed = 0x50A;
    return SynthesiseSyllable(s, kRate);
}

Signal DashWhoosh() {
    // Air rushing past: noise through a band that sweeps up and back, a
    // low thrust under it and a faint whistle.
    const int n = Samples(0.62, kRate);
    Signal out(static_cast<std::size_t>(n));
    Random random(0xB057);
    Biquad band, body;
    double thrust_phase = 0, whistle_phase = 0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double peak = 0.17;
        const double centre = t < peak ? 500 * std::pow(3400.0 / 500, t / peak)
                                       : 3400 * std::pow(1100.0 / 3400, (t - peak) / (0.62 - peak));
        band.BandPass(kRate, centre, 1.4);
        body.LowPass(kRate, 900, 0.7);
        const double env = SmoothStep(t, 0, 0.14) * (t < 0.14 ? 1 : std::exp(-(t - 0.14) / 0.16));
        const double noise = random.Bipolar();
        const double air = band.Process(noise) + 0.35 * body.Process(noise);
        // The thrust: a buzzing tone whose pitch climbs, kept dark.
        const double f = 80 + 120 * SmoothStep(t, 0, 0.3);
        thrust_phase += kTwoPi * f / kRate;
        double thrust = 0;
        for (int k = 1; k <= 8; ++k) thrust += std::sin(k * thrust_phase) / (k * k);
        whistle_phase += kTwoPi * (1100 + 700 * SmoothStep(t, 0, 0.2)) / kRate;
        out[static_cast<std::size_t>(i)] =
            env * (air + 0.18 * thrust + 0.04 * std::sin(whistle_phase));
    }
    FadeEdges(out, kRate, 0, 150);
    return out;
}

Signal Blast() {
    // A zap, a boom and a body of noise that darkens, with crackles
    // scattered through it that thin out as it dies.
    const int n = Samples(1.4, kRate);
    Signal out(static_cast<std::size_t>(n));
    Random random(0xB1A57);
    Biquad body, crackle_high, crackle_low;
    crackle_high.BandPass(kRate, 3800, 1.2);
    crackle_low.BandPass(kRate, 1200, 1.0);
    double zap_phase = 0, boom_phase = 0, crackle_env = 0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double noise = random.Bipolar();

        zap_phase += kTwoPi * (300 + 1900 * std::exp(-t / 0.05)) / kRate;
        const double zap = std::tanh(3 * std::sin(zap_phase)) * AttackDecay(t, 0.001, 0.06);

        boom_phase += kTwoPi * (38 + 80 * std::exp(-t / 0.08)) / kRate;
        const double boom = std::tanh(1.5 * std::sin(boom_phase)) * AttackDecay(t, 0.003, 0.28);

        body.LowPass(kRate, 300 + 7000 * std::exp(-t / 0.12), 0.7);
        const double rumble = body.Process(noise) * AttackDecay(t, 0.002, 0.25);

        // Crackles: random pops, many at first.
        const double density = 1800 * std::exp(-t / 0.3) + 25;
        if (random.Uniform() < density / kRate)
            crackle_env = random.Range(0.3, 1.0) * (0.4 + 0.6 * std::exp(-t / 0.5));
        crackle_env *= std::exp(-1.0 / (0.0015 * kRate));
        const double pop = crackle_env * random.Bipolar();
        const double crackle = crackle_high.Process(pop) + 0.6 * crackle_low.Process(pop);

        const double mix = 0.3 * zap + 0.9 * boom + 0.7 * rumble + 1.4 * crackle;
        out[static_cast<std::size_t>(i)] = std::tanh(1.2 * mix);
    }
    FadeEdges(out, kRate, 0, 300);
    return out;
}

Signal RankGong() {
    // A gong struck once: inharmonic partials, each with a slightly detuned
    // twin so it beats, the upper ones blooming a moment after the stroke;
    // a cymbal's hiss and metallic ring on top; the tail faded smoothly.
    const double seconds = 3.2;
    const int n = Samples(seconds, kRate);
    Signal out(static_cast<std::size_t>(n), 0.0);
    const double f0 = 110;
    static const double kRatios[] = {1.0, 1.51, 1.98, 2.44, 2.91, 3.37, 3.9,  4.43,
                                     5.02, 5.6, 6.31, 7.1,  8.2,  9.4,  10.9, 12.4};
    const int count = static_cast<int>(sizeof kRatios / sizeof kRatios[0]);
    for (int p = 0; p < count; ++p) {
        const double amp = 1.0 / (1 + 0.35 * p);
        const double decay = 2.4 / (1 + 0.22 * p);
        const double bloom = p >= 5 ? 0.04 + 0.015 * p : 0.002;
        const double f = f0 * kRatios[p];
        const double beat = 0.35 * (p + 1);
        for (int i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / kRate;
            // The pitch settles a little after the stroke.
            const double glide = 1 - 0.006 * std::exp(-t / 0.3);
            const double env = AttackDecay(t, bloom, decay);
            out[static_cast<std::size_t>(i)] +=
                amp * env * (std::sin(kTwoPi * f * glide * t) + 0.5 * std::sin(kTwoPi * (f + beat) * glide * t));
        }
    }
    Random random(0x6096);
    Biquad thump, hiss, ring;
    thump.LowPass(kRate, 1200, 0.7);
    hiss.HighPass(kRate, 5000, 0.7);
    ring.BandPass(kRate, 7000, 1.5);
    static const double kMetal[6] = {349, 517, 628, 888, 918, 1360};
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double noise = random.Bipolar();
        double metal = 0;
        for (double m : kMetal) metal += std::sin(kTwoPi * m * t) > 0 ? 1 : -1;
        const double stroke = 1.5 * thump.Process(noise) * std::exp(-t / 0.015) +
                              0.8 * std::sin(kTwoPi * 55 * t) * std::exp(-t / 0.15);
        const double shimmer = 0.35 * hiss.Process(noise) * AttackDecay(t, 0.005, 0.8) +
                               0.08 * ring.Process(metal) * AttackDecay(t, 0.002, 0.6);
        const double fade = 1 - SmoothStep(t, seconds - 1.0, 1.0);
        out[static_cast<std::size_t>(i)] = (out[static_cast<std::size_t>(i)] * 0.5 + stroke + shimmer) * fade;
    }
    return out;
}

}  // namespace audiogen
