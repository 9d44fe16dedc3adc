// A small PNG writer for screenshots and contact sheets.
#pragma once

#include <cstdint>
#include <string>

namespace platform::png {

// Writes 8-bit RGB pixels (3 bytes each, stride bytes per row) as a PNG.
bool WriteRgb(const std::string& linux_path, int width, int height, const uint8_t* rgb,
              int stride);

}  // namespace platform::png
