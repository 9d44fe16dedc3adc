// 弾処理 — the jump module: throwing pads, moving them, launching the hero.
#pragma once

#include <cstdint>

void StartJump(int16_t slot);
void UpdateJump();
