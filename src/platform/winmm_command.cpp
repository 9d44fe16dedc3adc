// The multimedia stand-in: the MCI command-string parser.
#include <cctype>

#include "platform/audio_backend.h"
#include "platform/winmm.h"

namespace winmm {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Removes a last word equal to `word` (after at least one blank); true if
// it was there.
bool StripLastWord(std::string_view& s, std::string_view word) {
    if (s.size() <= word.size()) return false;
    std::string_view tail = s.substr(s.size() - word.size());
    if (!EqualsNoCase(tail, word) || !IsBlank(s[s.size() - word.size() - 1])) return false;
    s = Trim(s.substr(0, s.size() - word.size()));
    return true;
}

// The position of the last blank-delimited "alias" keyword in s, or npos.
std::size_t FindLastAliasKeyword(std::string_view s) {
    constexpr std::string_view kAlias = "alias";
    if (s.size() < kAlias.size() + 1) return std::string_view::npos;
    for (std::size_t i = s.size() - kAlias.size() - 1;; --i) {
        if ((i == 0 || IsBlank(s[i - 1])) && IsBlank(s[i + kAlias.size()]) &&
            EqualsNoCase(s.substr(i, kAlias.size()), kAlias))
            return i;
        if (i == 0) return std::string_view::npos;
    }
}

bool HasBlank(std::string_view s) {
    for (char c : s)
        if (IsBlank(c)) return true;
    return false;
}

}  // namespace

MciCommand ParseMciCommand(std::string_view text) {
    MciCommand cmd;
    // A command may carry a NUL from a fixed buffer: it ends there.
    if (auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    std::string_view s = Trim(text);
    if (s.empty()) {
        cmd.error = MCIERR_MISSING_COMMAND_STRING;
        return cmd;
    }
    std::size_t verb_end = 0;
    while (verb_end < s.size() && !IsBlank(s[verb_end])) ++verb_end;
    std::string_view verb = s.substr(0, verb_end);
    std::string_view rest = Trim(s.substr(verb_end));

    if (EqualsNoCase(verb, "open")) {
        cmd.verb = MciVerb::kOpen;
    } else if (EqualsNoCase(verb, "play")) {
        cmd.verb = MciVerb::kPlay;
    } else if (EqualsNoCase(verb, "close")) {
        cmd.verb = MciVerb::kClose;
    } else {
        cmd.error = MCIERR_UNRECOGNIZED_COMMAND;
        return cmd;
    }

    if (EqualsNoCase(rest, "notify")) rest = {};
    cmd.notify = StripLastWord(rest, "notify");
    if (rest.empty()) {
        cmd.error = MCIERR_MISSING_DEVICE_NAME;
        return cmd;
    }

    if (cmd.verb == MciVerb::kOpen) {
        std::size_t at = FindLastAliasKeyword(rest);
        if (at != std::string_view::npos) {
            std::string_view path = Trim(rest.substr(0, at));
            std::string_view alias = Trim(rest.substr(at + 5));
            if (alias.empty()) {
                cmd.error = MCIERR_MISSING_STRING_ARGUMENT;
                return cmd;
            }
            if (HasBlank(alias)) {
                cmd.error = MCIERR_UNRECOGNIZED_KEYWORD;
                return cmd;
            }
            if (path.empty()) {
                cmd.error = MCIERR_MISSING_DEVICE_NAME;
                return cmd;
            }
            cmd.target = std::string(path);
            cmd.alias = std::string(alias);
            return cmd;
        }
    }
    cmd.target = std::string(rest);
    return cmd;
}

}  // namespace winmm
