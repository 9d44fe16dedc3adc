// Sound — the MCI command sender and the numbered play-field sounds.
#pragma once

#include <cstdint>
#include <string>

// Receives the reply (or error) text of the play field's and the
// evaluation's music commands. Nothing reads it.
extern std::string MciReply;

// Sends an MCI command; beeps and leaves the error text in reply on
// failure; reply is changed only when the buffer holds a NUL. Returns the code.
int16_t SendMci(const std::string& command, std::string& reply);

// Effects 1 (music play command), 2 (go), 3 (a random jump voice),
// 5 (dash); any other number does nothing.
void PlayEffect(int16_t number);
