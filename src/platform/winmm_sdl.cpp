// The multimedia stand-in: the SDL_mixer back-end (chunks on channels, MIDI
// through FluidSynth on the one music stream; SDL_mixer itself is loaded
// when audio starts, mixer_library.h), the General MIDI soundfont search,
// and the silent back-end for a machine without sound.
#include <SDL.h>
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "platform/audio_backend.h"
#include "platform/files.h"
#include "platform/mixer_library.h"

namespace winmm {
namespace {

constexpr int kRate = 44100;
constexpr int kInitialChannels = 16;

bool IsReadableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

// The playing time of a decoded chunk in the mixer's own format.
uint64_t ChunkLengthUs(const MixerLibrary& mix, const Mix_Chunk* chunk) {
    int freq = 0;
    int channels = 0;
    Uint16 format = 0;
    if (mix.QuerySpec(&freq, &format, &channels) == 0 || freq <= 0 || channels <= 0) return 0;
    const uint64_t frame_bytes = static_cast<uint64_t>(SDL_AUDIO_BITSIZE(format) / 8) *
                                 static_cast<uint64_t>(channels);
    if (frame_bytes == 0) return 0;
    return chunk->alen / frame_bytes * 1000000ull / static_cast<uint64_t>(freq);
}

class SdlMixerBackend final : public AudioBackend {
public:
    SdlMixerBackend(const MixerLibrary& mix, std::string driver) : mix_(mix), driver_(std::move(driver)) {}
    ~SdlMixerBackend() override {
        mix_.HaltChannel(-1);
        mix_.HaltMusic();
        for (auto& [id, chunk] : chunks_) mix_.FreeChunk(chunk);
        for (auto& [id, music] : music_) mix_.FreeMusic(music);
    }

    std::string Name() const override { return "sdl_mixer (" + driver_ + ")"; }

    bool LoadChunkFile(const std::string& linux_path, int* id, uint64_t* length_us,
                       std::string* error) override {
        return Keep(mix_.LoadWAV_RW(SDL_RWFromFile(linux_path.c_str(), "rb"), 1), id, length_us, error);
    }

    bool LoadChunkWav(const std::vector<unsigned char>& wav, int* id, uint64_t* length_us,
                      std::string* error) override {
        SDL_RWops* rw = SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size()));
        if (!rw) {
            *error = SDL_GetError();
            return false;
        }
        return Keep(mix_.LoadWAV_RW(rw, 1), id, length_us, error);
    }

    void FreeChunk(int id) override {
        auto it = chunks_.find(id);
        if (it == chunks_.end()) return;
        // A chunk still sounding must not be freed under the mixer.
        for (int ch = 0; ch < channels_; ++ch)
            if (mix_.GetChunk(ch) == it->second) mix_.HaltChannel(ch);
        mix_.FreeChunk(it->second);
        chunks_.erase(it);
    }

    void PlayChunk(int channel, int id) override {
        auto it = chunks_.find(id);
        if (it == chunks_.end()) return;
        EnsureChannels(channel + 1);
        mix_.PlayChannelTimed(channel, it->second, 0, -1);
    }

    void HaltChannel(int channel) override {
        if (channel < channels_) mix_.HaltChannel(channel);
    }

    void EnsureChannels(int count) override {
        if (count <= channels_) return;
        channels_ = std::max(count, channels_ * 2);
        mix_.AllocateChannels(channels_);
    }

    bool LoadMusic(const std::string& linux_path, int* id, std::string* error) override {
        Mix_Music* music = mix_.LoadMUS(linux_path.c_str());
        if (!music) {
            *error = SDL_GetError();
            return false;
        }
        *id = next_music_id_++;
        music_[*id] = music;
        return true;
    }

    void PlayMusic(int id) override {
        auto it = music_.find(id);
        if (it != music_.end()) mix_.PlayMusic(it->second, 0);
    }

    void HaltMusic() override { mix_.HaltMusic(); }

    void FreeMusic(int id) override {
        auto it = music_.find(id);
        if (it == music_.end()) return;
        mix_.FreeMusic(it->second);  // halts it first when it is the one playing
        music_.erase(it);
    }

private:
    bool Keep(Mix_Chunk* chunk, int* id, uint64_t* length_us, std::string* error) {
        if (!chunk) {
            *error = SDL_GetError();
            return false;
        }
        *id = next_chunk_id_++;
        *length_us = ChunkLengthUs(mix_, chunk);
        chunks_[*id] = chunk;
        return true;
    }

