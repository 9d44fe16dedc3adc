// The multimedia stand-in over the real sound library: a machine without
// any audio device keeps every state, and SDL's disk driver shows that the
// music and a wave effect really produce sound.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/winmm.h"
#include "test_winmm_recorder.h"

namespace {

using winmm::DeviceState;
using winmm::mciSendStringA;
using winmm_test::SoundFolderTest;

// What the program would see of a short session: every return code and
// the device and wave states after each step.
std::vector<std::string> Session(const std::string& base) {
    std::vector<std::string> seen;
    auto note = [&](const std::string& what, int32_t code) {
        seen.push_back(what + " -> " + std::to_string(code) + " mcifile " +
                       std::to_string(static_cast<int>(winmm::QueryDeviceState("mcifile"))) +
                       " wave " + std::to_string(winmm::WavePlaying()));
    };
    auto send = [&](const std::string& cmd) { note(cmd, mciSendStringA(cmd, nullptr, 0, 0)); };
    auto step = [](int ms) { platform::clock::AdvanceVirtualUs(static_cast<uint64_t>(ms) * 1000); };
    send("close mcifile");
    send("open " + base + "sound\\bgm1.mid alias mcifile ");
    send("play mcifile notify");
    note("go", winmm::sndPlaySoundA(base + "sound\\go.wav", winmm::SND_ASYNC));
    step(400);
    note("opening", winmm::sndPlaySoundA(base + "sound\\opening.wav", 17));
    step(200);
    note("opening", winmm::sndPlaySoundA(base + "sound\\opening.wav", 17));
    send("play " + base + "sound\\idou.wav");
    send("open " + base + "sound\\broken.mid alias other ");
    step(1500);
    send("play mcifile notify");
    note("missing", winmm::sndPlaySoundA(base + "sound\\none.wav", winmm::SND_ASYNC));
    step(100);
    send("close mcifile");
    send("close " + base + "sound\\idou.wav");
    return seen;
}

class NoAudioDeviceTest : public SoundFolderTest {
protected:
    void SetUp() override {
        SoundFolderTest::SetUp();
        const char* old = std::getenv("SDL_AUDIODRIVER");
        old_driver_ = old ? old : "";
    }
    void TearDown() override {
        SoundFolderTest::TearDown();
        setenv("SDL_AUDIODRIVER", old_driver_.c_str(), 1);
        winmm::SetFallbackDriverForTests("dummy");
    }
    std::string old_driver_;
};

TEST_F(NoAudioDeviceTest, RunsSilentWithTheSameStates) {
    std::vector<std::string> with_sound = Session(base_);

    // No driver at all, not even the fallback: silent.
    winmm::ResetAudioForTests();
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    winmm::SetFallbackDriverForTests("no-such-fallback");
    winmm::InitialiseAudio();
    EXPECT_EQ(winmm::ActiveBackendName(), "silent");
    winmm::InitialiseAudio();  // a second start changes nothing
    EXPECT_EQ(winmm::ActiveBackendName(), "silent");
    EXPECT_EQ(Session(base_), with_sound);
}

TEST_F(NoAudioDeviceTest, FallsBackToTheDummyDriver) {
    winmm::ResetAudioForTests();
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    winmm::InitialiseAudio();
    EXPECT_EQ(winmm::ActiveBackendName(), "sdl_mixer (dummy)");
    std::vector<std::string> on_dummy = Session(base_);

    winmm::ResetAudioForTests();
    winmm::SetFallbackDriverForTests("no-such-fallback");
    winmm::InitialiseAudio();
    ASSERT_EQ(winmm::ActiveBackendName(), "silent");
    EXPECT_EQ(Session(base_), on_dummy);
}

// Root mean square of the 16-bit samples SDL's disk driver wrote.
double Rms(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::size_t n = bytes.size() / 2;
    if (n == 0) return 0;
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        int16_t s;
        std::memcpy(&s, bytes.data() + 2 * i, 2);
        sum += static_cast<double>(s) * s;
    }
    return std::sqrt(sum / static_cast<double>(n));
}

class DiskDriverTest : public NoAudioDeviceTest {
protected:
    // Starts audio on the disk driver, writing into `file`, in real time.
    void StartDisk(const std::filesystem::path& file) {
        winmm::ResetAudioForTests();
        platform::clock::UseVirtualTime(false);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        winmm::InitialiseAudio();
        ASSERT_EQ(winmm::ActiveBackendName(), "sdl_mixer (disk)");
    }
    static void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

TEST_F(DiskDriverTest, MusicAndAWaveEffectAreHeard) {
    if (winmm::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI soundfont installed";

    const auto music_file = root_ / "music.raw";
    StartDisk(music_file);
    ASSERT_EQ(mciSendStringA("open " + base_ + "sound\\bgm1.mid alias mcifile ", nullptr, 0, 0), 0);
    ASSERT_EQ(mciSendStringA("play mcifile notify", nullptr, 0, 0), 0);
    Sleep(1200);
    winmm::ResetAudioForTests();  // stops the driver, which closes its file
    const double music_rms = Rms(music_file);

    const auto wave_file = root_ / "wave.raw";
    StartDisk(wave_file);
    ASSERT_EQ(winmm::sndPlaySoundA(base_ + "sound\\go.wav", winmm::SND_ASYNC), 1);
    Sleep(400);
    winmm::ResetAudioForTests();
    const double wave_rms = Rms(wave_file);

    const auto silence_file = root_ / "beep.raw";
    StartDisk(silence_file);
    Sleep(100);  // nothing played
    winmm::ResetAudioForTests();
    const double silence_rms = Rms(silence_file);

    std::printf("disk driver RMS: music %.0f, wave %.0f, nothing %.0f\n", music_rms, wave_rms,
                silence_rms);
    EXPECT_GT(music_rms, 200.0);
    EXPECT_GT(wave_rms, 1000.0);
    EXPECT_LT(silence_rms, 1.0);
}

}  // namespace
