// The multimedia stand-in: how long a sound file plays, read from the file
// itself (a MIDI piece's events and tempo, a WAV's data size, an MP3's
// frames), and the beep's tone.
//
// The synthesiser keeps a piece sounding for seconds after its last note
// (its reverb tail), so the end of a piece is taken from here, not from
// the mixer.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "platform/audio_backend.h"

namespace winmm {
namespace {

using Bytes = std::vector<unsigned char>;

uint32_t Be32(const Bytes& b, std::size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) |
           uint32_t{b[at + 3]};
}
uint16_t Be16(const Bytes& b, std::size_t at) {
    return static_cast<uint16_t>((b[at] << 8) | b[at + 1]);
}
uint32_t Le32(const Bytes& b, std::size_t at) {
    return uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
           (uint32_t{b[at + 3]} << 24);
}
uint16_t Le16(const Bytes& b, std::size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
bool HasTag(const Bytes& b, std::size_t at, const char* tag) {
    return at + 4 <= b.size() && std::memcmp(b.data() + at, tag, 4) == 0;
}

std::nullopt_t Fail(std::string* reason, const std::string& text) {
    if (reason) *reason = text;
    return std::nullopt;
}

// A variable-length quantity of at most four bytes; false past the end.
bool ReadVarLen(const Bytes& b, std::size_t& at, std::size_t end, uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (at >= end) return false;
        unsigned char c = b[at++];
        value = (value << 7) | (c & 0x7Fu);
        if ((c & 0x80u) == 0) return true;
    }
    return false;
}

// Longer than a day is not a piece of music; it is a damaged file.
constexpr double kMaxLengthUs = 24.0 * 3600.0 * 1e6;

}  // namespace

std::optional<uint64_t> MidiLengthUs(const Bytes& b, std::string* reason) {
    if (!HasTag(b, 0, "MThd") || b.size() < 14) return Fail(reason, "no MIDI header (MThd)");
    uint32_t header_len = Be32(b, 4);
    if (header_len < 6 || header_len > b.size() - 8) return Fail(reason, "damaged MIDI header");
    uint16_t format = Be16(b, 8);
    uint16_t tracks = Be16(b, 10);
    uint16_t division = Be16(b, 12);
    if (format > 2) return Fail(reason, "unknown MIDI format " + std::to_string(format));
    if (tracks == 0) return Fail(reason, "the MIDI file has no tracks");
    if (division == 0) return Fail(reason, "the MIDI file has a time division of 0");

    // Tempo changes from every track (tick → microseconds per quarter), and
    // the tick at which the last track ends.
    std::map<uint64_t, uint32_t> tempo_at;
    uint64_t end_tick = 0;
    std::size_t at = 8 + header_len;
    int found = 0;
    while (found < tracks && at + 8 <= b.size()) {
        uint32_t chunk_len = Be32(b, at + 4);
        bool is_track = HasTag(b, at, "MTrk");
        at += 8;
        if (chunk_len > b.size() - at) {
            return Fail(reason, "MIDI track " + std::to_string(found + 1) +
                                    " runs past the end of the file");
        }
        std::size_t end = at + chunk_len;
        if (!is_track) {  // an unknown chunk is skipped
            at = end;
            continue;
        }
        ++found;
        uint64_t tick = 0;
        unsigned char status = 0;
        std::size_t p = at;
        while (p < end) {
            uint32_t delta = 0;
            if (!ReadVarLen(b, p, end, delta)) {
                return Fail(reason, "MIDI track " + std::to_string(found) + " is cut short");
            }
            tick += delta;
            if (p >= end) break;
            unsigned char c = b[p];
            if (c == 0xFF) {  // meta event
                if (p + 2 > end) return Fail(reason, "damaged meta event in the MIDI file");
                unsigned char type = b[p + 1];
                p += 2;
                uint32_t len = 0;
                if (!ReadVarLen(b, p, end, len) || len > end - p)
                    return Fail(reason, "damaged meta event in the MIDI file");
                if (type == 0x51 && len >= 3) {
                    uint32_t us = (uint32_t{b[p]} << 16) | (uint32_t{b[p + 1]} << 8) | b[p + 2];
                    if (us > 0) tempo_at[tick] = us;
                }
                p += len;
                if (type == 0x2F) break;  // end of track
                status = 0;
            } else if (c == 0xF0 || c == 0xF7) {  // system exclusive
                ++p;
                uint32_t len = 0;
                if (!ReadVarLen(b, p, end, len) || len > end - p)
                    return Fail(reason, "damaged system-exclusive event in the MIDI file");
                p += len;
                status = 0;
            } else {
                if (c & 0x80u) {
                    status = c;
                    ++p;
                } else if (status == 0) {
                    return Fail(reason, "MIDI data byte without a status in track " +
                                            std::to_string(found));
                }
                if (status >= 0xF0) {
                    return Fail(reason, "unexpected system message in MIDI track " +
                                            std::to_string(found));
                }
                std::size_t data = (status & 0xF0u) == 0xC0u || (status & 0xF0u) == 0xD0u ? 1 : 2;
                if (data > end - p) {
                    return Fail(reason, "MIDI track " + std::to_string(found) + " is cut short");
                }
                p += data;
            }
        }
        end_tick = std::max(end_tick, tick);
        at = end;
    }
    if (found == 0) return Fail(reason, "the MIDI file holds no track");

    double us = 0;
    if (division & 0x8000u) {
        // SMPTE time: frames per second and ticks per frame.
        int fps = -static_cast<int8_t>(division >> 8);
        int per_frame = division & 0xFF;
        if (fps <= 0 || per_frame == 0) return Fail(reason, "damaged MIDI time division");
        double fps_real = fps == 29 ? 29.97 : fps;
        us = static_cast<double>(end_tick) * 1e6 / (fps_real * per_frame);
    } else {
        uint64_t last_tick = 0;
        uint32_t tempo = 500000;  // 120 beats a minute until told otherwise
        for (const auto& [tick, new_tempo] : tempo_at) {
            if (tick >= end_tick) break;
            us += static_cast<double>(tick - last_tick) * tempo / division;
            last_tick = tick;
            tempo = new_tempo;
        }
        us += static_cast<double>(end_tick - last_tick) * tempo / division;
    }
    if (!(us <= kMaxLengthUs)) return Fail(reason, "the MIDI piece is longer than a day");
    return static_cast<uint64_t>(std::llround(us));
}

