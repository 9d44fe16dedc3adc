// The end of the program by an error that no procedure handled.
#pragma once

#include <string>

// Writes the error to standard error and shows it in a message box, with
// every window's timer stopped and the screen given back first. Returns
// the program's exit status (1). Never throws: an error while showing the
// box only adds a line on standard error.
int ShowUnhandledError(const std::string& text);
