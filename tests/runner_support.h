// Running the built programs from a test: spawning the runner or the real
// program with its own environment and seeing how it ended (exit status,
// signal, peak memory, output), and scratch folders for what the runs write.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace runner_test {

namespace fs = std::filesystem;

inline std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<unsigned char> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name) {
        path_ = fs::temp_directory_path() / ("roofrider-" + name + "-" + std::to_string(getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

// How a spawned program ended.
struct Ended {
    static std::string LastLineOf(std::string s) {
        while (!s.empty() && s.back() == '\n') s.pop_back();
        const size_t nl = s.rfind('\n');
        return nl == std::string::npos ? s : s.substr(nl + 1);
    }

    int exit_code = -1;  // when it exited
    int signal = 0;      // when a signal ended it
    long peak_rss_kb = 0;
    std::string out, err;

    std::string Output() const { return out + err; }
    // The last line of standard output (the runner's "ended: ...").
    std::string LastLine() const { return LastLineOf(out); }
    // The last line of standard error (a message before the program ran).
    std::string LastErrorLine() const { return LastLineOf(err); }
    // The last line of standard output that starts with prefix, or "".
    std::string Line(const std::string& prefix) const {
        std::istringstream in(out);
        std::string line, found;
        while (std::getline(in, line))
            if (line.rfind(prefix, 0) == 0) found = line;
        return found;
    }
    // Standard output's lines that say how the run went, for comparing
    // two runs: the summary and the ending.
    std::string Outcome() const {
        std::string result;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("summary:", 0) == 0 || line.rfind("ended:", 0) == 0) result += line + "\n";
        return result;
    }
    // Ended by itself: no signal, one of the statuses the programs give,
    // and no sanitizer or runtime report in its output.
    bool EndedCleanly() const {
        const std::string all = Output();
        for (const char* report : {"Sanitizer", "runtime error:", "terminate called", "Aborted"})
            if (all.find(report) != std::string::npos) return false;
        return signal == 0 && exit_code >= 0 && exit_code <= 2;
    }
    std::string Describe() const {
        return "exit " + std::to_string(exit_code) + ", signal " + std::to_string(signal) + "\n--- stdout\n" +
               out + "--- stderr\n" + err;
    }
};

// Runs program with args and the environment changed by env (an empty
// value removes the variable). A program still running after
// limit_seconds is killed, so a hang fails the test instead of stalling it.
inline Ended Spawn(const std::string& program, const std::vector<std::string>& args,
                   const std::map<std::string, std::string>& env = {}, int limit_seconds = 120) {
    static int serial = 0;
    const fs::path out_file =
        fs::temp_directory_path() / ("roofrider-spawn-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
    const std::string out_path = out_file.string() + ".out", err_path = out_file.string() + ".err";

    std::vector<std::string> env_strings;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (!env.count(name)) env_strings.push_back(entry);
    }
    for (const auto& [name, value] : env)
        if (!value.empty()) env_strings.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& s : env_strings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> arg_strings{program};
    arg_strings.insert(arg_strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : arg_strings) argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    Ended ended;
    const int spawn_error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawn_error != 0) {
        ended.err = program + ": cannot be started (" + std::strerror(spawn_error) + ")";
        return ended;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limit_seconds);
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() > deadline) kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFEXITED(status)) ended.exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) ended.signal = WTERMSIG(status);
    ended.peak_rss_kb = usage.ru_maxrss;
    ended.out = ReadText(out_path);
    ended.err = ReadText(err_path);
    fs::remove(out_path);
    fs::remove(err_path);
    return ended;
}

#ifdef ROOFRIDER_DEMO

// The runner, headless on virtual time.
inline Ended RunDemo(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {}) {
    return Spawn(ROOFRIDER_DEMO, args, env);
}

#endif

inline std::string ScriptFixture(const std::string& name) {
    return std::string(ROOFRIDER_SOURCE_DIR) + "/tests/scripts/" + name;
}

}  // namespace runner_test
