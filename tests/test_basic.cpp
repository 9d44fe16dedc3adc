// Rnd's fixed sequence and the language's rounding rules.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>

#include "platform/basic.h"

TEST(Rnd, FirstValuesFollowTheClassicGenerator) {
    basic::ResetRnd();
    // state1 = (0x50000 * 0x43FD43FD + 0xC39EC3) mod 2^24, and so on.
    uint32_t state = 0x50000;
    for (int i = 0; i < 5; ++i) {
        state = (state * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
        EXPECT_FLOAT_EQ(basic::Rnd(), static_cast<float>(state) / 16777216.0f) << "value " << i;
    }
    basic::ResetRnd();
    // The first value, written out: 0x50000 * 0x43FD43FD = ...; pinned here.
    EXPECT_NEAR(basic::Rnd(), 0.7055475f, 1e-6);
}

TEST(Rnd, StaysInsideTheUnitInterval) {
    basic::ResetRnd();
    for (int i = 0; i < 100000; ++i) {
        float r = basic::Rnd();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
    }
}

TEST(Rounding, CIntRoundsHalvesToEven) {
    EXPECT_EQ(basic::CInt(0.5), 0);
    EXPECT_EQ(basic::CInt(1.5), 2);
    EXPECT_EQ(basic::CInt(2.5), 2);
    EXPECT_EQ(basic::CInt(-0.5), 0);
    EXPECT_EQ(basic::CInt(-1.5), -2);
    EXPECT_EQ(basic::CInt(-2.5), -2);
    EXPECT_EQ(basic::CInt(2.4999), 2);
    EXPECT_EQ(basic::CInt(2.5001), 3);
}

TEST(Rounding, IntTakesTheFloor) {
    EXPECT_EQ(basic::Int(2.999), 2);
    EXPECT_EQ(basic::Int(-0.1), -1);
    EXPECT_EQ(basic::Int(0.0), 0);
}

// A value with no 32-bit integer raises the Overflow error rather than
// giving whatever the processor makes of it; the last values that fit
// still convert.
TEST(Rounding, ValuesWithNoIntegerRaiseOverflow) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double v : {nan, inf, -inf, 1e30, -1e30}) {
        EXPECT_THROW(basic::CInt(v), std::overflow_error) << v;
        EXPECT_THROW(basic::Int(v), std::overflow_error) << v;
    }
    EXPECT_THROW(basic::CInt(2147483647.5), std::overflow_error) << "the tie goes to the even 2^31";
    EXPECT_THROW(basic::CInt(-2147483648.51), std::overflow_error);
    EXPECT_THROW(basic::Int(2147483648.0), std::overflow_error);
    EXPECT_EQ(basic::CInt(2147483647.49), 2147483647);
    EXPECT_EQ(basic::CInt(-2147483648.5), INT32_MIN) << "the tie goes to the even end of the range";
    EXPECT_EQ(basic::Int(2147483647.99), 2147483647);
    EXPECT_THROW(basic::Int(-2147483648.01), std::overflow_error);
    EXPECT_EQ(basic::Int(-2147483648.0), INT32_MIN);
    try {
        basic::CInt(nan);
    } catch (const std::overflow_error& e) {
        EXPECT_STREQ(e.what(), "Overflow");
    }
}
