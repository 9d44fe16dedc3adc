// The bot's beam search and the plans it plays.
#include "bot/search.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "screens/hyouka.h"

namespace bot {

namespace {

// The loop's pace: one pass a tick of a 60 Hz grid.
constexpr int32_t kPassesPerSecond = 60;
// The pass whose drawing starts the play clock.
constexpr int32_t kClockStartPass = 199;

// A press of the plan being built: the presses of all states of the beam
// share their beginnings, so each is a link back to the one before.
struct Link {
    int32_t pass;
    int16_t key;
    int32_t prev;  // -1: the first press
};

// What becomes of a hero in the air if no key is pressed any more: he
// comes down on a roof (or reaches the finish), or he is lost in the pass
// given. A running hero counts as safe.
constexpr int32_t kFateSafe = 0;
constexpr int32_t kFateUnknown = -1;

struct Node {
    Snapshot s;
    int32_t link = -1;  // the last press, -1: none yet
    int32_t fate = kFateSafe;
};

bool Airborne(const Snapshot& s) { return s.PlayerState == 1 || s.PlayerState == 4; }

// Plays on from `s` (the state after `pass`) without keys until the hero
// stands on a roof again or is lost.
int32_t NoKeyFate(const Snapshot& s, int32_t pass, int64_t* steps) {
    Restore(s);
    constexpr int32_t kLongestFlight = 600;
    for (int32_t p = pass + 1; p <= pass + kLongestFlight; ++p) {
        const PassEnd end = AdvancePass();
        ++*steps;
        if (end == PassEnd::Finished) return kFateSafe;
        if (end != PassEnd::Playing || G.PlayerState == 2 || G.PlayerState == 3) return p;
        if (G.PlayerState == 0) return kFateSafe;
    }
    return kFateSafe;
}

constexpr int16_t kPlayKeys[] = {kKeySpace, kKeyN, kKeyM, kKeyV};

bool IsThrow(int16_t key) { return key == kKeySpace || key == kKeyN || key == kKeyM; }

// A pad the hero has still to reach: flying, or resting ahead of his back
// edge. The search throws no pad while one is live: a second pad on the
// same stretch of roof only multiplies the states.
bool LivePadAhead(const Snapshot& s) {
    for (const Pad& p : s.Pads) {
        if (p.State == 1) return true;
        if (p.State == 2 && p.X >= s.PlayerX) return true;
    }
    return false;
}

// The fields that decide what can still happen, rounded where a pixel more
// or less makes no difference; two states with the same key are merged and
// the one with the better score kept. The score itself is not part of it.
struct StateKey {
    std::array<int32_t, 40> v{};
    bool operator==(const StateKey& o) const { return v == o.v; }
};

struct StateKeyHash {
    std::size_t operator()(const StateKey& k) const {
        uint64_t h = 1469598103934665603ull;
        for (int32_t x : k.v) {
            h ^= static_cast<uint32_t>(x);
            h *= 1099511628211ull;
        }
        return static_cast<std::size_t>(h);
    }
};

int32_t Px(float v) { return static_cast<int32_t>(std::floor(v)); }

int32_t Bits(float v) {
    int32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

StateKey KeyOf(const Snapshot& s) {
    StateKey k;
    std::size_t i = 0;
    auto put = [&](int32_t x) { k.v[i++] = x; };
    put(s.PlayPhase);
    put(s.StartFrames);
    put(s.RespawnDelay);
    put(s.PadInFlight);
    put(s.PlayerState);
    put(s.BuildingIndex);
    put(s.Lives);
    put(Px(s.ScrollX));
    put(Px(s.PlayerX));
    put(Px(s.PlayerY));
    put(Bits(s.ScrollSpeed));
    put(s.DashUsed);
    put(s.DashTimer);
    if (s.PlayerState != 0) {  // a running hero's last jump no longer matters
        put(Px(s.JumpAngle));
        put(Px(s.JumpStartY));
        put(Px(s.JumpBoost));
        put(s.LastPadKind);
    } else {
        i += 4;
    }
    put(static_cast<int32_t>(s.ItemsTaken & 0xFFFFFFFFu));
    put(static_cast<int32_t>(s.ItemsTaken >> 32));
    for (const Pad& p : s.Pads) {
        put(p.State == 0 ? 0 : 1);
        const bool live = p.State == 1 || (p.State == 2 && p.X >= s.PlayerX);
        if (p.State == 0) {
            i += 4;
        } else if (live) {
            put(p.Kind);
            put(Px(p.X));
            put(Px(p.Y));
            put(Px(p.Angle));
        } else {
            // Passed or fallen: it only holds its slot until it is gone.
            i += 4;
        }
    }
    return k;
}

int32_t ProjectedTimeBonus(const Snapshot& s, int32_t pass) {
    const double speed = s.ScrollSpeed > 0.5f ? s.ScrollSpeed : 0.5;
    const double course_end = G.CourseWidth - 800;
    const double left = std::max(0.0, course_end - s.ScrollX) + std::max(0.0, 704.0 - s.PlayerX);
    const int32_t finish = pass + static_cast<int32_t>(left / speed);
    const int32_t ms = ClockMsAtFinish(finish);
    return TimeBonus(static_cast<int16_t>(ms / 60000), static_cast<int16_t>(ms / 1000 % 60),
                     static_cast<int16_t>(ms % 1000 / 10));
}

// What the beam prefers: the score the evaluation would give if the play
// went on as it is, then progress along the course.
struct Rank {
    int32_t value;
    bool safe;  // lands without another key
    float progress;
};

Rank RankOf(const Node& n, int32_t pass) {
    return {static_cast<int32_t>(n.s.Score) + LivesBonus(n.s.Lives) + ProjectedTimeBonus(n.s, pass),
            n.fate == kFateSafe, n.s.ScrollX + n.s.PlayerX};
}

// The situation a state is in, for sharing the beam out.
uint64_t ClassOf(const Snapshot& s) {
    return static_cast<uint64_t>(static_cast<uint32_t>(Bits(s.ScrollSpeed))) << 32 |
           static_cast<uint64_t>(static_cast<uint16_t>(s.BuildingIndex)) << 16 |
           static_cast<uint64_t>(s.PlayerState & 0xFF) << 8 | static_cast<uint64_t>(s.Lives & 0xFF);
}

bool Better(const Rank& a, const Rank& b) {
    if (a.value != b.value) return a.value > b.value;
    if (a.safe != b.safe) return a.safe;
    return a.progress > b.progress;
}

Plan PlanOf(const std::vector<Link>& links, int32_t link) {
    Plan plan;
    for (int32_t l = link; l >= 0; l = links[static_cast<std::size_t>(l)].prev)
        plan.push_back({links[static_cast<std::size_t>(l)].pass, links[static_cast<std::size_t>(l)].key});
    std::reverse(plan.begin(), plan.end());
    return plan;
}

// Drops the links no state of the beam leads back to, renumbering the rest.
void CollectLinks(std::vector<Link>& links, std::vector<Node>& beam) {
    std::vector<int32_t> renumber(links.size(), -1);
    for (const Node& n : beam)
        for (int32_t l = n.link; l >= 0 && renumber[static_cast<std::size_t>(l)] == -1;
             l = links[static_cast<std::size_t>(l)].prev)
            renumber[static_cast<std::size_t>(l)] = 0;
    std::vector<Link> kept;
    for (std::size_t l = 0; l < links.size(); ++l) {
        if (renumber[l] == -1) continue;
        renumber[l] = static_cast<int32_t>(kept.size());
        Link link = links[l];
        if (link.prev >= 0) link.prev = renumber[static_cast<std::size_t>(link.prev)];
        kept.push_back(link);
    }
    for (Node& n : beam)
        if (n.link >= 0) n.link = renumber[static_cast<std::size_t>(n.link)];
    links = std::move(kept);
}

}  // namespace

PlanCounts CountKeys(const Plan& plan) {
    PlanCounts c;
    for (const KeyPress& p : plan) {
        if (p.key == kKeySpace) ++c.low;
        if (p.key == kKeyN) ++c.middle;
        if (p.key == kKeyM) ++c.high;
        if (p.key == kKeyV) ++c.dashes;
    }
    return c;
}

int32_t ClockMsAtFinish(int32_t finish_pass) {
    const int64_t ticks = std::max<int64_t>(0, int64_t{finish_pass} - 1 - kClockStartPass);
    return static_cast<int32_t>(ticks * 1000 / kPassesPerSecond);
}

Evaluation Evaluate(int32_t finish_pass, Long score, Integer lives) {
    Evaluation e;
    e.clock_ms = ClockMsAtFinish(finish_pass);
    e.minutes = static_cast<int16_t>(e.clock_ms / 60000);
    e.seconds = static_cast<int16_t>(e.clock_ms / 1000 % 60);
    e.centis = static_cast<int16_t>(e.clock_ms % 1000 / 10);
    e.time_bonus = TimeBonus(e.minutes, e.seconds, e.centis);
    e.lives_bonus = LivesBonus(lives);
    e.final_score = static_cast<int32_t>(score) + e.time_bonus + e.lives_bonus;
    e.rank = RankFor(e.final_score);
    return e;
}

Outcome Play(const Snapshot& start, const Plan& plan, int32_t max_passes) {
    Restore(start);
    Outcome out;
    std::size_t next = 0;
    for (int32_t pass = 1; pass <= max_passes; ++pass) {
        out.passes = pass;
        PassEnd end = AdvancePass();
        if (end == PassEnd::LifeLost) ++out.lives_lost;
        if (end == PassEnd::Finished || end == PassEnd::GameOver) {
            if (end == PassEnd::GameOver) ++out.lives_lost;
            out.end = end;
            break;
        }
        while (next < plan.size() && plan[next].pass <= pass) PressKey(plan[next++].key);
    }
    out.score = G.Score;
    out.lives = G.Lives;
    return out;
}

Outcome PlayUntilGameOver(const Snapshot& start, const Plan& plan, std::size_t kept,
                          int32_t max_passes) {
    Plan prefix(plan.begin(), plan.begin() + static_cast<std::ptrdiff_t>(std::min(kept, plan.size())));
    return Play(start, prefix, max_passes);
}

SearchResult SearchWin(const Snapshot& start, const SearchSettings& settings) {
    SearchResult best;
    std::vector<Link> links;
    std::vector<Node> beam{Node{start, -1}};
    std::vector<Node> next;
    std::unordered_map<StateKey, std::size_t, StateKeyHash> index;
    int32_t best_final = INT32_MIN;

    for (int32_t pass = 1; pass <= settings.max_passes && !beam.empty(); ++pass) {
        next.clear();
        index.clear();
        std::vector<Link> fresh;  // presses of this pass, linked once their state is kept
        auto offer = [&](const Snapshot& s, int32_t link, int32_t fate) {
            const StateKey key = KeyOf(s);
            auto [it, added] = index.try_emplace(key, next.size());
            if (added) {
                next.push_back(Node{s, link, fate});
            } else if (s.Score > next[it->second].s.Score) {
                next[it->second] = Node{s, link, fate};
            }
        };
        for (const Node& node : beam) {
            Restore(node.s);
            const PassEnd end = AdvancePass();
            ++best.passes_run;
            if (end == PassEnd::Finished) {
                const Evaluation e = Evaluate(pass, G.Score, G.Lives);
                if (e.final_score > best_final) {
                    best_final = e.final_score;
                    best.won = true;
                    best.plan = PlanOf(links, node.link);
                    best.finish_pass = pass;
                    best.score = G.Score;
                    best.lives = G.Lives;
                    best.final_score = e.final_score;
                }
                continue;
            }
            // A life lost ends the branch, and so does a hero beside a
            // wall or below a roof line he cannot reach any more.
            if (end != PassEnd::Playing || G.PlayerState == 2 || G.PlayerState == 3) continue;
            const Snapshot base = Save();
            // Without a key the state goes on along the same course as its
            // parent, so it shares the parent's fate.
            if (!Airborne(base))
                offer(base, node.link, kFateSafe);
            else
                offer(base, node.link, Airborne(node.s) ? node.fate : kFateUnknown);
            const bool may_throw = !LivePadAhead(base);
            for (int16_t key : kPlayKeys) {
                if (IsThrow(key) && !may_throw) continue;
                Restore(base);
                PressKey(key);
                const Snapshot pressed = Save();
                if (SameState(base, pressed)) continue;
                fresh.push_back(Link{pass, key, node.link});
                offer(pressed, -2 - static_cast<int32_t>(fresh.size() - 1),
                      Airborne(pressed) ? kFateUnknown : kFateSafe);
            }
        }
        // Keep the best states, but no more than a share of the beam from
        // one situation (speed, building, what the hero does, lives): the
        // best-scoring line of play is often the one that fails later. A
        // hero in the air who has used his dash can only come down where
        // his course takes him (a pad thrown now would only make him fall
        // faster): if that is not a roof, his state is dropped as it comes
        // up for keeping.
        {
            std::vector<std::pair<Rank, std::size_t>> order;
            order.reserve(next.size());
            for (std::size_t i = 0; i < next.size(); ++i) order.push_back({RankOf(next[i], pass), i});
            std::sort(order.begin(), order.end(),
                      [](const auto& a, const auto& b) { return Better(a.first, b.first); });
            std::unordered_map<uint64_t, int> per_class;
            const int cap = std::max(1, settings.width / settings.classes);
            std::vector<Node> kept;
            kept.reserve(std::min(next.size(), static_cast<std::size_t>(settings.width)));
            for (const auto& o : order) {
                Node& n = next[o.second];
                const uint64_t cls = ClassOf(n.s);
                auto it = per_class.find(cls);
                if (it != per_class.end() && it->second >= cap) continue;
                if (n.s.DashUsed != 0 && n.fate == kFateUnknown)
                    n.fate = NoKeyFate(n.s, pass, &best.passes_run);
                if (n.s.DashUsed != 0 && n.fate != kFateSafe) continue;
                ++per_class[cls];
                kept.push_back(n);
                if (static_cast<int>(kept.size()) >= settings.width) break;
            }
            next.swap(kept);
        }
        // Presses of kept states join the links.
        for (Node& n : next) {
            if (n.link <= -2) {
                const Link& l = fresh[static_cast<std::size_t>(-2 - n.link)];
                links.push_back(l);
                n.link = static_cast<int32_t>(links.size() - 1);
            }
        }
        beam.swap(next);
        if (pass % 200 == 0) {
            CollectLinks(links, beam);
            if (settings.verbose) {
                float far = 0;
                for (const Node& n : beam) far = std::max(far, n.s.ScrollX + n.s.PlayerX);
                std::fprintf(stderr, "pass %d: %zu states, %zu presses, furthest x %.0f\n", pass,
                             beam.size(), links.size(), static_cast<double>(far));
            }
        }
    }
    return best;
}

}  // namespace bot
