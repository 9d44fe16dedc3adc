// The language runtime's numeric helpers: Rnd, rounding and Int.
//
// Every float-to-integer conversion of the program goes through CInt
// (nearest, ties to even) or Int (floor), as the original language did.
#pragma once

#include <cstdint>

namespace basic {

// Next value of the program's one uniform generator, in [0, 1).
// The classic 24-bit linear congruential generator, never seeded:
// state starts at 0x50000, state = (state * 0x43FD43FD + 0xC39EC3) mod 2^24,
// value = state / 2^24. Every caller shares the same sequence.
float Rnd();

// Puts the generator back to its program-start state (tests and the bot).
void ResetRnd();
// The raw 24-bit state, so that a search can save and restore it.
uint32_t RndState();
void SetRndState(uint32_t state);

// Round to the nearest integer, ties to the even one (the language's CInt).
// A value with no 32-bit integer to give (NaN, an infinity, a result
// outside -2147483648..2147483647) raises the language's Overflow error
// (std::overflow_error) instead of giving an undefined number.
int32_t CInt(double value);

// The integer part towards minus infinity (the language's Int), with the
// same Overflow error.
int32_t Int(double value);

}  // namespace basic
