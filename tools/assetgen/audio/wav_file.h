// WAV files as the sound generator writes and reads them: 16-bit PCM out;
// 16-bit PCM or 32-bit float in (the synthesiser's renders).
#pragma once

#include <string>
#include <vector>

#include "dsp.h"

namespace audiogen {

struct Audio {
    int rate = 44100;
    std::vector<Signal> channels;  // one Signal per channel, equal lengths
    std::size_t Frames() const { return channels.empty() ? 0 : channels[0].size(); }
};

// A 16-bit PCM WAV image of the channels (samples clipped to [-1, 1]).
std::vector<unsigned char> EncodeWav16(const Audio& audio);
// Decodes a WAV image; false with a reason when it is not one we read.
bool DecodeWav(const std::vector<unsigned char>& bytes, Audio* audio, std::string* reason);

}  // namespace audiogen
