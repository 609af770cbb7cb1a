// A program with the engine root the game has, for the test of its start.
#include "engine/3dengine.h"

#include <cstdio>

int main()
{
    std::printf("adapters %u\n", MainEngine.GetAdapterCount());
    // The inventory is taken before main; it must see the same modes as a
    // root made later.
    std::printf("modes %u\n", MainEngine.GetAdapterCount() > 0 ? MainEngine.GetAdapterInfo(0)->ModeCount : 0u);
    return 0;
}
