// Start-up and the scene dispatcher.
#pragma once

[[noreturn]] void Main();
void CloseDisplay();
