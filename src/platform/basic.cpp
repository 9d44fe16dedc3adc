// The language runtime's numeric helpers.
#include "platform/basic.h"

#include <cmath>
#include <stdexcept>

namespace basic {
namespace {
constexpr uint32_t kSeed = 0x50000;
uint32_t g_state = kSeed;
}  // namespace

float Rnd() {
    g_state = (g_state * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
    return static_cast<float>(g_state) / 16777216.0f;
}

void ResetRnd() { g_state = kSeed; }
uint32_t RndState() { return g_state; }
void SetRndState(uint32_t state) { g_state = state & 0xFFFFFFu; }

namespace {
// A whole number already (nearbyint or floor gave it) turned into a Long;
// the comparisons are false for NaN.
int32_t WholeToLong(double whole) {
    if (!(whole >= -2147483648.0 && whole <= 2147483647.0)) throw std::overflow_error("Overflow");
    return static_cast<int32_t>(whole);
}
}  // namespace

int32_t CInt(double value) { return WholeToLong(std::nearbyint(value)); }

int32_t Int(double value) { return WholeToLong(std::floor(value)); }

}  // namespace basic
