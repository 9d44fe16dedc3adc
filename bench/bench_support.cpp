// The benchmarks' program: headless start, the play script, in-process plays.
#include "bench_support.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/game_state.h"
#include "core/game_window.h"
#include "core/main_scenes.h"
#include "demo/script.h"
#include "display/surfaces.h"
#include "game/level.h"
#include "game/scrolling.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/winmm.h"

namespace bench {
namespace {

// Thrown from the play's hooks to leave the play loop, which never returns.
struct PlayStopped {};

}  // namespace

void StartProgramHeadless() {
    static bool started = false;
    if (started) return;
    started = true;
    platform::files::SetProgramDirectoryOverride(ROOFRIDER_GAME_DIR);
    platform::clock::UseVirtualTime(true);
    forms::Initialise(/*headless=*/true);
    winmm::InitialiseAudio();
    LoadLevelFiles();
    ResetGame();
}

std::string PlayScriptPath() {
    if (const char* env = std::getenv("ROOFRIDER_BENCH_SCRIPT"); env && *env) return env;
    const std::filesystem::path win = std::filesystem::path(ROOFRIDER_SOURCE_DIR) / "tests/scripts/win.txt";
    if (std::filesystem::exists(win)) return win.string();
    return (std::filesystem::path(ROOFRIDER_SOURCE_DIR) / "bench/scripts/long-play.txt").string();
}

std::vector<PassKey> PassKeys(const std::string& script_path) {
    std::ifstream in(script_path);
    std::stringstream text;
    text << in.rdbuf();
    const demo::ScriptParse parsed = demo::ParseScript(text.str());
    std::vector<PassKey> keys;
    if (!in || !parsed.ok) return keys;
    for (const demo::ScriptEvent& e : parsed.script.events)
        if (e.trigger == demo::Trigger::AfterPass) keys.push_back(PassKey{e.when, e.key});
    return keys;
}

void PrepareDisplayHeadless() {
    StartProgramHeadless();
    if (!D.DxRoot) D.DxRoot = std::make_unique<ddraw::DirectX7>();
    D.DDraw = D.DxRoot->DirectDrawCreate("");
    D.DDraw->SetCooperativeLevel(0, ddraw::DDSCL_FULLSCREEN | ddraw::DDSCL_EXCLUSIVE | ddraw::DDSCL_ALLOWMODEX);
    D.DDraw->SetDisplayMode(800, 600, 16, 0, 0);
    D.PrimaryDesc.lFlags = ddraw::DDSD_CAPS | ddraw::DDSD_BACKBUFFERCOUNT;
    D.PrimaryDesc.ddsCaps.lCaps = ddraw::DDSCAPS_PRIMARYSURFACE | ddraw::DDSCAPS_FLIP | ddraw::DDSCAPS_COMPLEX;
    D.PrimaryDesc.lBackBufferCount = 1;
    D.PrimarySurface = D.DDraw->CreateSurface(D.PrimaryDesc);
    D.BackBuffer = D.PrimarySurface->GetAttachedSurface(ddraw::DDSCAPS2{ddraw::DDSCAPS_BACKBUFFER});
    LoadSurfaces();
}

void Play(const std::vector<PassKey>& keys, const std::function<bool(int64_t pass)>& after_pass) {
    // Every play starts from READY: the start counter is never reset by
    // the program itself (one game per run).
    ResetGame();
    G.StartFrames = 0;
    int64_t pass = 0;
    size_t next_key = 0;
    OnPlayLoopPass = [&] {
        ++pass;
        const bool go_on = after_pass(pass);
        while (next_key < keys.size() && keys[next_key].pass <= static_cast<uint64_t>(pass))
            forms::PostKey(keys[next_key++].key);
        if (!go_on) throw PlayStopped{};
    };
    StopAtFinish = [] { throw PlayStopped{}; };
    forms::SetEndHandler([] { throw PlayStopped{}; });
    try {
        Game.Show(true);
    } catch (const PlayStopped&) {
    }
    OnPlayLoopPass = nullptr;
    StopAtFinish = nullptr;
    forms::SetEndHandler(nullptr);
    try {
        CloseDisplay();
    } catch (const std::exception&) {
    }
    Game.Unload();
}

}  // namespace bench
