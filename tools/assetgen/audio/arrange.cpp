// Accompaniment from a piece's chords (see arrange.h).
#include "arrange.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace audiogen {
namespace {

// How many steps a strike at i lasts: itself and the '-' after it.
int HeldSteps(std::string_view pattern, std::size_t i) {
    int n = 1;
    while (i + static_cast<std::size_t>(n) < pattern.size() && pattern[i + static_cast<std::size_t>(n)] == '-') ++n;
    return n;
}

void CheckBars(const Piece& piece, int64_t from, int64_t to) {
    if (from % piece.TicksPerBar() != 0 || to % piece.TicksPerBar() != 0 || to < from)
        throw std::logic_error("accompaniment must start and end on bar lines");
}

// The lowest pitch of class pc at or above `low`.
int AtOrAbove(int pc, int low) {
    int p = low;
    while (((p % 12) + 12) % 12 != pc) ++p;
    return p;
}

// The chord at a tick; past the end the piece starts again.
const Chord& ChordLooping(const Piece& piece, int64_t tick) {
    return piece.ChordAt(tick >= piece.EndTick() ? tick - piece.EndTick() : tick);
}

}  // namespace

void AddStabs(Part& part, const Piece& piece, int64_t from, int64_t to, std::string_view rhythm,
              Range range, int velocity) {
    CheckBars(piece, from, to);
    const int64_t step = piece.TicksPerBar() / static_cast<int64_t>(rhythm.size());
    std::vector<int> previous;
    for (int64_t bar = from; bar < to; bar += piece.TicksPerBar()) {
        for (std::size_t i = 0; i < rhythm.size(); ++i) {
            const char c = rhythm[i];
            if (c != 'x' && c != 'X') continue;
            const int64_t tick = bar + static_cast<int64_t>(i) * step;
            const int held = HeldSteps(rhythm, i);
            const int64_t length = held == 1 ? step * 3 / 5 : held * step - step / 4;
            previous = VoiceChord(piece.ChordAt(tick), range.low, range.high, previous);
            const int v = velocity + (c == 'X' ? 14 : 0) - (i % 4 ? 6 : 0);
            for (int p : previous) part.notes.push_back({tick, length, p, std::clamp(v, 1, 127)});
        }
    }
}

void AddPad(Part& part, const Piece& piece, int64_t from, int64_t to, Range range, int velocity) {
    CheckBars(piece, from, to);
    std::vector<int> previous;
    for (const TimedChord& c : piece.chords) {
        const int64_t start = std::max(c.tick, from);
        const int64_t end = std::min(c.tick + c.length, to);
        if (start >= end) continue;
        previous = VoiceChord(c.chord, range.low, range.high, previous);
        for (int p : previous) part.notes.push_back({start, end - start - 8, p, velocity});
    }
}

void AddArpeggio(Part& part, const Piece& piece, int64_t from, int64_t to,
                 std::string_view pattern, Range range, int velocity) {
    CheckBars(piece, from, to);
    const int64_t step = piece.TicksPerBar() / static_cast<int64_t>(pattern.size());
    std::vector<int> voicing;
    const Chord* voiced = nullptr;
    for (int64_t bar = from; bar < to; bar += piece.TicksPerBar()) {
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            const char c = pattern[i];
            if (c < '0' || c > '9') continue;
            const int64_t tick = bar + static_cast<int64_t>(i) * step;
            const Chord& chord = piece.ChordAt(tick);
            if (voiced != &chord) {
                voicing = VoiceChord(chord, range.low, range.high, voicing);
                voiced = &chord;
            }
            const int d = c - '0';
            const int n = static_cast<int>(voicing.size());
            const int pitch = voicing[static_cast<std::size_t>(d % n)] + 12 * (d / n);
            const int held = HeldSteps(pattern, i);
            const int v = velocity - (i % 4 ? 8 : 0) + (i == 0 ? 6 : 0);
            part.notes.push_back({tick, held * step - 10, pitch, std::clamp(v, 1, 127)});
        }
    }
}

void AddBass(Part& part, const Piece& piece, int64_t from, int64_t to, std::string_view pattern,
             int low, int velocity) {
    CheckBars(piece, from, to);
    const int64_t step = piece.TicksPerBar() / static_cast<int64_t>(pattern.size());
    for (int64_t bar = from; bar < to; bar += piece.TicksPerBar()) {
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            const char c = pattern[i];
            if (c == '-' || c == '.') continue;
            const int64_t tick = bar + static_cast<int64_t>(i) * step;
            const Chord& chord = piece.ChordAt(tick);
            const int bass = AtOrAbove(chord.bass, low);
            auto above = [&](int interval) { return AtOrAbove((chord.root + interval) % 12, bass + 1); };
            int pitch = bass;
            switch (c) {
                case 'R': pitch = bass; break;
                case 'O': pitch = bass + 12; break;
                case 'F': pitch = above(7); break;
                case 'T': pitch = above(chord.intervals.size() > 1 ? chord.intervals[1] : 4); break;
                case 'S': {
                    const auto& iv = chord.intervals;
                    const bool has7 = std::find(iv.begin(), iv.end(), 10) != iv.end() ||
                                      std::find(iv.begin(), iv.end(), 11) != iv.end();
                    const bool major7 = std::find(iv.begin(), iv.end(), 11) != iv.end();
                    pitch = has7 ? above(major7 ? 11 : 10) : bass + 12;
                    break;
                }
                case 'A':
                case 'W': {
                    const Chord& next = ChordLooping(piece, bar + piece.TicksPerBar());
                    const int target = AtOrAbove(next.bass, low);
                    pitch = c == 'A' ? target - 1 : target + 2;
                    if (pitch < low) pitch += 12;
                    break;
                }
                default:
                    throw std::invalid_argument("bad bass step '" + std::string(1, c) + "'");
            }
            const int held = HeldSteps(pattern, i);
            const int64_t length = held * step - step / 5;
            const int v = velocity + (i % 4 == 0 ? 8 : 0) + (c == 'O' ? 6 : 0);
            part.notes.push_back({tick, length, pitch, std::clamp(v, 1, 127)});
        }
    }
}

void AddPedal(Part& part, const Piece& piece, int64_t from, int64_t to) {
    CheckBars(piece, from, to);
    for (const TimedChord& c : piece.chords) {
        if (c.tick < from || c.tick >= to) continue;
        part.controllers.push_back({c.tick + 20, 64, 127});
        part.controllers.push_back({std::min(c.tick + c.length, to) - 10, 64, 0});
    }
}

}  // namespace audiogen
