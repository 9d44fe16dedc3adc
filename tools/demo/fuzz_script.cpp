// libFuzzer target for the runner's script parser: any bytes either parse
// or give an error with a line number, and every parsed script written
// back out parses to the same events.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "demo/script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    demo::ScriptParse p = demo::ParseScript(text);
    if (!p.ok) {
        if (p.error_line < 1 || p.error.empty()) std::abort();
        return 0;
    }
    std::string again;
    for (const demo::ScriptEvent& e : p.script.events) again += demo::FormatEvent(e) + "\n";
    demo::ScriptParse q = demo::ParseScript(again);
    if (!q.ok || q.script.events.size() != p.script.events.size()) std::abort();
    for (std::size_t i = 0; i < p.script.events.size(); ++i) {
        const demo::ScriptEvent& a = p.script.events[i];
        const demo::ScriptEvent& b = q.script.events[i];
        if (a.trigger != b.trigger || a.when != b.when || a.key != b.key || a.window != b.window ||
            !(a.pad == b.pad))
            std::abort();
    }
    return 0;
}
