// DrawFrame against a plain memcpy of the bytes it moves, frame by frame,
// in a play of the shipped course (the winning run when there is one).
//
// Every rectangle DrawFrame copies (and the flip's copy) is logged; right
// after each frame the same rows are copied again with memcpy, from the
// same sources to the same destinations, and timed. DrawFrame's own time
// is its composition and presentation (headless: into memory) with the
// 60 Hz wait off. Both run on the same frames in the same run, so the
// ratio holds on a busy machine as well as on a quiet one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "bench_support.h"
#include "core/game_state.h"
#include "platform/ddraw.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

void BM_DrawFrameAgainstMemcpy(benchmark::State& state) {
    bench::StartProgramHeadless();
    const std::vector<bench::PassKey> keys = bench::PassKeys(bench::PlayScriptPath());
    ddraw::SetFramePacing(false);
    ddraw::RecordFrameCosts(true);
    std::vector<ddraw::CopyRecord> log;
    std::vector<double> draw_ns, copy_ns, ratio;
    double bytes = 0;
    for (auto _ : state) {
        size_t costs_seen = ddraw::FrameCosts().size();
        log.clear();
        ddraw::SetCopyLog(&log);
        bench::Play(keys, [&](int64_t) {
            const std::vector<ddraw::FrameCost>& costs = ddraw::FrameCosts();
            if (costs.size() > costs_seen && G.PlayPhase < 2) {
                const ddraw::FrameCost& c = costs.back();
                const double draw = static_cast<double>(c.compose_wall_ns + c.present_wall_ns);
                const auto t0 = Clock::now();
                for (const ddraw::CopyRecord& r : log)
                    for (int y = 0; y < r.h; ++y)
                        std::memcpy(r.to + y * r.to_stride, r.from + y * r.from_stride,
                                    static_cast<size_t>(r.w) * 2);
                benchmark::ClobberMemory();
                const double copy =
                    static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - t0).count());
                for (const ddraw::CopyRecord& r : log) bytes += 2.0 * r.w * r.h;
                draw_ns.push_back(draw);
                copy_ns.push_back(copy);
                ratio.push_back(draw / copy);
            }
            costs_seen = costs.size();
            log.clear();
            return G.PlayPhase < 2;  // the game-over picture alone is not a play frame
        });
        ddraw::SetCopyLog(nullptr);
    }
    ddraw::RecordFrameCosts(false);
    ddraw::SetFramePacing(true);
    if (draw_ns.empty()) {
        state.SkipWithError("no frame was drawn");
        return;
    }
    double draw_sum = 0, copy_sum = 0;
    for (double d : draw_ns) draw_sum += d;
    for (double c : copy_ns) copy_sum += c;
    state.counters["frames"] = static_cast<double>(draw_ns.size());
    state.counters["drawframe_us"] = Median(draw_ns) / 1e3;      // median
    state.counters["memcpy_us"] = Median(copy_ns) / 1e3;         // median
    state.counters["ratio"] = Median(ratio);                     // median of the frames' ratios
    state.counters["ratio_total"] = draw_sum / copy_sum;         // whole play
    state.counters["bytes_per_frame"] = bytes / static_cast<double>(draw_ns.size());
}
BENCHMARK(BM_DrawFrameAgainstMemcpy)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
