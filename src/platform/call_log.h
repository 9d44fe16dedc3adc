// A record of what the program asks of the platform, in order: the
// multimedia commands, the waves and the beep, the display's changes of
// mode and its flips. Off (and free) unless a test turns it on to check
// the order of a screen's or the play field's calls.
#pragma once

#include <string>
#include <vector>

namespace platform::call_log {

// Every call from now on is appended to log; nullptr stops the record.
void Start(std::vector<std::string>* log);
bool On();
void Add(std::string entry);

}  // namespace platform::call_log
