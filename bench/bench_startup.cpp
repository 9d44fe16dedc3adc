// Start-up pieces of New Game, each on its own: the ten sheets (the
// 15000 x 600 course among them) and the play music opened. The whole of
// it, from the title's key to the first frame on the screen, is measured
// on real runs by bench/run.sh; these show where its time goes.
#include <benchmark/benchmark.h>

#include <chrono>

#include "bench_support.h"
#include "core/game_state.h"
#include "display/surfaces.h"
#include "platform/audio_backend.h"
#include "platform/ddraw.h"
#include "platform/winmm.h"
#include "sound/sound.h"

namespace {

using Clock = std::chrono::steady_clock;

// LoadSurfaces as StartDisplay runs it: the previous sheets released, the
// ten loaded again from their files.
void BM_LoadTenSheets(benchmark::State& state) {
    bench::PrepareDisplayHeadless();
    for (auto _ : state) LoadSurfaces();
}
BENCHMARK(BM_LoadTenSheets)->Unit(benchmark::kMillisecond)->MinTime(2);

// The play music's two commands on a fresh audio start, so that the piece
// is really read and the soundfont loaded (the stand-in keeps a piece once
// read).
void BM_OpenPlayMusic(benchmark::State& state) {
    bench::StartProgramHeadless();
    for (auto _ : state) {
        state.PauseTiming();
        winmm::ResetAudioForTests();
        winmm::InitialiseAudio();
        state.ResumeTiming();
        SendMci("close mcifile", MciReply);
        SendMci("open " + G.BasePath + "sound\\bgm1.mid" + " alias mcifile ", MciReply);
    }
    state.SetLabel(winmm::ActiveBackendName());
}
BENCHMARK(BM_OpenPlayMusic)->Unit(benchmark::kMillisecond)->MinTime(2);

// New Game's whole path in-process: the play field shown (its window, the
// display, the sheets, the music) to the end of the first pass.
void BM_PlayFieldToFirstFrame(benchmark::State& state) {
    bench::StartProgramHeadless();
    ddraw::SetFramePacing(false);
    for (auto _ : state) {
        winmm::ResetAudioForTests();
        winmm::InitialiseAudio();
        const auto t0 = Clock::now();
        Clock::time_point t1;
        bench::Play({}, [&](int64_t) {
            t1 = Clock::now();
            return false;
        });
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    ddraw::SetFramePacing(true);
}
BENCHMARK(BM_PlayFieldToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace
