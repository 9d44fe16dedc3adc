// The program: starts the toolkit and audio, then runs Main. An error that
// no procedure handles is shown in a message box and ends the program with
// status 1; without a display the message goes to standard error. A
// display lost for good ends it with status 1 as well (the toolkit says
// so on standard error).
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "core/main_scenes.h"
#include "core/unhandled_error.h"
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
    std::string error;
    try {
        Main();
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "an unknown error ended the program";
    }
    // Closing the box's window from the desktop ends the program as the
    // box's OK does: with the error's status.
    forms::SetEndHandler([] {
        std::fflush(nullptr);
        std::_Exit(1);
    });
    // The program releases nothing at its end: no destructor of a window
    // runs, as none does when it ends by its end statement.
    const int status = ShowUnhandledError(error);
    std::fflush(nullptr);
    std::_Exit(status);
}
