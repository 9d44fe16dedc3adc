// libFuzzer target for the level file reader: the input becomes the two
// level files, "data\biru.dat" and "data\item.dat", in a folder of their
// own, and LoadLevelFiles reads them: either the tables are filled or the
// error names the file at fault; never a crash.
//
// Input: two bytes (little-endian) giving the length of biru.dat, then the
// bytes of biru.dat, then those of item.dat.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "core/game_state.h"
#include "game/level.h"
#include "platform/files.h"

namespace {

std::string g_dir;  // the program folder the reader is pointed at

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string templ = std::string(base) + "/roofrider-fuzz-level-XXXXXX";
    if (!mkdtemp(templ.data())) std::abort();
    g_dir = templ;
    if (mkdir((g_dir + "/data").c_str(), 0755) != 0) std::abort();
    platform::files::SetProgramDirectoryOverride(g_dir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    size_t split = static_cast<size_t>(data[0]) | static_cast<size_t>(data[1]) << 8;
    if (split > size - 2) split = size - 2;
    const uint8_t* biru = data + 2;
    const uint8_t* item = biru + split;
    if (!WriteFile(g_dir + "/data/biru.dat", biru, split) ||
        !WriteFile(g_dir + "/data/item.dat", item, size - 2 - split))
        std::abort();

    G = GameState{};
    try {
        LoadLevelFiles();
    } catch (const std::exception& e) {
        const std::string what = e.what();
        if (what.find("data\\biru.dat") == std::string::npos && what.find("data\\item.dat") == std::string::npos)
            std::abort();
        return 0;
    }
    // Read whole: 17 buildings and 33 items, each file long enough for them.
    if (G.BuildingCount != 17 || G.ItemCount != 33 || split < 17 * 20 || size - 2 - split < 33 * 20) std::abort();
    for (Integer n = 1; n <= G.ItemCount; ++n)
        if (G.Items[static_cast<size_t>(n)].Taken != 0) std::abort();
    return 0;
}
