// What the toolkit's tests share: a fixture on virtual time with End
// replaced, scripted keys at virtual times, and a reader for the PNG files
// the toolkit writes.
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <SDL.h>

#include "platform/clock.h"
#include "platform/forms.h"

namespace forms_test {

inline uint64_t NowMs() { return platform::clock::NowMs(); }

// What the scripted input throws when the toolkit has nothing left to do.
struct Idle {
    uint64_t at_ms;
};

// Keys at virtual times (milliseconds).
class ScriptedKeys : public forms::InputSource {
public:
    explicit ScriptedKeys(std::vector<std::pair<uint64_t, int16_t>> keys) : keys_(std::move(keys)) {}
    std::optional<uint64_t> NextEventUs() override {
        if (next_ >= keys_.size()) return std::nullopt;
        return keys_[next_].first * 1000;
    }
    void DeliverDue(uint64_t now_us) override {
        while (next_ < keys_.size() && keys_[next_].first * 1000 <= now_us) forms::PostKey(keys_[next_++].second);
    }
    void OnIdle(uint64_t now_us) override { throw Idle{now_us / 1000}; }

private:
    std::vector<std::pair<uint64_t, int16_t>> keys_;
    size_t next_ = 0;
};

class FormsTest : public testing::Test {
protected:
    void SetUp() override {
        platform::clock::UseVirtualTime(true);
        forms::Initialise(true);
        forms::SetEndHandler([] {
            forms::Form* top = forms::TopmostWindow();
            throw forms::ProgramEnded{top ? top->Name() : "no window", 0};
        });
        forms::SetInputSource(nullptr);
    }
    void TearDown() override {
        forms::SetInputSource(nullptr);
        forms::SetEndHandler(nullptr);
        platform::clock::UseVirtualTime(false);
    }
};

// A decoded PNG as written by the toolkit (8-bit RGB, no filter).
struct Png {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    forms::Color At(int x, int y) const {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return forms::RGB(p[0], p[1], p[2]);
    }
};

inline bool ReadPng(const std::string& path, Png* out) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (f.size() < 8) return false;
    auto be32 = [&](size_t at) {
        return (uint32_t{f[at]} << 24) | (uint32_t{f[at + 1]} << 16) | (uint32_t{f[at + 2]} << 8) | f[at + 3];
    };
    std::vector<uint8_t> packed;
    for (size_t at = 8; at + 8 <= f.size();) {
        const uint32_t len = be32(at);
        const std::string type(f.begin() + static_cast<long>(at) + 4, f.begin() + static_cast<long>(at) + 8);
        if (at + 12 + len > f.size()) return false;
        if (type == "IHDR") {
            out->width = static_cast<int>(be32(at + 8));
            out->height = static_cast<int>(be32(at + 12));
        } else if (type == "IDAT") {
            packed.insert(packed.end(), f.begin() + static_cast<long>(at) + 8,
                          f.begin() + static_cast<long>(at + 8 + len));
        }
        at += 12 + len;
    }
    const size_t row = static_cast<size_t>(out->width) * 3;
    std::vector<uint8_t> raw((row + 1) * static_cast<size_t>(out->height));
    uLongf raw_size = raw.size();
    if (uncompress(raw.data(), &raw_size, packed.data(), packed.size()) != Z_OK || raw_size != raw.size())
        return false;
    out->rgb.clear();
    for (int y = 0; y < out->height; ++y) {
        const uint8_t* r = &raw[static_cast<size_t>(y) * (row + 1)];
        if (r[0] != 0) return false;
        out->rgb.insert(out->rgb.end(), r + 1, r + 1 + row);
    }
    return true;
}

// A key press as SDL's event queue gives it to the toolkit.
inline void PushKeyDown(SDL_Keycode sym, Uint16 mod = 0, bool repeat = false) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.sym = sym;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
}

}  // namespace forms_test
