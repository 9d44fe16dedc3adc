// 自機処理 — the player module.
#pragma once

void UpdatePlayer();
void RespawnPlayer();
