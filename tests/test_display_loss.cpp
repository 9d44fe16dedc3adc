// A display that goes away for good. Under a private X server (Xvfb, with
// openbox as the window manager) the runner plays the real program in
// real windows up to the title, into the play, and up to the evaluation;
// there the server is killed. The program must end promptly with status 1
// and one line saying the display was lost. Before it handled the loss,
// Xlib's exit ran the windows' destructors, SDL waited on the dead
// connection inside them, and the process spun until SIGKILL.
#include <gtest/gtest.h>

#ifdef ROOFRIDER_DEMO

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "synthetic_assets.h"
#include "test_faults_support.h"

namespace {

using faults_test::AssetCopy;
using runner_test::ReadText;
using runner_test::ScratchDir;
using runner_test::WriteBytes;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// The goal is a second; the margin is for a machine busy with other builds.
constexpr auto kEndLimit = std::chrono::seconds(3);

std::optional<std::string> FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (size_t from = 0; from <= dirs.size();) {
        size_t to = dirs.find(':', from);
        if (to == std::string::npos) to = dirs.size();
        const std::string candidate = dirs.substr(from, to - from) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        from = to + 1;
    }
    return std::nullopt;
}

// Starts program with the environment changed by env: "NAME=value" sets,
// a bare "NAME" removes.
pid_t SpawnWith(const std::string& program, const std::vector<std::string>& args,
                posix_spawn_file_actions_t* actions, const std::vector<std::string>& env = {}) {
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : all) argv.push_back(s.data());
    argv.push_back(nullptr);
    auto name_of = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    std::vector<std::string> env_strings;
    for (const std::string& change : env)
        if (change.find('=') != std::string::npos) env_strings.push_back(change);
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool changed = false;
        for (const std::string& change : env) changed = changed || name_of(change) == name_of(entry);
        if (!changed) env_strings.push_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& s : env_strings) envp.push_back(s.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), actions, nullptr, argv.data(), envp.data()) != 0) return -1;
    return pid;
}

