// Helpers of the fault tests: the runner and the real program spawned as
// runner_support.h does, and a scratch copy of the game's asset folders in
// which one file at a time is removed or damaged.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "runner_support.h"

namespace faults_test {

using namespace runner_test;  // NOLINT(google-build-using-namespace): the fault tests' own toolbox

// A copy of the game's four asset folders to break. Files are hard links
// to the built ones where the file system allows (copies otherwise), so
// every change first removes the link and then writes a file of its own:
// the built folder is never written through.
class AssetCopy {
public:
    AssetCopy() : dir_("assets") {
        for (const char* folder : {"bmp", "sound", "soundeffect", "data"}) {
            const fs::path from = fs::path(ROOFRIDER_GAME_DIR) / folder;
            fs::create_directories(dir_.path() / folder);
            for (const auto& entry : fs::directory_iterator(from))
                if (entry.is_regular_file()) Restore(std::string(folder) + "/" + entry.path().filename().string());
        }
    }
    std::string Dir() const { return dir_.path().string(); }
    fs::path Original(const std::string& relative) const { return fs::path(ROOFRIDER_GAME_DIR) / relative; }

    void Remove(const std::string& relative) { fs::remove(dir_.path() / relative); }
    void Put(const std::string& relative, const std::vector<unsigned char>& bytes) {
        Remove(relative);
        WriteBytes(dir_.path() / relative, bytes);
    }
    void Restore(const std::string& relative) {
        Remove(relative);
        std::error_code ec;
        fs::create_hard_link(Original(relative), dir_.path() / relative, ec);
        if (ec) fs::copy_file(Original(relative), dir_.path() / relative);
    }
    // Every file of a folder, as "folder/name", in name order.
    std::vector<std::string> FilesOf(const std::string& folder) const {
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(fs::path(ROOFRIDER_GAME_DIR) / folder))
            if (entry.is_regular_file()) files.push_back(folder + "/" + entry.path().filename().string());
        std::sort(files.begin(), files.end());
        return files;
    }

private:
    ScratchDir dir_;
};

}  // namespace faults_test
