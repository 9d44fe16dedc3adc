// libFuzzer target for the MCI command parser: any text parses to one of
// the three verbs with a device name, or to an error code; a command that
// parses gives the same command again when written back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/audio_backend.h"

namespace {

std::string Written(const winmm::MciCommand& c) {
    switch (c.verb) {
        case winmm::MciVerb::kOpen:
            return "open " + c.target + (c.alias.empty() ? "" : " alias " + c.alias) +
                   (c.notify ? " notify" : "") + " ";
        case winmm::MciVerb::kPlay:
            return "play " + c.target + (c.notify ? " notify" : "");
        case winmm::MciVerb::kClose:
            return "close " + c.target + (c.notify ? " notify" : "");
    }
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const winmm::MciCommand c = winmm::ParseMciCommand(text);
    if (c.error != 0) return 0;
    if (c.target.empty()) std::abort();
    const winmm::MciCommand again = winmm::ParseMciCommand(Written(c));
    if (again.error != 0 || again.verb != c.verb || again.target != c.target ||
        again.alias != c.alias || again.notify != c.notify)
        std::abort();
    return 0;
}
