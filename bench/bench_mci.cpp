// The multimedia stand-in: the music's play command, sent every frame to a
// device that already plays.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "platform/audio_backend.h"
#include "platform/clock.h"
#include "platform/winmm.h"

namespace {

// A one-minute MIDI piece: one note held for 120 quarters at 120 a minute.
std::vector<unsigned char> LongPiece() {
    std::vector<unsigned char> track = {0x00, 0x90, 60, 100, 0x83, 0xC2, 0x00,  // 57600 ticks
                                        0x80, 60,   0,  0x00, 0xFF, 0x2F, 0x00};
    std::vector<unsigned char> f = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0,
                                    'M', 'T', 'r', 'k', 0, 0, 0,
                                    static_cast<unsigned char>(track.size())};
    f.insert(f.end(), track.begin(), track.end());
    return f;
}

void BM_PlayOnAPlayingDevice(benchmark::State& state) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "rr_bench_mci";
    std::filesystem::create_directories(dir);
    {
        auto bytes = LongPiece();
        std::ofstream(dir / "bgm1.mid", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    }
    std::string program_dir = dir.string();
    for (char& c : program_dir)
        if (c == '/') c = '\\';
    winmm::InstallBackendForTests(winmm::MakeSilentBackend());
    platform::clock::UseVirtualTime(true);
    winmm::mciSendStringA("open " + program_dir + "\\bgm1.mid alias mcifile ", nullptr, 0, 0);
    winmm::mciSendStringA("play mcifile notify", nullptr, 0, 0);
    char reply[256];
    for (auto _ : state) {
        benchmark::DoNotOptimize(winmm::mciSendStringA("play mcifile notify", reply, 256, 0));
    }
    if (winmm::QueryDeviceState("mcifile") != winmm::DeviceState::kPlaying)
        state.SkipWithError("the device stopped playing");
    winmm::ResetAudioForTests();
    platform::clock::UseVirtualTime(false);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_PlayOnAPlayingDevice);

}  // namespace
