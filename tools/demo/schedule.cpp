// The runner's schedule of scripted keys, gamepad actions and screenshots.
#include "demo/schedule.h"

#include <algorithm>
#include <limits>

namespace demo {

namespace {

constexpr uint64_t kUsPerMs = 1000;

uint64_t MsToUs(uint64_t ms) {
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max() / kUsPerMs;
    return ms >= kMax ? std::numeric_limits<uint64_t>::max() : ms * kUsPerMs;
}

uint64_t SaturatingAdd(uint64_t a, uint64_t b) {
    return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max()
                                                        : a + b;
}

}  // namespace

Schedule::Schedule(const Script& script, const Options& options)
    : grace_us_(MsToUs(options.grace_ms)), limit_us_(MsToUs(options.max_ms)) {
    for (const ScriptEvent& e : script.events) {
        const bool pad = e.pad.kind != PadAction::Kind::None;
        Action a{pad ? Action::Kind::Pad : Action::Kind::Key, e.key, "", e.when, e.pad};
        switch (e.trigger) {
            case Trigger::AtMs:
                timed_.push_back(a);
                break;
            case Trigger::AfterPass:
                passes_.push_back(a);
                break;
            case Trigger::OnWindow:
                waiting_.push_back(WindowEvent{e.window, a});
                break;
        }
    }
    for (const ShotRequest& s : options.time_shots) {
        timed_.push_back(Action{Action::Kind::ScreenShot, 0, s.path, s.when});
    }
    // Shots of a pass come before its keys: they show the pass as drawn.
    std::vector<Action> pass_actions;
    for (const ShotRequest& s : options.frame_shots) {
        pass_actions.push_back(Action{Action::Kind::FieldShot, 0, s.path, s.when});
    }
    pass_actions.insert(pass_actions.end(), passes_.begin(), passes_.end());
    passes_ = std::move(pass_actions);
    auto by_when = [](const Action& a, const Action& b) { return a.when < b.when; };
    std::stable_sort(timed_.begin(), timed_.end(), by_when);
    std::stable_sort(passes_.begin(), passes_.end(), by_when);
}

bool Schedule::Exhausted() const {
    return next_timed_ == timed_.size() && next_pass_ == passes_.size() && waiting_.empty();
}

void Schedule::WindowShown(const std::string& name, uint64_t now_us) {
    if (std::find(windows_seen_.begin(), windows_seen_.end(), name) != windows_seen_.end()) return;
    windows_seen_.push_back(name);
    // Due at whole milliseconds, never before the window came.
    const uint64_t shown_ms = (now_us + kUsPerMs - 1) / kUsPerMs;
    std::vector<Action> due;
    for (auto it = waiting_.begin(); it != waiting_.end();) {
        if (it->window == name) {
            Action a = it->action;
            a.when = SaturatingAdd(shown_ms, a.when);
            due.push_back(a);
            it = waiting_.erase(it);
        } else {
            ++it;
        }
    }
    if (due.empty()) return;
    timed_.insert(timed_.end(), due.begin(), due.end());
    auto by_when = [](const Action& a, const Action& b) { return a.when < b.when; };
    std::stable_sort(timed_.begin() + static_cast<std::ptrdiff_t>(next_timed_), timed_.end(), by_when);
}

uint64_t Schedule::NextWakeUs() const {
    uint64_t wake = limit_us_;
    if (next_timed_ < timed_.size()) {
        wake = std::min(wake, MsToUs(timed_[next_timed_].when));
    } else if (Exhausted()) {
        wake = std::min(wake, SaturatingAdd(last_event_us_, grace_us_));
    }
    return wake;
}

std::vector<Action> Schedule::TakeDue(uint64_t now_us) {
    std::vector<Action> due;
    while (next_timed_ < timed_.size() && MsToUs(timed_[next_timed_].when) <= now_us) {
        due.push_back(timed_[next_timed_++]);
    }
    if (!due.empty()) last_event_us_ = now_us;
    return due;
}

std::vector<Action> Schedule::TakePass(uint64_t pass, uint64_t now_us) {
    std::vector<Action> due;
    while (next_pass_ < passes_.size() && passes_[next_pass_].when <= pass) {
        due.push_back(passes_[next_pass_++]);
    }
    // Shots first, then keys, whatever passes they were written for.
    std::stable_partition(due.begin(), due.end(), [](const Action& a) { return a.IsShot(); });
    if (!due.empty()) last_event_us_ = now_us;
    return due;
}

Stop Schedule::Check(uint64_t now_us) const {
    if (now_us >= limit_us_) return Stop::TimeLimit;
    if (Exhausted() && now_us >= SaturatingAdd(last_event_us_, grace_us_)) {
        return Stop::ScriptRanOut;
    }
    return Stop::None;
}

std::vector<Action> Schedule::PendingFieldShots() const {
    std::vector<Action> left;
    for (std::size_t i = next_pass_; i < passes_.size(); ++i) {
        if (passes_[i].kind == Action::Kind::FieldShot) left.push_back(passes_[i]);
    }
    return left;
}

}  // namespace demo
