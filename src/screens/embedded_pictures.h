// The pictures stored inside the program (BMP bytes compiled in at build
// time): the title, options and evaluation backgrounds and the portrait.
#pragma once

#include <span>

namespace embedded {
std::span<const unsigned char> TitleBackgroundBmp();       // 574 x 400
std::span<const unsigned char> OptionsBackgroundBmp();     // 400 x 300
std::span<const unsigned char> EvaluationBackgroundBmp();  // 800 x 600
std::span<const unsigned char> PortraitBmp();              // 128 x 128
}  // namespace embedded
