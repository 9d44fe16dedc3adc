// roofrider-audiogen: makes the game's music and sounds.
//
//   roofrider-audiogen OUT_DIR [FILE...]   writes the files under OUT_DIR
//                                          (all of them when none is named)
//   roofrider-audiogen --list              names every file it makes
//   roofrider-audiogen --describe          prints each piece's outline
//   roofrider-audiogen --picture IN.wav OUT.png
//                                          draws a sonogram and level
//
// The same sources give the same bytes on every run.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "effects.h"
#include "external_tools.h"
#include "wave_picture.h"
#include "midi_file.h"
#include "music_render.h"
#include "pieces.h"

namespace audiogen {
namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kMusicRate = 44100;
// How long the looping waves ring on after their last bar line.
constexpr double kLoopTail = 0.3;

Audio Mono(Signal s) {
    FinishEffect(s);
    Audio a;
    a.rate = kEffectRate;
    a.channels.push_back(std::move(s));
    return a;
}

Bytes EffectWav(Signal s) { return EncodeWav16(Mono(std::move(s))); }
Bytes EffectMp3(Signal s) { return EncodeMp3(Mono(std::move(s))); }

struct Output {
    const char* path;  // under the game folder
    std::function<Bytes()> make;
};

const std::vector<Output>& Outputs() {
    static const std::vector<Output> outputs = {
        {"sound/bgm1.mid", [] { return WriteMidi(ComposePlayField()); }},
        {"sound/psmat045.mid", [] { return WriteMidi(ComposeStory()); }},
        {"sound/opening.wav",
         [] { return EncodeWav16(RenderForLooping(ComposeTitle(), kMusicRate, kLoopTail)); }},
        {"sound/end01.wav",
         [] { return EncodeWav16(RenderForLooping(ComposeStaffRoll(), kMusicRate, kLoopTail)); }},
        {"sound/go.wav", [] { return EffectWav(StartChime()); }},
        {"sound/jump1.wav", [] { return EffectWav(JumpVoice(0)); }},
        {"sound/jump2.wav", [] { return EffectWav(JumpVoice(1)); }},
        {"sound/jump3.wav", [] { return EffectWav(JumpVoice(2)); }},
        {"sound/bust.wav", [] { return EffectWav(DashWhoosh()); }},
        {"sound/laserbom.wav", [] { return EffectWav(Blast()); }},
        {"sound/idou.wav", [] { return EffectWav(MenuMove()); }},
        {"sound/kettei.wav", [] { return EffectWav(MenuChoose()); }},
        {"sound/powa.wav", [] { return EffectWav(Reveal()); }},
        {"sound/oto.wav", [] { return EffectWav(RankGong()); }},
        {"soundeffect/idou.mp3", [] { return EffectMp3(RowMove()); }},
        {"soundeffect/kettei2.mp3", [] { return EffectMp3(RowConfirm()); }},
    };
    return outputs;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: roofrider-audiogen OUT_DIR [FILE...]\n"
                 "       roofrider-audiogen --list | --describe | --picture IN.wav OUT.png\n");
    return 2;
}

int Make(const std::filesystem::path& out_dir, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        bool known = false;
        for (const Output& o : Outputs()) known = known || name == o.path;
        if (!known) {
            std::fprintf(stderr, "roofrider-audiogen: no file named %s (see --list)\n", name.c_str());
            return 2;
        }
    }
    for (const Output& o : Outputs()) {
        if (!names.empty() && std::find(names.begin(), names.end(), o.path) == names.end()) continue;
        try {
            WriteFileAtomically(out_dir / o.path, o.make());
        } catch (const std::exception& e) {
            std::fprintf(stderr, "roofrider-audiogen: %s: %s\n", o.path, e.what());
            return 1;
        }
    }
    return 0;
}

}  // namespace
}  // namespace audiogen

int main(int argc, char** argv) {
    using namespace audiogen;
    if (argc < 2) return Usage();
    const std::string first = argv[1];
    try {
        if (first == "--list") {
            for (const Output& o : Outputs()) std::printf("%s\n", o.path);
            return 0;
        }
        if (first == "--describe") {
            std::printf("%s\n", Describe(ComposePlayField(), "lead").c_str());
            std::printf("%s\n", Describe(ComposeStory(), "vibes").c_str());
            std::printf("%s\n", Describe(ComposeTitle(), "trumpet").c_str());
            std::printf("%s\n", Describe(ComposeStaffRoll(), "violins").c_str());
            return 0;
        }
        if (first == "--picture") {
            if (argc != 4) return Usage();
            std::string report;
            if (!DrawWavePicture(argv[2], argv[3], &report)) {
                std::fprintf(stderr, "roofrider-audiogen: %s\n", report.c_str());
                return 1;
            }
            std::printf("%s", report.c_str());
            return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "roofrider-audiogen: %s\n", e.what());
        return 1;
    }
    if (first.rfind("--", 0) == 0) return Usage();
    return Make(first, std::vector<std::string>(argv + 2, argv + argc));
}
