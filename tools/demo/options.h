// The runner's command line.
//
//   roofrider-demo SCRIPT [--trace FILE] [--shot FRAME:FILE.png]...
//                  [--shot-at MS:FILE.png]... [--grace MS] [--max-ms MS]
//                  [--timedemo | --realtime | --wallclock] [--assets DIR]
//                  [--audio-driver NAME] [--frame-stats FILE] [--desktop WxH]
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

struct ShotRequest {
    uint64_t when = 0;  // pass number (--shot) or virtual millisecond (--shot-at)
    std::string path;   // where the PNG goes
};

struct Options {
    std::string script_path;
    std::string trace_path;               // empty: no trace
    std::vector<ShotRequest> frame_shots;  // --shot: the play field after a pass
    std::vector<ShotRequest> time_shots;   // --shot-at: the whole screen at a time
    uint64_t grace_ms = 1000;              // how long past the last event the run goes on
    uint64_t max_ms = 30 * 60 * 1000;      // a run never lasts longer than this
    bool timedemo = false;  // real time, no 60 Hz wait, frames per second printed
    bool realtime = false;  // real time in real windows
    bool wallclock = false;  // headless, on real time with the 60 Hz wait (pace figures)
    std::string frame_stats_path;  // empty: none; else one CSV line of costs per flip
    std::string assets_dir;  // empty: the folder of the executable
    // SDL's audio driver for a headless run; one that does not exist runs
    // the game as a machine without sound would.
    std::string audio_driver = "dummy";
    // --windows: each window as it comes to the top, and the texts it
    // showed when it left the top (or when the run ended).
    bool report_windows = false;
    // --desktop: a headless run on a desktop of this size (0: SDL's dummy
    // desktop, 1024 x 768); the windows' scale follows as on a real one.
    int desktop_w = 0, desktop_h = 0;
    bool help = false;
};

struct OptionsParse {
    bool ok = false;
    Options options;
    std::string error;
};

// The arguments after the program name.
OptionsParse ParseOptions(const std::vector<std::string>& args);
std::string UsageText();

}  // namespace demo
