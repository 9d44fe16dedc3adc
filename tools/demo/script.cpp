// The runner's script parser: text to key events.
#include "demo/script.h"

#include <array>
#include <cctype>
#include <cstdio>

namespace demo {

namespace {

struct NamedKey {
    const char* name;
    int16_t code;
};

constexpr std::array<NamedKey, 8> kNamedKeys{{
    {"Return", 13},
    {"Escape", 27},
    {"Space", 32},
    {"Left", 37},
    {"Up", 38},
    {"Right", 39},
    {"Down", 40},
    {"Shift", 16},
}};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// A word as an error message may show it: printable ASCII kept, every
// other byte as \xNN, long words cut.
std::string Shown(std::string_view word) {
    std::string out;
    constexpr std::size_t kMax = 40;
    for (std::size_t i = 0; i < word.size() && i < kMax; ++i) {
        unsigned char c = static_cast<unsigned char>(word[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    if (word.size() > kMax) out += "...";
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// A whole decimal number up to limit; nothing for anything else.
std::optional<uint64_t> WholeNumber(std::string_view word, uint64_t limit) {
    if (word.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > limit) return std::nullopt;
    }
    return value;
}

const char kKeyList[] = "Return, Escape, Space, Left, Up, Right, Down, Shift or a letter A-Z";

}  // namespace

std::optional<int16_t> KeyCodeOf(std::string_view name) {
    for (const NamedKey& k : kNamedKeys) {
        if (EqualsIgnoringCase(name, k.name)) return k.code;
    }
    if (name.size() == 1) {
        unsigned char c = static_cast<unsigned char>(name[0]);
        if (c < 0x80 && std::isalpha(c)) return static_cast<int16_t>(std::toupper(c));
    }
    return std::nullopt;
}

std::string KeyNameOf(int16_t code) {
    for (const NamedKey& k : kNamedKeys) {
        if (k.code == code) return k.name;
    }
    if (code >= 'A' && code <= 'Z') return std::string(1, static_cast<char>(code));
    return "";
}

// A window's name: letters, digits and underscores.
bool IsWindowName(std::string_view word) {
    if (word.empty() || word.size() > 64) return false;
    for (char c : word) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x80 || !(std::isalnum(u) || c == '_')) return false;
    }
    return true;
}

std::string FormatEvent(const ScriptEvent& event) {
    std::string out = event.trigger == Trigger::AtMs        ? "at "
                      : event.trigger == Trigger::AfterPass ? "frame "
                                                            : "on " + event.window + " ";
    out += std::to_string(event.when);
    out += ' ';
    out += KeyNameOf(event.key);
    return out;
}

ScriptParse ParseScript(std::string_view text) {
    ScriptParse result;
    int line_number = 0;
    std::size_t pos = 0;
    auto fail = [&](const std::string& message) {
        result.ok = false;
        result.script.events.clear();
        result.error_line = line_number;
        result.error = "line " + std::to_string(line_number) + ": " + message;
        return result;
    };
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        ++line_number;
        pos = end + 1;

        std::size_t hash = line.find('#');
        if (hash != std::string_view::npos) line = line.substr(0, hash);
        std::vector<std::string_view> words = Words(line);
        if (words.empty()) continue;

        ScriptEvent event;
        event.line = line_number;
        std::string_view verb = words[0];
        if (EqualsIgnoringCase(verb, "on")) {
            if (words.size() < 4) return fail("too few words: the form is 'on WINDOW MS KEY'");
            if (words.size() > 4) {
                return fail("unexpected '" + Shown(words[4]) +
                            "' after the key (one key a line: 'on WINDOW MS KEY')");
            }
            if (!IsWindowName(words[1])) {
                return fail("bad window name '" + Shown(words[1]) +
                            "': letters, digits and underscores, as Title or Hyouka");
            }
            event.window = std::string(words[1]);
            words.erase(words.begin() + 1);
        }
        uint64_t limit = 0;
        const char* what = nullptr;
        if (!event.window.empty()) {
            event.trigger = Trigger::OnWindow;
            limit = kMaxScriptMs;
            what = "time";
        } else if (EqualsIgnoringCase(verb, "at")) {
            event.trigger = Trigger::AtMs;
            limit = kMaxScriptMs;
            what = "time";
        } else if (EqualsIgnoringCase(verb, "frame")) {
            event.trigger = Trigger::AfterPass;
            limit = kMaxScriptPass;
            what = "frame";
        } else {
            return fail("unknown event '" + Shown(verb) +
                        "' (a line is 'at MS KEY', 'frame N KEY' or 'on WINDOW MS KEY')");
        }
        const std::string form = event.trigger == Trigger::AtMs        ? "at MS KEY"
                                 : event.trigger == Trigger::AfterPass ? "frame N KEY"
                                                                       : "on WINDOW MS KEY";
        if (words.size() < 3) return fail("too few words: the form is '" + form + "'");
        if (words.size() > 3) {
            return fail("unexpected '" + Shown(words[3]) + "' after the key (one key a line: '" +
                        form + "')");
        }
        std::optional<uint64_t> when = WholeNumber(words[1], limit);
        if (!when) {
            return fail("bad " + std::string(what) + " '" + Shown(words[1]) +
                        "': a whole number from " +
                        (event.trigger == Trigger::AfterPass ? "1" : "0") + " to " +
                        std::to_string(limit));
        }
        if (event.trigger == Trigger::AfterPass && *when == 0) {
            return fail("frame 0: the play loop's passes count from 1");
        }
        event.when = *when;
        std::optional<int16_t> key = KeyCodeOf(words[2]);
        if (!key) return fail("unknown key '" + Shown(words[2]) + "' (" + kKeyList + ")");
        event.key = *key;
        result.script.events.push_back(event);
    }
    result.ok = true;
    return result;
}

}  // namespace demo
