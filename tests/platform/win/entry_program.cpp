// A program on the layer's entry point: prints the command line WinMain is
// given and returns a code of its own, both of which the test checks.

#include "platform/win/win32.h"

#include <cstdio>

int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdLine, int)
{
    std::printf("[%s] instance %s, previous %s\n", cmdLine, instance ? "set" : "null", previous ? "set" : "null");
    return 7;
}
