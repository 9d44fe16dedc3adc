// roofrider-measure — the small measuring tool behind bench/run.sh.
//
//   roofrider-measure run OUT -- PROGRAM ARGS...
//       Runs the program (its output passes through) and writes to OUT, as
//       key=value lines: launch_ns (the monotonic clock just before the
//       program was started), wall_s, user_s, sys_s, max_rss_kb, status.
//   roofrider-measure frames FILE.csv
//       Figures of a runner's --frame-stats file: the medians of the CPU
//       time of composition, of presentation and of both together, the mean
//       frame interval, the 99th percentile and the largest deviation of an
//       interval from 1/60 s, and the ticks skipped.
//   roofrider-measure gbench FILE.json NAME KEY
//       A figure of Google Benchmark's JSON output: the KEY (real_time,
//       cpu_time or a counter) of the entry named NAME (the median of
//       repetitions when there are several: NAME_median).
//   roofrider-measure median VALUE...
//       The median of the values.
//
// Figures are printed with enough digits for the table; nothing here
// judges them.
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double kPeriodMs = 1000.0 / 60.0;

int Usage() {
    std::fputs(
        "usage: roofrider-measure run OUT -- PROGRAM ARGS...\n"
        "       roofrider-measure frames FILE.csv\n"
        "       roofrider-measure gbench FILE.json NAME KEY\n"
        "       roofrider-measure median VALUE...\n",
        stderr);
    return 2;
}

int64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double Median(std::vector<double> v) {
    if (v.empty()) return std::nan("");
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The value at fraction q of the sorted values (nearest rank).
double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return std::nan("");
    std::sort(v.begin(), v.end());
    size_t i = static_cast<size_t>(std::ceil(q * static_cast<double>(v.size()))) - 1;
    return v[std::min(i, v.size() - 1)];
}

int Run(int argc, char** argv) {
    if (argc < 5 || std::strcmp(argv[3], "--") != 0) return Usage();
    const std::string out = argv[2];
    std::fflush(nullptr);
    const int64_t launch = MonotonicNs();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("roofrider-measure: fork");
        return 1;
    }
    if (pid == 0) {
        execvp(argv[4], argv + 4);
        std::perror("roofrider-measure: exec");
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) < 0) {
        std::perror("roofrider-measure: wait");
        return 1;
    }
    const int64_t end = MonotonicNs();
    std::ofstream f(out);
    f << "launch_ns=" << launch << "\n"
      << "wall_s=" << static_cast<double>(end - launch) / 1e9 << "\n"
      << "user_s=" << static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6 << "\n"
      << "sys_s=" << static_cast<double>(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec / 1e6 << "\n"
      << "max_rss_kb=" << usage.ru_maxrss << "\n"
      << "status=" << (WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)) << "\n";
    return f ? 0 : 1;
}

int Frames(int argc, char** argv) {
    if (argc != 3) return Usage();
    std::ifstream in(argv[2]);
    std::string line;
    if (!in || !std::getline(in, line)) {
        std::fprintf(stderr, "roofrider-measure: %s: cannot be read\n", argv[2]);
        return 1;
    }
    std::vector<std::string> names;
    {
        std::stringstream header(line);
        std::string name;
        while (std::getline(header, name, ',')) names.push_back(name);
    }
    std::map<std::string, std::vector<double>> columns;
    while (std::getline(in, line)) {
        std::stringstream row(line);
        std::string cell;
        for (size_t i = 0; i < names.size() && std::getline(row, cell, ','); ++i)
            columns[names[i]].push_back(std::strtod(cell.c_str(), nullptr));
    }
    const std::vector<double>& shown = columns["shown_us"];
    if (shown.size() < 3) {
        std::fprintf(stderr, "roofrider-measure: %s: too few frames\n", argv[2]);
        return 1;
    }
    // The first frame's composition includes the play's start; the
    // figures are of the frames after it.
    auto tail = [&](const char* name) {
        std::vector<double> v = columns[name];
        if (!v.empty()) v.erase(v.begin());
        return v;
    };
    const std::vector<double> compose = tail("compose_cpu_us"), present = tail("present_cpu_us");
    std::vector<double> both(compose.size());
    for (size_t i = 0; i < compose.size() && i < present.size(); ++i) both[i] = compose[i] + present[i];
    std::vector<double> deviation;
    double skipped = 0;
    for (size_t i = 1; i < shown.size(); ++i) {
        const double interval = (shown[i] - shown[i - 1]) / 1000.0;
        deviation.push_back(std::fabs(interval - kPeriodMs));
        skipped += std::max(0.0, std::round(interval / kPeriodMs) - 1);
    }
    const double mean = (shown.back() - shown.front()) / 1000.0 / static_cast<double>(shown.size() - 1);
    std::printf("frames=%zu\n", shown.size());
    std::printf("compose_cpu_median_us=%.1f\n", Median(compose));
    std::printf("present_cpu_median_us=%.1f\n", Median(present));
    std::printf("frame_cpu_median_us=%.1f\n", Median(both));
    std::printf("frame_cpu_p90_us=%.1f\n", Quantile(both, 0.9));
    std::printf("mean_interval_ms=%.4f\n", mean);
    std::printf("p99_deviation_ms=%.3f\n", Quantile(deviation, 0.99));
    std::printf("max_deviation_ms=%.3f\n", Quantile(deviation, 1.0));
    std::printf("skipped_ticks=%.0f\n", skipped);
    return 0;
}

// Google Benchmark's JSON, read just enough: the entry whose "name" is
// NAME_median (or NAME), then its KEY.
int Gbench(int argc, char** argv) {
    if (argc != 5) return Usage();
    std::ifstream in(argv[2]);
    std::stringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    for (const std::string& name : {std::string(argv[3]) + "_median", std::string(argv[3])}) {
        const std::string tag = "\"name\": \"" + name + "\"";
        const size_t at = text.find(tag);
        if (at == std::string::npos) continue;
        const size_t end = text.find('}', at);
        const std::string key = "\"" + std::string(argv[4]) + "\": ";
        const size_t k = text.find(key, at);
        if (k == std::string::npos || k > end) break;
        std::printf("%s\n", text.substr(k + key.size(), text.find_first_of(",\n}", k + key.size()) - k - key.size()).c_str());
        return 0;
    }
    std::fprintf(stderr, "roofrider-measure: %s: no %s of %s\n", argv[2], argv[4], argv[3]);
    return 1;
}

int MedianOf(int argc, char** argv) {
    std::vector<double> v;
    for (int i = 2; i < argc; ++i) v.push_back(std::strtod(argv[i], nullptr));
    if (v.empty()) return Usage();
    std::printf("%.6g\n", Median(v));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string what = argv[1];
    if (what == "run") return Run(argc, argv);
    if (what == "frames") return Frames(argc, argv);
    if (what == "gbench") return Gbench(argc, argv);
    if (what == "median") return MedianOf(argc, argv);
    return Usage();
}
