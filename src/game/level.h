// 初期処理 — the initialisation module: level files and the new-game reset.
#pragma once

// Sets BasePath, the level constants and the sine table, and reads
// data\biru.dat and data\item.dat into Buildings and Items. A missing file
// or one with too few records raises an error naming the file; a record no
// course can hold (a value that is not a finite number, a Top or an item's
// Bottom off the 600-pixel screen, Right left of Left, a building left of
// the one before it) raises one naming the file, the record and the field.
// An item's Kind is not checked: a kind with no rule is taken with no effect.
void LoadLevelFiles();

// Gives every other field its start value and lays out the staff roll and
// the evaluation window.
void ResetGame();
