// The play field in a window: Alt+Enter and F11 switch it between the
// desktop's full screen and a window at any moment of the play (the start,
// the run, the freeze after a fall) without changing a thing of the game:
// the same trace, pass for pass, as a play without them.
#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "core/game_window.h"
#include "demo/trace.h"
#include "platform/forms.h"
#include "platform/window_access.h"
#include "play_field_support.h"
#include "test_forms_support.h"

#if ROOFRIDER_PROGRAM_COMPLETE
namespace {

namespace fs = std::filesystem;

struct Place {
    bool full_screen = false;
    int w = 0, h = 0;
    bool centred = false;
};

Place GamePlace() {
    SDL_Window* window = forms::internal::WindowOf(Game.hWnd());
    Place p;
    p.full_screen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
    SDL_GetWindowSize(window, &p.w, &p.h);
    p.centred = Game.Left() == forms::ScreenWidth() / 2 - Game.Width() / 2 &&
                Game.Top() == forms::ScreenHeight() / 2 - Game.Height() / 2;
    return p;
}

class PlayFieldScreen : public play_field_test::PlayHarness {
protected:
    static void SetUpTestSuite() { dir_ = WriteStandIns("screen"); }
    static void TearDownTestSuite() { fs::remove_all(dir_); }
    void SetUp() override { Start(dir_.string()); }
    void TearDown() override {
        if (forms::PlaysInWindow()) {
            forms_test::PushKeyDown(SDLK_F11, 0);
            forms::DoEvents();
        }
        PlayHarness::TearDown();
    }

    // The trace of `passes` passes; before each pass in `toggles` the
    // switch key is pressed, and the window's place is noted after it.
    std::vector<std::string> Play(int passes, const std::vector<int>& toggles, std::vector<Place>* places) {
        std::vector<std::string> trace;
        Run([&](int pass) {
            trace.push_back(demo::TraceRow(pass, G));
            if (!first_freeze_ && G.RespawnDelay > 0) first_freeze_ = pass;
            for (size_t i = 0; i < toggles.size(); ++i) {
                if (pass == toggles[i]) forms_test::PushKeyDown(i % 2 ? SDLK_F11 : SDLK_RETURN, i % 2 ? 0 : KMOD_LALT);
                if (places && pass == toggles[i] + 1) places->push_back(GamePlace());
            }
            return pass < passes;
        });
        return trace;
    }
    static fs::path dir_;
    int first_freeze_ = 0;  // the first pass frozen after a fall
};

fs::path PlayFieldScreen::dir_;

TEST_F(PlayFieldScreen, AltEnterDuringTheStartThePlayAndTheFreezeChangesNothingOfTheGame) {
    // Without the keys; the hero, left alone, falls into a gap.
    const int passes = 1400;
    const std::vector<std::string> plain = Play(passes, {}, nullptr);
    const int freeze = first_freeze_;
    ASSERT_GT(freeze, 310) << "a fall after the first passes of the run";
    Restart(dir_.string());

    // READY, the run, the freeze: into a window and out again at each.
    const std::vector<int> toggles = {40, 90, 260, 300, freeze + 2, freeze + 6};
    std::vector<Place> places;
    const std::vector<std::string> switched = Play(passes, toggles, &places);
    EXPECT_EQ(switched, plain);
    ASSERT_EQ(places.size(), toggles.size());
    for (size_t i = 0; i < places.size(); ++i) {
        SCOPED_TRACE("after the switch before pass " + std::to_string(toggles[i]));
        const bool windowed = i % 2 == 0;
        EXPECT_EQ(places[i].full_screen, !windowed);
        if (windowed) {
            EXPECT_EQ(places[i].w, 800 * forms::WindowScale());
            EXPECT_EQ(places[i].h, 600 * forms::WindowScale());
            EXPECT_TRUE(places[i].centred);
        }
    }
}

}  // namespace
#endif
