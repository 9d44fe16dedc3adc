// The command-line programs the generator hands work to: fluidsynth renders
// MIDI to audio with the program's own General MIDI soundfont, lame encodes
// MP3. Each is looked up on PATH; a missing one stops the build with a
// message that names the Debian package to install.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "score.h"
#include "wav_file.h"

namespace audiogen {

// A fresh folder under the system's temporary folder, removed with its
// contents when this goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The full path of a program on PATH, or empty.
std::string FindProgram(const std::string& name);

// Renders a MIDI file with fluidsynth at `rate` into floating-point audio
// (stereo). Throws std::runtime_error with the reason on failure.
Audio RenderMidi(const std::vector<unsigned char>& midi, int rate);
// The soundfont fluidsynth is given: the one the game's music player uses.
std::string RenderSoundFont();

// Encodes a mono 16-bit sound as a constant-bit-rate MP3 with lame.
// Throws std::runtime_error with the reason on failure.
std::vector<unsigned char> EncodeMp3(const Audio& audio);

// Reads and writes whole files; throw std::runtime_error on failure.
std::vector<unsigned char> ReadFile(const std::filesystem::path& path);
// Writes through a temporary name and renames, so that an interrupted
// build never leaves half a file.
void WriteFileAtomically(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);

}  // namespace audiogen
