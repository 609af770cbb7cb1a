#include "math/random.h"

#include <cstdint>

namespace
{
std::uint32_t RandState = 1;
}

int Rand()
{
    RandState = RandState * 214013u + 2531011u;
    return static_cast<int>((RandState >> 16) & 0x7FFFu);
}

void ResetRand()
{
    RandState = 1;
}

float frand(float max)
{
    int n = Rand() % 10000;
    return static_cast<float>(n) / 10000.0f * max;
}
