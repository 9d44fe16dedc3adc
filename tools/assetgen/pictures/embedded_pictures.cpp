// The pictures stored inside the program: whole BMP files that the
// generated assembler file (embedded_pictures.S) puts into read-only data.
#include "screens/embedded_pictures.h"

extern "C" {
extern const unsigned char roofrider_title_background_begin[];
extern const unsigned char roofrider_title_background_end[];
extern const unsigned char roofrider_options_background_begin[];
extern const unsigned char roofrider_options_background_end[];
extern const unsigned char roofrider_evaluation_background_begin[];
extern const unsigned char roofrider_evaluation_background_end[];
extern const unsigned char roofrider_portrait_begin[];
extern const unsigned char roofrider_portrait_end[];
}

namespace embedded {

std::span<const unsigned char> TitleBackgroundBmp() {
    return {roofrider_title_background_begin, roofrider_title_background_end};
}

std::span<const unsigned char> OptionsBackgroundBmp() {
    return {roofrider_options_background_begin, roofrider_options_background_end};
}

std::span<const unsigned char> EvaluationBackgroundBmp() {
    return {roofrider_evaluation_background_begin, roofrider_evaluation_background_end};
}

std::span<const unsigned char> PortraitBmp() {
    return {roofrider_portrait_begin, roofrider_portrait_end};
}

}  // namespace embedded
