// WAV files as the sound generator writes and reads them (see wav_file.h).
#include "wav_file.h"

#include <cstdint>
#include <cstring>

namespace audiogen {
namespace {

uint32_t Le32(const std::vector<unsigned char>& b, std::size_t at) {
    return uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
           (uint32_t{b[at + 3]} << 24);
}
uint16_t Le16(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
bool Tag(const std::vector<unsigned char>& b, std::size_t at, const char* tag) {
    return at + 4 <= b.size() && std::memcmp(b.data() + at, tag, 4) == 0;
}

constexpr uint16_t kPcm = 1;
constexpr uint16_t kFloat = 3;
constexpr uint16_t kExtensible = 0xFFFE;

}  // namespace

std::vector<unsigned char> EncodeWav16(const Audio& audio) {
    const uint32_t channels = static_cast<uint32_t>(audio.channels.size());
    const uint32_t frames = static_cast<uint32_t>(audio.Frames());
    const uint32_t data_len = frames * channels * 2;
    std::vector<unsigned char> w;
    w.reserve(44 + data_len);
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i) w.push_back(static_cast<unsigned char>(t[i]));
    };
    auto le = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) w.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    tag("RIFF");
    le(36 + data_len, 4);
    tag("WAVE");
    tag("fmt ");
    le(16, 4);
    le(kPcm, 2);
    le(channels, 2);
    le(static_cast<uint32_t>(audio.rate), 4);
    le(static_cast<uint32_t>(audio.rate) * channels * 2, 4);
    le(channels * 2, 2);
    le(16, 2);
    tag("data");
    le(data_len, 4);
    for (uint32_t i = 0; i < frames; ++i)
        for (const Signal& c : audio.channels) le(static_cast<uint16_t>(ToPcm16(c[i])), 2);
    return w;
}

bool DecodeWav(const std::vector<unsigned char>& b, Audio* audio, std::string* reason) {
    if (!Tag(b, 0, "RIFF") || !Tag(b, 8, "WAVE")) {
        *reason = "no RIFF WAVE header";
        return false;
    }
    uint16_t format = 0, channels = 0, bits = 0;
    uint32_t rate = 0;
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        const uint32_t len = Le32(b, at + 4);
        const std::size_t body = at + 8;
        const std::size_t avail = b.size() - body;
        if (Tag(b, at, "fmt ")) {
            if (len < 16 || avail < 16) break;
            format = Le16(b, body);
            channels = Le16(b, body + 2);
            rate = Le32(b, body + 4);
            bits = Le16(b, body + 14);
            if (format == kExtensible && len >= 26 && avail >= 26) format = Le16(b, body + 24);
        } else if (Tag(b, at, "data")) {
            if (channels == 0 || rate == 0) break;
            const bool pcm16 = format == kPcm && bits == 16;
            const bool float32 = format == kFloat && bits == 32;
            if (!pcm16 && !float32) {
                *reason = "WAV sample format " + std::to_string(format) + "/" +
                          std::to_string(bits) + " bits is not read here";
                return false;
            }
            const std::size_t size = std::min<std::size_t>(len, avail);
            const std::size_t width = bits / 8;
            const std::size_t frames = size / (width * channels);
            audio->rate = static_cast<int>(rate);
            audio->channels.assign(channels, Signal(frames));
            for (std::size_t i = 0; i < frames; ++i) {
                for (std::size_t c = 0; c < channels; ++c) {
                    const std::size_t p = body + (i * channels + c) * width;
                    if (pcm16) {
                        audio->channels[c][i] = static_cast<int16_t>(Le16(b, p)) / 32768.0;
                    } else {
                        uint32_t raw = Le32(b, p);
                        float f;
                        std::memcpy(&f, &raw, 4);
                        audio->channels[c][i] = f;
                    }
                }
            }
            return true;
        }
        if (len > avail) break;
        at = body + len + (len & 1u);
    }
    *reason = "damaged WAV: no usable format and data";
    return false;
}

}  // namespace audiogen
