// The frame pacer: the steady 60 Hz beat of the play field's page flips.
#include "platform/frame_pacer.h"

#include "platform/clock.h"

namespace platform {
namespace {

class ProgramClock final : public PaceClock {
public:
    uint64_t NowUs() override { return clock::NowUs(); }
    void WaitUntilUs(uint64_t deadline_us) override { clock::WaitUntilUs(deadline_us); }
};

}  // namespace

PaceClock& ProgramPaceClock() {
    static ProgramClock clock;
    return clock;
}

uint64_t FramePacer::WaitForNextTick() {
    const uint64_t now = clock_->NowUs();
    // A clock set back (a test restarting virtual time) starts a new grid.
    if (started_ && now + 1000000 / kRateHz < TickUs(tick_)) started_ = false;
    if (!started_) {
        started_ = true;
        start_us_ = now;
        tick_ = 0;
        return now;
    }
    uint64_t next = tick_ + 1;
    const uint64_t due = TickUs(next);
    if (now > due + kSlackUs) {
        // Too late for that tick: the first tick of the grid after now.
        uint64_t n = (now - start_us_) * kRateHz / 1000000;
        while (TickUs(n) <= now) ++n;
        skipped_ += n - next;
        next = n;
    }
    tick_ = next;
    const uint64_t at = TickUs(next);
    if (now < at) clock_->WaitUntilUs(at);
    return at;
}

}  // namespace platform
