// The program's one time source.
//
// Real mode: a monotonic millisecond clock. Virtual mode (headless runs):
// time moves only when the program waits, and a wait jumps straight to its
// deadline, so a whole game runs in a fraction of a second and the same
// input always gives the same result.
#pragma once

#include <cstdint>

namespace platform::clock {

// Switches between real and virtual time. Virtual time starts at 0.
void UseVirtualTime(bool on);
bool IsVirtual();

// Milliseconds since the clock started (64-bit, never wraps).
uint64_t NowMs();
// The same in microseconds, for pacing that needs finer steps.
uint64_t NowUs();

// Blocks until NowUs() >= deadline_us: sleeps in real time, jumps in
// virtual time. A deadline in the past returns at once.
void WaitUntilUs(uint64_t deadline_us);

// Virtual time only: moves the clock forward (tests).
void AdvanceVirtualUs(uint64_t delta_us);

// An offset added to timeGetTime's 32-bit reading, so a test can place
// the millisecond counter just before its 2^32 wrap.
void SetTimeGetTimeOffset(uint32_t offset_ms);
uint32_t TimeGetTimeOffset();

}  // namespace platform::clock
