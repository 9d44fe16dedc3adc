// Sound — SendMci's reply and beep rules and the numbered play-field sounds.
#include <gtest/gtest.h>

#include "core/game_state.h"
#include "display/surfaces.h"
#include "platform/basic.h"
#include "platform/winmm.h"
#include "sound/sound.h"
#include "test_winmm_recorder.h"

namespace {

using List = std::vector<std::string>;

class SoundModuleTest : public winmm_test::SoundFolderTest {
protected:
    void SetUp() override {
        SoundFolderTest::SetUp();
        G = GameState{};
        G.BasePath = base_;
        G.JumpSoundFiles = {"jump1.wav", "jump2.wav", "jump3.wav"};
        MciReply = "untouched";
        basic::ResetRnd();
    }
    void TearDown() override {
        basic::ResetRnd();
        SoundFolderTest::TearDown();
    }
};

std::string ErrorText(int32_t code) {
    char buffer[256];
    winmm::mciGetErrorStringA(code, buffer, sizeof buffer);
    return buffer;
}

TEST_F(SoundModuleTest, ASuccessfulCommandEmptiesTheReplyAndDoesNotBeep) {
    std::string reply = "old text";
    EXPECT_EQ(SendMci("open " + base_ + "sound\\bgm1.mid alias mcifile ", reply), 0);
    EXPECT_EQ(reply, "");
    EXPECT_EQ(Calls(), List{});
    reply = "old text";
    EXPECT_EQ(SendMci("play mcifile notify", reply), 0);
    EXPECT_EQ(reply, "");
    EXPECT_EQ(Calls(), List{"music bgm1.mid"});
}

TEST_F(SoundModuleTest, AFailedCommandBeepsOnceAndLeavesTheErrorText) {
    std::string reply = "old text";
    EXPECT_EQ(SendMci("close mcifile", reply), winmm::MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(reply, ErrorText(winmm::MCIERR_INVALID_DEVICE_NAME));
    EXPECT_LE(reply.size(), 255u);
    EXPECT_EQ(Calls(), List{"play 1 beep"});
    EXPECT_EQ(SendMci("pause mcifile", reply), winmm::MCIERR_UNRECOGNIZED_COMMAND);
    EXPECT_EQ(reply, ErrorText(winmm::MCIERR_UNRECOGNIZED_COMMAND));
    EXPECT_EQ(Calls(), List{"play 1 beep"});
}

TEST_F(SoundModuleTest, MissingMusicBeepsAtTheOpenAndOnEveryFrame) {
    std::filesystem::remove(dir_ / "sound" / "bgm1.mid");
    SendMci("close mcifile", MciReply);
    SendMci("open " + base_ + "sound\\bgm1.mid alias mcifile ", MciReply);
    EXPECT_EQ(MciReply, ErrorText(winmm::MCIERR_FILE_NOT_FOUND));
    for (int frame = 0; frame < 3; ++frame) {
        PlayEffect(1);
        AdvanceMs(16);
    }
    EXPECT_EQ(MciReply, ErrorText(winmm::MCIERR_INVALID_DEVICE_NAME));
    EXPECT_EQ(Calls(), List(5, "play 1 beep"));
}

TEST_F(SoundModuleTest, EffectOneKeepsPlayingMusicGoingQuietly) {
    SendMci("open " + base_ + "sound\\bgm1.mid alias mcifile ", MciReply);
    PlayEffect(1);
    EXPECT_EQ(Calls(), List{"music bgm1.mid"});
    MciReply = "something";
    AdvanceMs(16);
    PlayEffect(1);
    EXPECT_EQ(MciReply, "");
    EXPECT_EQ(Calls(), List{});
}

TEST_F(SoundModuleTest, NumberedEffectsPlayTheirWaves) {
    PlayEffect(2);
    PlayEffect(5);
    EXPECT_EQ(Calls(), (List{"play 0 go.wav", "play 0 bust.wav"}));
    EXPECT_EQ(MciReply, "untouched");
}

TEST_F(SoundModuleTest, OtherNumbersDoNothing) {
    for (int16_t n : {0, 4, 6, 7, -1, -3, -32768, 32767}) PlayEffect(n);
    EXPECT_EQ(Calls(), List{});
    EXPECT_EQ(MciReply, "untouched");
    EXPECT_EQ(basic::RndState(), 0x50000u);  // not even a random draw
}

// The generator's state that makes the next Rnd() return exactly value / 2^24.
uint32_t StateBefore(uint32_t value) {
    uint32_t inverse = 0x43FD43FDu;  // Newton's steps for the inverse of an odd number mod 2^32
    for (int i = 0; i < 5; ++i) inverse *= 2u - 0x43FD43FDu * inverse;
    return ((value - 0xC39EC3u) * inverse) & 0xFFFFFFu;
}

TEST_F(SoundModuleTest, JumpVoiceUsesTwoPointNineNineNine) {
    struct Case {
        double r;
        const char* voice;
    };
    // Between 1/3 and 1/2.999, and between 2/3 and 2/2.999, the factor
    // 2.999 still gives the lower voice where 3 would give the next one.
    const Case cases[] = {{0.0, "jump1.wav"},    {0.3334, "jump1.wav"}, {0.3335, "jump2.wav"},
                          {0.6668, "jump2.wav"}, {0.6669, "jump3.wav"},
                          {16777215.0 / 16777216.0, "jump3.wav"}};
    for (const Case& c : cases) {
        uint32_t value = static_cast<uint32_t>(c.r * 16777216.0);
        basic::SetRndState(StateBefore(value));
        PlayEffect(3);
        EXPECT_EQ(Calls(), List{std::string("play 0 ") + c.voice}) << c.r;
    }
}

}  // namespace
