// Rnd's fixed sequence and the language's rounding rules.
#include <gtest/gtest.h>

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
