// The runner's script parser: text to key and gamepad events.
#include "demo/script.h"

#include <array>
#include <cctype>
#include <cstdio>

#include "platform/virtual_pad.h"

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

const char kKeyList[] = "Return, Escape, Space, Left, Up, Right, Down, Shift, a letter A-Z, or pad:... stick:...";

bool StartsWithIgnoringCase(std::string_view word, std::string_view prefix) {
    return word.size() >= prefix.size() && EqualsIgnoringCase(word.substr(0, prefix.size()), prefix);
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

std::optional<int> ButtonNamed(std::string_view name) {
    const auto& names = forms::virtual_pad::kButtonNames;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (EqualsIgnoringCase(name, names[i])) return static_cast<int>(i);
    return std::nullopt;
}

// A stick's tilt from -1 to 1 with up to three decimals ("-1", "0.5",
// ".25"), in thousandths.
std::optional<int> Tilt(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? "" : text.substr(dot + 1);
    if ((whole.empty() && fraction.empty()) || whole.size() > 4 || fraction.size() > 3) return std::nullopt;
    int value = 0;
    for (char c : whole) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    int thousandths = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const char c = i < fraction.size() ? fraction[i] : '0';
        if (c < '0' || c > '9') return std::nullopt;
        thousandths = thousandths * 10 + (c - '0');
    }
    value = value * 1000 + thousandths;
    if (value > 1000) return std::nullopt;
    return negative ? -value : value;
}

std::string TiltText(int thousandths) {
    std::string out = thousandths < 0 ? "-" : "";
    const int magnitude = thousandths < 0 ? -thousandths : thousandths;
    out += std::to_string(magnitude / 1000);
    if (int rest = magnitude % 1000; rest != 0) {
        std::string digits = std::to_string(1000 + rest).substr(1);
        while (digits.back() == '0') digits.pop_back();
        out += "." + digits;
    }
    return out;
}

std::optional<PadAction> StickActionOf(const std::vector<std::string_view>& parts) {
    if (parts.size() != 3) return std::nullopt;
    PadAction a;
    a.kind = PadAction::Kind::Stick;
    if (EqualsIgnoringCase(parts[1], "right"))
        a.right_stick = true;
    else if (!EqualsIgnoringCase(parts[1], "left"))
        return std::nullopt;
    const std::vector<std::string_view> xy = Split(parts[2], ',');
    if (xy.size() != 2) return std::nullopt;
    const std::optional<int> x = Tilt(xy[0]), y = Tilt(xy[1]);
    if (!x || !y) return std::nullopt;
    a.x = *x;
    a.y = *y;
    return a;
}

std::optional<PadAction> ButtonActionOf(const std::vector<std::string_view>& parts) {
    PadAction a;
    if (parts.size() == 2 && EqualsIgnoringCase(parts[1], "plug")) {
        a.kind = PadAction::Kind::Plug;
        return a;
    }
    if (parts.size() == 2 && EqualsIgnoringCase(parts[1], "unplug")) {
        a.kind = PadAction::Kind::Unplug;
        return a;
    }
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    const std::optional<int> button = ButtonNamed(parts[1]);
    if (!button) return std::nullopt;
    a.button = *button;
    if (parts.size() == 2)
        a.kind = PadAction::Kind::Tap;
    else if (EqualsIgnoringCase(parts[2], "down"))
        a.kind = PadAction::Kind::Press;
    else if (EqualsIgnoringCase(parts[2], "up"))
        a.kind = PadAction::Kind::Release;
    else
        return std::nullopt;
    return a;
}

bool IsPadWord(std::string_view word) {
    return StartsWithIgnoringCase(word, "pad:") || StartsWithIgnoringCase(word, "stick:");
}

}  // namespace

std::optional<PadAction> PadActionOf(std::string_view word) {
    if (!IsPadWord(word)) return std::nullopt;
    const std::vector<std::string_view> parts = Split(word, ':');
    return StartsWithIgnoringCase(word, "pad:") ? ButtonActionOf(parts) : StickActionOf(parts);
}

std::string PadWordOf(const PadAction& action) {
    const std::string button =
        "pad:" + std::string(forms::virtual_pad::kButtonNames.at(static_cast<std::size_t>(action.button)));
    switch (action.kind) {
        case PadAction::Kind::Tap:
            return button;
        case PadAction::Kind::Press:
            return button + ":down";
        case PadAction::Kind::Release:
            return button + ":up";
        case PadAction::Kind::Stick:
            return std::string("stick:") + (action.right_stick ? "right:" : "left:") + TiltText(action.x) + "," +
                   TiltText(action.y);
        case PadAction::Kind::Plug:
            return "pad:plug";
        case PadAction::Kind::Unplug:
            return "pad:unplug";
        case PadAction::Kind::None:
            break;
    }
    return "";
}

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
    out += event.pad.kind == PadAction::Kind::None ? KeyNameOf(event.key) : PadWordOf(event.pad);
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
        if (IsPadWord(words[2])) {
            std::optional<PadAction> pad = PadActionOf(words[2]);
            if (!pad) {
                return fail("bad gamepad word '" + Shown(words[2]) +
                            "' (pad:BUTTON, pad:BUTTON:down, pad:BUTTON:up with SDL's button names, pad:plug, "
                            "pad:unplug, or stick:left:X,Y with X and Y from -1 to 1)");
            }
            event.pad = *pad;
        } else {
            std::optional<int16_t> key = KeyCodeOf(words[2]);
            if (!key) return fail("unknown key '" + Shown(words[2]) + "' (" + kKeyList + ")");
            event.key = *key;
        }
        result.script.events.push_back(event);
    }
    result.ok = true;
    return result;
}

}  // namespace demo
