// The multimedia stand-in's inner parts: the command parser, the boundary
// to the sound library (so that tests can record what reaches it), the
// readers that tell how long a sound file plays, and the hooks tests use.
// Nothing outside src/platform and the tests includes this header.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace winmm {

// ---- The command parser. -------------------------------------------------

enum class MciVerb { kOpen, kPlay, kClose };

// One parsed command string. On a parse failure `error` holds the MCI code.
struct MciCommand {
    int32_t error = 0;
    MciVerb verb = MciVerb::kPlay;
    // The device: a path, an alias, or "all" for close. Case as written.
    std::string target;
    // open only: the alias after the last " alias ", empty when none.
    std::string alias;
    // A final " notify" was given (it has no receiver here).
    bool notify = false;
};

// Parses "open PATH alias NAME ", "play NAME [notify]", "close NAME".
// A path is everything up to the last " alias " in an open and everything
// after the verb but a final " notify" in a play or close, so folders with
// blanks work. Verbs and keywords are matched without regard to case.
MciCommand ParseMciCommand(std::string_view text);

// ---- The boundary to the sound library. ------------------------------------

// Mixer channels: the wave player and the beep have one each; every MCI
// device that plays a chunk gets its own from kFirstDeviceChannel on.
constexpr int kWaveChannel = 0;
constexpr int kBeepChannel = 1;
constexpr int kFirstDeviceChannel = 2;

class AudioBackend {
public:
    virtual ~AudioBackend() = default;
    // A short name for the one line on standard error and for tests.
    virtual std::string Name() const = 0;

    // Decodes a whole sound file (WAV, MP3) into a chunk. On success the
    // chunk's id and its playing time; on failure an error text.
    virtual bool LoadChunkFile(const std::string& linux_path, int* id, uint64_t* length_us,
                               std::string* error) = 0;
    // The same from a WAV image in memory (the beep).
    virtual bool LoadChunkWav(const std::vector<unsigned char>& wav, int* id,
                              uint64_t* length_us, std::string* error) = 0;
    virtual void FreeChunk(int id) = 0;
    // Starts a chunk on a channel from its beginning, cutting off whatever
    // that channel was playing.
    virtual void PlayChunk(int channel, int id) = 0;
    virtual void HaltChannel(int channel) = 0;
    // Makes sure channels 0 .. count-1 exist.
    virtual void EnsureChannels(int count) = 0;

    // Opens a MIDI file as the music stream's source. False when this
    // machine cannot play it (the device then keeps time silently).
    virtual bool LoadMusic(const std::string& linux_path, int* id, std::string* error) = 0;
    // Starts a loaded piece from its beginning, once, on the one music
    // stream, cutting off whatever the stream was playing.
    virtual void PlayMusic(int id) = 0;
    virtual void HaltMusic() = 0;
    virtual void FreeMusic(int id) = 0;
};

// The SDL_mixer back-end (after Mix_OpenAudio) and the silent one. The
// SDL_mixer back-end may take its music calls on one thread and its
// chunk calls on another.
std::unique_ptr<AudioBackend> MakeSdlMixerBackend(const std::string& driver);
std::unique_ptr<AudioBackend> MakeSilentBackend();
// The back-end that `open` makes, opened on a thread of its own and
// driven from there (winmm_worker.cpp): music calls are queued, chunk
// calls wait for the opening.
std::unique_ptr<AudioBackend> MakeWorkerBackend(std::function<std::unique_ptr<AudioBackend>()> open);

// Starts SDL audio and the mixer on the named driver (empty: SDL's
// choice). False with a reason when the device cannot be opened.
bool OpenSdlAudio(const std::string& driver, std::string* reason);
void CloseSdlAudio();
// The name of the SDL audio driver in use ("" when none).
std::string CurrentSdlAudioDriver();

// The General MIDI soundfont, searched in a fixed order; empty if none.
std::string FindSoundFont();

// ---- How long a sound file plays. ------------------------------------------

// Each returns the playing time in microseconds, or nullopt with a reason
// when the bytes are not such a file.
std::optional<uint64_t> MidiLengthUs(const std::vector<unsigned char>& bytes,
                                     std::string* reason);
std::optional<uint64_t> WavLengthUs(const std::vector<unsigned char>& bytes,
                                    std::string* reason);
std::optional<uint64_t> Mp3LengthUs(const std::vector<unsigned char>& bytes,
                                    std::string* reason);
// Whichever of the three fits the bytes (by their first bytes).
std::optional<uint64_t> SoundFileLengthUs(const std::vector<unsigned char>& bytes,
                                          std::string* reason);

// A 16-bit PCM WAV image of the given mono samples.
std::vector<unsigned char> MakeWav(const std::vector<int16_t>& samples, int rate);
// The beep: a short tone of our own with soft edges.
std::vector<int16_t> BeepSamples(int rate);

// ---- Shared between the stand-in's parts. ----------------------------------

// The back-end in use; starts audio first when nothing has started it.
AudioBackend& Backend();

// A decoded sound file, kept for the rest of the run.
struct CachedChunk {
    int id = 0;
    uint64_t length_us = 0;
};
// The chunk of a program path, decoded at its first use. 0, or
// MCIERR_FILE_NOT_FOUND / MCIERR_INVALID_FILE.
int32_t LoadCachedChunk(const std::string& program_path, CachedChunk* out);
// The beep's chunk; nullptr if even that cannot be made.
const CachedChunk* BeepChunk();
// The Linux path of a program path; MCIERR_FILE_NOT_FOUND when it is not there.
int32_t LocateSoundFile(const std::string& program_path, std::string* linux_path);
bool FileExists(const std::string& linux_path);
// One line on standard error per sound file that is missing or damaged
// (from any thread).
void ReportSoundFileOnce(const std::string& program_path, const std::string& problem);
// Forgets the cache and the wave channel (the back-end is being replaced).
void ResetWavePlayer();

// ---- What tests look at and change. ----------------------------------------

enum class DeviceState { kClosed, kOpen, kPlaying };
// The state of the device named so (alias or path, case-blind).
DeviceState QueryDeviceState(const std::string& name);
// True while the wave player's channel holds an unfinished wave.
bool WavePlaying();
// The name of the back-end in use ("" before audio has started).
std::string ActiveBackendName();

// Closes every device, empties the caches and stops audio, so that the
// next call starts it again (from InitialiseAudio or lazily).
void ResetAudioForTests();
// Replaces the back-end (and resets everything as above).
void InstallBackendForTests(std::unique_ptr<AudioBackend> backend);
// The driver tried when the first choice fails ("dummy").
void SetFallbackDriverForTests(const std::string& driver);

}  // namespace winmm
