// Inside the multimedia stand-in only: SDL_mixer, loaded when audio starts
// rather than with the program.
//
// SDL_mixer brings some fifteen libraries of its own (FluidSynth with
// glib, JACK, libinstpatch and readline, the module player, whose start-up
// code alone fills tables for a few milliseconds): linked to the program,
// all of them would be loaded and started before the first window. Opened
// here, from the thread that opens the audio device (StartAudioInBackground),
// they load beside it.
#pragma once

#include <SDL_mixer.h>

#include <string>

namespace winmm {

// The functions of SDL_mixer the stand-in calls.
struct MixerLibrary {
    decltype(&Mix_OpenAudio) OpenAudio;
    decltype(&Mix_CloseAudio) CloseAudio;
    decltype(&Mix_Init) Init;
    decltype(&Mix_Quit) Quit;
    decltype(&Mix_QuerySpec) QuerySpec;
    decltype(&Mix_AllocateChannels) AllocateChannels;
    decltype(&Mix_SetSoundFonts) SetSoundFonts;
    decltype(&Mix_LoadWAV_RW) LoadWAV_RW;
    decltype(&Mix_FreeChunk) FreeChunk;
    decltype(&Mix_GetChunk) GetChunk;
    decltype(&Mix_PlayChannelTimed) PlayChannelTimed;
    decltype(&Mix_HaltChannel) HaltChannel;
    decltype(&Mix_LoadMUS) LoadMUS;
    decltype(&Mix_FreeMusic) FreeMusic;
    decltype(&Mix_PlayMusic) PlayMusic;
    decltype(&Mix_HaltMusic) HaltMusic;
};

// The library, loaded at the first call (from any thread). nullptr with
// *error when it cannot be loaded: the program then runs silent.
const MixerLibrary* Mixer(std::string* error);

}  // namespace winmm
