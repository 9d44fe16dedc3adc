// Measuring points for the runner's figures and the benchmarks: the
// system's monotonic and per-thread CPU clocks, and the start-up marks
// (the first window on the screen, the play field's first frame, and how
// long the first piece of music waited for the sound library).
//
// Marks are taken on the monotonic clock so that a launcher in another
// process can set them against the moment it started the program.
#pragma once

#include <cstdint>

namespace platform::measure {

// CLOCK_MONOTONIC, nanoseconds.
int64_t MonotonicNs();
// CPU time of the calling thread, nanoseconds.
int64_t ThreadCpuNs();
// CPU time of the whole process (every thread), nanoseconds.
int64_t ProcessCpuNs();

enum class Mark {
    FirstWindowShown,   // a window's first picture handed to the screen
    FirstFrameShown,    // the play field's first flipped frame shown
    FirstMusicAsked,    // the first music piece told to play (by the program)
    FirstMusicStarted,  // ... and started by the sound library (its own thread)
};
constexpr int kMarkCount = 4;

// Notes the mark the first time it is reached (later calls are ignored);
// from any thread.
void Note(Mark mark);
// The mark's MonotonicNs(), or 0 while it has not been reached.
int64_t At(Mark mark);

}  // namespace platform::measure
