// The multimedia stand-in: the MCI devices and their states, the error
// texts, the millisecond clock, and the start of audio.
//
// A device is closed, open or playing. "open" makes it open, "play" starts
// it from the beginning unless it already plays, the end of the piece
// (its length, measured from the file, on the program clock) makes it open
// again, and "close" stops and forgets it. A MIDI device plays on the
// mixer's one music stream; every other device has a channel of its own,
// so the music, a wave device and the wave player sound together.
#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unordered_map>

#include "platform/call_log.h"
#include "platform/audio_backend.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/winmm.h"

namespace winmm {
namespace {

struct Device {
    std::string name;          // as written in the command
    std::string program_path;  // the file
    bool music = false;        // MIDI on the music stream
    int music_id = -1;         // -1: the piece keeps time silently
    int chunk_id = 0;
    int channel = -1;
    uint64_t length_us = 0;
    bool playing = false;
    uint64_t start_us = 0;
};

struct Music {
    int id = -1;
    uint64_t length_us = 0;
};

struct Audio {
    std::unique_ptr<AudioBackend> backend;
    std::string fallback_driver = "dummy";
    std::unordered_map<std::string, Device> devices;  // by lower-case name
    std::unordered_map<std::string, Music> music;     // by Linux path
    std::string music_owner;                          // the device on the music stream
    std::vector<bool> channel_taken;                  // from kFirstDeviceChannel on
};

Audio& A() {
    static Audio a;
    return a;
}

std::string Lower(const std::string& s) {
    std::string out = s;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool LooksLikePath(const std::string& s) {
    return s.find('\\') != std::string::npos || s.find('/') != std::string::npos;
}

bool StartsWithMidiHeader(const std::string& linux_path) {
    char head[4] = {};
    FILE* f = std::fopen(linux_path.c_str(), "rb");
    if (!f) return false;
    std::size_t n = std::fread(head, 1, 4, f);
    std::fclose(f);
    return n == 4 && std::memcmp(head, "MThd", 4) == 0;
}

int TakeChannel() {
    auto& a = A();
    for (std::size_t i = 0; i < a.channel_taken.size(); ++i) {
        if (!a.channel_taken[i]) {
            a.channel_taken[i] = true;
            return kFirstDeviceChannel + static_cast<int>(i);
        }
    }
    a.channel_taken.push_back(true);
    int channel = kFirstDeviceChannel + static_cast<int>(a.channel_taken.size()) - 1;
    a.backend->EnsureChannels(channel + 1);
    return channel;
}

void GiveBackChannel(int channel) {
    auto& a = A();
    std::size_t i = static_cast<std::size_t>(channel - kFirstDeviceChannel);
    if (channel >= kFirstDeviceChannel && i < a.channel_taken.size()) a.channel_taken[i] = false;
}

// The end of the piece makes a playing device open again.
void Refresh(Device& d, uint64_t now) {
    if (d.playing && now - d.start_us >= d.length_us) d.playing = false;
}

// Opens the file of a new device: a MIDI piece or a decoded chunk.
int32_t Load(const std::string& program_path, Device* d) {
    auto& a = A();
    std::string linux_path;
    if (int32_t code = LocateSoundFile(program_path, &linux_path)) return code;
    d->program_path = program_path;
    if (StartsWithMidiHeader(linux_path)) {
        auto it = a.music.find(linux_path);
        if (it == a.music.end()) {
            auto bytes = platform::files::ReadAll(linux_path);
            std::string reason = "cannot be read";
            auto length = bytes ? MidiLengthUs(*bytes, &reason) : std::nullopt;
            if (!length) {
                ReportSoundFileOnce(program_path, reason);
                return MCIERR_INVALID_FILE;
            }
            Music m;
            m.length_us = *length;
            std::string error;
            if (!a.backend->LoadMusic(linux_path, &m.id, &error)) {
                ReportSoundFileOnce(program_path, "cannot be played here (" + error +
                                                      "); it keeps time silently");
                m.id = -1;
            }
            it = a.music.emplace(linux_path, m).first;
        }
        d->music = true;
        d->music_id = it->second.id;
        d->length_us = it->second.length_us;
        return 0;
    }
    CachedChunk chunk;
    if (int32_t code = LoadCachedChunk(program_path, &chunk)) return code;
    d->chunk_id = chunk.id;
    d->length_us = chunk.length_us;
    d->channel = TakeChannel();
    return 0;
}

void Play(const std::string& key, Device& d) {
    auto& a = A();
    const uint64_t now = platform::clock::NowUs();
    Refresh(d, now);
    if (d.playing) return;  // a playing device plays on
    d.playing = true;
    d.start_us = now;
    if (d.music) {
        if (d.music_id >= 0) {
            a.backend->PlayMusic(d.music_id);
            a.music_owner = key;
        }
    } else {
        a.backend->PlayChunk(d.channel, d.chunk_id);
    }
}

void Close(const std::string& key) {
    auto& a = A();
    auto it = a.devices.find(key);
    if (it == a.devices.end()) return;
    Device& d = it->second;
    if (d.music) {
        if (a.music_owner == key) {
            a.backend->HaltMusic();
            a.music_owner.clear();
        }
    } else {
        a.backend->HaltChannel(d.channel);
        GiveBackChannel(d.channel);
    }
    a.devices.erase(it);
}

int32_t Open(const MciCommand& cmd) {
    auto& a = A();
    const std::string& name = cmd.alias.empty() ? cmd.target : cmd.alias;
    std::string key = Lower(name);
    if (a.devices.count(key)) return cmd.alias.empty() ? MCIERR_DEVICE_OPEN : MCIERR_DUPLICATE_ALIAS;
    Device d;
    d.name = name;
    if (int32_t code = Load(cmd.target, &d)) return code;
    a.devices.emplace(std::move(key), std::move(d));
    return 0;
}

int32_t PlayCommand(const MciCommand& cmd) {
    auto& a = A();
    std::string key = Lower(cmd.target);
    auto it = a.devices.find(key);
    if (it == a.devices.end()) {
        // "mcifile from 0" and the like: a device with words we do not know.
        if (auto blank = key.find_first_of(" \t"); blank != std::string::npos) {
            if (a.devices.count(key.substr(0, blank))) return MCIERR_UNRECOGNIZED_KEYWORD;
        }
        if (!LooksLikePath(cmd.target)) return MCIERR_INVALID_DEVICE_NAME;
        // The file's own path names the device: the first play opens it.
        Device d;
        d.name = cmd.target;
        if (int32_t code = Load(cmd.target, &d)) return code;
        it = a.devices.emplace(key, std::move(d)).first;
    }
    Play(it->first, it->second);
    return 0;
}

int32_t CloseCommand(const MciCommand& cmd) {
    auto& a = A();
    std::string key = Lower(cmd.target);
    if (key == "all") {
        std::vector<std::string> keys;
        for (const auto& [k, d] : a.devices) keys.push_back(k);
        for (const auto& k : keys) Close(k);
        return 0;
    }
    if (!a.devices.count(key)) return MCIERR_INVALID_DEVICE_NAME;
    Close(key);
    return 0;
}

struct ErrorText {
    int32_t code;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {0, "The command was carried out."},
    {MCIERR_INVALID_DEVICE_ID, "The device identifier is not valid. Open the device first."},
    {MCIERR_UNRECOGNIZED_KEYWORD, "The command holds a word this device does not know."},
    {MCIERR_UNRECOGNIZED_COMMAND, "The command is not one this player knows."},
    {MCIERR_HARDWARE, "The sound hardware reported a problem."},
    {MCIERR_INVALID_DEVICE_NAME,
     "No device is open under that name. Open it first, or check the alias."},
    {MCIERR_OUT_OF_MEMORY, "There is not enough memory for this command."},
    {MCIERR_DEVICE_OPEN, "That file is already open as a device. Close it first."},
    {MCIERR_CANNOT_LOAD_DRIVER, "The sound driver could not be started."},
    {MCIERR_MISSING_COMMAND_STRING, "The command is empty."},
    {MCIERR_MISSING_STRING_ARGUMENT, "A word of the command needs a name after it."},
    {MCIERR_FILE_NOT_FOUND, "The sound file cannot be found. Check its folder and name."},
    {MCIERR_DUPLICATE_ALIAS, "A device is already open under that alias. Close it first."},
    {MCIERR_MISSING_DEVICE_NAME, "The command names no device or file."},
    {MCIERR_INVALID_FILE, "The file cannot be played: it is damaged or of an unknown kind."},
};

}  // namespace

bool FileExists(const std::string& linux_path) {
    struct stat st {};
    return stat(linux_path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

AudioBackend& Backend() {
    if (!A().backend) InitialiseAudio();
    return *A().backend;
}

namespace {

// The sound library on SDL's choice of driver, or on the fallback driver,
// or none: one line on standard error says which when it is not the first.
std::unique_ptr<AudioBackend> OpenBackend(const std::string& fallback_driver) {
    std::string reason;
    if (OpenSdlAudio("", &reason)) return MakeSdlMixerBackend(CurrentSdlAudioDriver());
    std::string fallback_reason;
    if (!fallback_driver.empty() && OpenSdlAudio(fallback_driver, &fallback_reason)) {
        std::fprintf(stderr, "roofrider: %s; running silent on the %s audio driver\n", reason.c_str(),
                     fallback_driver.c_str());
        return MakeSdlMixerBackend(fallback_driver);
    }
    std::fprintf(stderr, "roofrider: %s; running silent\n", reason.c_str());
    return MakeSilentBackend();
}

}  // namespace

void InitialiseAudio() {
    auto& a = A();
    if (!a.backend) a.backend = OpenBackend(a.fallback_driver);
}

void StartAudioInBackground() {
    auto& a = A();
    if (a.backend) return;
    // SDL's hints are not made for two threads: the worker only changes
    // the audio driver's, which must exist before it starts (and is set as
    // the environment sets it, so the first choice stays SDL's).
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, SDL_getenv("SDL_AUDIODRIVER"), SDL_HINT_OVERRIDE);
    a.backend = MakeWorkerBackend([fallback = a.fallback_driver] { return OpenBackend(fallback); });
}

int32_t mciSendStringA(const std::string& command, char* reply, uint32_t length,
                       intptr_t /*callback: "notify" has no receiver here*/) {
    if (platform::call_log::On())
        platform::call_log::Add("mci " + command + " | reply " + std::to_string(reply ? length : 0));
    if (reply && length > 0) reply[0] = '\0';
    MciCommand cmd = ParseMciCommand(command);
    if (cmd.error) return cmd.error;
    Backend();
    switch (cmd.verb) {
        case MciVerb::kOpen:
            return Open(cmd);
        case MciVerb::kPlay:
            return PlayCommand(cmd);
        case MciVerb::kClose:
            return CloseCommand(cmd);
    }
    return MCIERR_UNRECOGNIZED_COMMAND;
}

bool mciGetErrorStringA(int32_t code, char* buffer, uint32_t length) {
    const char* text = nullptr;
    for (const ErrorText& e : kErrorTexts)
        if (e.code == code) text = e.text;
    std::string unknown;
    if (!text) {
        unknown = "Unknown sound error " + std::to_string(code) + ".";
        text = unknown.c_str();
    }
    if (buffer && length > 0) {
        std::size_t n = std::min<std::size_t>(std::strlen(text), length - 1);
        std::memcpy(buffer, text, n);
        buffer[n] = '\0';
    }
    return unknown.empty();
}

uint32_t timeGetTime() {
    return static_cast<uint32_t>(platform::clock::NowMs()) + platform::clock::TimeGetTimeOffset();
}

DeviceState QueryDeviceState(const std::string& name) {
    auto& a = A();
    auto it = a.devices.find(Lower(name));
    if (it == a.devices.end()) return DeviceState::kClosed;
    Refresh(it->second, platform::clock::NowUs());
    return it->second.playing ? DeviceState::kPlaying : DeviceState::kOpen;
}

std::string ActiveBackendName() { return A().backend ? A().backend->Name() : std::string(); }

void ResetAudioForTests() {
    auto& a = A();
    if (a.backend) {
        std::vector<std::string> keys;
        for (const auto& [k, d] : a.devices) keys.push_back(k);
        for (const auto& k : keys) Close(k);
        for (const auto& [path, m] : a.music)
            if (m.id >= 0) a.backend->FreeMusic(m.id);
    }
    a.devices.clear();
    a.music.clear();
    a.music_owner.clear();
    a.channel_taken.clear();
    ResetWavePlayer();
    a.backend.reset();
    CloseSdlAudio();
}

void InstallBackendForTests(std::unique_ptr<AudioBackend> backend) {
    ResetAudioForTests();
    A().backend = std::move(backend);
}

void SetFallbackDriverForTests(const std::string& driver) { A().fallback_driver = driver; }

}  // namespace winmm
