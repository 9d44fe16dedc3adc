// The two pieces the game plays as waves (see music_render.h).
#include "music_render.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "external_tools.h"
#include "midi_file.h"

namespace audiogen {

Audio RenderForLooping(const Piece& piece, int rate, double tail) {
    const int64_t extra = std::llround(3.0 * piece.bpm / 60.0) * kTicksPerQuarter;
    Audio audio = RenderMidi(WriteMidi(piece, piece.EndTick() + extra), rate);
    if (audio.channels.empty() || audio.Frames() == 0)
        throw std::runtime_error(piece.title + ": the synthesiser rendered nothing");

    // The last bar line, from the file's own tempo (whole microseconds a beat).
    const double beat_us = std::round(60e6 / piece.bpm);
    const double end_seconds = static_cast<double>(piece.bars) * piece.beats_per_bar * beat_us / 1e6;
    const std::size_t end = static_cast<std::size_t>(std::llround(end_seconds * rate));
    const std::size_t tail_frames = static_cast<std::size_t>(std::llround(tail * rate));
    const std::size_t stop = std::min(audio.Frames(), end + tail_frames);
    if (stop <= end) throw std::runtime_error(piece.title + ": the render is shorter than the piece");

    // The first sound (the synthesiser may start a few samples late).
    std::size_t start = 0;
    auto loud = [&](std::size_t i) {
        for (const Signal& c : audio.channels)
            if (std::fabs(c[i]) > 1e-4) return true;
        return false;
    };
    while (start < end && !loud(start)) ++start;

    for (Signal& c : audio.channels) {
        Signal kept(c.begin() + static_cast<std::ptrdiff_t>(start), c.begin() + static_cast<std::ptrdiff_t>(stop));
        // A raised-cosine fade over the tail, and 2 ms into the first sound.
        const std::size_t fade_from = end - start;
        for (std::size_t i = fade_from; i < kept.size(); ++i) {
            const double x = static_cast<double>(i - fade_from + 1) / static_cast<double>(kept.size() - fade_from);
            kept[i] *= 0.5 + 0.5 * std::cos(kPi * x);
        }
        const std::size_t in = std::min<std::size_t>(kept.size(), static_cast<std::size_t>(rate / 500));
        for (std::size_t i = 0; i < in; ++i) kept[i] *= static_cast<double>(i) / static_cast<double>(in);
        c = std::move(kept);
    }
    std::vector<Signal*> channels;
    for (Signal& c : audio.channels) channels.push_back(&c);
    NormalisePeak(channels, -1.0);
    return audio;
}

}  // namespace audiogen
