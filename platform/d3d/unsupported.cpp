#include "platform/d3d/unsupported.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <utility>

namespace go3d::d3d {

void ReportUnsupported(const char* what, std::uint32_t value)
{
    static std::mutex mutex;
    static std::set<std::pair<std::string, std::uint32_t>> told;
    std::lock_guard<std::mutex> lock(mutex);
    if (told.emplace(what, value).second)
        std::fprintf(stderr, "d3d8: unsupported %s (%u, 0x%X), refused\n", what, value, value);
}

}  // namespace go3d::d3d
