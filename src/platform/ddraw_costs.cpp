// DirectDraw 7 — what each flipped frame costs, for the runner's
// --frame-stats and the benchmarks: the composition from the frame's first
// display call to its flip, and the flip itself without its wait for the
// 60 Hz tick. Nothing is measured unless the costs are recorded; the
// display's own code only marks the moments (a frame's first display call,
// a flip's start, its wait for the tick and the frame on the screen).
#include "platform/ddraw_impl.h"
#include "platform/measure.h"

namespace ddraw {
namespace {

// The frame being composed.
struct OpenFrame {
    bool open = false;
    int64_t cpu0 = 0, wall0 = 0;  // composition began
    bool have_last = false;
    int64_t last_flip_cpu = 0;    // the thread's CPU at the end of the last flip
};
OpenFrame g_frame;
std::vector<FrameCost> g_frame_costs;

}  // namespace

namespace costs {
bool g_recording = false;
std::vector<CopyRecord>* g_copy_log = nullptr;

void BeginFrame() {
    if (g_frame.open) return;
    g_frame.open = true;
    g_frame.cpu0 = platform::measure::ThreadCpuNs();
    g_frame.wall0 = platform::measure::MonotonicNs();
}

void FrameCutShort() { g_frame.open = false; }

FlipMeter::FlipMeter() : measuring_(g_recording) {
    if (measuring_) {
        cpu_start_ = platform::measure::ThreadCpuNs();
        wall_start_ = platform::measure::MonotonicNs();
        if (g_frame.open) {
            cost_.compose_cpu_ns = cpu_start_ - g_frame.cpu0;
            cost_.compose_wall_ns = wall_start_ - g_frame.wall0;
        }
    }
    g_frame.open = false;  // the flip ends the composition, whether it succeeds or not
}

void FlipMeter::Pause() {
    if (!measuring_) return;
    cpu_paused_ = platform::measure::ThreadCpuNs();
    wall_paused_ = platform::measure::MonotonicNs();
}

void FlipMeter::Resume() {
    if (!measuring_) return;
    cpu_waited_ += platform::measure::ThreadCpuNs() - cpu_paused_;
    wall_waited_ += platform::measure::MonotonicNs() - wall_paused_;
}

void FlipMeter::Shown(uint64_t shown_us) {
    if (!measuring_) return;
    const int64_t cpu_end = platform::measure::ThreadCpuNs();
    const int64_t wall_end = platform::measure::MonotonicNs();
    cost_.present_cpu_ns = cpu_end - cpu_start_ - cpu_waited_;
    cost_.present_wall_ns = wall_end - wall_start_ - wall_waited_;
    cost_.pass_cpu_ns = g_frame.have_last ? cpu_end - g_frame.last_flip_cpu : 0;
    cost_.shown_us = shown_us;
    g_frame.have_last = true;
    g_frame.last_flip_cpu = cpu_end;
    g_frame_costs.push_back(cost_);
}
}  // namespace costs

void RecordFrameCosts(bool on) {
    costs::g_recording = on;
    g_frame = OpenFrame{};
}

const std::vector<FrameCost>& FrameCosts() { return g_frame_costs; }

void SetCopyLog(std::vector<CopyRecord>* log) { costs::g_copy_log = log; }

}  // namespace ddraw
