// The multimedia stand-in: the simple wave player (one channel), the beep,
// and the cache of decoded sound files they share with the MCI devices.
//
// Whether a wave still plays is decided by its length and the program
// clock, not by asking the mixer, so the wave player behaves the same in
// virtual time, with SDL's dummy driver and without any sound at all.
#include <cstdio>
#include <mutex>
#include <set>
#include <unordered_map>

#include "platform/call_log.h"
#include "platform/audio_backend.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/winmm.h"

namespace winmm {
namespace {

struct WavePlayer {
    std::unordered_map<std::string, CachedChunk> cache;  // by program path
    std::mutex reported_mutex;                            // the music's thread reports too
    std::set<std::string> reported;                       // files already named on stderr
    bool have_beep = false;
    CachedChunk beep;
    uint64_t wave_end_us = 0;  // the wave channel is busy until then
};

WavePlayer& W() {
    static WavePlayer w;
    return w;
}

}  // namespace

void ReportSoundFileOnce(const std::string& program_path, const std::string& problem) {
    std::lock_guard<std::mutex> lock(W().reported_mutex);
    if (W().reported.insert(program_path).second)
        std::fprintf(stderr, "roofrider: sound file %s: %s\n", program_path.c_str(),
                     problem.c_str());
}

int32_t LocateSoundFile(const std::string& program_path, std::string* linux_path) {
    *linux_path = platform::files::MapPath(program_path);
    if (!FileExists(*linux_path)) {
        ReportSoundFileOnce(program_path, "not found");
        return MCIERR_FILE_NOT_FOUND;
    }
    return 0;
}

int32_t LoadCachedChunk(const std::string& program_path, CachedChunk* out) {
    auto& w = W();
    if (auto it = w.cache.find(program_path); it != w.cache.end()) {
        *out = it->second;
        return 0;
    }
    std::string linux_path;
    if (int32_t code = LocateSoundFile(program_path, &linux_path)) return code;
    CachedChunk chunk;
    std::string error;
    if (!Backend().LoadChunkFile(linux_path, &chunk.id, &chunk.length_us, &error)) {
        ReportSoundFileOnce(program_path, "cannot be played (" + error + ")");
        return MCIERR_INVALID_FILE;
    }
    w.cache.emplace(program_path, chunk);
    *out = chunk;
    return 0;
}

const CachedChunk* BeepChunk() {
    auto& w = W();
    if (!w.have_beep) {
        std::string error;
        if (!Backend().LoadChunkWav(MakeWav(BeepSamples(44100), 44100), &w.beep.id,
                                    &w.beep.length_us, &error))
            return nullptr;
        w.have_beep = true;
    }
    return &w.beep;
}

void ResetWavePlayer() {
    auto& w = W();
    w.cache.clear();
    {
        std::lock_guard<std::mutex> lock(w.reported_mutex);
        w.reported.clear();
    }
    w.have_beep = false;
    w.wave_end_us = 0;
}

bool WavePlaying() { return platform::clock::NowUs() < W().wave_end_us; }

int32_t sndPlaySoundA(const std::string& program_path, uint32_t flags) {
    if (platform::call_log::On()) platform::call_log::Add("wave " + program_path + " | " + std::to_string(flags));
    auto& w = W();
    AudioBackend& backend = Backend();
    const uint64_t now = platform::clock::NowUs();
    if (program_path.empty()) {  // no file: stop the wave that plays
        backend.HaltChannel(kWaveChannel);
        w.wave_end_us = 0;
        return 1;
    }
    if ((flags & SND_NOSTOP) && now < w.wave_end_us) return 0;

    CachedChunk chunk;
    int32_t played = 1;
    if (LoadCachedChunk(program_path, &chunk) != 0) {
        // The system's default sound stands in for a wave it cannot play.
        if (flags & SND_NODEFAULT) return 0;
        const CachedChunk* beep = BeepChunk();
        if (!beep) return 0;
        chunk = *beep;
        played = 0;
    }
    backend.PlayChunk(kWaveChannel, chunk.id);
    w.wave_end_us = now + chunk.length_us;
    if (!(flags & SND_ASYNC)) platform::clock::WaitUntilUs(w.wave_end_us);
    return played;
}

void MessageBeep() {
    platform::call_log::Add("beep");
    if (const CachedChunk* beep = BeepChunk()) Backend().PlayChunk(kBeepChannel, beep->id);
}

}  // namespace winmm
