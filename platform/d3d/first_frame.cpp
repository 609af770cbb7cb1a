#include "platform/d3d/first_frame.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace go3d::d3d {

void AfterPresent()
{
    static const bool exitAfterFirst = std::getenv("GO3D_EXIT_AFTER_FIRST_FRAME") != nullptr;
    if (!exitAfterFirst)
        return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(stderr, "first frame presented at %lld.%06ld\n", static_cast<long long>(now.tv_sec),
                 now.tv_nsec / 1000);
    std::fflush(stderr);
    // At once: what the process does after its first frame is not start-up.
    std::_Exit(0);
}

}  // namespace go3d::d3d
