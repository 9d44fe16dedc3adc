// The bot's plans as scripts of the runner (roofrider-demo), and back.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bot/search.h"

namespace bot {

// The front end up to the play, as the scripts open: a key ends the story
// at once and the title opens; its lettering slides in and the menu shows
// after floor((500 + w) / 12) + 1 ticks of its 50 ms timer, w the width of
// the title's mask (285 px); New Game is selected from the start, so one
// Return starts the play.
constexpr int kStoryKeyMs = 500;
constexpr int kTitleMaskWidth = 285;
constexpr int kTitleTickMs = 50;
int NewGameKeyMs();

// The whole run as a script: the comment lines (each written after "# "),
// the front end, one `frame N KEY` line a press, then `closing` lines as
// they are.
std::string ScriptText(const std::vector<std::string>& comments, const Plan& plan,
                       const std::vector<std::string>& closing = {});

// The play keys of a script (its `frame N KEY` lines, in the order the
// runner presses them); false with a message when the text is not a script.
bool PlanOfScript(std::string_view text, Plan* plan, std::string* error);

// What the bot expects of a script it wrote, as one comment line that the
// replay tests read back: "expect: name value, name value, ...".
using Expectations = std::vector<std::pair<std::string, std::string>>;
std::string ExpectLine(const Expectations& expected);
// The value of one name on a script's expect line, if there is one.
std::optional<std::string> ExpectedValue(std::string_view script, std::string_view name);

}  // namespace bot
