// The music and sounds as the program meets them: each file opens and plays
// through the multimedia stand-in, the play field's music and an options
// sound are really heard on SDL's disk driver, and the generator gives the
// same bytes again and names the package to install when a tool is missing.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/audio_backend.h"
#include "platform/clock.h"
#include "platform/winmm.h"
#include "test_audio_assets.h"

namespace {

using namespace audio_assets_test;
using winmm::mciSendStringA;

// The game folder as the program names it ("\...\game\").
std::string ProgramBase() {
    std::string s = GameDir().string();
    for (char& c : s)
        if (c == '/') c = '\\';
    return s + "\\";
}

const char* const kEveryFile[] = {
    "sound\\bgm1.mid",   "sound\\psmat045.mid", "sound\\opening.wav",     "sound\\end01.wav",
    "sound\\go.wav",     "sound\\jump1.wav",    "sound\\jump2.wav",       "sound\\jump3.wav",
    "sound\\bust.wav",   "sound\\laserbom.wav", "sound\\idou.wav",        "sound\\kettei.wav",
    "sound\\powa.wav",   "sound\\oto.wav",      "soundeffect\\idou.mp3", "soundeffect\\kettei2.mp3",
};

class AudioAssetPlayback : public ::testing::Test {
protected:
    void SetUp() override { winmm::ResetAudioForTests(); }
    void TearDown() override { winmm::ResetAudioForTests(); }
};

TEST_F(AudioAssetPlayback, EveryFileOpensAndPlaysThroughTheStandIn) {
    const std::string base = ProgramBase();
    for (const char* file : kEveryFile) {
        SCOPED_TRACE(file);
        EXPECT_EQ(mciSendStringA("open " + base + file + " alias x ", nullptr, 0, 0), 0);
        EXPECT_EQ(mciSendStringA("play x notify", nullptr, 0, 0), 0);
        EXPECT_EQ(winmm::QueryDeviceState("x"), winmm::DeviceState::kPlaying);
        EXPECT_EQ(mciSendStringA("close x", nullptr, 0, 0), 0);
    }
    // The waves through the wave player too, as the screens play them
    // (the staff roll names its folder "Sound").
    EXPECT_EQ(winmm::sndPlaySoundA(base + "Sound\\end01.wav", winmm::SND_ASYNC), 1);
    EXPECT_EQ(winmm::sndPlaySoundA(base + "sound\\opening.wav", winmm::SND_ASYNC), 1);
    EXPECT_EQ(winmm::sndPlaySoundA(base + "sound\\oto.wav", winmm::SND_ASYNC), 1);
}

// The RMS of the 16-bit samples SDL's disk driver wrote.
double DiskRms(const std::filesystem::path& file) {
    const Bytes b = Read(file);
    const std::size_t n = b.size() / 2;
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double s = static_cast<int16_t>(b[2 * i] | (b[2 * i + 1] << 8));
        sum += s * s;
    }
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

class DiskDriverPlayback : public AudioAssetPlayback {
protected:
    void SetUp() override {
        AudioAssetPlayback::SetUp();
        const char* old = std::getenv("SDL_AUDIODRIVER");
        old_driver_ = old ? old : "";
        char templ[] = "/tmp/rr_audio_assets_XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        dir_ = templ;
        platform::clock::UseVirtualTime(false);
    }
    void TearDown() override {
        AudioAssetPlayback::TearDown();
        setenv("SDL_AUDIODRIVER", old_driver_.c_str(), 1);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    // Opens a file of the game folder under the music's alias, plays it for
    // `ms` of real time, and returns the RMS of what came out.
    double Hear(const std::string& file, int ms) {
        const auto out = dir_ / "out.raw";
        winmm::ResetAudioForTests();
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
        winmm::InitialiseAudio();
        EXPECT_EQ(winmm::ActiveBackendName(), "sdl_mixer (disk)");
        EXPECT_EQ(mciSendStringA("open " + ProgramBase() + file + " alias mcifile ", nullptr, 0, 0), 0);
        EXPECT_EQ(mciSendStringA("play mcifile notify", nullptr, 0, 0), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        winmm::ResetAudioForTests();  // closes the driver's file
        return DiskRms(out);
    }
    std::string old_driver_;
    std::filesystem::path dir_;
};

TEST_F(DiskDriverPlayback, ThePlayFieldMusicAndARowSoundAreHeard) {
    if (winmm::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
    const double music = Hear("sound\\bgm1.mid", 1200);
    const double row = Hear("soundeffect\\kettei2.mp3", 500);
    std::printf("disk driver RMS: bgm1.mid %.0f, kettei2.mp3 %.0f\n", music, row);
    EXPECT_GT(music, 300.0);
    EXPECT_GT(row, 300.0);
}

// Runs a shell command; its exit status and what it printed.
int RunCommand(const std::string& command, std::string* output) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) *output += buffer;
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class AudioGenerator : public ::testing::Test {
protected:
    void SetUp() override {
        char templ[] = "/tmp/rr_audiogen_XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        dir_ = templ;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::filesystem::path dir_;
};

TEST_F(AudioGenerator, MakesTheSameBytesAgain) {
    std::string output;
    ASSERT_EQ(RunCommand(std::string(ROOFRIDER_AUDIOGEN) + " " + dir_.string(), &output), 0) << output;
    std::string listed;
    ASSERT_EQ(RunCommand(std::string(ROOFRIDER_AUDIOGEN) + " --list", &listed), 0);
    int files = 0;
    for (std::size_t at = 0; at < listed.size();) {
        const std::size_t end = listed.find('\n', at);
        const std::string name = listed.substr(at, end - at);
        at = end == std::string::npos ? listed.size() : end + 1;
        if (name.empty()) continue;
        ++files;
        SCOPED_TRACE(name);
        const Bytes again = Read(dir_ / name);
        ASSERT_FALSE(again.empty());
        EXPECT_TRUE(again == Read(GameDir() / name));
    }
    EXPECT_EQ(files, 16);
}

TEST_F(AudioGenerator, NamesThePackageOfAMissingTool) {
    const std::string gen = std::string("PATH=") + dir_.string() + " " + ROOFRIDER_AUDIOGEN + " " + dir_.string();
    std::string output;
    EXPECT_EQ(RunCommand(gen + " sound/opening.wav", &output), 1);
    EXPECT_NE(output.find("install the Debian package fluidsynth"), std::string::npos) << output;
    output.clear();
    EXPECT_EQ(RunCommand(gen + " soundeffect/idou.mp3", &output), 1);
    EXPECT_NE(output.find("install the Debian package lame"), std::string::npos) << output;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "sound/opening.wav"));
    output.clear();
    EXPECT_EQ(RunCommand(std::string(ROOFRIDER_AUDIOGEN) + " " + dir_.string() + " sound/nothing.wav", &output), 2);
    EXPECT_NE(output.find("no file named sound/nothing.wav"), std::string::npos) << output;
}

}  // namespace
