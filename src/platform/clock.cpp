// The program's one time source: real (monotonic) or virtual.
#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace platform::clock {
namespace {

bool g_virtual = false;
uint64_t g_virtual_us = 0;
uint32_t g_tgt_offset = 0;
const auto g_epoch = std::chrono::steady_clock::now();

uint64_t RealUs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now() - g_epoch)
                                     .count());
}

}  // namespace

void UseVirtualTime(bool on) {
    g_virtual = on;
    g_virtual_us = 0;
}

bool IsVirtual() { return g_virtual; }

uint64_t NowUs() { return g_virtual ? g_virtual_us : RealUs(); }

uint64_t NowMs() { return NowUs() / 1000; }

void WaitUntilUs(uint64_t deadline_us) {
    if (g_virtual) {
        if (deadline_us > g_virtual_us) g_virtual_us = deadline_us;
        return;
    }
    // Sleep most of the way, then yield for the last stretch: the sleep's
    // own lateness (up to a millisecond on a busy machine) would otherwise
    // show as uneven frames.
    for (;;) {
        uint64_t now = RealUs();
        if (now >= deadline_us) return;
        uint64_t left = deadline_us - now;
        if (left > 1500) {
            std::this_thread::sleep_for(std::chrono::microseconds(left - 1000));
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
}

void AdvanceVirtualUs(uint64_t delta_us) {
    if (g_virtual) g_virtual_us += delta_us;
}

void SetTimeGetTimeOffset(uint32_t offset_ms) { g_tgt_offset = offset_ms; }
uint32_t TimeGetTimeOffset() { return g_tgt_offset; }

}  // namespace platform::clock