std::optional<uint64_t> WavLengthUs(const Bytes& b, std::string* reason) {
    if (!HasTag(b, 0, "RIFF") || !HasTag(b, 8, "WAVE")) return Fail(reason, "no RIFF WAVE header");
    uint32_t byte_rate = 0;
    std::size_t at = 12;
    bool have_format = false;
    while (at + 8 <= b.size()) {
        uint32_t len = Le32(b, at + 4);
        std::size_t body = at + 8;
        std::size_t avail = b.size() - body;
        if (HasTag(b, at, "fmt ")) {
            if (len < 16 || avail < 16) return Fail(reason, "damaged WAV format chunk");
            uint16_t channels = Le16(b, body + 2);
            uint32_t rate = Le32(b, body + 4);
            byte_rate = Le32(b, body + 8);
            if (channels == 0 || rate == 0 || byte_rate == 0)
                return Fail(reason, "WAV format with no channels, rate or data rate");
            have_format = true;
        } else if (HasTag(b, at, "data")) {
            if (!have_format) return Fail(reason, "WAV data before its format");
            uint64_t size = std::min<uint64_t>(len, avail);  // a cut file plays what it has
            return static_cast<uint64_t>(static_cast<double>(size) * 1e6 / byte_rate);
        }
        if (len > avail) break;
        at = body + len + (len & 1u);
    }
    return Fail(reason, have_format ? "the WAV file has no data" : "the WAV file has no format");
}

