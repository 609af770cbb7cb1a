#include "math/random.h"

#include <gtest/gtest.h>

TEST(Random, FirstValuesOfTheUnseededSequence)
{
    ResetRand();
    EXPECT_EQ(Rand(), 41);
    EXPECT_EQ(Rand(), 18467);
    EXPECT_EQ(Rand(), 6334);
}

TEST(Random, FrandOfOneStartsAt0041)
{
    ResetRand();
    EXPECT_FLOAT_EQ(frand(1.0f), 0.0041f);
}

TEST(Random, FrandStaysBelowItsBound)
{
    ResetRand();
    for (int i = 0; i < 40000; ++i) {
        EXPECT_EQ(frand(0.0f), 0.0f);
        float v = frand(1.0f);
        ASSERT_GE(v, 0.0f);
        ASSERT_LT(v, 1.0f);
        float n = frand(-2.0f);
        ASSERT_LE(n, 0.0f);
        ASSERT_GT(n, -2.0f);
    }
}
