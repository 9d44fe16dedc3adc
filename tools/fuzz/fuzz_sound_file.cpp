// libFuzzer target for the readers that tell how long a sound file plays
// (MIDI events and tempo, WAV chunks, MP3 frames): any bytes give a length
// or a reason, never a crash, a hang or a huge allocation.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/audio_backend.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<unsigned char> bytes(data, data + size);
    using Reader = std::optional<uint64_t> (*)(const std::vector<unsigned char>&, std::string*);
    for (Reader read : {Reader{winmm::MidiLengthUs}, Reader{winmm::WavLengthUs},
                        Reader{winmm::Mp3LengthUs}, Reader{winmm::SoundFileLengthUs}}) {
        std::string reason;
        if (!read(bytes, &reason) && reason.empty()) std::abort();
    }
    return 0;
}
