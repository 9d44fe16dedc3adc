// The multimedia stand-in: the command parser, the device states, the wave
// player and the beep, tested at the sound library's boundary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <future>
#include <set>

#include "platform/winmm.h"
#include "test_winmm_recorder.h"

using winmm::DeviceState;
using winmm::MciVerb;
using winmm::mciSendStringA;
using winmm::ParseMciCommand;
using winmm_test::SoundFolderTest;
using List = std::vector<std::string>;

TEST(MciParser, ReadsEveryFormTheProgramSends) {
    auto open = ParseMciCommand("open \\opt\\rr\\sound\\bgm1.mid alias mcifile ");
    EXPECT_EQ(open.error, 0);
    EXPECT_EQ(open.verb, MciVerb::kOpen);
    EXPECT_EQ(open.target, "\\opt\\rr\\sound\\bgm1.mid");
    EXPECT_EQ(open.alias, "mcifile");

    auto play = ParseMciCommand("play mcifile notify");
    EXPECT_EQ(play.verb, MciVerb::kPlay);
    EXPECT_EQ(play.target, "mcifile");
    EXPECT_TRUE(play.notify);

    auto close = ParseMciCommand("close mcifile");
    EXPECT_EQ(close.verb, MciVerb::kClose);
    EXPECT_EQ(close.target, "mcifile");
    EXPECT_FALSE(close.notify);

    auto play_path = ParseMciCommand("play \\opt\\rr\\sound\\idou.wav");
    EXPECT_EQ(play_path.target, "\\opt\\rr\\sound\\idou.wav");
    EXPECT_FALSE(play_path.notify);
}

TEST(MciParser, KeepsBlanksInsidePathsAndIgnoresCaseOfKeywords) {
    auto open = ParseMciCommand("OPEN \\home\\my games\\Roof  Rider\\sound\\bgm1.mid ALIAS MciFile ");
    EXPECT_EQ(open.error, 0);
    EXPECT_EQ(open.target, "\\home\\my games\\Roof  Rider\\sound\\bgm1.mid");
    EXPECT_EQ(open.alias, "MciFile");

    // A folder named with the word "alias" still leaves the last one to name the device.
    auto tricky = ParseMciCommand("open \\x\\an alias folder\\a.mid alias m ");
    EXPECT_EQ(tricky.target, "\\x\\an alias folder\\a.mid");
    EXPECT_EQ(tricky.alias, "m");

    auto play = ParseMciCommand("Play \\my games\\sound\\psmat045.mid Notify");
    EXPECT_EQ(play.target, "\\my games\\sound\\psmat045.mid");
    EXPECT_TRUE(play.notify);

    // "notify" inside a name is part of the name.
    EXPECT_EQ(ParseMciCommand("play \\a\\notify.wav").target, "\\a\\notify.wav");
    EXPECT_EQ(ParseMciCommand("close \\dir notify\\x.wav").target, "\\dir notify\\x.wav");
}

TEST(MciParser, AnswersOtherCommandsWithAnError) {
    EXPECT_EQ(ParseMciCommand("").error, winmm::MCIERR_MISSING_COMMAND_STRING);
    EXPECT_EQ(ParseMciCommand("   ").error, winmm::MCIERR_MISSING_COMMAND_STRING);
    EXPECT_EQ(ParseMciCommand("stop mcifile").error, winmm::MCIERR_UNRECOGNIZED_COMMAND);
    EXPECT_EQ(ParseMciCommand("status mcifile mode").error, winmm::MCIERR_UNRECOGNIZED_COMMAND);
    EXPECT_EQ(ParseMciCommand("playx mcifile").error, winmm::MCIERR_UNRECOGNIZED_COMMAND);
    EXPECT_EQ(ParseMciCommand("play").error, winmm::MCIERR_MISSING_DEVICE_NAME);
    EXPECT_EQ(ParseMciCommand("play notify").error, winmm::MCIERR_MISSING_DEVICE_NAME);
    EXPECT_EQ(ParseMciCommand("open a.mid alias x y").error, winmm::MCIERR_UNRECOGNIZED_KEYWORD);
    EXPECT_EQ(ParseMciCommand("open alias x").error, winmm::MCIERR_MISSING_DEVICE_NAME);
}

