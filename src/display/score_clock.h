// 点数処理 and TIME計算 — the score and the play clock on the panel.
#pragma once

void DrawScore();
void UpdateClock();
