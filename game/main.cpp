// The program's entry point, which the platform layer's main calls.

#include "game/game.h"

int WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RegisterWindowClass();
    return RunApplication();
}
