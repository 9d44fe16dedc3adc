// Readers the audio asset tests share: the built game folder's files, 16-bit
// PCM WAV samples and the events of a standard MIDI file, written here
// without the generator's own code so that they check it.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace audio_assets_test {

using Bytes = std::vector<unsigned char>;

inline std::filesystem::path GameDir() { return ROOFRIDER_GAME_DIR; }

inline Bytes Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), {});
}

inline uint32_t Le32(const Bytes& b, std::size_t at) {
    return uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
           (uint32_t{b[at + 3]} << 24);
}
inline uint16_t Le16(const Bytes& b, std::size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
inline uint32_t Be32(const Bytes& b, std::size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) |
           uint32_t{b[at + 3]};
}

struct Wav {
    bool ok = false;
    std::string problem;
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<std::vector<double>> samples;  // per channel, in [-1, 1)
    double Seconds() const {
        return samples.empty() ? 0 : static_cast<double>(samples[0].size()) / rate;
    }
};

inline Wav ParseWav(const Bytes& b) {
    Wav w;
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) {
        w.problem = "no RIFF WAVE header";
        return w;
    }
    if (Le32(b, 4) + 8 != b.size()) {
        w.problem = "RIFF size does not match the file";
        return w;
    }
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        const uint32_t len = Le32(b, at + 4);
        const std::size_t body = at + 8;
        if (len > b.size() - body) {
            w.problem = "chunk runs past the end";
            return w;
        }
        if (std::memcmp(b.data() + at, "fmt ", 4) == 0) {
            w.format = Le16(b, body);
            w.channels = Le16(b, body + 2);
            w.rate = static_cast<int>(Le32(b, body + 4));
            w.bits = Le16(b, body + 14);
            if (Le32(b, body + 8) != static_cast<uint32_t>(w.rate * w.channels * w.bits / 8)) {
                w.problem = "byte rate does not match";
                return w;
            }
        } else if (std::memcmp(b.data() + at, "data", 4) == 0) {
            if (w.format != 1 || w.bits != 16 || w.channels < 1) {
                w.problem = "not 16-bit PCM";
                return w;
            }
            const std::size_t frames = len / (2u * static_cast<unsigned>(w.channels));
            w.samples.assign(static_cast<std::size_t>(w.channels), std::vector<double>(frames));
            for (std::size_t i = 0; i < frames; ++i)
                for (int c = 0; c < w.channels; ++c)
                    w.samples[static_cast<std::size_t>(c)][i] =
                        static_cast<int16_t>(Le16(b, body + (i * static_cast<std::size_t>(w.channels) + static_cast<std::size_t>(c)) * 2)) / 32768.0;
            w.ok = true;
            return w;
        }
        at = body + len + (len & 1u);
    }
    w.problem = "no data chunk";
    return w;
}

inline double PeakDb(const Wav& w) {
    double peak = 0;
    for (const auto& c : w.samples)
        for (double x : c) peak = std::max(peak, std::fabs(x));
    return 20 * std::log10(peak + 1e-12);
}

inline double RmsDb(const Wav& w) {
    double sum = 0;
    std::size_t n = 0;
    for (const auto& c : w.samples) {
        for (double x : c) sum += x * x;
        n += c.size();
    }
    return 10 * std::log10(sum / static_cast<double>(n ? n : 1) + 1e-12);
}

// The largest absolute sample among the first (or last) `count` frames.
inline double EdgeLevel(const Wav& w, std::size_t count, bool at_end) {
    double level = 0;
    for (const auto& c : w.samples) {
        const std::size_t n = std::min(count, c.size());
        for (std::size_t i = 0; i < n; ++i) level = std::max(level, std::fabs(c[at_end ? c.size() - 1 - i : i]));
    }
    return level;
}

struct MidiNote {
    int64_t on = 0, off = -1;
    int channel = 0, pitch = 0, velocity = 0;
};

struct MidiTrack {
    int64_t end_tick = -1;  // the end-of-track event's tick
    std::vector<MidiNote> notes;
    std::map<int, int> programs;  // channel → program
    std::vector<std::pair<int64_t, uint32_t>> tempos;
    int unmatched_offs = 0;
};

struct Midi {
    bool ok = false;
    std::string problem;
    int format = -1, division = 0;
    std::vector<MidiTrack> tracks;
};

inline Midi ParseMidi(const Bytes& b) {
    Midi m;
    if (b.size() < 14 || std::memcmp(b.data(), "MThd", 4) != 0 || Be32(b, 4) != 6) {
        m.problem = "no MIDI header";
        return m;
    }
    m.format = (b[8] << 8) | b[9];
    const int count = (b[10] << 8) | b[11];
    m.division = (b[12] << 8) | b[13];
    std::size_t at = 14;
    for (int t = 0; t < count; ++t) {
        if (at + 8 > b.size() || std::memcmp(b.data() + at, "MTrk", 4) != 0) {
            m.problem = "track " + std::to_string(t) + " missing";
            return m;
        }
        const std::size_t end = at + 8 + Be32(b, at + 4);
        if (end > b.size()) {
            m.problem = "track " + std::to_string(t) + " runs past the end";
            return m;
        }
        MidiTrack track;
        std::map<std::pair<int, int>, std::size_t> sounding;  // (channel, pitch) → note index
        std::size_t p = at + 8;
        int64_t tick = 0;
        unsigned char status = 0;
        auto varlen = [&]() {
            uint64_t v = 0;
            for (int i = 0; i < 4 && p < end; ++i) {
                const unsigned char c = b[p++];
                v = (v << 7) | (c & 0x7F);
                if (!(c & 0x80)) break;
            }
            return v;
        };
        while (p < end) {
            tick += static_cast<int64_t>(varlen());
            const unsigned char c = b[p];
            if (c == 0xFF) {
                const unsigned char type = b[p + 1];
                p += 2;
                const std::size_t len = varlen();
                if (type == 0x51) track.tempos.push_back({tick, (uint32_t{b[p]} << 16) | (uint32_t{b[p + 1]} << 8) | b[p + 2]});
                if (type == 0x2F) track.end_tick = tick;
                p += len;
                continue;
            }
            if (c == 0xF0 || c == 0xF7) {
                ++p;
                p += varlen();
                continue;
            }
            if (c & 0x80) {
                status = c;
                ++p;
            }
            const int kind = status & 0xF0, channel = status & 0x0F;
            const int d1 = b[p];
            const int d2 = (kind == 0xC0 || kind == 0xD0) ? 0 : b[p + 1];
            p += (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
            if (kind == 0xC0) track.programs[channel] = d1;
            if (kind == 0x90 && d2 > 0) {
                sounding[{channel, d1}] = track.notes.size();
                track.notes.push_back({tick, -1, channel, d1, d2});
            } else if (kind == 0x80 || (kind == 0x90 && d2 == 0)) {
                auto it = sounding.find({channel, d1});
                if (it == sounding.end()) {
                    ++track.unmatched_offs;
                } else {
                    track.notes[it->second].off = tick;
                    sounding.erase(it);
                }
            }
        }
        m.tracks.push_back(std::move(track));
        at = end;
    }
    m.ok = true;
    return m;
}

}  // namespace audio_assets_test
