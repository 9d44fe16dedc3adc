// Asset paths and record files.
#include "platform/files.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace platform::files {
namespace {

std::string g_override;

std::string ToBackslashes(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// The entry of dir whose name equals name without regard to case, or name
// itself when the directory holds no such entry.
std::string MatchComponent(const std::string& dir, const std::string& name) {
    std::string exact = dir + (dir == "/" ? "" : "/") + name;
    if (Exists(exact)) return name;
    DIR* d = opendir(dir.empty() ? "/" : dir.c_str());
    if (!d) return name;
    std::string found = name;
    while (dirent* e = readdir(d)) {
        if (strcasecmp(e->d_name, name.c_str()) == 0) {
            found = e->d_name;
            break;
        }
    }
    closedir(d);
    return found;
}

}  // namespace

std::string ProgramDirectory() {
    std::string dir = g_override;
    if (dir.empty()) {
        char buf[4096];
        ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
        if (n > 0) {
            buf[n] = '\0';
            dir = buf;
            dir = dir.substr(0, dir.find_last_of('/'));
        }
        if (dir.empty()) dir = "/";
    }
    std::string program = ToBackslashes(dir);
    if (program.empty() || program.back() != '\\') program += '\\';
    return program;
}

void SetProgramDirectoryOverride(const std::string& linux_dir) { g_override = linux_dir; }

std::string MapPath(const std::string& program_path) {
    // Split on either separator; empty components (doubled separators) fold.
    std::string result;
    bool absolute = !program_path.empty() && (program_path[0] == '\\' || program_path[0] == '/');
    std::string current = absolute ? "/" : ".";
    std::string component;
    auto flush = [&] {
        if (component.empty()) return;
        std::string matched = IsDirectory(current) ? MatchComponent(current, component) : component;
        if (current == "/")
            current = "/" + matched;
        else
            current = current + "/" + matched;
        component.clear();
    };
    for (char c : program_path) {
        if (c == '\\' || c == '/')
            flush();
        else
            component += c;
    }
    flush();
    if (!absolute && current.rfind("./", 0) == 0) current = current.substr(2);
    return current;
}

namespace {

// The whole of an open file in one read where its size is known (a
// picture sheet is tens of megabytes; byte by byte it costs seconds in a
// debugging build), character by character where it is not (a pipe).
std::vector<unsigned char> ReadStream(std::ifstream& in) {
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || !in) {
        in.clear();
        in.seekg(0, std::ios::beg);
        return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<unsigned char> bytes(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

}  // namespace

std::optional<std::vector<unsigned char>> ReadAll(const std::string& program_path) {
    std::ifstream in(MapPath(program_path), std::ios::binary);
    if (!in) return std::nullopt;
    return ReadStream(in);
}

RecordFile::RecordFile(const std::string& program_path, std::size_t record_length)
    : record_length_(record_length) {
    std::string linux_path = MapPath(program_path);
    std::ifstream in(linux_path, std::ios::binary);
    if (!in) {
        error_ = std::strerror(errno ? errno : ENOENT);
        return;
    }
    bytes_ = ReadStream(in);
    open_ = true;
}

bool RecordFile::IsOpen() const { return open_; }
const std::string& RecordFile::Error() const { return error_; }

std::size_t RecordFile::RecordCount() const {
    return record_length_ ? bytes_.size() / record_length_ : 0;
}

bool RecordFile::Read(std::size_t n, unsigned char* out) const {
    if (n < 1 || n > RecordCount()) return false;
    std::memcpy(out, bytes_.data() + (n - 1) * record_length_, record_length_);
    return true;
}

}  // namespace platform::files
