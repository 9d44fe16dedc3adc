// Measuring points: monotonic and CPU clocks, start-up marks.
#include "platform/measure.h"

#include <time.h>

namespace platform::measure {
namespace {

int64_t Read(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

int64_t g_marks[kMarkCount] = {};

}  // namespace

int64_t MonotonicNs() { return Read(CLOCK_MONOTONIC); }
int64_t ThreadCpuNs() { return Read(CLOCK_THREAD_CPUTIME_ID); }
int64_t ProcessCpuNs() { return Read(CLOCK_PROCESS_CPUTIME_ID); }

void Note(Mark mark) {
    int64_t& at = g_marks[static_cast<int>(mark)];
    if (at == 0) at = MonotonicNs();
}

int64_t At(Mark mark) { return g_marks[static_cast<int>(mark)]; }

}  // namespace platform::measure
