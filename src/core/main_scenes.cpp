// Start-up and the scene dispatcher: Main and CloseDisplay.
#include "core/main_scenes.h"

#include "core/game_state.h"
#include "core/game_window.h"
#include "display/surfaces.h"
#include "game/level.h"
#include "platform/ddraw.h"
#include "screens/form2_form1.h"
#include "screens/title.h"
#include "sound/sound.h"

namespace {

// One pass of the dispatcher: shows the window of the current scene
// modally. Returns when that window has closed.
void ShowSceneWindow() {
    switch (G.Scene) {
        case 1:
            Form2.Show(true);
            break;
        case 2:
            Title.Timer2.SetInterval(50);
            Title.Show(true);
            break;
        case 3:
            Game.Show(true);
            break;
        default:
            // No code sets another value; the dispatcher tests Scene again.
            forms::DoEvents();
            break;
    }
}

}  // namespace

void Main() {
    LoadLevelFiles();
    ResetGame();
    G.Scene = 1;
    for (;;) ShowSceneWindow();
}

void CloseDisplay() {
    SendMci("close mcifile", MciReply);
    D.DDraw->RestoreDisplayMode();
    D.DDraw->SetCooperativeLevel(Game.hWnd(), ddraw::DDSCL_NORMAL);
}
