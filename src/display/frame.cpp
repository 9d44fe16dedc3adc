// Frame composition — one frame of the play field on the back buffer, then
// the flip.
//
// A copy that does not fit its surfaces is skipped and the frame goes on:
// BltFast's result is not acted on, so items far off to the right, a pad at
// the left edge or a hero falling past the panel never cost the frame its
// other layers or its flip. Other failures (a flip, a restore, a reload)
// end the frame where they happen; the loop goes on with the next one, and
// every pass still takes its 60 Hz tick.
#include "display/frame.h"

#include <exception>

#include "core/game_state.h"
#include "display/score_clock.h"
#include "display/surfaces.h"
#include "game/items.h"
#include "platform/basic.h"
#include "platform/forms.h"
#include "platform/winmm.h"

bool SurfacesLost = false;

namespace {

using basic::CInt;
using ddraw::RECT;

constexpr int32_t kCopy = ddraw::DDBLTFAST_WAIT;
constexpr int32_t kKeyedCopy = ddraw::DDBLTFAST_WAIT | ddraw::DDBLTFAST_SRCCOLORKEY;

// A reload that failed is tried again on the next frame, not given up.
bool g_reload_pending = false;

// The rectangle whose left edge is `left` rounded and whose right edge is
// that rounded left plus the width, rounded again (the same for top and
// height).
RECT Cell(double left, double top, double width, double height) {
    RECT r;
    r.Left = CInt(left);
    r.Top = CInt(top);
    r.Right = CInt(r.Left + width);
    r.Bottom = CInt(r.Top + height);
    return r;
}

void Copy(double x, double y, ddraw::DirectDrawSurface7& sheet, const RECT& source, int32_t flags) {
    RECT r = source;
    D.BackBuffer->BltFast(CInt(x), CInt(y), &sheet, &r, flags);
}

// Step 1: waits while the display belongs to someone else, letting window
// events run. Each wait takes one frame of the pace, so it never spins.
void WaitForDisplay() {
    SurfacesLost = false;
    while (!DisplayIsReady()) {
        ddraw::WaitForNextFrame();
        forms::DoEvents();
        SurfacesLost = true;
    }
    if (SurfacesLost) forms::DoEvents();
}

// Step 2: surfaces lost while the display was away are restored and their
// pictures loaded again.
void RecoverSurfaces() {
    if (!SurfacesLost && !g_reload_pending) return;
    SurfacesLost = false;
    g_reload_pending = true;
    D.DDraw->RestoreAllSurfaces();
    LoadSurfaces();
    g_reload_pending = false;
}

void DrawSkyCoursePanel() {
    Copy(0, 0, *D.CloudSurface, Cell(G.CloudX, 0, 800, G.CloudHeight), kCopy);
    Copy(0, 0, *D.CourseSurface, Cell(G.ScrollX, 0, 800, G.CourseHeight), kKeyedCopy);
    Copy(G.PanelX, G.PanelY, *D.PanelSurface, Cell(0, 0, G.PanelWidth, G.PanelHeight), kKeyedCopy);
}

// Pads in slot order, so pad 2 lies over pad 0 where they overlap.
void DrawPads() {
    for (const Pad& pad : G.Pads) {
        if (pad.State <= 0) continue;
        const float left = static_cast<float>(pad.Kind * pad.Width);
        Copy(pad.X, pad.Y, *D.PadSurface, Cell(left, 0, pad.Width, pad.Height), kKeyedCopy);
    }
}

// The dash blast runs through its 16 cells once per dash, one a frame,
// drifting 3 px a frame behind the hero.
void DrawBlast() {
    if (G.PlayerState != 4 || G.DashFrame >= 16) return;
    const int left = (G.DashFrame % 8) * 96;
    const int top = basic::Int(G.DashFrame / 8.0) * 96;
    Copy(G.PlayerX - 3 * G.DashFrame - 10, G.PlayerY, *D.BlastSurface, Cell(left, top, 96, 96),
         kKeyedCopy);
    G.DashFrame += 1;
}

void DrawHero() {
    const float left = static_cast<float>(G.PlayerFrame * G.PlayerWidth);
    Copy(G.PlayerX, G.PlayerY, *D.PlayerSurface, Cell(left, 0, G.PlayerWidth, G.PlayerHeight),
         kKeyedCopy);
}

// READY while StartFrames reads below 140, GO from 140 to 199; the play
// clock starts on the frame that reads 199.
void DrawReadyGo() {
    if (G.StartFrames >= 200) return;
    if (G.StartFrames == 199) G.ClockStart = static_cast<Long>(winmm::timeGetTime());
    const float left = G.StartFrames < 140 ? 0.0f : G.ReadyGoWidth;
    Copy(100, 100, *D.ReadyGoSurface, Cell(left, 0, G.ReadyGoWidth, G.ReadyGoHeight), kKeyedCopy);
}

// The lives in full, right-aligned on the lives cell: a count above 9 grows
// cells to the left, one pixel apart as on the other rows.
void DrawLives() {
    int32_t n = G.Lives < 0 ? 0 : G.Lives;
    double x = 180;
    const double y = G.PanelY + 75;
    do {
        const double top = (n % 10) * static_cast<double>(G.DigitHeight);
        Copy(x, y, *D.DigitSurface, Cell(0, top, G.DigitWidth, G.DigitHeight), kKeyedCopy);
        n /= 10;
        x -= G.DigitWidth + 1;
    } while (n > 0);
}

void ComposeLayers() {
    DrawSkyCoursePanel();
    DrawPads();
    DrawBlast();
    DrawHero();
    DrawReadyGo();
    UpdateItems();
    DrawScore();
    if (G.StartFrames >= 200) UpdateClock();
    DrawLives();
}

}  // namespace

bool DisplayIsReady() { return D.DDraw->TestCooperativeLevel() == 0; }

void DrawFrame() {
    bool flip_reached = false;  // a flip takes its tick even when it fails
    try {
        WaitForDisplay();
        RecoverSurfaces();
        if (G.PlayPhase >= 2) {
            Copy(0, 0, *D.EndSurface, RECT{0, 0, 800, 600}, kCopy);
        } else {
            ComposeLayers();
        }
        flip_reached = true;
        D.PrimarySurface->Flip(nullptr, ddraw::DDFLIP_WAIT);
    } catch (const std::exception&) {
        // The frame ends here; the previous picture stays on the screen.
        if (!flip_reached) ddraw::WaitForNextFrame();
    }
}
