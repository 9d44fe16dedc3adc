// The game's four pieces of music, composed in code.
#pragma once

#include "score.h"

namespace audiogen {

// The play field's music (sound/bgm1.mid): upbeat, 150 a minute, C major,
// a square lead over slap bass and a light kit; loops without a seam.
Piece ComposePlayField();
// The story's music (sound/psmat045.mid): calm and a little comic.
Piece ComposeStory();
// The title's fanfare (rendered to sound/opening.wav): brass and drums.
Piece ComposeTitle();
// The staff roll's piece (rendered to sound/end01.wav): piano, strings and
// a soft beat.
Piece ComposeStaffRoll();

}  // namespace audiogen
