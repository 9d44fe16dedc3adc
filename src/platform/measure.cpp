// Measuring points: monotonic and CPU clocks, start-up marks.
#include "platform/measure.h"

#include <time.h>

#include <atomic>

namespace platform::measure {
namespace {

int64_t Read(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

std::atomic<int64_t> g_marks[kMarkCount] = {};

}  // namespace

int64_t MonotonicNs() { return Read(CLOCK_MONOTONIC); }
int64_t ThreadCpuNs() { return Read(CLOCK_THREAD_CPUTIME_ID); }
int64_t ProcessCpuNs() { return Read(CLOCK_PROCESS_CPUTIME_ID); }

void Note(Mark mark) {
    std::atomic<int64_t>& at = g_marks[static_cast<int>(mark)];
    if (at.load(std::memory_order_relaxed) != 0) return;
    int64_t unset = 0;
    at.compare_exchange_strong(unset, MonotonicNs());
}

int64_t At(Mark mark) { return g_marks[static_cast<int>(mark)].load(); }

}  // namespace platform::measure
