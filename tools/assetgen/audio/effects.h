// The game's sound effects, synthesised: each returns one channel at
// kEffectRate, not yet faded or normalised (FinishEffect does that).
#pragma once

#include "dsp.h"

namespace audiogen {

constexpr int kEffectRate = 44100;

// sound/go.wav: the start chime, four bell notes rising to a held chord.
Signal StartChime();
// sound/jump1..3.wav: a shouted "hup", low (0), middle (1) or high (2).
Signal JumpVoice(int which);
// sound/bust.wav: the dash, a rushing whoosh.
Signal DashWhoosh();
// sound/laserbom.wav: the blast, a zap and a crackling burst.
Signal Blast();
// sound/idou.wav: the menu's soft blip.
Signal MenuMove();
// sound/kettei.wav: the menu's bright two-note chime.
Signal MenuChoose();
// sound/powa.wav: the evaluation's soft "pwah".
Signal Reveal();
// sound/oto.wav: the rank, a gong stroke with a cymbal's shimmer.
Signal RankGong();
// soundeffect/idou.mp3: the options row's wooden tick.
Signal RowMove();
// soundeffect/kettei2.mp3: the options row's rising three-note confirmation.
Signal RowConfirm();

// Fades both ends by a few milliseconds and normalises the peak to -1 dBFS.
void FinishEffect(Signal& s);

// Building blocks shared by the effects.
// A bell-like FM tone: carrier at freq, modulator at ratio × freq, whose
// index falls from `index` as the tone decays with time constant `decay`.
Signal FmBell(double freq, double seconds, double ratio, double index, double decay);

}  // namespace audiogen
