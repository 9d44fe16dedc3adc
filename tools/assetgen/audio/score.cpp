// A piece of music as the generator composes it (see score.h).
#include "score.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <stdexcept>

#include "dsp.h"

namespace audiogen {
namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\n' || text[i] == '\t')) ++i;
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\n' && text[i] != '\t') ++i;
        if (i > start) out.push_back(text.substr(start, i - start));
    }
    return out;
}

// "C", "F#", "Bb" at the front of text → pitch class; advances `used`.
int LetterClass(std::string_view text, std::size_t* used) {
    static const int kClass[7] = {9, 11, 0, 2, 4, 5, 7};  // A..G
    if (text.empty() || text[0] < 'A' || text[0] > 'G')
        throw std::invalid_argument("not a note letter: '" + std::string(text) + "'");
    int pc = kClass[text[0] - 'A'];
    std::size_t i = 1;
    while (i < text.size() && (text[i] == '#' || text[i] == 'b')) {
        pc += text[i] == '#' ? 1 : -1;
        ++i;
    }
    *used = i;
    return (pc % 12 + 12) % 12;
}

struct Token {
    std::vector<int> pitches;  // empty: a rest
    int sixteenths = 0;
    char articulation = 0;  // '.', '-' or 0
    int accent = 0;         // +1 accented, -1 soft
};

Token ParseToken(std::string_view word) {
    Token t;
    const std::size_t slash = word.find('/');
    if (slash == std::string_view::npos)
        throw std::invalid_argument("a note needs a length: '" + std::string(word) + "'");
    std::string_view head = word.substr(0, slash);
    std::string_view tail = word.substr(slash + 1);
    std::size_t digits = 0;
    while (digits < tail.size() && tail[digits] >= '0' && tail[digits] <= '9') ++digits;
    if (digits == 0) throw std::invalid_argument("bad length in '" + std::string(word) + "'");
    t.sixteenths = std::atoi(std::string(tail.substr(0, digits)).c_str());
    for (char c : tail.substr(digits)) {
        if (c == '.' || c == '-')
            t.articulation = c;
        else if (c == '>')
            t.accent = 1;
        else if (c == '<')
            t.accent = -1;
        else
            throw std::invalid_argument("bad mark in '" + std::string(word) + "'");
    }
    if (head != "r")
        for (std::string_view p : Split(head, '+')) t.pitches.push_back(PitchOf(p));
    return t;
}

}  // namespace

std::vector<int> Chord::PitchClasses() const {
    std::vector<int> out;
    for (int i : intervals) {
        int pc = (root + i) % 12;
        if (std::find(out.begin(), out.end(), pc) == out.end()) out.push_back(pc);
    }
    if (std::find(out.begin(), out.end(), bass) == out.end()) out.push_back(bass);
    return out;
}

bool Chord::Contains(int pitch) const {
    auto pcs = PitchClasses();
    return std::find(pcs.begin(), pcs.end(), ((pitch % 12) + 12) % 12) != pcs.end();
}

Part& Piece::PartNamed(std::string_view name) {
    for (Part& p : parts)
        if (p.name == name) return p;
    throw std::invalid_argument("no part named " + std::string(name));
}

const Part* Piece::FindPart(std::string_view name) const {
    for (const Part& p : parts)
        if (p.name == name) return &p;
    return nullptr;
}

const Chord& Piece::ChordAt(int64_t tick) const {
    if (chords.empty()) throw std::logic_error(title + " has no chords");
    const TimedChord* found = &chords.front();
    for (const TimedChord& c : chords)
        if (c.tick <= tick) found = &c;
    return found->chord;
}

int PitchOf(std::string_view name) {
    static const int kNatural[7] = {9, 11, 0, 2, 4, 5, 7};  // A..G
    if (name.empty() || name[0] < 'A' || name[0] > 'G')
        throw std::invalid_argument("not a note: '" + std::string(name) + "'");
    // The written octave holds for the letter; accidentals move from there
    // (B#4 is C5, Cb5 is B4).
    int pitch = kNatural[name[0] - 'A'];
    std::size_t i = 1;
    for (; i < name.size() && (name[i] == '#' || name[i] == 'b'); ++i) pitch += name[i] == '#' ? 1 : -1;
    std::string_view octave = name.substr(i);
    if (octave.size() != 1 || octave[0] < '0' || octave[0] > '9')
        throw std::invalid_argument("bad octave in note '" + std::string(name) + "'");
    pitch += (octave[0] - '0' + 1) * 12;
    if (pitch < 0 || pitch > 127) throw std::invalid_argument("note out of range: " + std::string(name));
    return pitch;
}

