// Test helpers for the front-end windows: a scripted input source that
// presses keys and runs checks at virtual times, a fresh asset folder with
// the title's three bitmaps and small sound files, the recording sound
// back-end, and the placing of the staff roll and the evaluation that the
// game reset does at start-up.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "platform/call_log.h"
#include "platform/clock.h"
#include "platform/forms.h"
#include "platform/forms_internal.h"
#include "platform/winmm.h"
#include "screens/ending.h"
#include "screens/form2_form1.h"
#include "screens/hyouka.h"
#include "screens/options.h"
#include "screens/title.h"
#include "test_winmm_recorder.h"

namespace screens_test {

// Thrown by a scripted step to leave the modal loops (not a std::exception,
// so no handler of the program catches it).
struct StopRun {};
// Thrown when a run goes on past its time limit.
struct RunTooLong {
    uint64_t at_ms;
};

// Actions at virtual times, in milliseconds from the moment the script is
// started. Keys go through forms::PostKey like a player's key would.
class Script final : public forms::InputSource {
public:
    void Start(uint64_t limit_ms = 10 * 60 * 1000) {
        t0_us_ = platform::clock::NowUs();
        limit_us_ = t0_us_ + limit_ms * 1000;
        forms::SetInputSource(this);
    }
    ~Script() override { forms::SetInputSource(nullptr); }

    // ms is counted from Start; actions at the same time run in the order given.
    void At(double ms, std::function<void()> action) {
        events_.push_back({static_cast<uint64_t>(ms * 1000), order_++, std::move(action)});
        std::stable_sort(events_.begin(), events_.end(), [](const Event& a, const Event& b) {
            return a.offset_us < b.offset_us;
        });
    }
    void Key(double ms, int16_t key) {
        At(ms, [key] { forms::PostKey(key); });
    }
    void Stop(double ms) {
        At(ms, [] { throw StopRun{}; });
    }
    uint64_t ElapsedMs() const { return (platform::clock::NowUs() - t0_us_) / 1000; }
    double ElapsedMsExact() const { return (platform::clock::NowUs() - t0_us_) / 1000.0; }

