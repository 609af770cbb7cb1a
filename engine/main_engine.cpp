// The program's one engine root. It is built before main, where no handler
// can catch its exception, so a missing Direct3D is told the way every other
// start-up failure is, and the program ends with an error code instead of
// terminating on an uncaught exception.

#include "engine/3dengine.h"
#include "engine/exceptions.h"

#include <cstdlib>

namespace
{
Engine3D MakeMainEngine()
{
    try {
        return Engine3D();
    } catch (const EngineInitException& e) {
        MessageBoxA(nullptr, e.GetErrorString().c_str(), "Fatal Error", MB_OK | MB_ICONERROR);
        std::exit(EXIT_FAILURE);
    }
}
}

Engine3D MainEngine = MakeMainEngine();
