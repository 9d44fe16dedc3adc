// OP — the top menu and its help lines, the three rows with their own
// positions, the confirmations, the sounds, and a window shown again.
#include "test_screens_support.h"

namespace {

using screens_test::Script;

int Plays(const std::vector<std::string>& sounds, const std::string& file) {
    int n = 0;
    for (const std::string& s : sounds)
        if (s.rfind("play ", 0) == 0 && s.size() > file.size() &&
            s.compare(s.size() - file.size(), file.size(), file) == 0)
            ++n;
    return n;
}

// The red positions of a row of labels.
std::vector<int> Red(forms::Label* row, int count) {
    std::vector<int> red;
    for (int i = 0; i < count; ++i)
        if (row[i].ForeColor() == forms::kRed) red.push_back(i);
    return red;
}

class OptionsTest : public screens_test::ScreensTest {
protected:
    // Keys one after another, 100 ms apart, from the given time; returns
    // the time after the last.
    double Keys(Script& script, double t, std::initializer_list<int16_t> keys) {
        for (int16_t key : keys) {
            t += 100;
            script.Key(t, key);
        }
        return t;
    }
    // Confirms the open row: Enter, then a look at the message box, then
    // Enter again to close it.
    double Confirm(Script& script, double t, std::vector<std::string>* messages) {
        script.Key(t + 100, forms::vk::Return);
        script.At(t + 150, [messages] { messages->push_back(screens_test::OpenMessageText()); });
        script.Key(t + 200, forms::vk::Return);
        return t + 200;
    }
    static constexpr int16_t kUp = forms::vk::Up, kDown = forms::vk::Down,
                             kLeft = forms::vk::Left, kRight = forms::vk::Right,
                             kEnter = forms::vk::Return, kEsc = forms::vk::Escape;
};

TEST_F(OptionsTest, TheTopMenuMovesItsHelpLineAndStopsAtItsEnds) {
    Script script;
    std::vector<std::string> help;
    std::vector<int16_t> index;
    auto look = [&] {
        help.push_back(OP.Label5.Caption());
        index.push_back(OP.TopIndex);
    };
    script.At(50, look);
    double t = Keys(script, 50, {kUp});
    script.At(t + 1, look);
    script.At(t + 2, [&] { EXPECT_EQ(Plays(Sounds(), "idou.wav"), 0); });
    for (int i = 0; i < 4; ++i) {
        t = Keys(script, t, {kDown});
        script.At(t + 1, look);
    }
    script.At(t + 2, [&] { EXPECT_EQ(Plays(Sounds(), "idou.wav"), 3); });
    script.At(t + 3, [] { EXPECT_EQ(Red(OP.Label1, 4), std::vector<int>{3}); });
    t = Keys(script, t, {kEnter});  // Back
    script.Start();
    OP.Show(true);

    EXPECT_FALSE(OP.IsLoaded());
    EXPECT_EQ(index, (std::vector<int16_t>{0, 0, 1, 2, 3, 3}));
    EXPECT_EQ(help, (std::vector<std::string>{
                        "ゲームのレベルを変更します", "ゲームのレベルを変更します",
                        "ライフの設定をします", "音の設定をします", "戻ります", "戻ります"}));
    EXPECT_EQ(Plays(Sounds(), "kettei.wav"), 1);
}

// Each row keeps its own position, the red one: a row opens where its red
// position is, whatever was done in another row, and no key reaches past
// its ends.
TEST_F(OptionsTest, EachRowConfirmsItsOwnRedPosition) {
    Script script;
    std::vector<std::string> messages;
    double t = Keys(script, 50, {kEnter, kRight, kRight, kRight});  // HARD, then the end
    script.At(t + 1, [] {
        EXPECT_EQ(OP.LevelIndex, 2);
        EXPECT_EQ(Red(OP.Label3, 3), std::vector<int>{2});
    });
    t = Confirm(script, t, &messages);
    t = Keys(script, t, {kDown, kDown, kEnter});  // the sound row
    script.At(t + 1, [] {
        EXPECT_EQ(OP.OpenSubMenu, 3);
        EXPECT_EQ(OP.SoundIndex, 0);
    });
    t = Confirm(script, t, &messages);  // ステレオ, where the row's red is
    t = Keys(script, t, {kEnter, kRight, kRight});
    script.At(t + 1, [] {
        EXPECT_EQ(OP.SoundIndex, 1);
        EXPECT_EQ(Red(OP.Label2, 2), std::vector<int>{1});
    });
    t = Confirm(script, t, &messages);
    t = Keys(script, t, {kUp, kEnter});  // the life row, at its first position
    script.At(t + 1, [&] { Sounds(); });
    t = Keys(script, t, {kLeft});
    script.At(t + 1, [&] {
        EXPECT_EQ(OP.LifeIndex, 0);
        EXPECT_EQ(Red(OP.Label4, 3), std::vector<int>{0});
        EXPECT_EQ(Plays(Sounds(), "idou.mp3"), 0) << "Left on the first position";
    });
    t = Keys(script, t, {kRight, kRight});
    t = Confirm(script, t, &messages);
    t = Keys(script, t, {kUp, kEnter});  // the level row again: still HARD
    script.At(t + 1, [&] { Sounds(); });
    t = Keys(script, t, {kLeft});
    script.At(t + 1, [&] {
        EXPECT_EQ(OP.LevelIndex, 1);
        EXPECT_EQ(Red(OP.Label3, 3), std::vector<int>{1}) << "Left moves the red one place";
        EXPECT_EQ(Plays(Sounds(), "idou.mp3"), 1);
    });
    t = Confirm(script, t, &messages);
    script.At(t + 1, [] {
        EXPECT_EQ(OP.OpenSubMenu, 0);
        EXPECT_EQ(OP.TopIndex, 0);
        EXPECT_EQ(Red(OP.Label1, 4), std::vector<int>{0});
        EXPECT_EQ(Red(OP.Label3, 3), std::vector<int>{1});
        EXPECT_EQ(Red(OP.Label4, 3), std::vector<int>{2});
        EXPECT_EQ(Red(OP.Label2, 2), std::vector<int>{1});
    });
    script.Key(t + 100, kEsc);
    script.Start();
    EXPECT_THROW(OP.Show(true), forms::ProgramEnded);
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "HARDに設定しました", "ステレオに設定しました",
                            "モノラルに設定しました", "ライフを×８に設定しました",
                            "NORMALに設定しました"}));
}

