// The frame pacer: the steady 60 Hz beat of the play field's page flips.
//
// Ticks lie on a fixed grid, tick n = start + n × 1000/60 ms, counted from
// the first wait; a wait never computes "now + period", so small delays
// never add up. A pass that misses its tick does not make up for it with
// quick frames: it waits for the next tick of the grid after now. A pass
// that misses its tick by less than a quarter of a period (a present that
// blocked until the display's retrace, say) takes that tick at once, so a
// display whose retrace falls just after our tick cannot halve the rate.
// The pace never depends on the display's refresh rate or on vertical
// sync; the pacer never spins, it waits through the clock.
#pragma once

#include <cstdint>

namespace platform {

// The time source the pacer runs on: the program's clock, or a simulated
// one in tests.
class PaceClock {
public:
    virtual ~PaceClock() = default;
    virtual uint64_t NowUs() = 0;
    // Returns once NowUs() >= deadline_us (sleeping, never spinning).
    virtual void WaitUntilUs(uint64_t deadline_us) = 0;
};

// platform::clock as a PaceClock (virtual time in headless runs: waits jump).
PaceClock& ProgramPaceClock();

class FramePacer {
public:
    static constexpr uint64_t kRateHz = 60;
    // How late a tick may still be taken: a quarter of a period.
    static constexpr uint64_t kSlackUs = 1000000 / kRateHz / 4;

    explicit FramePacer(PaceClock& clock) : clock_(&clock) {}

    // Waits for the next tick and returns its time. The first wait after
    // construction or Restart() starts the grid at now and returns at once.
    uint64_t WaitForNextTick();
    // The next wait starts a new grid (after a pause in pacing).
    void Restart() { started_ = false; }

    // The time of tick n of the current grid.
    uint64_t TickUs(uint64_t n) const { return start_us_ + n * 1000000 / kRateHz; }
    uint64_t CurrentTick() const { return tick_; }
    // Ticks passed over because a pass came too late for them.
    uint64_t SkippedTicks() const { return skipped_; }

private:
    PaceClock* clock_;
    bool started_ = false;
    uint64_t start_us_ = 0;
    uint64_t tick_ = 0;
    uint64_t skipped_ = 0;
};

}  // namespace platform