std::string PitchName(int pitch) {
    static const char* kNames[12] = {"C", "C#", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"};
    return std::string(kNames[pitch % 12]) + std::to_string(pitch / 12 - 1);
}

Chord ParseChord(std::string_view symbol) {
    Chord c;
    c.symbol = std::string(symbol);
    std::size_t used = 0;
    std::string_view main = symbol;
    const std::size_t slash = symbol.find('/');
    if (slash != std::string_view::npos) main = symbol.substr(0, slash);
    c.root = LetterClass(main, &used);
    const std::string quality(main.substr(used));
    static const std::map<std::string, std::vector<int>> kQualities = {
        {"", {0, 4, 7}},          {"m", {0, 3, 7}},         {"7", {0, 4, 7, 10}},
        {"maj7", {0, 4, 7, 11}},  {"m7", {0, 3, 7, 10}},    {"6", {0, 4, 7, 9}},
        {"m6", {0, 3, 7, 9}},     {"sus4", {0, 5, 7}},      {"sus2", {0, 2, 7}},
        {"7sus4", {0, 5, 7, 10}}, {"dim", {0, 3, 6}},       {"dim7", {0, 3, 6, 9}},
        {"aug", {0, 4, 8}},       {"add9", {0, 4, 7, 14}},  {"9", {0, 4, 7, 10, 14}},
        {"m9", {0, 3, 7, 10, 14}}, {"maj9", {0, 4, 7, 11, 14}}, {"m7b5", {0, 3, 6, 10}},
    };
    auto it = kQualities.find(quality);
    if (it == kQualities.end())
        throw std::invalid_argument("unknown chord quality in '" + std::string(symbol) + "'");
    c.intervals = it->second;
    c.bass = c.root;
    if (slash != std::string_view::npos) c.bass = LetterClass(symbol.substr(slash + 1), &used);
    return c;
}

std::vector<TimedChord> ParseProgression(std::string_view text, int64_t start,
                                         int64_t ticks_per_bar) {
    std::vector<TimedChord> out;
    int64_t bar_tick = start;
    for (std::string_view bar : Split(text, '|')) {
        auto words = Words(bar);
        if (words.empty()) throw std::invalid_argument("an empty bar in '" + std::string(text) + "'");
        const int64_t each = ticks_per_bar / static_cast<int64_t>(words.size());
        for (std::size_t i = 0; i < words.size(); ++i)
            out.push_back({bar_tick + static_cast<int64_t>(i) * each, each, ParseChord(words[i])});
        bar_tick += ticks_per_bar;
    }
    return out;
}

int64_t AddLine(Part& part, int64_t start, std::string_view line, int velocity, int transpose) {
    int64_t tick = start;
    for (std::string_view word : Words(line)) {
        const Token t = ParseToken(word);
        const int64_t length = int64_t{t.sixteenths} * kTicksPerSixteenth;
        int64_t sounding = length * 9 / 10;
        if (t.articulation == '.') sounding = length / 2;
        if (t.articulation == '-') sounding = length;
        int v = velocity + t.accent * 16;
        // The first note of each beat leans a little; offbeats are lighter.
        if ((tick - start) % kTicksPerQuarter != 0) v -= 6;
        for (int p : t.pitches)
            part.notes.push_back({tick, sounding, p + transpose, std::clamp(v, 1, 127)});
        tick += length;
    }
    return tick;
}

int LineSixteenths(std::string_view line) {
    int total = 0;
    for (std::string_view word : Words(line)) total += ParseToken(word).sixteenths;
    return total;
}

void AddBars(Part& part, const Piece& piece, int first_bar, int bars, std::string_view line,
             int velocity, int transpose) {
    const int have = LineSixteenths(line);
    const int want = bars * piece.beats_per_bar * 4;
    if (have != want)
        throw std::invalid_argument(piece.title + ", part " + part.name + " at bar " +
                                    std::to_string(first_bar + 1) + ": the line lasts " +
                                    std::to_string(have) + " sixteenths, not " + std::to_string(want));
    AddLine(part, piece.BarTick(first_bar), line, velocity, transpose);
}

int AddSection(Piece& piece, std::string name, std::string_view chords) {
    const int first = piece.bars;
    auto timed = ParseProgression(chords, piece.BarTick(first), piece.TicksPerBar());
    const int bars = static_cast<int>((timed.back().tick - piece.BarTick(first)) / piece.TicksPerBar()) + 1;
    piece.chords.insert(piece.chords.end(), timed.begin(), timed.end());
    piece.sections.push_back({std::move(name), first, bars});
    piece.bars += bars;
    return first;
}

int DiatonicShift(int pitch, int steps, int tonic) {
    static const int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
    const int rel = pitch - tonic;
    int octave = (rel >= 0 ? rel : rel - 11) / 12;
    const int within = rel - octave * 12;
    int degree = 0;
    for (int d = 0; d < 7; ++d)
        if (kMajor[d] <= within) degree = d;
    const int chromatic = within - kMajor[degree];
    int target = degree + steps;
    octave += (target >= 0 ? target : target - 6) / 7;
    target = ((target % 7) + 7) % 7;
    return tonic + octave * 12 + kMajor[target] + chromatic;
}

void AddDrumBar(Part& part, int64_t bar_tick, int64_t ticks_per_bar,
                const std::vector<DrumLane>& lanes, int velocity_scale) {
    for (const DrumLane& lane : lanes) {
        const int64_t steps = static_cast<int64_t>(lane.pattern.size());
        if (steps == 0) continue;
        for (int64_t i = 0; i < steps; ++i) {
            int v = 0;
            switch (lane.pattern[static_cast<std::size_t>(i)]) {
                case 'X': v = 118; break;
                case 'x': v = 96; break;
                case 'o': v = 70; break;
                case 'g': v = 44; break;
                case '.': case '-': continue;
                default:
                    throw std::invalid_argument("bad drum step in '" + std::string(lane.pattern) + "'");
            }
            const int64_t tick = bar_tick + ticks_per_bar * i / steps;
            part.notes.push_back({tick, kTicksPerSixteenth, lane.key,
                                  std::clamp(v * velocity_scale / 100, 1, 127)});
        }
    }
}

std::vector<int> VoiceChord(const Chord& chord, int low, int high,
                            const std::vector<int>& previous) {
    const std::vector<int> pcs = [&] {
        std::vector<int> v;
        for (int i : chord.intervals) {
            int pc = (chord.root + i) % 12;
            if (std::find(v.begin(), v.end(), pc) == v.end()) v.push_back(pc);
        }
        return v;
    }();
    // Every way to place each pitch class once in the range, no wider than
    // an octave and a fourth.
    std::vector<std::vector<int>> options(pcs.size());
    for (std::size_t i = 0; i < pcs.size(); ++i)
        for (int p = low; p <= high; ++p)
            if (p % 12 == pcs[i]) options[i].push_back(p);
    std::vector<int> best;
    double best_score = 1e18;
    std::vector<int> pick(pcs.size());
    const double middle = (low + high) / 2.0;
    auto visit = [&](auto&& self, std::size_t i) -> void {
        if (i == pcs.size()) {
            std::vector<int> v = pick;
            std::sort(v.begin(), v.end());
            if (v.back() - v.front() > 17) return;
            double score = 0;
            if (previous.size() == v.size()) {
                for (std::size_t k = 0; k < v.size(); ++k) score += std::abs(v[k] - previous[k]);
            } else {
                double mean = 0;
                for (int p : v) mean += p;
                mean /= static_cast<double>(v.size());
                const double target = previous.empty() ? middle : [&] {
                    double m = 0;
                    for (int p : previous) m += p;
                    return m / static_cast<double>(previous.size());
                }();
                score = std::fabs(mean - target) * static_cast<double>(v.size());
            }
            score += 0.01 * (v.back() - v.front());  // prefer close voicings on ties
            if (score < best_score) {
                best_score = score;
                best = v;
            }
            return;
        }
        for (int p : options[i]) {
            if (std::find(pick.begin(), pick.begin() + static_cast<std::ptrdiff_t>(i), p) !=
                pick.begin() + static_cast<std::ptrdiff_t>(i))
                continue;
            pick[i] = p;
            self(self, i + 1);
        }
    };
    visit(visit, 0);
    if (best.empty())
        throw std::invalid_argument("no voicing of " + chord.symbol + " between " +
                                    PitchName(low) + " and " + PitchName(high));
    return best;
}

void Humanise(Part& part, uint64_t seed, int timing, int velocity, int64_t ticks_per_bar) {
    Random random(seed);
    for (Note& n : part.notes) {
        const int shift = random.Int(-timing, timing);
        const int dv = random.Int(-velocity, velocity);
        if (n.tick % ticks_per_bar != 0) n.tick = std::max<int64_t>(0, n.tick + shift);
        n.velocity = std::clamp(n.velocity + dv, 1, 127);
    }
}

void Tidy(Part& part, int64_t end) {
    auto& notes = part.notes;
    std::stable_sort(notes.begin(), notes.end(), [](const Note& a, const Note& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.pitch < b.pitch;
    });
    for (std::size_t i = 0; i < notes.size(); ++i) {
        Note& n = notes[i];
        n.length = std::min(n.length, end - n.tick);
        for (std::size_t j = i + 1; j < notes.size(); ++j) {
            if (notes[j].tick >= n.tick + n.length) break;
            if (notes[j].pitch == n.pitch) {
                n.length = notes[j].tick - n.tick;
                break;
            }
        }
    }
    notes.erase(std::remove_if(notes.begin(), notes.end(),
                               [&](const Note& n) { return n.length <= 0 || n.tick >= end; }),
                notes.end());
}

namespace {

bool OnBeat(int64_t tick) {
    const int64_t off = tick % kTicksPerQuarter;
    return off <= 12 || off >= kTicksPerQuarter - 12;
}

int64_t NearestBeat(int64_t tick) {
    return (tick + kTicksPerQuarter / 2) / kTicksPerQuarter * kTicksPerQuarter;
}

}  // namespace

double ChordToneShare(const Piece& piece, std::string_view name) {
    const Part* part = piece.FindPart(name);
    if (!part) return 0;
    int on_beat = 0;
    int chord_tones = 0;
    for (const Note& n : part->notes) {
        if (!OnBeat(n.tick)) continue;
        ++on_beat;
        if (piece.ChordAt(NearestBeat(n.tick)).Contains(n.pitch)) ++chord_tones;
    }
    return on_beat ? static_cast<double>(chord_tones) / on_beat : 0.0;
}

std::string Describe(const Piece& piece, std::string_view melody_part) {
    std::ostringstream out;
    char line[160];
    std::snprintf(line, sizeof line, "%s: %d bars of %d/4 at %.0f a minute, %.2f s\n",
                  piece.title.c_str(), piece.bars, piece.beats_per_bar, piece.bpm,
                  piece.LengthSeconds());
    out << line;
    for (const Part& p : piece.parts) {
        std::snprintf(line, sizeof line, "  part %-8s channel %2d program %3d: %zu notes\n",
                      p.name.c_str(), p.channel + 1, p.program, p.notes.size());
        out << line;
    }
    const Part* melody = piece.FindPart(melody_part);
    for (const Section& s : piece.sections) {
        out << "  [" << s.name << "] bars " << s.first_bar + 1 << "-" << s.first_bar + s.bars << "\n";
        for (int bar = s.first_bar; bar < s.first_bar + s.bars; ++bar) {
            const int64_t from = piece.BarTick(bar);
            const int64_t to = from + piece.TicksPerBar();
            std::string chords;
            for (const TimedChord& c : piece.chords)
                if (c.tick >= from && c.tick < to) chords += c.chord.symbol + " ";
            std::snprintf(line, sizeof line, "    %3d  %-14s", bar + 1, chords.c_str());
            out << line;
            if (melody) {
                for (const Note& n : melody->notes) {
                    if (n.tick < from || n.tick >= to) continue;
                    // Upper case: a chord tone on a beat; lower case elsewhere.
                    std::string name = PitchName(n.pitch);
                    const bool tone =
                        piece.ChordAt(OnBeat(n.tick) ? NearestBeat(n.tick) : n.tick).Contains(n.pitch);
                    if (!tone)
                        for (char& ch : name) ch = static_cast<char>(std::tolower(ch));
                    out << name << (OnBeat(n.tick) ? "' " : " ");
                }
            }
            out << "\n";
        }
    }
    std::snprintf(line, sizeof line, "  chord tones on the beat in %s: %.0f%%\n",
                  std::string(melody_part).c_str(), 100 * ChordToneShare(piece, melody_part));
    out << line;
    return out.str();
}

}  // namespace audiogen
