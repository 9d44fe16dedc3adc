// The command-line programs the generator hands work to (see
// external_tools.h).
#include "external_tools.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "platform/audio_backend.h"

extern char** environ;

namespace audiogen {
namespace {

std::string Require(const std::string& program, const std::string& package) {
    std::string path = FindProgram(program);
    if (path.empty())
        throw std::runtime_error("the program '" + program +
                                 "' is not installed; install the Debian package " + package +
                                 " (bash scripts/setup.sh installs everything the build needs)");
    return path;
}

// Runs a program and waits for it; its output goes to `log`. Returns its
// exit status, or -1 when it could not be started or was killed.
int Run(const std::vector<std::string>& argv, const std::filesystem::path& log) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    // The environment as it is, except LAME's own option variable, which
    // would change what it writes.
    std::vector<char*> env;
    for (char** e = environ; e && *e; ++e)
        if (std::strncmp(*e, "LAMEOPT=", 8) != 0) env.push_back(*e);
    env.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int err = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Tail(const std::filesystem::path& log) {
    std::ifstream in(log);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    if (text.size() > 600) text = "..." + text.substr(text.size() - 600);
    return text;
}

void WriteFile(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/roofrider-audio-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("cannot make a temporary folder in " + templ);
    path_ = buf.data();
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + name;
        struct stat st {};
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

std::string RenderSoundFont() {
    std::string font = winmm::FindSoundFont();
    if (font.empty())
        throw std::runtime_error(
            "no General MIDI soundfont found (the game looks in /usr/share/sounds/sf3 and sf2); "
            "install the Debian package timgm6mb-soundfont");
    return font;
}

Audio RenderMidi(const std::vector<unsigned char>& midi, int rate) {
    const std::string fluidsynth = Require("fluidsynth", "fluidsynth");
    const std::string font = RenderSoundFont();
    TempDir dir;
    const auto in = dir.Path() / "piece.mid";
    const auto out = dir.Path() / "piece.wav";
    const auto log = dir.Path() / "fluidsynth.log";
    WriteFile(in, midi);
    // -f /dev/null: no user or system start-up file may change the render.
    // Floating-point output: no dither, and our own rounding later.
    const int status = Run({fluidsynth, "-n", "-i", "-q", "-f", "/dev/null", "-F", out.string(), "-T",
                            "wav", "-O", "float", "-r", std::to_string(rate), "-g", "0.5", "-o",
                            "synth.cpu-cores=1", font, in.string()},
                           log);
    if (status != 0 || !std::filesystem::exists(out))
        throw std::runtime_error("fluidsynth failed (status " + std::to_string(status) + "): " + Tail(log));
    Audio audio;
    std::string reason;
    if (!DecodeWav(ReadFile(out), &audio, &reason))
        throw std::runtime_error("fluidsynth wrote an unreadable WAV: " + reason);
    return audio;
}

std::vector<unsigned char> EncodeMp3(const Audio& audio) {
    const std::string lame = Require("lame", "lame");
    TempDir dir;
    const auto in = dir.Path() / "sound.wav";
    const auto out = dir.Path() / "sound.mp3";
    const auto log = dir.Path() / "lame.log";
    WriteFile(in, EncodeWav16(audio));
    const int status = Run({lame, "--quiet", "--cbr", "-b", "128", "--noreplaygain", "-m", "m",
                            in.string(), out.string()},
                           log);
    if (status != 0 || !std::filesystem::exists(out))
        throw std::runtime_error("lame failed (status " + std::to_string(status) + "): " + Tail(log));
    return ReadFile(out);
}

std::vector<unsigned char> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), {});
}

void WriteFileAtomically(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    auto part = path;
    part += ".part";
    WriteFile(part, bytes);
    std::filesystem::rename(part, path);
}

}  // namespace audiogen