    // Chunks and music are kept apart, so that the music can be driven from
    // another thread than the chunks (StartAudioInBackground).
    const MixerLibrary& mix_;
    std::string driver_;
    std::map<int, Mix_Chunk*> chunks_;
    int next_chunk_id_ = 1;
    int channels_ = kInitialChannels;
    std::map<int, Mix_Music*> music_;
    int next_music_id_ = 1;
};

// Keeps time without sound: files are checked and measured by their own
// headers, so every device behaves as it would with a sound card.
class SilentBackend final : public AudioBackend {
public:
    std::string Name() const override { return "silent"; }

    bool LoadChunkFile(const std::string& linux_path, int* id, uint64_t* length_us,
                       std::string* error) override {
        auto bytes = platform::files::ReadAll(linux_path);
        if (!bytes) {
            *error = "cannot be read";
            return false;
        }
        return Measure(*bytes, id, length_us, error);
    }

    bool LoadChunkWav(const std::vector<unsigned char>& wav, int* id, uint64_t* length_us,
                      std::string* error) override {
        return Measure(wav, id, length_us, error);
    }

    void FreeChunk(int) override {}
    void PlayChunk(int, int) override {}
    void HaltChannel(int) override {}
    void EnsureChannels(int) override {}

    bool LoadMusic(const std::string&, int* id, std::string*) override {
        *id = next_music_id_++;
        return true;
    }
    void PlayMusic(int) override {}
    void HaltMusic() override {}
    void FreeMusic(int) override {}

private:
    bool Measure(const std::vector<unsigned char>& bytes, int* id, uint64_t* length_us,
                 std::string* error) {
        auto length = SoundFileLengthUs(bytes, error);
        if (!length) return false;
        *id = next_chunk_id_++;
        *length_us = *length;
        return true;
    }
    int next_chunk_id_ = 1;  // apart, as in the SDL_mixer back-end
    int next_music_id_ = 1;
};

bool g_sdl_audio_open = false;

}  // namespace

std::unique_ptr<AudioBackend> MakeSdlMixerBackend(const std::string& driver) {
    return std::make_unique<SdlMixerBackend>(*Mixer(nullptr), driver);
}

std::unique_ptr<AudioBackend> MakeSilentBackend() { return std::make_unique<SilentBackend>(); }

std::string FindSoundFont() {
    std::vector<std::string> candidates = {
        "/usr/share/sounds/sf3/default-GM.sf3",
        "/usr/share/sounds/sf2/TimGM6mb.sf2",
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        "/usr/share/sounds/sf2/default-GM.sf2",
    };
    // Then any other soundfont of that folder, by name.
    if (DIR* d = opendir("/usr/share/sounds/sf2")) {
        std::vector<std::string> others;
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".sf2") == 0)
                others.push_back("/usr/share/sounds/sf2/" + name);
        }
        closedir(d);
        std::sort(others.begin(), others.end());
        candidates.insert(candidates.end(), others.begin(), others.end());
    }
    for (const std::string& path : candidates)
        if (IsReadableFile(path)) return path;
    return {};
}

bool OpenSdlAudio(const std::string& driver, std::string* reason) {
    const MixerLibrary* mix = Mixer(reason);
    if (!mix) return false;
    // A named driver overrides the environment's choice; none leaves it to
    // the environment (SDL_AUDIODRIVER) and SDL.
    if (driver.empty())
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    else
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver.c_str(), SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        *reason = std::string("no audio driver: ") + SDL_GetError();
        return false;
    }
    if (mix->OpenAudio(kRate, AUDIO_S16SYS, 2, 1024) != 0) {
        *reason = std::string("the audio device cannot be opened: ") + SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    mix->Init(MIX_INIT_MID | MIX_INIT_MP3);
    mix->AllocateChannels(kInitialChannels);
    // SDL_mixer plays silence on a soundfont path that does not exist, so
    // only a file that is there is handed over.
    static bool told = false;
    std::string font = FindSoundFont();
    if (!font.empty()) {
        mix->SetSoundFonts(font.c_str());
    } else if (!told) {
        told = true;
        std::fprintf(stderr, "roofrider: no General MIDI soundfont found; MIDI music is silent\n");
    }
    g_sdl_audio_open = true;
    return true;
}

std::string CurrentSdlAudioDriver() {
    const char* name = SDL_GetCurrentAudioDriver();
    return name ? name : "";
}

void CloseSdlAudio() {
    if (!g_sdl_audio_open) return;
    const MixerLibrary* mix = Mixer(nullptr);
    mix->CloseAudio();
    mix->Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    g_sdl_audio_open = false;
}

}  // namespace winmm