std::optional<uint64_t> Mp3LengthUs(const Bytes& b, std::string* reason) {
    std::size_t at = 0;
    if (b.size() >= 10 && b[0] == 'I' && b[1] == 'D' && b[2] == '3') {
        uint32_t size = (uint32_t{b[6]} & 0x7F) << 21 | (uint32_t{b[7]} & 0x7F) << 14 |
                        (uint32_t{b[8]} & 0x7F) << 7 | (uint32_t{b[9]} & 0x7F);
        at = 10 + static_cast<std::size_t>(size) + ((b[5] & 0x10) ? 10 : 0);
    }
    static const int kBitrates[2][3][15] = {
        // MPEG 1: layers I, II, III
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        // MPEG 2 and 2.5
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    static const int kRates[3] = {44100, 48000, 32000};
    double us = 0;
    int frames = 0;
    while (at + 4 <= b.size()) {
        if (b[at] != 0xFF || (b[at + 1] & 0xE0) != 0xE0) {
            ++at;  // resynchronise
            continue;
        }
        int version = (b[at + 1] >> 3) & 3;  // 0: 2.5, 2: 2, 3: 1
        int layer = 4 - ((b[at + 1] >> 1) & 3);
        int bitrate_index = b[at + 2] >> 4;
        int rate_index = (b[at + 2] >> 2) & 3;
        int padding = (b[at + 2] >> 1) & 1;
        if (version == 1 || layer == 4 || bitrate_index == 0 || bitrate_index == 15 ||
            rate_index == 3) {
            ++at;
            continue;
        }
        bool mpeg1 = version == 3;
        int rate = kRates[rate_index] >> (mpeg1 ? 0 : (version == 2 ? 1 : 2));
        int bitrate = kBitrates[mpeg1 ? 0 : 1][layer - 1][bitrate_index] * 1000;
        int samples = layer == 1 ? 384 : (layer == 3 && !mpeg1 ? 576 : 1152);
        std::size_t length = layer == 1
                                 ? static_cast<std::size_t>((12 * bitrate / rate + padding) * 4)
                                 : static_cast<std::size_t>(samples / 8 * bitrate / rate + padding);
        if (length < 4) {
            ++at;
            continue;
        }
        us += samples * 1e6 / rate;
        ++frames;
        at += length;
    }
    if (frames == 0) return Fail(reason, "no MPEG audio frames");
    return static_cast<uint64_t>(us);
}

std::optional<uint64_t> SoundFileLengthUs(const Bytes& b, std::string* reason) {
    if (HasTag(b, 0, "MThd")) return MidiLengthUs(b, reason);
    if (HasTag(b, 0, "RIFF")) return WavLengthUs(b, reason);
    if ((b.size() >= 3 && b[0] == 'I' && b[1] == 'D' && b[2] == '3') ||
        (b.size() >= 2 && b[0] == 0xFF && (b[1] & 0xE0) == 0xE0))
        return Mp3LengthUs(b, reason);
    return Fail(reason, "not a sound file this program plays (MIDI, WAV or MP3)");
}

std::vector<unsigned char> MakeWav(const std::vector<int16_t>& samples, int rate) {
    const uint32_t data_len = static_cast<uint32_t>(samples.size() * 2);
    std::vector<unsigned char> w(44 + data_len);
    std::size_t at = 0;
    auto tag = [&](const char* t) {
        std::memcpy(w.data() + at, t, 4);
        at += 4;
    };
    auto le = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) w[at++] = static_cast<unsigned char>(v >> (8 * i));
    };
    tag("RIFF");
    le(36 + data_len, 4);
    tag("WAVE");
    tag("fmt ");
    le(16, 4);
    le(1, 2);  // PCM
    le(1, 2);  // mono
    le(static_cast<uint32_t>(rate), 4);
    le(static_cast<uint32_t>(rate) * 2, 4);
    le(2, 2);
    le(16, 2);
    tag("data");
    le(data_len, 4);
    for (int16_t s : samples) le(static_cast<uint16_t>(s), 2);
    return w;
}

std::vector<int16_t> BeepSamples(int rate) {
    // 80 ms of 880 Hz with a quieter octave above, 5 ms fades at both ends.
    const int count = rate * 80 / 1000;
    const int fade = rate * 5 / 1000;
    std::vector<int16_t> out(static_cast<std::size_t>(count));
    constexpr double kTwoPi = 6.283185307179586;
    for (int i = 0; i < count; ++i) {
        double t = static_cast<double>(i) / rate;
        double v = 0.8 * std::sin(kTwoPi * 880.0 * t) + 0.2 * std::sin(kTwoPi * 1760.0 * t);
        double edge = 1.0;
        if (i < fade) edge = static_cast<double>(i) / fade;
        if (count - 1 - i < fade) edge = static_cast<double>(count - 1 - i) / fade;
        out[static_cast<std::size_t>(i)] = static_cast<int16_t>(std::lround(v * edge * 9000.0));
    }
    return out;
}

}  // namespace winmm
