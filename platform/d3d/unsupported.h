#pragma once

// Values the layer cannot draw as Direct3D would are refused; each kind is
// told once on standard error, so a log is not flooded by a per-frame call.

#include <cstdint>

namespace go3d::d3d {

void ReportUnsupported(const char* what, std::uint32_t value);

}  // namespace go3d::d3d
