// The Windows multimedia library as the program uses it, over SDL_mixer:
// MCI command strings, the simple wave player, the beep and the
// millisecond clock.
#pragma once

#include <cstdint>
#include <string>

namespace winmm {

// MCI error codes (the values Windows uses).
constexpr int32_t MCIERR_INVALID_DEVICE_ID = 257;
constexpr int32_t MCIERR_UNRECOGNIZED_KEYWORD = 259;
constexpr int32_t MCIERR_UNRECOGNIZED_COMMAND = 261;
constexpr int32_t MCIERR_HARDWARE = 262;
constexpr int32_t MCIERR_INVALID_DEVICE_NAME = 263;
constexpr int32_t MCIERR_OUT_OF_MEMORY = 264;
constexpr int32_t MCIERR_DEVICE_OPEN = 265;
constexpr int32_t MCIERR_CANNOT_LOAD_DRIVER = 266;
constexpr int32_t MCIERR_MISSING_COMMAND_STRING = 267;
constexpr int32_t MCIERR_MISSING_STRING_ARGUMENT = 269;
constexpr int32_t MCIERR_FILE_NOT_FOUND = 275;
constexpr int32_t MCIERR_DUPLICATE_ALIAS = 289;
constexpr int32_t MCIERR_MISSING_DEVICE_NAME = 292;
constexpr int32_t MCIERR_INVALID_FILE = 296;

// Sends one MCI command string ("open PATH alias NAME ", "play NAME
// [notify]", "close NAME", "play PATH", "close PATH"). Returns 0 on success
// or an error code; writes a NUL-terminated reply (empty for these
// commands) into reply when length is not 0.
int32_t mciSendStringA(const std::string& command, char* reply, uint32_t length,
                       intptr_t callback);
// A readable English text for an error code. True when the code is known.
bool mciGetErrorStringA(int32_t code, char* buffer, uint32_t length);

constexpr uint32_t SND_SYNC = 0;
constexpr uint32_t SND_ASYNC = 1;
constexpr uint32_t SND_NODEFAULT = 2;
constexpr uint32_t SND_NOSTOP = 16;
// Plays a wave file on the one wave channel. A missing file plays the
// system's default sound (the beep) unless SND_NODEFAULT is given. Without
// SND_ASYNC the call returns when the wave has ended. Returns 1 when the
// wave was started, 0 otherwise.
int32_t sndPlaySoundA(const std::string& program_path, uint32_t flags);

// The system beep: a short tone of our own on its own channel.
void MessageBeep();

// Milliseconds from the program clock, 32-bit, wrapping.
uint32_t timeGetTime();

// Starts audio apart from video. Without an audio device the program runs
// silent: one line on standard error, every device state kept as if sound
// were there.
void InitialiseAudio();
// The same on a thread of its own, once the windows toolkit has started,
// so that the first window does not wait for the audio device: music
// commands are carried out there in their order, a wave waits for the
// device. Every reply and device state is as with InitialiseAudio; a
// piece of music is heard once its soundfont is read.
void StartAudioInBackground();

}  // namespace winmm
