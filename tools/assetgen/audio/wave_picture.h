// A look at a rendered sound without hearing it: a sonogram (log
// frequency, 40 Hz to the top) above its level envelope, as a PNG, and a
// few figures (length, peak, RMS, the first and last samples).
#pragma once

#include <string>

namespace audiogen {

bool DrawWavePicture(const std::string& wav_path, const std::string& png_path, std::string* report);

}  // namespace audiogen