TEST_F(OptionsTest, InAnOpenRowUpDownAndEscDoNothing) {
    Script script;
    std::vector<std::string> messages;
    double t = Keys(script, 50, {kDown, kEnter});  // the life row
    script.At(t + 1, [&] { Sounds(); });
    t = Keys(script, t, {kEsc, kUp, kDown, 'A', kLeft});
    script.At(t + 1, [&] {
        EXPECT_EQ(OP.OpenSubMenu, 2);
        EXPECT_EQ(OP.TopIndex, 1);
        EXPECT_EQ(OP.LifeIndex, 0);
        EXPECT_EQ(Sounds(), std::vector<std::string>{});
    });
    t = Keys(script, t, {kRight});
    t = Confirm(script, t, &messages);
    script.At(t + 1, [] { EXPECT_EQ(OP.OpenSubMenu, 0); });
    script.Key(t + 100, kEsc);
    script.Start();
    EXPECT_THROW(OP.Show(true), forms::ProgramEnded);
    EXPECT_EQ(messages, std::vector<std::string>{"ライフを×４に設定しました"});
}

// The top menu's sounds go straight to the multimedia library (no reply,
// no beep for a missing one); the rows' go through SendMci on the one named
// device: close, open, play. The first close of a run finds nothing open
// under the alias and beeps.
TEST_F(OptionsTest, TopSoundsAreDirectAndRowSoundsReuseTheNamedDevice) {
    std::filesystem::remove(dir_ / "sound" / "idou.wav");
    screens_test::MciCalls mci;
    const std::string base = G.BasePath;
    auto row_sound = [&](const std::string& file) {
        return std::vector<std::string>{"mci close mcifile | reply 256",
                                        "mci open " + base + "soundeffect\\" + file + " alias mcifile  | reply 256",
                                        "mci play mcifile notify | reply 256"};
    };
    Script script;
    double t = Keys(script, 50, {kDown, kUp, kEnter});  // down, back up, and open the level row
    script.At(t + 1, [&] {
        const std::string move = "mci play " + base + "sound\\idou.wav | reply 0";
        EXPECT_EQ(mci.Take(), (std::vector<std::string>{move, move, "mci play " + base + "sound\\kettei.wav | reply 0"}));
    });
    t = Keys(script, t, {kRight});
    script.At(t + 1, [&] {
        std::vector<std::string> first = row_sound("idou.mp3");
        first.insert(first.begin() + 1, "beep");
        EXPECT_EQ(mci.Take(), first);
        EXPECT_EQ(winmm::QueryDeviceState("mcifile"), winmm::DeviceState::kPlaying);
    });
    t = Keys(script, t, {kRight});
    script.At(t + 1, [&] { EXPECT_EQ(mci.Take(), row_sound("idou.mp3")); });
    t = Keys(script, t, {kEnter});
    script.At(t + 1, [&] { EXPECT_EQ(mci.Take(), row_sound("kettei2.mp3")); });
    script.Key(t + 100, kEnter);
    t = Keys(script, t + 100, {kDown, kDown, kDown, kEnter});  // Back
    script.Start();
    OP.Show(true);
    // The alias stays open for the title to close.
    EXPECT_NE(winmm::QueryDeviceState("mcifile"), winmm::DeviceState::kClosed);
    EXPECT_EQ(OP.OptionsReply, "");
}