void KillAndReap(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Xvfb on a display number it picks itself (-displayfd), and openbox on it.
class PrivateDesktop {
public:
    PrivateDesktop() {
        const std::optional<std::string> xvfb = FindProgram("Xvfb");
        if (!xvfb) return;
        int fds[2];
        if (pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        server_ = SpawnWith(*xvfb, {"-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                                    "-nolisten", "tcp"},
                            &actions);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c;
        while (poll(&p, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (number.empty()) return;
        display_ = ":" + number;
        if (const std::optional<std::string> openbox = FindProgram("openbox")) {
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
            window_manager_ = SpawnWith(*openbox, {}, &actions, {"DISPLAY=" + display_, "SDL_VIDEODRIVER"});
            posix_spawn_file_actions_destroy(&actions);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));  // it takes the screen
        }
    }
    ~PrivateDesktop() {
        KillAndReap(window_manager_);
        KillServer();
    }
    PrivateDesktop(const PrivateDesktop&) = delete;
    PrivateDesktop& operator=(const PrivateDesktop&) = delete;

    const std::string& Display() const { return display_; }
    void KillServer() {
        KillAndReap(server_);
        server_ = -1;
    }

private:
    pid_t server_ = -1, window_manager_ = -1;
    std::string display_;
};

struct LostDisplayRun {
    bool reached = false;  // the window came to the top before the server was killed
    bool ended = false;    // the program ended by itself within the limit
    int exit_code = -1, signal = 0;
    double seconds_to_end = 0;
    std::string out, err;
};

// Runs the runner in real windows on the desktop until `window` comes to
// the top, waits `settle`, kills the X server, and times the runner's end.
LostDisplayRun KillTheDisplayOn(const std::string& window, const std::string& script,
                                std::vector<std::string> options, std::chrono::milliseconds settle) {
    LostDisplayRun run;
    PrivateDesktop desktop;
    if (desktop.Display().empty()) {
        run.err = "Xvfb could not be started (scripts/setup.sh installs it)";
        return run;
    }
    ScratchDir scratch("display-loss");
    const std::string err_path = (scratch / "stderr").string();
    int out[2];
    if (pipe(out) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> args{script, "--realtime", "--windows", "--grace", "600000"};
    args.insert(args.end(), options.begin(), options.end());
    const pid_t program = SpawnWith(ROOFRIDER_DEMO, args, &actions,
                                    {"DISPLAY=" + desktop.Display(), "SDL_AUDIODRIVER=dummy", "SDL_VIDEODRIVER"});
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);

    // Its standard output, line by line, until the window shows.
    const auto give_up = Clock::now() + std::chrono::seconds(120);
    while (!run.reached && Clock::now() < give_up) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 1000) <= 0) continue;
        char buffer[512];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;  // it ended before the window came
        run.out.append(buffer, static_cast<size_t>(n));
        run.reached = run.out.find("window: " + window + " at") != std::string::npos;
    }
    if (run.reached) {
        std::this_thread::sleep_for(settle);
        const auto killed = Clock::now();
        desktop.KillServer();
        int status = 0;
        while (Clock::now() - killed < kEndLimit) {
            if (waitpid(program, &status, WNOHANG) == program) {
                run.ended = true;
                run.seconds_to_end = std::chrono::duration<double>(Clock::now() - killed).count();
                if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
                if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    if (!run.ended) KillAndReap(program);
    char buffer[512];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) run.out.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    run.err = ReadText(err_path);
    return run;
}

void ExpectEndedForTheLostDisplay(const LostDisplayRun& run, const std::string& where) {
    const std::string describe = "--- stdout\n" + run.out + "--- stderr\n" + run.err;
    ASSERT_TRUE(run.reached) << where << " never came to the top\n" << describe;
    ASSERT_TRUE(run.ended) << "still running " << kEndLimit.count() << " s after the display died on " << where
                           << "\n" << describe;
    EXPECT_EQ(run.signal, 0) << describe;
    EXPECT_EQ(run.exit_code, 1) << describe;
    const std::string expected = "roofrider-demo: the display was lost (the connection to the X server :";
    EXPECT_EQ(run.err.rfind(expected, 0), 0u) << describe;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line on standard error\n" << describe;
    std::printf("display lost on %s: the program ended %.3f s later\n", where.c_str(), run.seconds_to_end);
}

// Past the story, then New Game: the title takes its menu keys only once
// its opening animation is over, which on a busy machine in real time can
// take longer than usual, so Return is pressed a few times (the play and
// the evaluation's first seconds ignore it).
const std::string kToThePlay =
    "at 300 Return\non Title 4000 Return\non Title 6000 Return\non Title 9000 Return\n";

TEST(DisplayLoss, TheTitleEndsWithStatus1) {
    ScratchDir scratch("display-loss-title");
    const std::string script = (scratch / "title.txt").string();
    const std::string text = "at 300 Return  # past the story\n";
    WriteBytes(script, std::vector<unsigned char>(text.begin(), text.end()));
    ExpectEndedForTheLostDisplay(KillTheDisplayOn("Title", script, {}, std::chrono::milliseconds(1500)), "the title");
}

TEST(DisplayLoss, ThePlayEndsWithStatus1) {
    ScratchDir scratch("display-loss-play");
    const std::string script = (scratch / "play.txt").string();
    WriteBytes(script, std::vector<unsigned char>(kToThePlay.begin(), kToThePlay.end()));
    ExpectEndedForTheLostDisplay(KillTheDisplayOn("Game", script, {}, std::chrono::milliseconds(1500)), "the play");
}

// A course finished within a second of GO, so that the evaluation comes
// quickly: one roof the length of the course, and every item a speed-up
// where the hero stands at the start (taken during READY: speed 5 x 1.2^33).
TEST(DisplayLoss, TheEvaluationEndsWithStatus1) {
    AssetCopy assets;
    std::vector<synthetic::Record> buildings{{0, 400, 5000, 600}};
    buildings.resize(17, {5000, 600, 5000, 600});
    // The copy's files are links to the built ones: each goes before its
    // own is written.
    assets.Remove("data/biru.dat");
    assets.Remove("data/item.dat");
    synthetic::WriteLevelFile(fs::path(assets.Dir()) / "data" / "biru.dat", buildings);
    synthetic::WriteLevelFile(fs::path(assets.Dir()) / "data" / "item.dat",
                              std::vector<synthetic::Record>(33, {40, 330, 60, 380, 1, 0}));
    ScratchDir scratch("display-loss-evaluation");
    const std::string script = (scratch / "finish.txt").string();
    WriteBytes(script, std::vector<unsigned char>(kToThePlay.begin(), kToThePlay.end()));
    ExpectEndedForTheLostDisplay(
        KillTheDisplayOn("Hyouka", script, {"--assets", assets.Dir()}, std::chrono::milliseconds(1500)),
        "the evaluation");
}

}  // namespace

#endif  // ROOFRIDER_DEMO
