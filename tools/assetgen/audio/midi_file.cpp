// Standard MIDI files from a composed piece (see midi_file.h).
#include "midi_file.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace audiogen {
namespace {

using Bytes = std::vector<unsigned char>;

struct Event {
    int64_t tick;
    int order;  // at one tick: settings, then note-offs, then note-ons
    Bytes data;
};

void PutVarLen(Bytes& out, uint64_t v) {
    unsigned char tmp[10];
    int n = 0;
    do {
        tmp[n++] = static_cast<unsigned char>(v & 0x7F);
        v >>= 7;
    } while (v);
    while (n-- > 0) out.push_back(static_cast<unsigned char>(tmp[n] | (n ? 0x80 : 0)));
}

Bytes Meta(unsigned char type, const Bytes& body) {
    Bytes b = {0xFF, type};
    PutVarLen(b, body.size());
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Channel(unsigned char status, int channel, int a, int b = -1) {
    Bytes out = {static_cast<unsigned char>(status | channel), static_cast<unsigned char>(a)};
    if (b >= 0) out.push_back(static_cast<unsigned char>(b));
    return out;
}

// One track chunk from events (sorted here) with its end at end_tick.
Bytes Track(std::vector<Event> events, int64_t end_tick) {
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    Bytes body;
    int64_t now = 0;
    for (const Event& e : events) {
        if (e.tick > end_tick) throw std::logic_error("a MIDI event after the end of its track");
        PutVarLen(body, static_cast<uint64_t>(e.tick - now));
        body.insert(body.end(), e.data.begin(), e.data.end());
        now = e.tick;
    }
    PutVarLen(body, static_cast<uint64_t>(end_tick - now));
    body.insert(body.end(), {0xFF, 0x2F, 0x00});
    Bytes chunk = {'M', 'T', 'r', 'k'};
    const uint32_t len = static_cast<uint32_t>(body.size());
    for (int i = 3; i >= 0; --i) chunk.push_back(static_cast<unsigned char>(len >> (8 * i)));
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

}  // namespace

Bytes WriteMidi(const Piece& piece, int64_t end_tick) {
    if (end_tick < 0) end_tick = piece.EndTick();
    std::vector<Bytes> tracks;

    // The conductor track: name, metre, key and tempo at the start.
    const uint32_t tempo_us = static_cast<uint32_t>(std::lround(60e6 / piece.bpm));
    std::vector<Event> conductor = {
        {0, 0, Meta(0x03, Text(piece.title))},
        {0, 0, Meta(0x58, {static_cast<unsigned char>(piece.beats_per_bar), 2, 24, 8})},
        {0, 0, Meta(0x59, {static_cast<unsigned char>(static_cast<int8_t>(piece.key_sharps)), 0})},
        {0, 0, Meta(0x51, {static_cast<unsigned char>(tempo_us >> 16),
                           static_cast<unsigned char>(tempo_us >> 8),
                           static_cast<unsigned char>(tempo_us)})},
    };
    tracks.push_back(Track(conductor, end_tick));

    for (const Part& part : piece.parts) {
        if (part.channel < 0 || part.channel > 15) throw std::logic_error("bad MIDI channel");
        const int ch = part.channel;
        std::vector<Event> ev;
        ev.push_back({0, 0, Meta(0x03, Text(part.name))});
        ev.push_back({0, 0, Channel(0xB0, ch, 121, 0)});  // reset controllers
        if (ch != 9) {
            ev.push_back({0, 0, Channel(0xB0, ch, 0, 0)});   // bank 0
            ev.push_back({0, 0, Channel(0xB0, ch, 32, 0)});
        }
        ev.push_back({0, 0, Channel(0xC0, ch, part.program)});
        ev.push_back({0, 0, Channel(0xB0, ch, 7, part.volume)});
        ev.push_back({0, 0, Channel(0xB0, ch, 11, 127)});
        ev.push_back({0, 0, Channel(0xB0, ch, 10, part.pan)});
        ev.push_back({0, 0, Channel(0xB0, ch, 91, part.reverb)});
        ev.push_back({0, 0, Channel(0xB0, ch, 93, part.chorus)});
        for (const Controller& c : part.controllers)
            ev.push_back({c.tick, 1, Channel(0xB0, ch, c.number, c.value)});
        for (const Note& n : part.notes) {
            if (n.tick < 0 || n.length <= 0 || n.tick + n.length > end_tick)
                throw std::logic_error("a note outside its piece in part " + part.name);
            ev.push_back({n.tick, 3, Channel(0x90, ch, n.pitch, n.velocity)});
            ev.push_back({n.tick + n.length, 2, Channel(0x80, ch, n.pitch, 64)});
        }
        tracks.push_back(Track(std::move(ev), end_tick));
    }

    Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    file.push_back(static_cast<unsigned char>(tracks.size() >> 8));
    file.push_back(static_cast<unsigned char>(tracks.size()));
    file.push_back(static_cast<unsigned char>(kTicksPerQuarter >> 8));
    file.push_back(static_cast<unsigned char>(kTicksPerQuarter & 0xFF));
    for (const Bytes& t : tracks) file.insert(file.end(), t.begin(), t.end());
    return file;
}

}  // namespace audiogen
