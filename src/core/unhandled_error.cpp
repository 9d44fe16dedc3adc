// The end of the program by an error that no procedure handled: the error
// is written to standard error and shown in a message box, and the program
// ends with status 1.
//
// The windows still loaded stopped half-way through their code. Their
// timers are stopped before the box opens: a tick under the box would run
// that code on, and a tick that raised another error would leave the box
// by an exception that nothing catches any more. The play field gives the
// screen back, so that the box is not hidden behind it.
#include "core/unhandled_error.h"

#include <cstdio>
#include <exception>

#include "display/surfaces.h"
#include "platform/forms.h"

int ShowUnhandledError(const std::string& text) {
    std::fprintf(stderr, "roofrider: %s\n", text.c_str());
    std::fflush(stderr);
    try {
        forms::StopAllTimers();
        if (D.DDraw) D.DDraw->RestoreDisplayMode();
        forms::MsgBox(text);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "roofrider: the message could not be shown in a window (%s)\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "roofrider: the message could not be shown in a window\n");
    }
    return 1;
}
