// Inside the platform layer only: what the display layer needs of the
// toolkit's windows. Nothing above the platform includes this file.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace forms {
class Form;
}

namespace forms::internal {

// The form and SDL window of a loaded form, by its hWnd (nullptr if none).
Form* FormOf(intptr_t hwnd);
SDL_Window* WindowOf(intptr_t hwnd);

// While set, the window's content belongs to the display layer: the
// toolkit no longer paints it, and the desktop composite (screenshots)
// shows this frame scaled to the window as it is presented. nullptr hands
// the window back to the toolkit.
void SetExternalContent(intptr_t hwnd, SDL_Surface* frame);

// Focus as the toolkit has seen it (SDL events or SimulateFocus).
bool HasFocus(intptr_t hwnd);
bool IsMinimised(intptr_t hwnd);
// Counts every loss of focus or minimising of the window, so the display
// layer can tell that its surfaces were lost since it last looked.
uint64_t FocusLossCount(intptr_t hwnd);

// The window shows the display layer's frame on the screen as the player
// chose it: the desktop's full screen, or a window of its size at the
// windows' scale centred on the desktop (Alt+Enter and F11 switch between
// them while it has the screen). 0, or SDL's negative error.
int TakeScreen(intptr_t hwnd);
// Back to an ordinary window.
void GiveScreenBack(intptr_t hwnd);

// True once after the window was exposed, resized or given new content
// while the display layer paints it: the layer then repaints all of it,
// and otherwise only what changes.
bool TakeRepaintRequest(intptr_t hwnd);

}  // namespace forms::internal
