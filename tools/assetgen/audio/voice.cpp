// A small voice synthesiser (see voice.h).
//
// The voiced sound is additive: harmonic k of the fundamental gets the
// source's k^-tilt times the formant envelope at k·f0 (the sum of the four
// resonances' magnitude curves), so the vowel stays clean however the
// pitch moves. Breath noise goes through resonators at
// the same formants, which is what makes an "h" sound like the vowel after
// it.
#include "voice.h"

#include <algorithm>
#include <cmath>

namespace audiogen {

double Track::At(double t) const {
    if (points_.empty()) return 0;
    if (t <= points_.front().first) return points_.front().second;
    for (std::size_t i = 1; i < points_.size(); ++i) {
        const auto& [t1, v1] = points_[i];
        if (t <= t1) {
            const auto& [t0, v0] = points_[i - 1];
            return t1 > t0 ? v0 + (v1 - v0) * (t - t0) / (t1 - t0) : v1;
        }
    }
    return points_.back().second;
}

Signal SynthesiseSyllable(const Syllable& s, int rate) {
    const int n = Samples(s.seconds, rate);
    Signal out(static_cast<std::size_t>(n));
    Random random(s.seed);
    // Slow random wobbles, smoothed white noise.
    OnePole pitch_wobble, level_wobble;
    pitch_wobble.LowPass(rate, 30);
    level_wobble.LowPass(rate, 40);
    Resonator breath_formants[4];
    Biquad burst_colour;
    burst_colour.BandPass(rate, 1500, 0.8);
    static const double kFormantGain[4] = {1.0, 0.63, 0.32, 0.18};
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double f0 = s.pitch.At(t) * (1 + s.jitter * 8 * pitch_wobble.Process(random.Bipolar()));
        const double formant[4] = {s.f1.At(t) * s.formant_scale, s.f2.At(t) * s.formant_scale,
                                   s.f3.At(t) * s.formant_scale, s.f4.At(t) * s.formant_scale};
        const double width[4] = {s.bandwidths[0], s.bandwidths[1], s.bandwidths[2], s.bandwidths[3]};

        double voiced = 0;
        const double level = s.voiced.At(t);
        if (level > 0) {
            phase += kTwoPi * f0 / rate;
            if (phase > kTwoPi * 64) phase -= kTwoPi * 64;
            const int harmonics = static_cast<int>(std::min(s.brightness, 0.45 * rate) / f0);
            for (int k = 1; k <= harmonics; ++k) {
                const double f = k * f0;
                double envelope = 0.015;
                for (int j = 0; j < 4; ++j) {
                    const double x = (f - formant[j]) / (width[j] / 2);
                    envelope += kFormantGain[j] / std::sqrt(1 + x * x);
                }
                voiced += std::pow(k, -s.tilt) * envelope * std::sin(k * phase);
            }
            voiced *= level * (1 + s.shimmer * 8 * level_wobble.Process(random.Bipolar()));
        }

        double breath = 0;
        const double noise = random.Bipolar();
        const double breath_level = s.breath.At(t);
        for (int j = 0; j < 4; ++j) {
            breath_formants[j].Set(rate, formant[j], width[j] * 1.6);
            breath += kFormantGain[j] * breath_formants[j].Process(noise);
        }
        breath *= breath_level * 2.5;

        const double burst = burst_colour.Process(noise) * s.burst.At(t);
        out[static_cast<std::size_t>(i)] = voiced + breath + burst;
    }
    return out;
}

}  // namespace audiogen
