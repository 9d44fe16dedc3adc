// Standard MIDI files from a composed piece: format 1, a conductor track
// (tempo, metre, key) and one track per part, every track ending at the
// same tick.
#pragma once

#include <cstdint>
#include <vector>

#include "score.h"

namespace audiogen {

// The file's bytes. Every track ends at `end_tick` (the piece's last bar
// line when -1); a later end adds silence for a synthesiser's tail.
std::vector<unsigned char> WriteMidi(const Piece& piece, int64_t end_tick = -1);

}  // namespace audiogen
