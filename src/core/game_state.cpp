// 宣言 — the one instance of the game state.
#include "core/game_state.h"

GameState G;
