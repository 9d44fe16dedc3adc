// 宣言 — the one instance of the game state, and the sine lookup of the arcs.
#include "core/game_state.h"

#include "platform/basic.h"

GameState G;

Single TableSine(Single angle) {
    return G.SineTable.at(static_cast<std::size_t>(basic::CInt(angle)));
}
