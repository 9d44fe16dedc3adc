// The chimes and blips of the menus and the start: FM bells and short
// tuned tones (see effects.h).
#include <algorithm>
#include <cmath>

#include "effects.h"

namespace audiogen {
namespace {

constexpr int kRate = kEffectRate;

double Hz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

}  // namespace

Signal FmBell(double freq, double seconds, double ratio, double index, double decay) {
    const int n = Samples(seconds, kRate);
    Signal out(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        // Released over the last 15 ms, so a bell cut short does not click.
        const double release = std::min(1.0, (n - 1 - i) / (0.015 * kRate));
        const double env = AttackDecay(t, 0.002, decay) * release;
        // The bright strike fades faster than the tone.
        const double depth = index * (0.2 + 0.8 * std::exp(-t / (decay * 0.35)));
        const double mod = std::sin(kTwoPi * freq * ratio * t);
        const double tone = std::sin(kTwoPi * freq * t + depth * mod);
        const double strike = 0.2 * std::sin(kTwoPi * freq * 2.76 * t) * std::exp(-t / 0.03);
        out[static_cast<std::size_t>(i)] = env * tone + strike * env;
    }
    return out;
}

void FinishEffect(Signal& s) {
    // A gentle DC blocker first, so both ends really settle at zero.
    double x1 = 0, y1 = 0;
    for (double& x : s) {
        const double y = x - x1 + 0.9995 * y1;
        x1 = x;
        x = y1 = y;
    }
    FadeEdges(s, kRate, 3, 8);
    NormalisePeak(s, -1.0);
}

Signal StartChime() {
    // C6 E6 G6 C7, each a little later, the last one held; a breath of
    // rising noise underneath.
    Signal out(static_cast<std::size_t>(Samples(1.4, kRate)), 0.0);
    const int notes[4] = {84, 88, 91, 96};
    for (int k = 0; k < 4; ++k) {
        const bool last = k == 3;
        Signal bell = FmBell(Hz(notes[k]), last ? 1.3 : 0.7, 2.0, last ? 1.6 : 1.2, last ? 0.42 : 0.22);
        // A slightly detuned twin for shimmer.
        Signal twin = FmBell(Hz(notes[k]) * 1.003, last ? 1.3 : 0.7, 2.0, 0.8, last ? 0.5 : 0.25);
        const int at = Samples(0.075 * k, kRate);
        MixInto(out, bell, at, last ? 0.6 : 0.45);
        MixInto(out, twin, at, 0.2);
    }
    // The held chord below the last bell: C5 and G5, soft sines.
    for (int i = Samples(0.225, kRate); i < static_cast<int>(out.size()); ++i) {
        const double t = static_cast<double>(i) / kRate - 0.225;
        const double env = AttackDecay(t, 0.04, 0.5);
        out[static_cast<std::size_t>(i)] +=
            0.12 * env * (std::sin(kTwoPi * Hz(72) * t) + 0.7 * std::sin(kTwoPi * Hz(79) * t));
    }
    Random random(0x60);
    Biquad sweep;
    for (int i = 0; i < Samples(0.4, kRate); ++i) {
        const double t = static_cast<double>(i) / kRate;
        sweep.BandPass(kRate, 800 + 6000 * t / 0.4, 2.0);
        const double env = SmoothStep(t, 0, 0.25) * (1 - SmoothStep(t, 0.25, 0.15));
        out[static_cast<std::size_t>(i)] += 0.12 * env * sweep.Process(random.Bipolar());
    }
    // The ring dies away rather than stopping.
    FadeEdges(out, kRate, 0, 400);
    return out;
}

Signal MenuMove() {
    // A rounded tone that drops a little in pitch: a soft "pip".
    const int n = Samples(0.09, kRate);
    Signal out(static_cast<std::size_t>(n));
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = 880 + 160 * std::exp(-t / 0.012);
        phase += kTwoPi * f / kRate;
        const double env = AttackDecay(t, 0.003, 0.022);
        out[static_cast<std::size_t>(i)] = env * (std::sin(phase) + 0.1 * std::sin(3 * phase));
    }
    return out;
}

Signal MenuChoose() {
    // B5 then E6, a fourth up: bright bells with a sparkle above.
    Signal out(static_cast<std::size_t>(Samples(0.6, kRate)), 0.0);
    MixInto(out, FmBell(Hz(83), 0.35, 2.0, 1.4, 0.09), 0, 0.5);
    MixInto(out, FmBell(Hz(88), 0.5, 2.0, 1.6, 0.16), Samples(0.07, kRate), 0.6);
    MixInto(out, FmBell(Hz(100), 0.4, 1.0, 0.3, 0.08), Samples(0.07, kRate), 0.12);
    return out;
}

Signal RowMove() {
    // A short wooden tick: a marimba-like bar with its fourth partial and a
    // tap of noise.
    const int n = Samples(0.13, kRate);
    Signal out(static_cast<std::size_t>(n));
    Random random(0x1D0);
    Biquad tap;
    tap.BandPass(kRate, 3000, 1.5);
    const double f = Hz(79);
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double body = std::sin(kTwoPi * f * t) * AttackDecay(t, 0.001, 0.035) +
                            0.35 * std::sin(kTwoPi * f * 3.93 * t) * AttackDecay(t, 0.001, 0.008);
        const double click = tap.Process(random.Bipolar()) * std::exp(-t / 0.002);
        out[static_cast<std::size_t>(i)] = body + 0.5 * click;
    }
    return out;
}

Signal RowConfirm() {
    // A, C sharp, E and the octave, quickly rising, the last one ringing.
    Signal out(static_cast<std::size_t>(Samples(0.75, kRate)), 0.0);
    const int notes[4] = {81, 85, 88, 93};
    for (int k = 0; k < 4; ++k) {
        const bool last = k == 3;
        MixInto(out, FmBell(Hz(notes[k]), last ? 0.6 : 0.3, 3.5, 0.9, last ? 0.2 : 0.07),
                Samples(0.05 * k, kRate), last ? 0.55 : 0.42);
    }
    return out;
}

}  // namespace audiogen
