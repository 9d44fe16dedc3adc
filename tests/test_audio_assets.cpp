// The music and sounds in the built game folder: every file is there and
// well formed, the effects are short, audible, normalised and click-free,
// the pieces last as long as their screens need and the play field's music
// loops on a bar line.
#include <gtest/gtest.h>

#include "platform/audio_backend.h"
#include "test_audio_assets.h"

namespace {

using namespace audio_assets_test;

struct EffectShape {
    const char* name;
    double min_seconds, max_seconds;
};

// Every wave effect with the length it should have.
const EffectShape kEffects[] = {
    {"go.wav", 0.6, 2.0},      {"jump1.wav", 0.15, 0.4},  {"jump2.wav", 0.15, 0.4},
    {"jump3.wav", 0.15, 0.4},  {"bust.wav", 0.3, 1.0},    {"laserbom.wav", 0.6, 2.0},
    {"idou.wav", 0.04, 0.2},   {"kettei.wav", 0.2, 0.8},  {"powa.wav", 0.3, 0.9},
    {"oto.wav", 1.5, 4.0},
};

TEST(AudioAssets, EveryEffectIsAShortNormalisedClickFreeWave) {
    for (const EffectShape& e : kEffects) {
        SCOPED_TRACE(e.name);
        const Wav w = ParseWav(Read(GameDir() / "sound" / e.name));
        ASSERT_TRUE(w.ok) << w.problem;
        EXPECT_TRUE(w.rate == 44100 || w.rate == 22050);
        EXPECT_EQ(w.bits, 16);
        EXPECT_TRUE(w.channels == 1 || w.channels == 2);
        EXPECT_GE(w.Seconds(), e.min_seconds);
        EXPECT_LE(w.Seconds(), e.max_seconds);
        EXPECT_NEAR(PeakDb(w), -1.0, 0.3);
        EXPECT_GT(RmsDb(w), -26.0);
        // No click: both ends fade to (almost) nothing.
        EXPECT_LT(EdgeLevel(w, 1, false), 0.001);
        EXPECT_LT(EdgeLevel(w, 1, true), 0.001);
        EXPECT_LT(EdgeLevel(w, 20, false), 0.05);
        EXPECT_LT(EdgeLevel(w, 20, true), 0.05);
    }
}

TEST(AudioAssets, TheThreeJumpVoicesDiffer) {
    const Wav a = ParseWav(Read(GameDir() / "sound/jump1.wav"));
    const Wav b = ParseWav(Read(GameDir() / "sound/jump2.wav"));
    const Wav c = ParseWav(Read(GameDir() / "sound/jump3.wav"));
    ASSERT_TRUE(a.ok && b.ok && c.ok);
    // Pitched apart: the fundamental of 30 ms of the voiced middle (the
    // strongest autocorrelation between 80 and 500 Hz, after a low-pass
    // that keeps the vowel's first formant from masking it) rises from the
    // first voice to the third.
    auto pitch = [](const Wav& w) {
        std::vector<double> s = w.samples[0];
        const double k = 1 - std::exp(-6.283185307179586 * 300 / w.rate);
        for (int pass = 0; pass < 3; ++pass) {
            double y = 0;
            for (double& x : s) x = y += k * (x - y);
        }
        const std::size_t from = s.size() / 4, to = from + static_cast<std::size_t>(w.rate * 3 / 100);
        double best = -1;
        int best_lag = 1;
        for (int lag = w.rate / 500; lag <= w.rate / 80; ++lag) {
            double sum = 0, e0 = 0, e1 = 0;
            for (std::size_t i = from; i < to; ++i) {
                const double later = s[i + static_cast<std::size_t>(lag)];
                sum += s[i] * later;
                e0 += s[i] * s[i];
                e1 += later * later;
            }
            const double r = sum / std::sqrt(e0 * e1 + 1e-12);
            if (r > best) {
                best = r;
                best_lag = lag;
            }
        }
        return static_cast<double>(w.rate) / best_lag;
    };
    std::printf("jump voices: %.0f Hz, %.0f Hz, %.0f Hz\n", pitch(a), pitch(b), pitch(c));
    EXPECT_LT(pitch(a) * 1.2, pitch(b));
    EXPECT_LT(pitch(b) * 1.2, pitch(c));
}


TEST(AudioAssets, TheLoopingPiecesLastAsTheirScreensNeed) {
    struct Piece {
        const char* name;
        double min_seconds, max_seconds;
    };
    for (const Piece& p : {Piece{"opening.wav", 15, 30}, Piece{"end01.wav", 75, 90}}) {
        SCOPED_TRACE(p.name);
        const Wav w = ParseWav(Read(GameDir() / "sound" / p.name));
        ASSERT_TRUE(w.ok) << w.problem;
        EXPECT_TRUE(w.rate == 44100 || w.rate == 22050);
        EXPECT_EQ(w.bits, 16);
        EXPECT_GE(w.Seconds(), p.min_seconds);
        EXPECT_LE(w.Seconds(), p.max_seconds);
        EXPECT_NEAR(PeakDb(w), -1.0, 0.3);
        EXPECT_GT(RmsDb(w), -30.0);
        EXPECT_LT(EdgeLevel(w, 1, false), 0.01);
        EXPECT_LT(EdgeLevel(w, 1, true), 0.001);
        // The music starts at once: the first 50 ms are not silent.
        Wav start = w;
        for (auto& c : start.samples) c.resize(static_cast<std::size_t>(w.rate / 20));
        EXPECT_GT(RmsDb(start), -40.0);
        // ... and stops soon after its last bar: at most half a second of
        // fading tail is quieter than -40 dBFS.
        std::size_t quiet = 0;
        for (std::size_t i = w.samples[0].size(); i-- > 0;) {
            bool loud = false;
            for (const auto& c : w.samples) loud = loud || std::fabs(c[i]) > 0.01;
            if (loud) break;
            ++quiet;
        }
        EXPECT_LT(static_cast<double>(quiet) / w.rate, 0.5);
    }
}

// Seconds of a MIDI file by the stand-in's own reading of its events.
double MidiSeconds(const Bytes& bytes) {
    std::string reason;
    auto us = winmm::MidiLengthUs(bytes, &reason);
    EXPECT_TRUE(us.has_value()) << reason;
    return us ? static_cast<double>(*us) / 1e6 : 0.0;
}

void ExpectWellFormedPiece(const Midi& m, double bpm) {
    ASSERT_TRUE(m.ok) << m.problem;
    EXPECT_EQ(m.format, 1);
    EXPECT_EQ(m.division, 480);
    ASSERT_GE(m.tracks.size(), 3u);
    ASSERT_EQ(m.tracks[0].tempos.size(), 1u);
    EXPECT_EQ(m.tracks[0].tempos[0].first, 0);
    EXPECT_NEAR(60e6 / m.tracks[0].tempos[0].second, bpm, 0.01);
    const int64_t end = m.tracks[0].end_tick;
    bool drums = false;
    int64_t first_note = end;
    for (std::size_t t = 0; t < m.tracks.size(); ++t) {
        SCOPED_TRACE("track " + std::to_string(t));
        const MidiTrack& track = m.tracks[t];
        // Every track ends together, and every note ends by then.
        EXPECT_EQ(track.end_tick, end);
        EXPECT_EQ(track.unmatched_offs, 0);
        for (const MidiNote& n : track.notes) {
            EXPECT_GE(n.off, n.on);
            EXPECT_LE(n.off, end);
            EXPECT_EQ(track.programs.count(n.channel), 1u) << "a note before its program";
            drums = drums || n.channel == 9;
            first_note = std::min(first_note, n.on);
        }
    }
    EXPECT_TRUE(drums) << "no drums on channel 10";
    EXPECT_EQ(first_note, 0) << "the music does not start on the downbeat";
}

TEST(AudioAssets, ThePlayFieldMusicLoopsOnABarLine) {
    const Bytes bytes = Read(GameDir() / "sound/bgm1.mid");
    const Midi m = ParseMidi(bytes);
    ExpectWellFormedPiece(m, 150);
    ASSERT_TRUE(m.ok);
    const int64_t bar = 4 * m.division;
    EXPECT_EQ(m.tracks[0].end_tick % bar, 0);
    const double seconds = MidiSeconds(bytes);
    EXPECT_GE(seconds, 60.0);
    EXPECT_LE(seconds, 120.0);
    // The crash and the kick open the loop together with the bass.
    int on_the_one = 0;
    for (const MidiTrack& t : m.tracks)
        for (const MidiNote& n : t.notes) on_the_one += n.on == 0;
    EXPECT_GE(on_the_one, 3);
    // The last bar leads back: something is still playing in it.
    bool last_bar_busy = false;
    for (const MidiTrack& t : m.tracks)
        for (const MidiNote& n : t.notes) last_bar_busy = last_bar_busy || n.on >= m.tracks[0].end_tick - bar / 4;
    EXPECT_TRUE(last_bar_busy);
}

TEST(AudioAssets, TheStoryMusicOutlastsTheStoryByAFewSeconds) {
    const Bytes bytes = Read(GameDir() / "sound/psmat045.mid");
    ExpectWellFormedPiece(ParseMidi(bytes), 90);
    const double seconds = MidiSeconds(bytes);
    EXPECT_GE(seconds, 52.65);
    EXPECT_LE(seconds, 60.0);
}

TEST(AudioAssets, TheOptionsSoundsAreMp3Frames) {
    for (const char* name : {"idou.mp3", "kettei2.mp3"}) {
        SCOPED_TRACE(name);
        const Bytes b = Read(GameDir() / "soundeffect" / name);
        ASSERT_GE(b.size(), 1000u);
        std::size_t at = 0;
        if (b[0] == 'I' && b[1] == 'D' && b[2] == '3')
            at = 10 + ((b[6] & 0x7Fu) << 21 | (b[7] & 0x7Fu) << 14 | (b[8] & 0x7Fu) << 7 | (b[9] & 0x7Fu));
        ASSERT_LT(at + 4, b.size());
        // Frame sync, MPEG-1 layer III, 44.1 kHz.
        EXPECT_EQ(b[at], 0xFF);
        EXPECT_EQ(b[at + 1] & 0xFE, 0xFA);
        EXPECT_EQ((b[at + 2] >> 2) & 3, 0);
        std::string reason;
        auto us = winmm::Mp3LengthUs(b, &reason);
        ASSERT_TRUE(us.has_value()) << reason;
        EXPECT_GT(*us, 80'000u);
        EXPECT_LT(*us, 1'500'000u);
    }
}

}  // namespace