TEST_F(SoundFolderTest, UnknownCommandsAndUnopenedAliasesFail) {
    char reply[16];
    std::memset(reply, 'x', sizeof reply);
    EXPECT_EQ(mciSendStringA("close mcifile", reply, sizeof reply, 0),
              winmm::MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(reply[0], '\0');
    EXPECT_EQ(mciSendStringA("play mcifile notify", nullptr, 0, 0),
              winmm::MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(mciSendStringA("seek mcifile to start", nullptr, 0, 0),
              winmm::MCIERR_UNRECOGNIZED_COMMAND);
    EXPECT_EQ(mciSendStringA("close " + base_ + "sound\\idou.wav", nullptr, 0, 0),
              winmm::MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Calls(), List{});
}

TEST_F(SoundFolderTest, OpenChecksTheFileAndTheAlias) {
    EXPECT_EQ(mciSendStringA("open " + base_ + "sound\\none.mid alias mcifile ", nullptr, 0, 0),
              winmm::MCIERR_FILE_NOT_FOUND);
    EXPECT_EQ(mciSendStringA("open " + base_ + "sound\\broken.mid alias mcifile ", nullptr, 0, 0),
              winmm::MCIERR_INVALID_FILE);
    EXPECT_EQ(mciSendStringA("open " + base_ + "sound\\noise.wav alias mcifile ", nullptr, 0, 0),
              winmm::MCIERR_INVALID_FILE);
    EXPECT_EQ(winmm::QueryDeviceState("mcifile"), DeviceState::kClosed);

    // Folder and file names are matched without regard to case.
    char reply[8] = "junk";
    EXPECT_EQ(mciSendStringA("open " + base_ + "SOUND\\BGM1.MID alias mcifile ", reply, 8, 0), 0);
    EXPECT_STREQ(reply, "");
    EXPECT_EQ(winmm::QueryDeviceState("MCIFILE"), DeviceState::kOpen);
    EXPECT_EQ(mciSendStringA("open " + base_ + "sound\\go.wav alias McIfIlE ", nullptr, 0, 0),
              winmm::MCIERR_DUPLICATE_ALIAS);
}

TEST_F(SoundFolderTest, MusicPlaysToItsEndAndStartsAgainOnTheNextPlay) {
    ASSERT_EQ(mciSendStringA("open " + base_ + "sound\\bgm1.mid alias mcifile ", nullptr, 0, 0), 0);
    EXPECT_EQ(Calls(), List{});  // opened, not played
    ASSERT_EQ(mciSendStringA("play mcifile notify", nullptr, 0, 0), 0);
    EXPECT_EQ(Calls(), List{"music bgm1.mid"});
    EXPECT_EQ(winmm::QueryDeviceState("mcifile"), DeviceState::kPlaying);

    // Re-sent every frame while it plays: nothing reaches the mixer.
    for (int frame = 0; frame < 119; ++frame) {
        AdvanceMs(16);
        ASSERT_EQ(mciSendStringA("play mcifile notify", nullptr, 0, 0), 0);
    }
    EXPECT_EQ(Calls(), List{});
    EXPECT_EQ(winmm::QueryDeviceState("mcifile"), DeviceState::kPlaying);  // 1.904 s of 2 s

    // The piece is four quarter notes at 120 a minute: it ends at 2 s.
    AdvanceMs(95);
    EXPECT_EQ(winmm::QueryDeviceState("mcifile"), DeviceState::kPlaying);
    AdvanceMs(1);
    EXPECT_EQ(winmm::QueryDeviceState("mcifile"), DeviceState::kOpen);
    ASSERT_EQ(mciSendStringA("play mcifile notify", nullptr, 0, 0), 0);
    EXPECT_EQ(Calls(), List{"music bgm1.mid"});  // from the beginning again
    EXPECT_EQ(winmm::QueryDeviceState("mcifile"), DeviceState::kPlaying);

    ASSERT_EQ(mciSendStringA("close mcifile", nullptr, 0, 0), 0);
    EXPECT_EQ(Calls(), List{"halt music"});
    EXPECT_EQ(winmm::QueryDeviceState("mcifile"), DeviceState::kClosed);
    EXPECT_EQ(mciSendStringA("close mcifile", nullptr, 0, 0), winmm::MCIERR_INVALID_DEVICE_NAME);
}

TEST_F(SoundFolderTest, APathNamesItsOwnDeviceAndTheFirstPlayOpensIt) {
    const std::string idou = base_ + "sound\\idou.wav";
    ASSERT_EQ(mciSendStringA("play " + idou, nullptr, 0, 0), 0);
    EXPECT_EQ(Calls(), List{"play 2 idou.wav"});
    EXPECT_EQ(winmm::QueryDeviceState(idou), DeviceState::kPlaying);
    AdvanceMs(50);
    ASSERT_EQ(mciSendStringA("play " + idou, nullptr, 0, 0), 0);  // still playing
    EXPECT_EQ(Calls(), List{});
    AdvanceMs(50);  // 100 ms: the wave has ended
    EXPECT_EQ(winmm::QueryDeviceState(idou), DeviceState::kOpen);
    // The same file spelt in other letters is the same device.
    std::string upper = idou;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ASSERT_EQ(mciSendStringA("play " + upper, nullptr, 0, 0), 0);
    EXPECT_EQ(Calls(), List{"play 2 idou.wav"});
    ASSERT_EQ(mciSendStringA("close " + idou, nullptr, 0, 0), 0);
    EXPECT_EQ(Calls(), List{"halt 2"});
    EXPECT_EQ(winmm::QueryDeviceState(idou), DeviceState::kClosed);

    EXPECT_EQ(mciSendStringA("play " + base_ + "sound\\missing.wav", nullptr, 0, 0),
              winmm::MCIERR_FILE_NOT_FOUND);
    EXPECT_EQ(Calls(), List{});
}

TEST_F(SoundFolderTest, MusicAWaveDeviceAndTheWavePlayerSoundTogether) {
    ASSERT_EQ(mciSendStringA("open " + base_ + "sound\\bgm1.mid alias mcifile ", nullptr, 0, 0), 0);
    ASSERT_EQ(mciSendStringA("play mcifile notify", nullptr, 0, 0), 0);
    ASSERT_EQ(mciSendStringA("play " + base_ + "sound\\idou.wav", nullptr, 0, 0), 0);
    ASSERT_EQ(mciSendStringA("play " + base_ + "sound\\bust.wav", nullptr, 0, 0), 0);
    EXPECT_EQ(winmm::sndPlaySoundA(base_ + "sound\\go.wav", winmm::SND_ASYNC), 1);
    EXPECT_EQ(Calls(), (List{"music bgm1.mid", "play 2 idou.wav", "play 3 bust.wav",
                              "play 0 go.wav"}));
    // A closed device gives its channel to the next one.
    ASSERT_EQ(mciSendStringA("close " + base_ + "sound\\idou.wav", nullptr, 0, 0), 0);
    ASSERT_EQ(mciSendStringA("play " + base_ + "sound\\jump1.wav", nullptr, 0, 0), 0);
    EXPECT_EQ(Calls(), (List{"halt 2", "play 2 jump1.wav"}));
    EXPECT_EQ(winmm::QueryDeviceState("mcifile"), DeviceState::kPlaying);
}

TEST_F(SoundFolderTest, TheWavePlayerHasOneChannel) {
    const std::string opening = base_ + "sound\\opening.wav";  // 1 s
    const std::string go = base_ + "sound\\go.wav";            // 0.5 s
    constexpr uint32_t kAsyncNoStop = winmm::SND_ASYNC | winmm::SND_NOSTOP;

    EXPECT_EQ(winmm::sndPlaySoundA(opening, kAsyncNoStop), 1);
    EXPECT_TRUE(winmm::WavePlaying());
    // The title's timer repeats the call every 50 ms: nothing until the end.
    for (int tick = 1; tick < 20; ++tick) {
        AdvanceMs(50);
        EXPECT_EQ(winmm::sndPlaySoundA(opening, kAsyncNoStop), 0) << "tick " << tick;
    }
    EXPECT_EQ(Calls(), List{"play 0 opening.wav"});
    AdvanceMs(50);
    EXPECT_FALSE(winmm::WavePlaying());
    EXPECT_EQ(winmm::sndPlaySoundA(opening, kAsyncNoStop), 1);
    EXPECT_EQ(Calls(), List{"play 0 opening.wav"});

    // SND_ASYNC alone cuts off the wave that plays.
    AdvanceMs(100);
    EXPECT_EQ(winmm::sndPlaySoundA(go, winmm::SND_ASYNC), 1);
    EXPECT_EQ(Calls(), List{"play 0 go.wav"});
    AdvanceMs(450);
    EXPECT_TRUE(winmm::WavePlaying());  // go's 0.5 s, not what was left of opening
    AdvanceMs(50);
    EXPECT_FALSE(winmm::WavePlaying());

    // Without SND_ASYNC the call returns when the wave has ended.
    uint64_t before = platform::clock::NowUs();
    EXPECT_EQ(winmm::sndPlaySoundA(go, winmm::SND_SYNC), 1);
    EXPECT_EQ(platform::clock::NowUs() - before, 500000u);
}

TEST_F(SoundFolderTest, AWaveThatCannotBePlayedSoundsTheBeep) {
    EXPECT_EQ(winmm::sndPlaySoundA(base_ + "sound\\missing.wav", winmm::SND_ASYNC), 0);
    EXPECT_EQ(winmm::sndPlaySoundA(base_ + "sound\\noise.wav", winmm::SND_ASYNC), 0);
    EXPECT_EQ(Calls(), (List{"play 0 beep", "play 0 beep"}));
    // The beep occupies the wave channel like any wave: NOSTOP waits for it.
    EXPECT_EQ(winmm::sndPlaySoundA(base_ + "sound\\missing.wav",
                                   winmm::SND_ASYNC | winmm::SND_NOSTOP), 0);
    EXPECT_EQ(Calls(), List{});
    AdvanceMs(80);
    EXPECT_FALSE(winmm::WavePlaying());
    // With SND_NODEFAULT nothing is heard.
    EXPECT_EQ(winmm::sndPlaySoundA(base_ + "sound\\missing.wav",
                                   winmm::SND_ASYNC | winmm::SND_NODEFAULT), 0);
    EXPECT_EQ(Calls(), List{});

    winmm::MessageBeep();
    EXPECT_EQ(Calls(), List{"play 1 beep"});
}

TEST_F(SoundFolderTest, DecodesEachFileOnce) {
    for (int i = 0; i < 5; ++i) {
        winmm::sndPlaySoundA(base_ + "sound\\go.wav", winmm::SND_ASYNC);
        mciSendStringA("play " + base_ + "sound\\go.wav", nullptr, 0, 0);
        AdvanceMs(600);
    }
    int loads = 0;
    for (const std::string& c : *log_) loads += c == "load go.wav";
    EXPECT_EQ(loads, 1);
}

// The sound library opened on its own thread (the real program's start):
// music commands sent while it is still opening answer at once and are
// carried out in their order once it is open; a wave waits for it. The
// program sees the same codes and device states as with the library opened
// in place, and the library gets the same calls in each family.
TEST_F(SoundFolderTest, OnItsOwnThreadTheSoundLibraryGetsTheSameCallsAndTheProgramTheSameAnswers) {
    // Before the opening ends: the story's music and the play's commands.
    auto music = [&](List* seen) {
        const List commands{"play " + base_ + "sound\\bgm1.mid", "close " + base_ + "sound\\bgm1.mid",
                            "open " + base_ + "sound\\bgm1.mid alias mcifile ",
                            "open " + base_ + "sound\\broken.mid alias b ", "play mcifile notify",
                            "play mcifile notify"};
        for (const std::string& command : commands)
            seen->push_back(command.substr(0, 5) + std::to_string(mciSendStringA(command, nullptr, 0, 0)) + " " +
                            std::to_string(static_cast<int>(winmm::QueryDeviceState("mcifile"))));
    };
    // After: waves, and the music closed.
    auto waves = [&](List* seen) {
        seen->push_back(std::to_string(winmm::sndPlaySoundA(base_ + "sound\\go.wav", winmm::SND_ASYNC)));
        seen->push_back(std::to_string(mciSendStringA("play " + base_ + "sound\\idou.wav", nullptr, 0, 0)));
        seen->push_back(std::to_string(winmm::sndPlaySoundA(base_ + "sound\\noise.wav", winmm::SND_ASYNC)));
        seen->push_back(std::to_string(mciSendStringA("close mcifile", nullptr, 0, 0)));
        seen->push_back(std::to_string(static_cast<int>(winmm::QueryDeviceState("mcifile"))));
    };
    // The calls, music first, each family in its own order.
    auto families = [&] {
        List calls = Calls(), music_calls, others;
        for (const std::string& c : calls) (c.find("music") != std::string::npos ? music_calls : others).push_back(c);
        music_calls.insert(music_calls.end(), others.begin(), others.end());
        return music_calls;
    };

    List in_place;
    music(&in_place);
    waves(&in_place);
    winmm::ResetAudioForTests();  // the devices still open are closed
    const List in_place_calls = families();

    std::promise<void> opening;
    std::shared_future<void> opened = opening.get_future().share();
    winmm::InstallBackendForTests(winmm::MakeWorkerBackend([this, opened] {
        opened.wait();
        return std::make_unique<winmm_test::RecordingBackend>(log_);
    }));
    List on_thread;
    music(&on_thread);  // answered while the library is still opening
    EXPECT_EQ(Calls(), List{});
    opening.set_value();
    waves(&on_thread);
    winmm::ResetAudioForTests();  // after the queued music calls
    EXPECT_EQ(on_thread, in_place);
    EXPECT_EQ(families(), in_place_calls);
    EXPECT_NE(std::find(in_place_calls.begin(), in_place_calls.end(), "music bgm1.mid"), in_place_calls.end());
}

TEST(TimeGetTime, FollowsTheClockAndWraps) {
    platform::clock::UseVirtualTime(true);
    platform::clock::AdvanceVirtualUs(7000);
    platform::clock::SetTimeGetTimeOffset(0xFFFFFFFFu - 4);
    EXPECT_EQ(winmm::timeGetTime(), 2u);  // 7 ms past 2^32 - 5
    platform::clock::AdvanceVirtualUs(1500);
    EXPECT_EQ(winmm::timeGetTime(), 3u);
    platform::clock::SetTimeGetTimeOffset(0);
    EXPECT_EQ(winmm::timeGetTime(), 8u);
    platform::clock::UseVirtualTime(false);
}

TEST(MciErrorText, EveryCodeTheStandInReturnsHasItsOwnText) {
    const int32_t codes[] = {winmm::MCIERR_UNRECOGNIZED_COMMAND, winmm::MCIERR_INVALID_DEVICE_NAME,
                             winmm::MCIERR_FILE_NOT_FOUND,       winmm::MCIERR_INVALID_FILE,
                             winmm::MCIERR_DUPLICATE_ALIAS,      winmm::MCIERR_DEVICE_OPEN,
                             winmm::MCIERR_MISSING_COMMAND_STRING, winmm::MCIERR_MISSING_DEVICE_NAME,
                             winmm::MCIERR_UNRECOGNIZED_KEYWORD,   winmm::MCIERR_MISSING_STRING_ARGUMENT};
    std::set<std::string> texts;
    for (int32_t code : codes) {
        char buffer[256];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_TRUE(winmm::mciGetErrorStringA(code, buffer, sizeof buffer)) << code;
        ASSERT_NE(std::memchr(buffer, '\0', sizeof buffer), nullptr);
        EXPECT_GT(std::strlen(buffer), 10u) << code;
        texts.insert(buffer);
    }
    EXPECT_EQ(texts.size(), std::size(codes));
    char small[8];
    EXPECT_FALSE(winmm::mciGetErrorStringA(12345, small, sizeof small));
    EXPECT_EQ(std::strlen(small), 7u);  // cut to the buffer, still ended by a NUL
}

// ---- How long files play. ---------------------------------------------------

TEST(SoundLength, MidiFollowsTempoChanges) {
    using winmm_test::Midi;
    std::string reason;
    EXPECT_EQ(winmm::MidiLengthUs(Midi({60, 62, 64, 65}), &reason), 2000000u);
    EXPECT_EQ(winmm::MidiLengthUs(Midi({60, 62}, 240, 1000000), &reason), 1000000u);
    EXPECT_EQ(winmm::MidiLengthUs(Midi({}), &reason), 0u);

    // Two quarters at 120 a minute, then a tempo change to 60 and two more.
    std::vector<unsigned char> t = {0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0,
                                    0x83, 0x60, 0xFF, 0x51, 3, 0x0F, 0x42, 0x40,
                                    0x00, 0x90, 62, 100, 0x87, 0x40, 0x80, 62, 0,
                                    0x00, 0xFF, 0x2F, 0x00};
    std::vector<unsigned char> f = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0x01, 0xE0,
                                    'M', 'T', 'r', 'k', 0, 0, 0, static_cast<unsigned char>(t.size())};
    f.insert(f.end(), t.begin(), t.end());
    EXPECT_EQ(winmm::MidiLengthUs(f, &reason), 3000000u) << reason;

    // Cut short anywhere: a reason, never a crash.
    auto whole = Midi({60, 64, 67});
    for (std::size_t n = 0; n + 1 < whole.size(); ++n) {
        std::vector<unsigned char> cut(whole.begin(), whole.begin() + static_cast<long>(n));
        reason.clear();
        EXPECT_FALSE(winmm::MidiLengthUs(cut, &reason).has_value()) << n;
        EXPECT_FALSE(reason.empty());
    }
}

TEST(SoundLength, WavAndMp3) {
    std::string reason;
    EXPECT_EQ(winmm::WavLengthUs(winmm_test::ToneWav(200), &reason), 200000u);
    EXPECT_FALSE(winmm::WavLengthUs({'R', 'I', 'F', 'F', 1, 0, 0, 0, 'W', 'A', 'V', 'E'}, &reason));

    // Ten MPEG-1 layer III frames at 128 kbit/s, 44.1 kHz: 417 bytes and
    // 1152 samples each, after an ID3 tag.
    std::vector<unsigned char> mp3 = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 5, 1, 2, 3, 4, 5};
    for (int i = 0; i < 10; ++i) {
        std::vector<unsigned char> frame(417, 0);
        frame[0] = 0xFF;
        frame[1] = 0xFB;
        frame[2] = 0x90;
        mp3.insert(mp3.end(), frame.begin(), frame.end());
    }
    EXPECT_EQ(winmm::Mp3LengthUs(mp3, &reason), 11520000000u / 44100);
    EXPECT_EQ(winmm::SoundFileLengthUs(mp3, &reason), 11520000000u / 44100);
    EXPECT_FALSE(winmm::SoundFileLengthUs({'a', 'b', 'c', 'd', 'e'}, &reason));
}