    std::optional<uint64_t> NextEventUs() override {
        if (next_ >= events_.size()) return limit_us_;
        return t0_us_ + events_[next_].offset_us;
    }
    void DeliverDue(uint64_t now_us) override {
        while (next_ < events_.size() && t0_us_ + events_[next_].offset_us <= now_us) {
            auto action = std::move(events_[next_].action);
            ++next_;
            action();
        }
        if (now_us >= limit_us_) throw RunTooLong{(now_us - t0_us_) / 1000};
    }
    void OnIdle(uint64_t now_us) override {
        if (now_us >= limit_us_) throw RunTooLong{(now_us - t0_us_) / 1000};
    }

private:
    struct Event {
        uint64_t offset_us;
        int order;
        std::function<void()> action;
    };
    std::vector<Event> events_;
    std::size_t next_ = 0;
    int order_ = 0;
    uint64_t t0_us_ = 0, limit_us_ = 0;
};

// A 24-bit BMP of w x h pixels, colour(x, y) as 0x00BBGGRR.
inline std::vector<unsigned char> Bmp24(int w, int h,
                                        const std::function<forms::Color(int, int)>& colour) {
    const int stride = (w * 3 + 3) & ~3;
    const uint32_t data = static_cast<uint32_t>(stride * h);
    std::vector<unsigned char> b(54 + data, 0);
    auto le = [&](std::size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    le(2, 54 + data, 4);
    le(10, 54, 4);
    le(14, 40, 4);
    le(18, static_cast<uint32_t>(w), 4);
    le(22, static_cast<uint32_t>(h), 4);
    le(26, 1, 2);
    le(28, 24, 2);
    le(34, data, 4);
    for (int y = 0; y < h; ++y) {
        unsigned char* row = b.data() + 54 + static_cast<std::size_t>(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            forms::Color c = colour(x, y);
            row[x * 3 + 0] = static_cast<unsigned char>(c >> 16);  // blue
            row[x * 3 + 1] = static_cast<unsigned char>(c >> 8);   // green
            row[x * 3 + 2] = static_cast<unsigned char>(c);        // red
        }
    }
    return b;
}

// An MP3 of silent frames (MPEG 1 layer III, 128 kbit/s, 44.1 kHz): enough
// for the sound stand-in to open and time it.
inline std::vector<unsigned char> SilentMp3(int frames) {
    std::vector<unsigned char> out;
    for (int i = 0; i < frames; ++i) {
        std::vector<unsigned char> frame(417, 0);
        frame[0] = 0xFF;
        frame[1] = 0xFB;
        frame[2] = 0x90;
        frame[3] = 0x00;
        out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
}

// The title's test lettering: a block of letters in the mask's shape, dark
// red inside, on white; the mask is white where the letters are.
constexpr forms::Color kLetterColour = forms::RGB(160, 20, 20);
constexpr forms::Color kBandColour = forms::RGB(30, 60, 120);
inline bool InLetter(int x, int y) { return (x / 10) % 2 == 0 && y >= 20 && y < 80; }

// The common ground of every window test: virtual time, the headless
// toolkit whose End throws, the recording sound back-end, and a fresh
// program folder with the title's bitmaps and the sounds.
class ScreensTest : public ::testing::Test {
protected:
    static constexpr int kMaskWidth = 200;

    void SetUp() override {
        platform::clock::UseVirtualTime(true);
        platform::clock::AdvanceVirtualUs(1000000);
        static bool initialised = false;
        if (!initialised) {
            forms::Initialise(/*headless=*/true);
            initialised = true;
        }
        forms::SetEndHandler([] {
            forms::Form* top = forms::TopmostWindow();
            throw forms::ProgramEnded{top ? top->Name() : "", 0};
        });

        char templ[] = "/tmp/rr_screens_XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        root_ = templ;
        dir_ = root_ / "game dir";
        using winmm_test::WriteFile;
        WriteFile(dir_ / "bmp" / "mask.bmp", Bmp24(kMaskWidth, 100, [](int x, int y) {
                      return InLetter(x, y) ? forms::kWhite : forms::kBlack;
                  }));
        WriteFile(dir_ / "bmp" / "mozi.bmp", Bmp24(kMaskWidth, 100, [](int x, int y) {
                      return InLetter(x, y) ? kLetterColour : forms::kWhite;
                  }));
        WriteFile(dir_ / "bmp" / "back(1).bmp",
                  Bmp24(480, 150, [](int, int) { return kBandColour; }));
        WriteFile(dir_ / "sound" / "psmat045.mid", winmm_test::Midi({60, 62, 64, 65}));
        WriteFile(dir_ / "sound" / "opening.wav", winmm_test::ToneWav(1000));
        WriteFile(dir_ / "sound" / "idou.wav", winmm_test::ToneWav(100));
        WriteFile(dir_ / "sound" / "kettei.wav", winmm_test::ToneWav(150));
        WriteFile(dir_ / "sound" / "powa.wav", winmm_test::ToneWav(300));
        WriteFile(dir_ / "sound" / "oto.wav", winmm_test::ToneWav(300));
        WriteFile(dir_ / "sound" / "end01.wav", winmm_test::ToneWav(2000));
        WriteFile(dir_ / "soundeffect" / "idou.mp3", SilentMp3(4));
        WriteFile(dir_ / "soundeffect" / "kettei2.mp3", SilentMp3(8));

        log_ = std::make_shared<std::vector<std::string>>();
        winmm::InstallBackendForTests(std::make_unique<winmm_test::RecordingBackend>(log_));

        G = GameState{};
        G.BasePath = winmm_test::ProgramPath(dir_);
        // The windows' own variables outlive their unloading, and the
        // windows are globals shared by every test: start each one fresh.
        Form2.StoryShown = 0;
        Ending.RollEnded = 0;
        Hyouka.EvalStep = 0;
        Hyouka.RankText.clear();
    }

    void TearDown() override {
        forms::SetInputSource(nullptr);
        for (forms::Form* form : std::initializer_list<forms::Form*>{
                 &OP, &Title, &Form1, &Form2, &Ending, &Hyouka})
            form->Unload();
        forms::SetEndHandler(nullptr);
        winmm::ResetAudioForTests();
        platform::clock::UseVirtualTime(false);
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    // The sounds that reached the back-end since the last look (decoding
    // of files left out).
    std::vector<std::string> Sounds() {
        std::vector<std::string> out;
        for (const std::string& c : *log_)
            if (c.rfind("load", 0) != 0) out.push_back(c);
        log_->clear();
        return out;
    }

    // What the game reset does for the two windows after the play: the
    // staff roll over the whole screen with its credits below the bottom
    // edge, "おわり" in the middle, and the evaluation centred.
    static void PlaceLateWindows() {
        Ending.SetHeight(forms::ScreenHeight());
        Ending.SetWidth(forms::ScreenWidth());
        Ending.SetTop(0);
        Ending.SetLeft(0);
        PlaceCredits();
        Hyouka.SetLeft(forms::ScreenWidth() / 2 - Hyouka.Width() / 2);
        Hyouka.SetTop(forms::ScreenHeight() / 2 - Hyouka.Height() / 2);
    }
    static void PlaceCredits() {
        for (int j = 0; j < 6; ++j) {
            Ending.Name1[j].SetLeft(Ending.Width() / 2 - Ending.Name1[j].Width() / 2);
            Ending.Ob[j].SetLeft(Ending.Width() / 2 - Ending.Ob[j].Width() / 2);
            Ending.Name1[j].SetTop(Ending.Height() + 750 + j * 3000);
            Ending.Ob[j].SetTop(Ending.Height() + 400 + j * 3000);
        }
        Ending.Label1.SetLeft(Ending.ScaleWidth() / 2 - Ending.Label1.Width() / 2);
        Ending.Label1.SetTop(Ending.ScaleHeight() / 2 - Ending.Label1.Height() / 2);
    }

    std::filesystem::path root_, dir_;
    std::shared_ptr<std::vector<std::string>> log_;
};

// The text of the message box on top: the caption of its label that is not
// the button's. "(no message box)" when the top window is another.
inline std::string OpenMessageText() {
    forms::Form* top = forms::TopmostWindow();
    if (!top || top->Name() != "MsgBox") return "(no message box)";
    std::string text;
    for (forms::Control* c : forms::ToolkitAccess::Controls(*top)) {
        auto* label = dynamic_cast<forms::Label*>(c);
        if (label && label->Container() == nullptr) text += label->style().caption;
    }
    return text;
}

inline int Count(const std::vector<std::string>& list, const std::string& item) {
    return static_cast<int>(std::count(list.begin(), list.end(), item));
}

// The MCI commands and beeps a window sends while a test looks (the wave
// player's calls left out), in order.
class MciCalls {
public:
    MciCalls() { platform::call_log::Start(&calls_); }
    ~MciCalls() { platform::call_log::Start(nullptr); }
    // Those since the last look.
    std::vector<std::string> Take() {
        std::vector<std::string> out;
        for (const std::string& c : calls_)
            if (c.rfind("mci ", 0) == 0 || c == "beep") out.push_back(c);
        calls_.clear();
        return out;
    }

private:
    std::vector<std::string> calls_;
};

// Pixel (x, y) of a window's client area as drawn so far (the labels,
// which are composed over it when it is shown, left out).
inline forms::Color ClientPixel(forms::Form& form, int x, int y) {
    const SDL_Surface* s = forms::SurfaceOf(form.hDC());
    const Uint32 p = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(s->pixels) + y * s->pitch)[x];
    return forms::RGB(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF));
}

}  // namespace screens_test
