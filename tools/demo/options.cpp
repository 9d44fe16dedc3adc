// The runner's command line parser.
#include "demo/options.h"

#include <optional>

namespace demo {

namespace {

std::optional<uint64_t> Number(const std::string& text) {
    if (text.empty() || text.size() > 15) return std::nullopt;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    return v;
}

// "WHEN:FILE" into a shot request.
std::optional<ShotRequest> Shot(const std::string& text) {
    std::size_t colon = text.find(':');
    if (colon == std::string::npos) return std::nullopt;
    std::optional<uint64_t> when = Number(text.substr(0, colon));
    std::string path = text.substr(colon + 1);
    if (!when || path.empty()) return std::nullopt;
    return ShotRequest{*when, path};
}

// "WxH" into a desktop size of at least 640 x 480.
bool DesktopSize(const std::string& text, int* w, int* h) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos) return false;
    std::optional<uint64_t> width = Number(text.substr(0, x)), height = Number(text.substr(x + 1));
    if (!width || !height || *width < 640 || *height < 480 || *width > 16384 || *height > 16384) return false;
    *w = static_cast<int>(*width);
    *h = static_cast<int>(*height);
    return true;
}

}  // namespace

std::string UsageText() {
    return "usage: roofrider-demo SCRIPT [options]\n"
           "  --trace FILE          one CSV line of the game state per pass of the play loop\n"
           "  --shot N:FILE.png     save the play field as shown after pass N (repeatable)\n"
           "  --shot-at MS:FILE.png save the whole screen at virtual millisecond MS (repeatable)\n"
           "  --grace MS            end the run this long after the script's last event (1000)\n"
           "  --max-ms MS           never run longer than this (1800000)\n"
           "  --timedemo            real time without the 60 Hz wait; prints frames per second\n"
           "  --realtime            the script at real speed in real windows\n"
           "  --wallclock           headless, on real time with the 60 Hz wait (pace figures)\n"
           "  --frame-stats FILE    one CSV line per flip: when it was shown, CPU and wall time of\n"
           "                        composing and presenting; start-up marks and play CPU on stdout\n"
           "  --assets DIR          read the game's files from DIR instead of beside the program\n"
           "  --audio-driver NAME   SDL's audio driver of a headless run (dummy); a driver that\n"
           "                        does not exist plays the game as without a sound device\n"
           "  --windows             print each window as it comes to the top and the texts it\n"
           "                        showed when it left the top\n"
           "  --desktop WxH         a headless desktop of W x H pixels (1024x768); the windows'\n"
           "                        scale follows it as on a real one (ROOFRIDER_SCALE too)\n"
           "A script line is 'at MS KEY', 'frame N KEY' or 'on WINDOW MS KEY'; '#' starts a\n"
           "comment.\n";
}

OptionsParse ParseOptions(const std::vector<std::string>& args) {
    OptionsParse result;
    Options& o = result.options;
    auto fail = [&](const std::string& message) {
        result.ok = false;
        result.error = message;
        return result;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::optional<std::string> inline_value;
        if (arg.rfind("--", 0) == 0) {
            std::size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                inline_value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
            }
        }
        auto value = [&]() -> std::optional<std::string> {
            if (inline_value) return inline_value;
            if (i + 1 < args.size()) return args[++i];
            return std::nullopt;
        };
        auto flag = [&]() { return !inline_value.has_value(); };

        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--timedemo" && flag()) {
            o.timedemo = true;
        } else if (arg == "--windows" && flag()) {
            o.report_windows = true;
        } else if (arg == "--realtime" && flag()) {
            o.realtime = true;
        } else if (arg == "--wallclock" && flag()) {
            o.wallclock = true;
        } else if (arg == "--audio-driver") {
            std::optional<std::string> v = value();
            if (!v || v->empty()) return fail(arg + " needs a driver name");
            o.audio_driver = *v;
        } else if (arg == "--desktop") {
            std::optional<std::string> v = value();
            if (!v || !DesktopSize(*v, &o.desktop_w, &o.desktop_h))
                return fail("--desktop needs WIDTHxHEIGHT, from 640x480 to 16384x16384" +
                            (v ? ", not '" + *v + "'" : std::string()));
        } else if (arg == "--trace" || arg == "--assets" || arg == "--frame-stats") {
            std::optional<std::string> v = value();
            if (!v || v->empty()) return fail(arg + " needs a path");
            (arg == "--trace" ? o.trace_path : arg == "--assets" ? o.assets_dir : o.frame_stats_path) = *v;
        } else if (arg == "--shot" || arg == "--shot-at") {
            std::optional<std::string> v = value();
            std::optional<ShotRequest> shot = v ? Shot(*v) : std::nullopt;
            const char* form = arg == "--shot" ? "FRAME:FILE.png" : "MS:FILE.png";
            if (!shot) return fail(arg + " needs " + form + (v ? ", not '" + *v + "'" : ""));
            if (arg == "--shot" && shot->when == 0) {
                return fail("--shot " + *v + ": the play loop's passes count from 1");
            }
            (arg == "--shot" ? o.frame_shots : o.time_shots).push_back(*shot);
        } else if (arg == "--grace" || arg == "--max-ms") {
            std::optional<std::string> v = value();
            std::optional<uint64_t> n = v ? Number(*v) : std::nullopt;
            if (!n) return fail(arg + " needs a whole number of milliseconds");
            (arg == "--grace" ? o.grace_ms : o.max_ms) = *n;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            return fail("unknown option '" + args[i] + "'");
        } else if (o.script_path.empty()) {
            o.script_path = arg;
        } else {
            return fail("one script only ('" + o.script_path + "' and '" + arg + "')");
        }
    }
    if (o.help) {
        result.ok = true;
        return result;
    }
    if (o.script_path.empty()) return fail("no script given");
    if (int{o.timedemo} + int{o.realtime} + int{o.wallclock} > 1)
        return fail("--timedemo, --realtime and --wallclock exclude each other");
    if (o.desktop_w && o.realtime) return fail("--desktop is for headless runs; --realtime shows the real desktop");
    result.ok = true;
    return result;
}

}  // namespace demo
