// アイテム処理 — the item module: each drawn frame it draws the items still
// on the course, drops those that have scrolled out on the left, and
// collects those the hero touches (a life, faster, slower, or points).
//
// It runs from the frame composition, not from the simulation step, so the
// collection also works on frozen frames (the start, after a respawn).
#include "game/items.h"

#include <cmath>

#include "core/game_state.h"
#include "display/surfaces.h"
#include "platform/basic.h"
#include "platform/ddraw.h"

namespace {

// Whether a position rounds to a pixel the copier can be given at all; one
// that does not could never lie inside the back buffer.
bool IsPixelPosition(double value) {
    return std::isfinite(value) && std::fabs(value) < 2.0e9;
}

// Cell Kind of the item sheet at the item's place, with the sheet's
// transparent colour. A copy that does not fit (an item partly off the
// screen, a kind with no cell in the sheet) fails and is simply not drawn.
void Draw(const LevelRecord& item) {
    if (!D.BackBuffer || !D.ItemSurface) return;  // no display (unit tests)
    const double x = item.Left - G.ScrollX;
    const double y = item.Top;
    const double cell_left = item.Kind * G.ItemWidth;
    const double cell_right = (item.Kind + 1) * G.ItemWidth;
    if (!IsPixelPosition(x) || !IsPixelPosition(y) || !IsPixelPosition(cell_left) ||
        !IsPixelPosition(cell_right) || !IsPixelPosition(G.ItemHeight))
        return;
    ddraw::RECT cell;
    cell.Left = basic::CInt(cell_left);
    cell.Top = 0;
    cell.Right = basic::CInt(cell_right);
    cell.Bottom = basic::CInt(G.ItemHeight);
    D.BackBuffer->BltFast(basic::CInt(x), basic::CInt(y), D.ItemSurface.get(), &cell,
                          ddraw::DDBLTFAST_WAIT + ddraw::DDBLTFAST_SRCCOLORKEY);
}

void Collect(LevelRecord& item) {
    item.Taken = 1;
    switch (item.Kind) {
        case 0:
            G.Lives = static_cast<Integer>(G.Lives + 1);
            break;
        case 1:
            G.ScrollSpeed = static_cast<Single>(G.ScrollSpeed * 1.2);
            break;
        case 2:
            G.ScrollSpeed = static_cast<Single>(G.ScrollSpeed / 1.3);
            if (1.5 > G.ScrollSpeed) G.ScrollSpeed = 1.5;
            break;
        case 3:
            G.Score = G.Score + 300;
            break;
        default:
            break;  // taken, but nothing happens
    }
}

}  // namespace

void UpdateItems() {
    for (Integer n = 1; n <= G.ItemCount; ++n) {
        LevelRecord& item = G.Items.at(static_cast<std::size_t>(n));
        if (item.Taken == 0) Draw(item);
        if (item.Right - G.ScrollX < 0) item.Taken = 1;  // gone out on the left
        // The margin of 30 px is on the item's left side only.
        if (item.Taken == 0 && item.Left + 30 < G.ScrollX + G.PlayerX + G.PlayerWidth &&
            G.ScrollX + G.PlayerX < item.Right && G.PlayerY + G.PlayerHeight > item.Top &&
            G.PlayerY < item.Bottom)
            Collect(item);
    }
}
