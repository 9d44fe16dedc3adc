// A look at a rendered sound without hearing it (see wave_picture.h).
#include "wave_picture.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>

#include "external_tools.h"
#include "platform/png.h"
#include "wav_file.h"

namespace audiogen {
namespace {

void Fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -kTwoPi / static_cast<double>(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1;
            for (std::size_t k = 0; k < len / 2; ++k) {
                const auto u = a[i + k];
                const auto v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                wk *= w;
            }
        }
    }
}

// 0..1 → a dark-to-bright colour ramp.
void Colour(double x, uint8_t* rgb) {
    x = std::clamp(x, 0.0, 1.0);
    rgb[0] = static_cast<uint8_t>(255 * std::clamp(2.0 * x - 0.3, 0.0, 1.0));
    rgb[1] = static_cast<uint8_t>(255 * std::clamp(2.0 * x - 1.0, 0.0, 1.0));
    rgb[2] = static_cast<uint8_t>(255 * std::clamp(x < 0.5 ? 2.0 * x : 2.0 - 2.0 * x, 0.0, 1.0));
}

}  // namespace

bool DrawWavePicture(const std::string& wav_path, const std::string& png_path, std::string* report) {
    Audio audio;
    std::string reason;
    std::vector<unsigned char> bytes;
    try {
        bytes = ReadFile(wav_path);
    } catch (const std::exception& e) {
        *report = e.what();
        return false;
    }
    if (!DecodeWav(bytes, &audio, &reason)) {
        *report = wav_path + ": " + reason;
        return false;
    }
    const std::size_t frames = audio.Frames();
    Signal mono(frames, 0.0);
    for (const Signal& c : audio.channels)
        for (std::size_t i = 0; i < frames; ++i) mono[i] += c[i] / static_cast<double>(audio.channels.size());

    // Short sounds get a shorter window and more columns a second.
    const int kWindow = frames < static_cast<std::size_t>(audio.rate) * 3 ? 1024 : 2048;
    constexpr int kHeight = 300;
    constexpr int kLevelHeight = 80;
    const int width = static_cast<int>(std::clamp<std::size_t>(frames / (kWindow == 1024 ? 48 : 256), 1, 1600));
    const int height = kHeight + kLevelHeight;
    std::vector<uint8_t> rgb(static_cast<std::size_t>(width) * height * 3, 0);
    const double nyquist = audio.rate / 2.0;
    const double lo = std::log(40.0), hi = std::log(nyquist);
    for (int x = 0; x < width; ++x) {
        const std::size_t centre = frames * static_cast<std::size_t>(x) / static_cast<std::size_t>(width);
        std::vector<std::complex<double>> buf(kWindow);
        double sum = 0;
        for (int i = 0; i < kWindow; ++i) {
            const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(centre) + i - kWindow / 2;
            const double v = at >= 0 && at < static_cast<std::ptrdiff_t>(frames) ? mono[static_cast<std::size_t>(at)] : 0;
            buf[static_cast<std::size_t>(i)] = v * (0.5 - 0.5 * std::cos(kTwoPi * i / kWindow));
            if (i >= kWindow / 2 - 128 && i < kWindow / 2 + 128) sum += v * v;
        }
        Fft(buf);
        for (int y = 0; y < kHeight; ++y) {
            const double f = std::exp(lo + (hi - lo) * (kHeight - 1 - y) / (kHeight - 1));
            const std::size_t bin = std::min<std::size_t>(kWindow / 2 - 1, static_cast<std::size_t>(f / nyquist * (kWindow / 2)));
            const double db = 20 * std::log10(std::abs(buf[bin]) / (kWindow / 4) + 1e-9);
            Colour((db + 90) / 90, &rgb[(static_cast<std::size_t>(y) * width + x) * 3]);
        }
        const double rms_db = 10 * std::log10(sum / 256 + 1e-12);
        const int bar = static_cast<int>(std::clamp((rms_db + 60) / 60, 0.0, 1.0) * kLevelHeight);
        for (int y = 0; y < bar; ++y) {
            uint8_t* p = &rgb[(static_cast<std::size_t>(height - 1 - y) * width + x) * 3];
            p[0] = 90, p[1] = 200, p[2] = 120;
        }
    }
    if (!platform::png::WriteRgb(png_path, width, height, rgb.data(), width * 3)) {
        *report = "cannot write " + png_path;
        return false;
    }
    double peak = 0, energy = 0;
    for (double v : mono) {
        peak = std::max(peak, std::fabs(v));
        energy += v * v;
    }
    char line[400];
    std::snprintf(line, sizeof line,
                  "%s: %.3f s, %d Hz, %zu channel(s); peak %.2f dBFS, RMS %.1f dBFS; "
                  "first sample %.5f, last %.5f\n",
                  wav_path.c_str(), static_cast<double>(frames) / audio.rate, audio.rate,
                  audio.channels.size(), 20 * std::log10(peak + 1e-12),
                  10 * std::log10(energy / static_cast<double>(std::max<std::size_t>(frames, 1)) + 1e-12),
                  frames ? mono.front() : 0.0, frames ? mono.back() : 0.0);
    *report = line;
    return true;
}

}  // namespace audiogen
