// A program with the engine root the game has, for the test of its start.
#include "engine/3dengine.h"

#include <cstdio>

int main()
{
    std::printf("adapters %u\n", MainEngine.GetAdapterCount());
    return 0;
}
