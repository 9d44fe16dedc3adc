// 初期処理 — the initialisation module: level files and the new-game reset.
#pragma once

// Sets BasePath, the level constants and the sine table, and reads
// data\biru.dat and data\item.dat into Buildings and Items. A missing file
// or one with too few records raises an error naming the file.
void LoadLevelFiles();

// Gives every other field its start value and lays out the staff roll and
// the evaluation window.
void ResetGame();
