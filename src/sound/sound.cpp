// Sound — the MCI command sender and the numbered play-field sounds.
#include "sound/sound.h"

#include <cstring>

#include "core/game_state.h"
#include "platform/basic.h"
#include "platform/winmm.h"

std::string MciReply;

int16_t SendMci(const std::string& command, std::string& reply) {
    char buffer[256] = {};
    int32_t code = winmm::mciSendStringA(command, buffer, sizeof buffer, 0);
    if (code != 0) {
        winmm::MessageBeep();
        winmm::mciGetErrorStringA(code, buffer, sizeof buffer);
    }
    // Only a buffer that holds a NUL gives a reply; otherwise the old one stays.
    if (const void* nul = std::memchr(buffer, '\0', sizeof buffer))
        reply.assign(buffer, static_cast<std::size_t>(static_cast<const char*>(nul) - buffer));
    return static_cast<int16_t>(code);
}

void PlayEffect(int16_t number) {
    switch (number) {
        case 1:
            SendMci("play mcifile notify", MciReply);
            break;
        case 2:
            winmm::sndPlaySoundA(G.BasePath + "sound\\go.wav", winmm::SND_ASYNC);
            break;
        case 3: {
            // 2.999, not 3: the third voice comes up very slightly less often.
            int32_t i = basic::Int(basic::Rnd() * 2.999);
            winmm::sndPlaySoundA(G.BasePath + "sound\\" + G.JumpSoundFiles[static_cast<std::size_t>(i)],
                                 winmm::SND_ASYNC);
            break;
        }
        case 5:
            winmm::sndPlaySoundA(G.BasePath + "sound\\bust.wav", winmm::SND_ASYNC);
            break;
        default:
            break;
    }
}
