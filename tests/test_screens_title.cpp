// Title — the opening animation and when the menu appears, the menu keys
// and their sounds, Load Game, Option, New Game, the music, and a title
// shown again after the window manager closed it.
#include <fstream>
#include <functional>

#include "test_screens_support.h"

namespace {

using screens_test::Script;

// How many of the recorded sounds play the named file.
int Plays(const std::vector<std::string>& sounds, const std::string& file) {
    int n = 0;
    for (const std::string& s : sounds)
        if (s.rfind("play ", 0) == 0 && s.size() > file.size() &&
            s.compare(s.size() - file.size(), file.size(), file) == 0)
            ++n;
    return n;
}

std::vector<int> RedItems() {
    std::vector<int> red;
    for (int i = 0; i < 4; ++i) {
        forms::Color c = Title.Label1[i].ForeColor();
        EXPECT_TRUE(c == forms::kRed || c == forms::kWhite) << "item " << i;
        if (c == forms::kRed) red.push_back(i);
    }
    return red;
}

class TitleTest : public screens_test::ScreensTest {
protected:
    void SetUp() override {
        ScreensTest::SetUp();
        G.Scene = 2;
    }
    // As the dispatcher does it: the music timer's interval loads the
    // window, then the modal show.
    void ShowTitle() {
        Title.Timer2.SetInterval(50);
        Title.Show(true);
    }
    // With the test's 200-pixel mask the menu shows at the end of tick 59,
    // the sixtieth tick of 50 ms.
    static constexpr double kMenuMs = 3000;
};

// The menu appears at the end of tick floor((500 + w) / 12) + 1, counted
// from 0, for a mask w pixels wide: the copies start 500 + w apart, close
// by 12 a tick, and have met only once the left one is past the right one.
void ExpectTheMenuWhenTheCopiesMeet(int w, const std::function<void()>& show) {
    const int k = (500 + w) / 12 + 1;
    Script script;
    script.At(50.0 * (k + 1) - 0.5, [&] {
        EXPECT_EQ(Title.MenuLocked, 1);
        for (auto& label : Title.Label1) EXPECT_FALSE(label.Visible());
    });
    script.At(50.0 * (k + 1) + 0.5, [&] {
        EXPECT_EQ(Title.MenuLocked, 0);
        EXPECT_EQ(Title.RightCopyDone, 1);
        EXPECT_EQ(Title.LeftCopyX, 6 * k - w) << "the lettering stops where the copies met";
        for (auto& label : Title.Label1) EXPECT_TRUE(label.Visible());
    });
    script.At(50.0 * (k + 5), [&] { EXPECT_EQ(Title.LeftCopyX, 6 * k - w); });
    script.Stop(50.0 * (k + 6));
    script.Start();
    EXPECT_THROW(show(), screens_test::StopRun);
}

TEST_F(TitleTest, WithTheShippedPicturesTheMenuAppearsWhenTheCopiesMeet) {
    const std::filesystem::path game = ROOFRIDER_GAME_DIR;
    std::ifstream mask(game / "bmp" / "mask.bmp", std::ios::binary);
    if (!mask) GTEST_SKIP() << "the game folder holds no bmp/mask.bmp yet";
    unsigned char header[26] = {};
    mask.read(reinterpret_cast<char*>(header), sizeof header);
    const int w = header[18] | header[19] << 8 | header[20] << 16 | header[21] << 24;
    ASSERT_GT(w, 0);
    G.BasePath = winmm_test::ProgramPath(game);
    ExpectTheMenuWhenTheCopiesMeet(w, [this] { ShowTitle(); });
}

// A 220-pixel mask brings both copies to x 140 after tick 59: standing at
// the same place they have not met yet.
TEST_F(TitleTest, CopiesAtTheSamePlaceHaveNotMetYet) {
    using screens_test::InLetter;
    winmm_test::WriteFile(dir_ / "bmp" / "mask.bmp", screens_test::Bmp24(220, 100, [](int x, int y) {
                              return InLetter(x, y) ? forms::kWhite : forms::kBlack;
                          }));
    winmm_test::WriteFile(dir_ / "bmp" / "mozi.bmp", screens_test::Bmp24(220, 100, [](int x, int y) {
                              return InLetter(x, y) ? screens_test::kLetterColour : forms::kWhite;
                          }));
    ExpectTheMenuWhenTheCopiesMeet(220, [this] { ShowTitle(); });
}

// The band: its background, each copy's mask ORed and lettering ANDed
// over it (the letters in their own colour), only the top 150 rows shown,
// and once the copies have met, the right one no longer drawn.
TEST_F(TitleTest, TheBandShowsTheLetteringOverItsBackgroundInTheTopRows) {
    using screens_test::ClientPixel;
    using screens_test::kBandColour;
    using screens_test::kLetterColour;
    Script script;
    std::vector<forms::Color> below;  // row 150 before the first tick
    const int xs[] = {5, 120, 240, 360};
    script.At(10, [&] {
        for (int x : xs) below.push_back(ClientPixel(Title, x, 150));
    });
    // Tick 9: the left copy at x -146 (its letters' columns 160 to 169 at
    // 14 to 23), the right one at 446 (its first letter column at 446).
    script.At(500.5, [&] {
        EXPECT_EQ(ClientPixel(Title, 18, 50), kLetterColour);
        EXPECT_EQ(ClientPixel(Title, 28, 50), kBandColour);
        EXPECT_EQ(ClientPixel(Title, 450, 50), kLetterColour);
        EXPECT_EQ(ClientPixel(Title, 450, 10), kBandColour) << "above the letters";
        EXPECT_EQ(ClientPixel(Title, 5, 149), kBandColour);
        EXPECT_EQ(ClientPixel(Title, 0, 0), kBandColour) << "the band's top left corner";
        for (size_t i = 0; i < below.size(); ++i)
            EXPECT_EQ(ClientPixel(Title, xs[i], 150), below[i]) << "row 150 is not the band's";
    });
    // Tick 59 meets them, the left copy at 154, the right at 146, both drawn;
    // from tick 60 on only the left one.
    script.At(kMenuMs + 0.5, [] { EXPECT_EQ(ClientPixel(Title, 150, 50), kLetterColour); });
    script.At(kMenuMs + 50.5, [] {
        EXPECT_EQ(ClientPixel(Title, 150, 50), kBandColour);
        EXPECT_EQ(ClientPixel(Title, 158, 50), kLetterColour);
    });
    script.Stop(kMenuMs + 60);
    script.Start();
    EXPECT_THROW(ShowTitle(), screens_test::StopRun);
}

// The menu's sounds go straight to the multimedia library: no reply asked,
// no beep for a sound that is missing.
TEST_F(TitleTest, MenuSoundsAreSentDirectlyAndAMissingOneIsSilent) {
    std::filesystem::remove(dir_ / "sound" / "idou.wav");
    std::filesystem::remove(dir_ / "sound" / "kettei.wav");
    screens_test::MciCalls mci;
    Script script;
    script.At(kMenuMs + 50, [&] { mci.Take(); });
    script.Key(kMenuMs + 100, forms::vk::Down);
    script.Key(kMenuMs + 200, forms::vk::Return);  // Load Game
    script.At(kMenuMs + 300, [&] {
        EXPECT_EQ(mci.Take(), (std::vector<std::string>{"mci play " + G.BasePath + "sound\\idou.wav | reply 0",
                                                        "mci play " + G.BasePath + "sound\\kettei.wav | reply 0"}));
    });
    script.Key(kMenuMs + 400, forms::vk::Return);  // closes the message
    script.Key(kMenuMs + 500, forms::vk::Escape);
    script.Start();
    EXPECT_THROW(ShowTitle(), forms::ProgramEnded);
}

TEST_F(TitleTest, KeysWaitForTheAnimationEvenEsc) {
    Script script;
    script.Key(100, forms::vk::Escape);
    script.Key(1000, forms::vk::Down);
    script.Key(2999, forms::vk::Return);
    script.At(kMenuMs - 0.5, [] {
        EXPECT_EQ(Title.MenuLocked, 1);
        EXPECT_EQ(Title.MenuIndex, 0);
        EXPECT_FALSE(Title.Label1[0].Visible());
        // After tick 58 both have moved on to where tick 59 draws them.
        EXPECT_EQ(Title.LeftCopyX, 6 * 59 - kMaskWidth);
        EXPECT_EQ(Title.RightCopyX, 500 - 6 * 59);
        EXPECT_EQ(Title.RightCopyDone, 0);
    });
    script.At(kMenuMs + 0.5, [] {
        EXPECT_EQ(Title.MenuLocked, 0);
        EXPECT_EQ(Title.LeftCopyX, 154);
        EXPECT_EQ(RedItems(), std::vector<int>{0});
    });
    script.Key(kMenuMs + 100, forms::vk::Escape);
    script.Start();
    try {
        ShowTitle();
        FAIL() << "Esc did not end the program";
    } catch (const forms::ProgramEnded& e) {
        EXPECT_EQ(e.window, "Title");
    }
    EXPECT_EQ(script.ElapsedMs(), kMenuMs + 100);
    EXPECT_EQ(Plays(Sounds(), "idou.wav"), 0);
}

TEST_F(TitleTest, TheMenuStopsAtItsEndsWithoutASound) {
    Script script;
    std::vector<std::vector<int>> reds;
    auto look = [&] { reds.push_back(RedItems()); };
    double t = kMenuMs + 100;
    script.Key(t, forms::vk::Up);  // already on New Game
    script.At(t + 1, look);
    script.At(t + 2, [&] { EXPECT_EQ(Plays(Sounds(), "idou.wav"), 0); });
    for (int i = 0; i < 3; ++i) {
        t += 100;
        script.Key(t, forms::vk::Down);
        script.At(t + 1, look);
    }
    script.At(t + 2, [&] { EXPECT_EQ(Plays(Sounds(), "idou.wav"), 3); });
    t += 100;
    script.Key(t, forms::vk::Down);  // already on Exit
    script.At(t + 1, look);
    script.At(t + 2, [&] { EXPECT_EQ(Plays(Sounds(), "idou.wav"), 0); });
    for (int16_t key : {forms::vk::Up, forms::vk::Down}) {
        t += 100;
        script.Key(t, key);
        script.At(t + 1, look);
    }
    script.Key(t + 100, forms::vk::Return);  // Exit
    script.Start();
    EXPECT_THROW(ShowTitle(), forms::ProgramEnded);
    EXPECT_EQ(reds, (std::vector<std::vector<int>>{{0}, {1}, {2}, {3}, {3}, {2}, {3}}));
    EXPECT_EQ(G.Scene, 2);
}

TEST_F(TitleTest, LoadGameAnswersWithItsMessageEveryTime) {
    Script script;
    std::vector<std::string> messages;
    auto look = [&] { messages.push_back(screens_test::OpenMessageText()); };
    double t = kMenuMs + 100;
    script.Key(t, forms::vk::Down);
    script.At(t + 1, [&] { Sounds(); });
    for (int i = 0; i < 2; ++i) {
        t += 100;
        script.Key(t, forms::vk::Return);
        script.At(t + 50, look);
        script.At(t + 51, [&] { EXPECT_EQ(Plays(Sounds(), "kettei.wav"), 1); });
        t += 100;
        script.Key(t, forms::vk::Space);  // closes the box
        script.At(t + 50, [] {
            EXPECT_EQ(forms::TopmostWindow(), &Title);
            EXPECT_EQ(Title.MenuIndex, 1);
        });
    }
    script.Key(t + 100, forms::vk::Escape);
    script.Start();
    EXPECT_THROW(ShowTitle(), forms::ProgramEnded);
    EXPECT_EQ(messages, (std::vector<std::string>{"そんなんないわ！", "そんなんないわ！"}));
}

TEST_F(TitleTest, NewGameLeavesQuietlyWithSceneThree) {
    // A tone a little over a second: the music restarts within a tick of
    // its end, never over itself.
    winmm_test::WriteFile(dir_ / "sound" / "opening.wav", winmm_test::ToneWav(1020));
    Script script;
    script.At(kMenuMs + 30, [&] {
        EXPECT_EQ(Plays(Sounds(), "opening.wav"), 3) << "started at 50, 1100 and 2150 ms";
    });
    script.Key(kMenuMs + 40, forms::vk::Return);
    script.Start();
    ShowTitle();

    EXPECT_EQ(script.ElapsedMs(), kMenuMs + 40);
    EXPECT_EQ(G.Scene, 3);
    EXPECT_FALSE(Title.IsLoaded());
    // No menu sound; the unload closes the alias, which nothing holds: a beep.
    EXPECT_EQ(Sounds(), std::vector<std::string>{"play 1 beep"});
}

TEST_F(TitleTest, OptionOpensTheOptionsAndTheSelectionStaysThere) {
    Script script;
    double t = kMenuMs + 100;
    script.Key(t, forms::vk::Down);
    script.Key(t + 100, forms::vk::Down);
    script.Key(t + 200, forms::vk::Return);
    script.At(t + 300, [&] {
        EXPECT_EQ(forms::TopmostWindow(), &OP);
        EXPECT_EQ(Plays(Sounds(), "kettei.wav"), 1);
    });
    for (int i = 0; i < 3; ++i) script.Key(t + 400 + 100 * i, forms::vk::Down);  // to Back
    script.Key(t + 800, forms::vk::Return);
    script.At(t + 900, [&] {
        EXPECT_EQ(forms::TopmostWindow(), &Title);
        EXPECT_FALSE(OP.IsLoaded());
        EXPECT_EQ(Title.MenuIndex, 2);
        EXPECT_EQ(RedItems(), std::vector<int>{2});
    });
    script.Key(t + 1000, forms::vk::Return);  // Option again
    script.At(t + 1100, [] { EXPECT_EQ(forms::TopmostWindow(), &OP); });
    script.Key(t + 1200, forms::vk::Escape);  // from the options: the end
    script.Start();
    try {
        ShowTitle();
        FAIL() << "Esc in the options did not end the program";
    } catch (const forms::ProgramEnded& e) {
        EXPECT_EQ(e.window, "OP");
    }
    EXPECT_EQ(G.Scene, 2);
    EXPECT_EQ(G.Lives, 0) << "nothing in the game state changed";
}

// A title closed from the window manager is shown again by the dispatcher;
// it starts over as when first shown.
TEST_F(TitleTest, ShownAgainItStartsOver) {
    Script script;
    script.Key(kMenuMs + 100, forms::vk::Down);
    script.Key(kMenuMs + 200, forms::vk::Down);
    script.At(kMenuMs + 300, [] { forms::SimulateCloseButton(Title); });
    script.Start();
    ShowTitle();
    EXPECT_EQ(G.Scene, 2);
    EXPECT_FALSE(Title.IsLoaded());

    Script again;
    again.At(10, [] {
        EXPECT_EQ(Title.MenuIndex, 0);
        EXPECT_EQ(Title.MenuLocked, 1);
        EXPECT_EQ(Title.RightCopyDone, 0);
        EXPECT_EQ(Title.LeftCopyX, -kMaskWidth);
        EXPECT_FALSE(Title.Label1[0].Visible());
    });
    again.Key(1000, forms::vk::Return);  // ignored: the animation runs again
    again.At(kMenuMs + 0.5, [] {
        EXPECT_EQ(RedItems(), std::vector<int>{0});
        EXPECT_EQ(Title.RightCopyX, 500 - 6 * 59);
        EXPECT_EQ(Title.RightCopyDone, 1);
    });
    again.Key(kMenuMs + 100, forms::vk::Return);
    again.Start();
    ShowTitle();
    EXPECT_EQ(G.Scene, 3);
}

TEST_F(TitleTest, AMissingPictureIsAnErrorNamingTheFile) {
    std::filesystem::remove(dir_ / "bmp" / "back(1).bmp");
    try {
        ShowTitle();
        FAIL() << "the title loaded without its band background";
    } catch (const forms::Error& e) {
        EXPECT_NE(std::string(e.what()).find("back(1).bmp"), std::string::npos) << e.what();
    }
}

}  // namespace
