// Asset paths and record files.
//
// The program names its files Windows-style: BasePath ends in "\" and
// relative paths use "\" separators. MapPath turns such a name into a
// Linux path: separators become "/", doubled separators fold, blanks in
// folder names stay, and each component is matched against the disk
// without regard to case (the program names one folder both "sound\" and
// "Sound\").
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform::files {

// The directory of the running executable (from /proc/self/exe), written
// with "\" separators and ending in "\" (for example "\opt\rr\").
std::string ProgramDirectory();
// Tests and the runner may point the program at another asset folder.
void SetProgramDirectoryOverride(const std::string& linux_dir);

// The Linux path for a program path ("\opt\rr\bmp\chara.bmp" or a mix of
// "\" and "/"). Components that exist on disk are matched case-blind;
// the rest are kept as written.
std::string MapPath(const std::string& program_path);

// Reads a whole file; nullopt if it cannot be opened.
std::optional<std::vector<unsigned char>> ReadAll(const std::string& program_path);

// A file of fixed-length records, read by record number (from 1).
class RecordFile {
public:
    // Opens the file; on failure IsOpen() is false and Error() says why.
    RecordFile(const std::string& program_path, std::size_t record_length);
    bool IsOpen() const;
    const std::string& Error() const;
    // How many whole records the file holds.
    std::size_t RecordCount() const;
    // Record n (1-based) into out (record_length bytes); false past the end.
    bool Read(std::size_t n, unsigned char* out) const;

private:
    std::vector<unsigned char> bytes_;
    std::size_t record_length_;
    bool open_ = false;
    std::string error_;
};

}  // namespace platform::files
