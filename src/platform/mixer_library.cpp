// SDL_mixer loaded at run time (see mixer_library.h).
#include "platform/mixer_library.h"

#include <dlfcn.h>

namespace winmm {
namespace {

// The run-time name of SDL_mixer 2 (its package on Debian:
// libsdl2-mixer-2.0-0).
constexpr const char* kLibraryName = "libSDL2_mixer-2.0.so.0";

struct Loaded {
    MixerLibrary table{};
    bool ok = false;
    std::string error;
};

template <typename F>
bool Bind(void* library, const char* name, F* to, std::string* missing) {
    *to = reinterpret_cast<F>(dlsym(library, name));
    if (!*to && missing->empty()) *missing = name;
    return *to != nullptr;
}

Loaded Load() {
    Loaded l;
    // Never closed: FluidSynth and glib are not made to be unloaded.
    void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!library) {
        const char* why = dlerror();
        l.error = std::string(kLibraryName) + " cannot be loaded (" + (why ? why : "unknown reason") + ")";
        return l;
    }
    MixerLibrary& t = l.table;
    std::string missing;
    Bind(library, "Mix_OpenAudio", &t.OpenAudio, &missing);
    Bind(library, "Mix_CloseAudio", &t.CloseAudio, &missing);
    Bind(library, "Mix_Init", &t.Init, &missing);
    Bind(library, "Mix_Quit", &t.Quit, &missing);
    Bind(library, "Mix_QuerySpec", &t.QuerySpec, &missing);
    Bind(library, "Mix_AllocateChannels", &t.AllocateChannels, &missing);
    Bind(library, "Mix_SetSoundFonts", &t.SetSoundFonts, &missing);
    Bind(library, "Mix_LoadWAV_RW", &t.LoadWAV_RW, &missing);
    Bind(library, "Mix_FreeChunk", &t.FreeChunk, &missing);
    Bind(library, "Mix_GetChunk", &t.GetChunk, &missing);
    Bind(library, "Mix_PlayChannelTimed", &t.PlayChannelTimed, &missing);
    Bind(library, "Mix_HaltChannel", &t.HaltChannel, &missing);
    Bind(library, "Mix_LoadMUS", &t.LoadMUS, &missing);
    Bind(library, "Mix_FreeMusic", &t.FreeMusic, &missing);
    Bind(library, "Mix_PlayMusic", &t.PlayMusic, &missing);
    Bind(library, "Mix_HaltMusic", &t.HaltMusic, &missing);
    if (!missing.empty()) {
        l.error = std::string(kLibraryName) + " has no " + missing + " (not SDL_mixer 2?)";
        return l;
    }
    l.ok = true;
    return l;
}

}  // namespace

const MixerLibrary* Mixer(std::string* error) {
    static const Loaded loaded = Load();
    if (!loaded.ok && error) *error = loaded.error;
    return loaded.ok ? &loaded.table : nullptr;
}

}  // namespace winmm
