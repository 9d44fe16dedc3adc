// The two pieces the game plays as waves (the title's and the staff
// roll's), rendered from their MIDI with the game's soundfont.
#pragma once

#include "score.h"
#include "wav_file.h"

namespace audiogen {

// Renders the piece with a few seconds of silence after its last bar, so
// the synthesiser's release is rendered too; then keeps it from the first
// sound to the last bar line plus `tail` seconds faded to silence (the
// players start it again at its end) and normalises it to -1 dBFS.
Audio RenderForLooping(const Piece& piece, int rate, double tail);

}  // namespace audiogen