TEST_F(OptionsTest, ShownAgainItShowsTheLayoutAndGameLevel) {
    Script script;
    std::vector<std::string> messages;
    double t = Keys(script, 50, {kEnter, kRight, kRight});
    t = Confirm(script, t, &messages);
    t = Keys(script, t, {kDown, kEnter, kRight, kRight});
    t = Confirm(script, t, &messages);
    t = Keys(script, t, {kDown, kEnter, kRight});
    t = Confirm(script, t, &messages);
    t = Keys(script, t, {kDown, kEnter});  // Back
    script.Start();
    OP.Show(true);
    ASSERT_FALSE(OP.IsLoaded());

    Script again;
    again.At(10, [] {
        EXPECT_EQ(OP.TopIndex, 0);
        EXPECT_EQ(OP.OpenSubMenu, 0);
        EXPECT_EQ(Red(OP.Label1, 4), std::vector<int>{0});
        EXPECT_EQ(Red(OP.Label3, 3), std::vector<int>{0});
        EXPECT_EQ(Red(OP.Label4, 3), std::vector<int>{0});
        EXPECT_EQ(Red(OP.Label2, 2), std::vector<int>{0});
        EXPECT_EQ(OP.Label5.Caption(), "ゲームのレベルを変更します");
    });
    // The rows start at their red positions again.
    t = Keys(again, 10, {kEnter});
    t = Confirm(again, t, &messages);
    t = Keys(again, t, {kDown, kDown, kEnter, kRight});
    t = Confirm(again, t, &messages);
    again.Key(t + 100, kEsc);
    again.Start();
    EXPECT_THROW(OP.Show(true), forms::ProgramEnded);
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[3], "EASYに設定しました");
    EXPECT_EQ(messages[4], "モノラルに設定しました");
    EXPECT_EQ(G.Lives, 0) << "the game state is not touched";
}

// The window closed from the window manager with a row open comes back
// with its keys at the top level.
TEST_F(OptionsTest, ClosedWithARowOpenItComesBackAtTheTop) {
    Script script;
    double t = Keys(script, 50, {kDown, kDown, kEnter, kRight});
    script.At(t + 50, [] { forms::SimulateCloseButton(OP); });
    script.Start();
    OP.Show(true);
    ASSERT_FALSE(OP.IsLoaded());
    EXPECT_EQ(OP.OpenSubMenu, 3);

    Script again;
    t = Keys(again, 10, {kDown});
    again.At(t + 1, [] {
        EXPECT_EQ(OP.OpenSubMenu, 0);
        EXPECT_EQ(OP.TopIndex, 1);
        EXPECT_EQ(OP.SoundIndex, 0);
        EXPECT_EQ(OP.Label5.Caption(), "ライフの設定をします");
    });
    again.Key(t + 100, kEsc);
    again.Start();
    EXPECT_THROW(OP.Show(true), forms::ProgramEnded);
}

}  // namespace
