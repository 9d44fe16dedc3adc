// Test helpers for the multimedia stand-in and the Sound module: a back-end
// that records what reaches the sound library instead of playing it, a
// folder with blanks in its name holding small sound files written here,
// and writers for those files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio_backend.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace winmm_test {

// Every call that reaches the back-end, as a line: "play 0 go.wav",
// "halt 3", "music bgm1.mid", "halt music", "load go.wav", ... Music and
// chunk calls may come from two threads (the sound library's own thread).
class RecordingBackend final : public winmm::AudioBackend {
public:
    explicit RecordingBackend(std::shared_ptr<std::vector<std::string>> log)
        : log_(std::move(log)) {}

    std::string Name() const override { return "recorder"; }

    bool LoadChunkFile(const std::string& linux_path, int* id, uint64_t* length_us,
                       std::string* error) override {
        std::ifstream in(linux_path, std::ios::binary);
        std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
        auto length = winmm::SoundFileLengthUs(bytes, error);
        if (!length) return false;
        *length_us = *length;
        *id = Named(std::filesystem::path(linux_path).filename().string());
        Log("load ", *id);
        return true;
    }
    bool LoadChunkWav(const std::vector<unsigned char>& wav, int* id, uint64_t* length_us,
                      std::string* error) override {
        auto length = winmm::WavLengthUs(wav, error);
        if (!length) return false;
        *length_us = *length;
        *id = Named("beep");
        return true;
    }
    void FreeChunk(int) override {}
    void PlayChunk(int channel, int id) override { Log("play " + std::to_string(channel) + " ", id); }
    void HaltChannel(int channel) override { Log("halt " + std::to_string(channel)); }
    void EnsureChannels(int) override {}
    bool LoadMusic(const std::string& linux_path, int* id, std::string*) override {
        *id = Named(std::filesystem::path(linux_path).filename().string());
        Log("load music ", *id);
        return true;
    }
    void PlayMusic(int id) override { Log("music ", id); }
    void HaltMusic() override { Log("halt music"); }
    void FreeMusic(int) override {}

private:
    int Named(const std::string& name) {
        std::lock_guard<std::mutex> lock(mutex_);
        names_[next_id_] = name;
        return next_id_++;
    }
    void Log(const std::string& line, int id = 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        log_->push_back(id ? line + names_[id] : line);
    }

    std::shared_ptr<std::vector<std::string>> log_;
    std::mutex mutex_;
    std::map<int, std::string> names_;
    int next_id_ = 1;
};

inline void WriteFile(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A mono 16-bit WAV of a sine tone lasting ms milliseconds.
inline std::vector<unsigned char> ToneWav(int ms, double freq = 440.0, int rate = 22050) {
    std::vector<int16_t> samples(static_cast<std::size_t>(rate) * ms / 1000);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(12000.0 * std::sin(6.283185307179586 * freq * i / rate));
    return winmm::MakeWav(samples, rate);
}

inline void PutVarLen(std::vector<unsigned char>& out, uint32_t v) {
    unsigned char tmp[4];
    int n = 0;
    do {
        tmp[n++] = static_cast<unsigned char>(v & 0x7F);
        v >>= 7;
    } while (v);
    while (n-- > 0) out.push_back(static_cast<unsigned char>(tmp[n] | (n ? 0x80 : 0)));
}

// A one-track MIDI file (480 ticks a quarter, the given tempo): the notes
// one after another, each `ticks` long, then the end of the track.
inline std::vector<unsigned char> Midi(const std::vector<int>& notes, uint32_t ticks = 480,
                                       uint32_t tempo_us = 500000) {
    std::vector<unsigned char> t;
    PutVarLen(t, 0);
    t.insert(t.end(), {0xFF, 0x51, 0x03, static_cast<unsigned char>(tempo_us >> 16),
                       static_cast<unsigned char>(tempo_us >> 8),
                       static_cast<unsigned char>(tempo_us)});
    PutVarLen(t, 0);
    t.insert(t.end(), {0xC0, 0x00});  // piano
    for (int note : notes) {
        PutVarLen(t, 0);
        t.insert(t.end(), {0x90, static_cast<unsigned char>(note), 110});
        PutVarLen(t, ticks);
        t.insert(t.end(), {0x80, static_cast<unsigned char>(note), 0});
    }
    PutVarLen(t, 0);
    t.insert(t.end(), {0xFF, 0x2F, 0x00});
    std::vector<unsigned char> f = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0,
                                    'M', 'T', 'r', 'k'};
    uint32_t len = static_cast<uint32_t>(t.size());
    for (int i = 3; i >= 0; --i) f.push_back(static_cast<unsigned char>(len >> (8 * i)));
    f.insert(f.end(), t.begin(), t.end());
    return f;
}

// A program path ("\tmp\...\") for a Linux folder.
inline std::string ProgramPath(const std::filesystem::path& dir) {
    std::string s = dir.string();
    for (char& c : s)
        if (c == '/') c = '\\';
    if (s.empty() || s.back() != '\\') s += '\\';
    return s;
}

// A fresh folder "…/dir with blanks/" with sound\ and soundeffect\ files,
// the recording back-end installed, and virtual time.
class SoundFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char templ[] = "/tmp/rr_winmm_XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        root_ = templ;
        dir_ = root_ / "dir with blanks";
        WriteFile(dir_ / "sound" / "bgm1.mid", Midi({60, 64, 67, 72}));  // 2 s at 120 a minute
        WriteFile(dir_ / "sound" / "go.wav", ToneWav(500));
        WriteFile(dir_ / "sound" / "bust.wav", ToneWav(300));
        WriteFile(dir_ / "sound" / "jump1.wav", ToneWav(200));
        WriteFile(dir_ / "sound" / "jump2.wav", ToneWav(200));
        WriteFile(dir_ / "sound" / "jump3.wav", ToneWav(200));
        WriteFile(dir_ / "sound" / "idou.wav", ToneWav(100));
        WriteFile(dir_ / "sound" / "opening.wav", ToneWav(1000));
        WriteFile(dir_ / "sound" / "broken.mid", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0});
        WriteFile(dir_ / "sound" / "noise.wav", {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'});
        base_ = ProgramPath(dir_);
        log_ = std::make_shared<std::vector<std::string>>();
        winmm::InstallBackendForTests(std::make_unique<RecordingBackend>(log_));
        platform::clock::UseVirtualTime(true);
        platform::clock::AdvanceVirtualUs(1000000);
    }
    void TearDown() override {
        winmm::ResetAudioForTests();
        platform::clock::UseVirtualTime(false);
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    void AdvanceMs(uint64_t ms) { platform::clock::AdvanceVirtualUs(ms * 1000); }
    // The calls recorded since the last look.
    std::vector<std::string> Calls() {
        std::vector<std::string> out;
        for (const std::string& c : *log_)
            if (c.rfind("load", 0) != 0) out.push_back(c);
        log_->clear();
        return out;
    }

    std::filesystem::path root_, dir_;
    std::string base_;
    std::shared_ptr<std::vector<std::string>> log_;
};

}  // namespace winmm_test
