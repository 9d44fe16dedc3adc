// The bot's plans as runner scripts.
#include "bot/run_script.h"

#include <algorithm>
#include <string>

#include "demo/script.h"

namespace bot {

namespace {

constexpr std::string_view kExpectPrefix = "# expect: ";

std::string EventText(demo::Trigger trigger, uint64_t when, int16_t key) {
    demo::ScriptEvent e;
    e.trigger = trigger;
    e.when = when;
    e.key = key;
    return demo::FormatEvent(e);
}

}  // namespace

int NewGameKeyMs() {
    const int ticks = (500 + kTitleMaskWidth) / 12 + 1;
    // A margin of four ticks after the menu has appeared.
    return kStoryKeyMs + (ticks + 4) * kTitleTickMs;
}

std::string ScriptText(const std::vector<std::string>& comments, const Plan& plan,
                       const std::vector<std::string>& closing) {
    std::string out;
    for (const std::string& c : comments) out += c.empty() ? "#\n" : "# " + c + "\n";
    out += "\n";
    out += EventText(demo::Trigger::AtMs, static_cast<uint64_t>(kStoryKeyMs), 32) +
           "          # the story ends, the title opens\n";
    out += EventText(demo::Trigger::AtMs, static_cast<uint64_t>(NewGameKeyMs()), 13) +
           "        # New Game, once the menu shows\n\n";
    for (const KeyPress& p : plan)
        out += EventText(demo::Trigger::AfterPass, static_cast<uint64_t>(p.pass), p.key) +
               "\n";
    if (!closing.empty()) out += "\n";
    for (const std::string& line : closing) out += line + "\n";
    return out;
}

bool PlanOfScript(std::string_view text, Plan* plan, std::string* error) {
    demo::ScriptParse parse = demo::ParseScript(text);
    if (!parse.ok) {
        *error = parse.error;
        return false;
    }
    plan->clear();
    for (const demo::ScriptEvent& e : parse.script.events) {
        if (e.trigger != demo::Trigger::AfterPass) continue;
        if (e.pad.kind != demo::PadAction::Kind::None) {
            *error = "line " + std::to_string(e.line) + ": the bot plays keys, not the gamepad ('" +
                     demo::FormatEvent(e) + "')";
            return false;
        }
        plan->push_back({static_cast<int32_t>(e.when), e.key});
    }
    // The runner takes the keys of a pass in the order written.
    std::stable_sort(plan->begin(), plan->end(),
                     [](const KeyPress& a, const KeyPress& b) { return a.pass < b.pass; });
    return true;
}

std::string ExpectLine(const Expectations& expected) {
    std::string out(kExpectPrefix.substr(2));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (i > 0) out += ", ";
        out += expected[i].first + " " + expected[i].second;
    }
    return out;
}

std::optional<std::string> ExpectedValue(std::string_view script, std::string_view name) {
    std::size_t at = script.find(kExpectPrefix);
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view line = script.substr(at + kExpectPrefix.size());
    line = line.substr(0, line.find('\n'));
    while (!line.empty()) {
        std::string_view item = line.substr(0, line.find(','));
        line.remove_prefix(std::min(line.size(), item.size() + 1));
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        const std::size_t space = item.find(' ');
        if (space != std::string_view::npos && item.substr(0, space) == name)
            return std::string(item.substr(space + 1));
    }
    return std::nullopt;
}

}  // namespace bot
