// The program: starts the toolkit and audio, then runs Main. An error that
// no procedure handles is shown in a message box and ends the program.
#include <cstdio>
#include <exception>

#include "core/main_scenes.h"
#include "platform/forms.h"
#include "platform/winmm.h"

int main() {
    try {
        forms::Initialise(/*headless=*/false);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "roofrider: %s\n", e.what());
        return 1;
    }
    winmm::InitialiseAudio();
    try {
        Main();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "roofrider: %s\n", e.what());
        forms::MsgBox(e.what());
        return 1;
    }
}
