// 点数処理 and TIME計算 — the score and the play clock on the panel, drawn
// with the glyphs of the digit sheet.
//
// Both rows use the same eight cells, one pixel apart, cell 7 leftmost at
// x 100; the clock row lies at PanelY + 36, the score row at PanelY + 57.
#include "display/score_clock.h"

#include <cstdint>

#include "core/game_state.h"
#include "display/surfaces.h"
#include "platform/basic.h"
#include "platform/winmm.h"

namespace {

constexpr int kSeparatorGlyph = 11;

// Copies glyph g of the digit sheet to cell i of the row at y.
void DrawGlyph(int glyph, int cell, double y) {
    const double x = (G.DigitWidth + 1) * (7 - cell) + 100;
    ddraw::RECT source;
    source.Left = 0;
    source.Top = basic::CInt(glyph * static_cast<double>(G.DigitHeight));
    source.Right = basic::CInt(G.DigitWidth);
    source.Bottom = basic::CInt(glyph * static_cast<double>(G.DigitHeight) + G.DigitHeight);
    D.BackBuffer->BltFast(basic::CInt(x), basic::CInt(y), D.DigitSurface.get(), &source,
                          ddraw::DDBLTFAST_WAIT | ddraw::DDBLTFAST_SRCCOLORKEY);
}

}  // namespace

// Right-aligned, no leading zeros: a score of 0 shows one 0; at most the
// eight lowest digits are drawn.
void DrawScore() {
    Long n = G.Score;
    const double y = G.PanelY + 57;
    for (int i = 0; i <= 7; ++i) {
        G.ScoreDigits[static_cast<size_t>(i)] = static_cast<Integer>(n % 10);
        DrawGlyph(G.ScoreDigits[static_cast<size_t>(i)], i, y);
        n = n / 10;
        if (n < 1) break;
    }
}

// Minutes, seconds and hundredths since ClockStart. The elapsed time is the
// unsigned 32-bit difference of the millisecond counter, so the clock stays
// right when the counter wraps during a play. The minute cells appear, both
// of them, once a whole minute has passed.
void UpdateClock() {
    const uint32_t now = winmm::timeGetTime();
    G.ClockNow = static_cast<Long>(now);
    uint32_t e = now - static_cast<uint32_t>(G.ClockStart);
    uint32_t m = e / 60000;
    e = e % 60000;
    uint32_t s = e / 1000;
    e = e % 1000;
    uint32_t c = e / 10;

    G.ClockMinutes = static_cast<Integer>(m);
    G.ClockSeconds = static_cast<Integer>(s);
    G.ClockCentis = static_cast<Integer>(c);

    const bool show_minutes = m != 0;
    const double y = G.PanelY + 36;
    for (int i = 0; i <= 7; ++i) {
        Integer& digit = G.ClockDigits[static_cast<size_t>(i)];
        if (i <= 1) {
            digit = static_cast<Integer>(c % 10);
            c /= 10;
        } else if (i == 2 || i == 5) {
            digit = kSeparatorGlyph;
        } else if (i <= 4) {
            digit = static_cast<Integer>(s % 10);
            s /= 10;
        } else {
            if (!show_minutes) break;
            digit = static_cast<Integer>(m % 10);
            m /= 10;
        }
        DrawGlyph(digit, i, y);
    }
}
